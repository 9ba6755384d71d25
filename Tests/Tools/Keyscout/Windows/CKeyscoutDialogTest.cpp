#include "Tools/Keyscout/Windows/CKeyscoutDialog.h"

#include "Engine/IRenderer/CWindowManager.h"
#include "Engine/IInput/InputTestSupport.h"
#include "Tools/Keyscout/CKeyscout.h"
#include "Tools/Keyscout/KeyscoutTestSupport.h"
#include "Tools/Keyscout/Windows/KeyscoutResources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace Tavrin::Engine;
using namespace KeyscoutTesting;
using Tavrin::Engine::Testing::CLogCapture;

namespace {

// Reads a resource's zero-terminated UTF-16 text (ASCII only here) or an
// ordinal, as the template stores class names and titles.
std::string readFile(const WORD*& cursor)
{
    std::string text;
    if (*cursor == 0xFFFF)
    {
        text = "#" + std::to_string(cursor[1]);
        cursor += 2;
        return text;
    }
    while (*cursor)
        text += static_cast<char>(*cursor++);
    ++cursor;
    return text;
}

const WORD* alignDword(const WORD* cursor)
{
    return reinterpret_cast<const WORD*>((reinterpret_cast<uintptr_t>(cursor) + 3) & ~uintptr_t(3));
}

struct SItem
{
    DWORD id;
    std::string windowClass;
    std::string text;
    short x, y, cx, cy;
    DWORD style;

    bool operator==(const SItem& o) const
    {
        return id == o.id && windowClass == o.windowClass && text == o.text && x == o.x && y == o.y && cx == o.cx && cy == o.cy &&
               style == o.style;
    }
};

std::ostream& operator<<(std::ostream& out, const SItem& item)
{
    char style[16];
    snprintf(style, sizeof(style), "0x%08lX", static_cast<unsigned long>(item.style));
    return out << item.id << " " << item.windowClass << " '" << item.text << "' " << item.x << "," << item.y << "," << item.cx << ","
               << item.cy << " " << style;
}

TEST(CKeyscoutDialogTemplateTest, Dialog101HasTheExactLayout)
{
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_KEYSCOUT), MAKEINTRESOURCEA(5));
    ASSERT_NE(resource, nullptr);
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, resource)));
    ASSERT_NE(data, nullptr);
    const WORD* words = reinterpret_cast<const WORD*>(data);
    ASSERT_EQ(words[0], 1);  // DIALOGEX
    ASSERT_EQ(words[1], 0xFFFF);
    const DWORD* dwords = reinterpret_cast<const DWORD*>(data + 4);
    EXPECT_EQ(dwords[2], 0x90C808C8u);
    const WORD* cursor = reinterpret_cast<const WORD*>(data + 16);
    WORD count = *cursor++;
    const short* box = reinterpret_cast<const short*>(cursor);
    EXPECT_EQ(std::vector<short>(box, box + 4), (std::vector<short>{0, 0, 297, 105}));
    cursor += 4;
    EXPECT_EQ(readFile(cursor), "");  // no menu
    EXPECT_EQ(readFile(cursor), "");  // the standard dialog class
    EXPECT_EQ(readFile(cursor), "Tavrin Engine Input detector");
    EXPECT_EQ(cursor[0], 8);    // points
    EXPECT_EQ(cursor[1], 400);  // weight
    cursor += 3;                // and italic + character set
    EXPECT_EQ(readFile(cursor), "MS Shell Dlg");

    std::vector<SItem> items;
    for (WORD i = 0; i < count; ++i)
    {
        cursor = alignDword(cursor);
        const DWORD* head = reinterpret_cast<const DWORD*>(cursor);
        const short* place = reinterpret_cast<const short*>(cursor + 6);
        SItem item;
        item.style = head[2];
        item.x = place[0];
        item.y = place[1];
        item.cx = place[2];
        item.cy = place[3];
        item.id = *reinterpret_cast<const DWORD*>(cursor + 10);
        cursor += 12;
        item.windowClass = readFile(cursor);
        item.text = readFile(cursor);
        cursor += 1 + *cursor / sizeof(WORD);  // creation data
        items.push_back(item);
    }
    // Classes are stored as the predefined ordinals: 0x80 button, 0x82
    // static, 0x85 combo box.
    const std::vector<SItem> expected = {
        {1001, "#128", "Detect key(s)", 109, 63, 78, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON},
        {1002, "#130", "Static", 7, 84, 283, 14, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_CENTER | SS_CENTERIMAGE},
        {1022, "#133", "", 96, 7, 110, 86, WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_SORT},
        {1023, "#133", "", 96, 25, 110, 86, WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_SORT},
        {1003, "#130", "Joystick #0:", 7, 7, 82, 14, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_RIGHT | SS_CENTERIMAGE},
        {1004, "#130", "Joystick #1:", 7, 25, 82, 14, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_RIGHT | SS_CENTERIMAGE},
        {1005, "#128", "Exclude mouse movements", 95, 46, 111, 10, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX},
    };
    EXPECT_EQ(items, expected);
}

class CKeyscoutDialogTest : public testing::Test
{
protected:
    CKeyscoutDialogTest() : m_input(new CScriptedInputManager(m_trace)), m_application(CManagedPtr<CInputManager>::adopt(m_input)) {}

    void SetUp() override
    {
        // Twenty pads whose names would sort differently from their order.
        for (int i = 0; i < 20; ++i)
            m_input->m_padIds.push_back("p" + std::to_string(i));
        m_dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_KEYSCOUT), nullptr, CKeyscoutDialog::dialogProcedure,
                                      reinterpret_cast<LPARAM>(&m_application));
        ASSERT_NE(m_dialog, nullptr);
    }
    void TearDown() override
    {
        if (m_dialog)
            DestroyWindow(m_dialog);
        // The detection window's close request is dispatched here.
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }

    std::string text(int id) const
    {
        char buffer[256] = "";
        GetDlgItemTextA(m_dialog, id, buffer, sizeof(buffer));
        return buffer;
    }
    LRESULT send(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const { return SendDlgItemMessageA(m_dialog, id, message, wParam, lParam); }
    std::string item(int id, int index) const
    {
        char buffer[256] = "";
        send(id, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
        return buffer;
    }

    TTrace m_trace;
    CWindowManager m_windows;
    CScriptedInputManager* m_input;
    CKeyscout m_application;
    HWND m_dialog = nullptr;
};

TEST_F(CKeyscoutDialogTest, OpensWithThePromptTheTickedBoxAndTheFirst16JoysticksInListOrder)
{
    EXPECT_EQ(text(IDC_RESULT), "Click the button above to start key detection..");
    EXPECT_EQ(send(IDC_EXCLUDE_MOUSE, BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(m_application.getJoysticks().getCount(), 20u);
    for (int combo : {IDC_JOYSTICK0, IDC_JOYSTICK1})
    {
        ASSERT_EQ(send(combo, CB_GETCOUNT), 16) << combo;
        EXPECT_EQ(send(combo, CB_GETCURSEL), CB_ERR) << combo;
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(item(combo, i), "Pad p" + std::to_string(i)) << combo;
    }
}

TEST_F(CKeyscoutDialogTest, TheButtonReadsTheChoicesRunsHiddenAndShowsTheResult)
{
    send(IDC_JOYSTICK1, CB_SETCURSEL, 1);
    send(IDC_EXCLUDE_MOUSE, BM_SETCHECK, BST_UNCHECKED);
    m_input->m_mouseScript = {{0, 0, 0.0f}, {0, 0, 1.0f}};
    std::vector<std::string> during;
    m_input->m_onUpdate = [&] {
        during.push_back(std::to_string(IsWindowVisible(m_dialog) ? 1 : 0) + std::to_string(IsWindowEnabled(m_dialog) ? 1 : 0));
    };

    // Returns when the run is over.
    SendMessageA(m_dialog, WM_COMMAND, MAKEWPARAM(IDC_DETECT, BN_CLICKED), 0);

    EXPECT_EQ(m_application.getJoystickSelection(0), CKeyscout::C_NO_SELECTION);
    EXPECT_EQ(m_application.getJoystickSelection(1), 1u);
    EXPECT_FALSE(m_application.getExcludeMouseMovements());
    EXPECT_EQ(m_trace.front(), "joystick p1 fg1");
    ASSERT_FALSE(during.empty());
    for (const std::string& state : during)
        EXPECT_EQ(state, "00");
    EXPECT_EQ(text(IDC_RESULT), "mousewheel + mousewheelup");
    EXPECT_TRUE(IsWindowVisible(m_dialog));
    EXPECT_TRUE(IsWindowEnabled(m_dialog));
    EXPECT_EQ(m_application.getWindow(), nullptr);
}

// Another program can send or post the button's command while the dialog is
// hidden: neither may start a run, inside this one or after it.
TEST_F(CKeyscoutDialogTest, ButtonCommandsArrivingDuringARunStartNothing)
{
    m_input->m_mouseScript = {{0, 0, 0.0f}, {0, 0, 1.0f}};
    bool sent = false;
    m_input->m_onUpdate = [&] {
        if (sent)
            return;
        sent = true;
        PostMessageA(m_dialog, WM_COMMAND, MAKEWPARAM(IDC_DETECT, BN_CLICKED), 0);
        PostMessageA(m_dialog, WM_COMMAND, MAKEWPARAM(1234, BN_CLICKED), 0);
        SendMessageA(m_dialog, WM_COMMAND, MAKEWPARAM(IDC_DETECT, BN_CLICKED), 0);
    };
    SendMessageA(m_dialog, WM_COMMAND, MAKEWPARAM(IDC_DETECT, BN_CLICKED), 0);
    EXPECT_EQ(text(IDC_RESULT), "mousewheel + mousewheelup");
    // Gone before the dialog's loop handles anything else.
    EXPECT_EQ(FindWindowA("Tavrin", "Press one or many keys.."), nullptr);

    // Other commands stay queued.
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, m_dialog, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(LOWORD(message.wParam), 1234);
    EXPECT_FALSE(PeekMessageA(&message, m_dialog, WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    EXPECT_EQ(std::count(m_trace.begin(), m_trace.end(), "mouse fg1"), 1);
}

// A failure inside the run stops in the dialog procedure, is logged, and the
// dialog comes back for the next try; a button command posted during the
// failed run is void as after any other.
TEST_F(CKeyscoutDialogTest, AFailedRunIsLoggedAndBringsTheDialogBack)
{
    bool posted = false;
    m_input->m_onUpdate = [&] {
        if (!posted)
            posted = PostMessageA(m_dialog, WM_COMMAND, MAKEWPARAM(IDC_DETECT, BN_CLICKED), 0) != FALSE;
        TAVRIN_THROW(CInvalidOperationException, "Scripted failure\n", "Tools/Keyscout/CKeyscoutDialogTest");
    };
    CLogCapture capture;
    SendMessageA(m_dialog, WM_COMMAND, MAKEWPARAM(IDC_DETECT, BN_CLICKED), 0);
    EXPECT_TRUE(IsWindowVisible(m_dialog));
    EXPECT_TRUE(IsWindowEnabled(m_dialog));
    EXPECT_EQ(m_application.getWindow(), nullptr);
    EXPECT_NE(std::find(CLogCapture::lines().begin(), CLogCapture::lines().end(),
                        "Error: exception while handling dialog message 0x0111; message dropped\n"),
              CLogCapture::lines().end());
    ASSERT_TRUE(posted);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    EXPECT_EQ(std::count(m_trace.begin(), m_trace.end(), "mouse fg1"), 1);
}

std::string clipboardText()
{
    std::string text;
    if (!OpenClipboard(nullptr))
        return "(no clipboard)";
    if (HANDLE data = GetClipboardData(CF_TEXT))
    {
        text = static_cast<const char*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

void setClipboardText(const char* text)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
    memcpy(GlobalLock(memory), text, strlen(text) + 1);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
}

// The dialog's modal loop passes each key through the message filter before
// the focused control sees it; Ctrl+C there copies a result, and only a
// result: the prompt and a run that recorded nothing leave the clipboard.
TEST_F(CKeyscoutDialogTest, CtrlCCopiesAResultOnly)
{
    setClipboardText("kept");
    BYTE keys[256] = {};
    MSG message{GetDlgItem(m_dialog, IDC_DETECT), WM_KEYDOWN, 'C', 0, 0, {0, 0}};
    SetKeyboardState(keys);
    EXPECT_FALSE(CallMsgFilterA(&message, MSGF_DIALOGBOX));
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    EXPECT_TRUE(CallMsgFilterA(&message, MSGF_DIALOGBOX));
    EXPECT_EQ(clipboardText(), "kept");

    m_input->m_mouseScript = {{0, 0, 0.0f}, {0, 0, 1.0f}};
    SendMessageA(m_dialog, WM_COMMAND, MAKEWPARAM(IDC_DETECT, BN_CLICKED), 0);
    EXPECT_TRUE(CallMsgFilterA(&message, MSGF_DIALOGBOX));
    EXPECT_EQ(clipboardText(), "mousewheel + mousewheelup");
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
}

// Devices that come or go reach every top-level window as WM_DEVICECHANGE.
TEST_F(CKeyscoutDialogTest, TheListsFollowDevicesAndAGoneDeviceLeavesItsSlotEmpty)
{
    send(IDC_JOYSTICK0, CB_SETCURSEL, 0);
    send(IDC_JOYSTICK1, CB_SETCURSEL, 2);
    m_input->m_padIds = {"p2", "new"};
    SendMessageA(m_dialog, WM_DEVICECHANGE, 7 /* DBT_DEVNODES_CHANGED */, 0);
    for (int combo : {IDC_JOYSTICK0, IDC_JOYSTICK1})
    {
        ASSERT_EQ(send(combo, CB_GETCOUNT), 2) << combo;
        EXPECT_EQ(item(combo, 0) + "," + item(combo, 1), "Pad p2,Pad new") << combo;
    }
    EXPECT_EQ(send(IDC_JOYSTICK0, CB_GETCURSEL), CB_ERR);
    EXPECT_EQ(send(IDC_JOYSTICK1, CB_GETCURSEL), 0);
}

TEST_F(CKeyscoutDialogTest, OnlyTheButtonAndCancelCommandsAreHandled)
{
    EXPECT_EQ(CKeyscoutDialog::dialogProcedure(m_dialog, WM_COMMAND, MAKEWPARAM(1234, BN_CLICKED), 0), FALSE);
    EXPECT_EQ(CKeyscoutDialog::dialogProcedure(m_dialog, WM_TIMER, 1, 0), FALSE);
    EXPECT_EQ(CKeyscoutDialog::dialogProcedure(m_dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0), TRUE);
}

} // namespace
