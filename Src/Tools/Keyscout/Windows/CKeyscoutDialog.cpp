#include "Tools/Keyscout/Windows/CKeyscoutDialog.h"

#include "Tools/Keyscout/CKeyscout.h"
#include "Tools/Keyscout/Windows/KeyscoutResources.h"

#include "Engine/IKernel/CLog.h"

#include <cstring>
#include <vector>

using namespace Tavrin::Engine;


namespace {
FILE* s_resultStream = stdout;
} // namespace

CKeyscoutDialog::CKeyscoutDialog(HWND dialog, CKeyscout& application)
    : m_dialog(dialog), m_application(application), m_console(s_resultStream)
{
}

void CKeyscoutDialog::setResultStream(FILE* stream)
{
    s_resultStream = stream;
}

INT_PTR CALLBACK CKeyscoutDialog::dialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    // An exception cannot unwind through the system's dispatch frames: it is
    // logged (an engine exception logged itself too) and the message handled.
    try
    {
        return _handle(dialog, message, wParam, lParam);
    }
    catch (...)
    {
        logLevel(3, "Error: exception while handling dialog message 0x%04X; message dropped\n", message);
        return TRUE;
    }
}

INT_PTR CKeyscoutDialog::_handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
    {
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        CKeyscoutDialog(dialog, *reinterpret_cast<CKeyscout*>(lParam)).initialise();
        _hookCopyKey(dialog);
        return TRUE;
    }
    if (message == WM_DESTROY)
    {
        _unhookCopyKey(dialog);
        return FALSE;
    }
    if (message == WM_COMMAND)
        return _onCommand(dialog, wParam);
    if (message == WM_DEVICECHANGE)
    {
        // Sent to every top-level window when devices come or go.
        CKeyscout* application = reinterpret_cast<CKeyscout*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
        if (application && !application->isDetecting())
            CKeyscoutDialog(dialog, *application).relistJoysticks();
        return TRUE;
    }
    return FALSE;
}

INT_PTR CKeyscoutDialog::_onCommand(HWND dialog, WPARAM wParam)
{
    CKeyscout* application = reinterpret_cast<CKeyscout*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    switch (LOWORD(wParam))
    {
    case IDCANCEL:
        EndDialog(dialog, static_cast<INT_PTR>(wParam));
        return TRUE;
    case IDC_DETECT:
        // Commands can only come after WM_INITDIALOG stored the application,
        // but a foreign WM_COMMAND must not reach a null one.
        if (application)
            CKeyscoutDialog(dialog, *application).detect();
        return TRUE;
    default:
        return FALSE;
    }
}

void CKeyscoutDialog::initialise()
{
    SetDlgItemTextA(m_dialog, IDC_RESULT, CKeyscout::C_PROMPT);
    _send(IDC_EXCLUDE_MOUSE, BM_SETCHECK, BST_CHECKED, 0);
    m_application.refreshJoysticks();
    _fillJoystickLists();
}

void CKeyscoutDialog::relistJoysticks()
{
    readSelections();
    if (m_application.refreshJoysticks())
        _fillJoystickLists();
}

void CKeyscoutDialog::_fillJoystickLists()
{
    const CArray<SJoystickDescriptor>& joysticks = m_application.getJoysticks();
    _send(IDC_JOYSTICK0, CB_RESETCONTENT, 0, 0);
    _send(IDC_JOYSTICK1, CB_RESETCONTENT, 0, 0);
    // Inserted by position, so an item's index is its place in the list.
    for (uint32_t i = 0; i < m_application.getListedJoystickCount(); ++i)
    {
        LPARAM name = reinterpret_cast<LPARAM>(joysticks[i].name.c_str());
        _send(IDC_JOYSTICK0, CB_INSERTSTRING, static_cast<WPARAM>(i), name);
        _send(IDC_JOYSTICK1, CB_INSERTSTRING, static_cast<WPARAM>(i), name);
    }
    // All bits set, no joystick, is -1: no selection.
    _send(IDC_JOYSTICK0, CB_SETCURSEL, static_cast<WPARAM>(static_cast<int>(m_application.getJoystickSelection(0))), 0);
    _send(IDC_JOYSTICK1, CB_SETCURSEL, static_cast<WPARAM>(static_cast<int>(m_application.getJoystickSelection(1))), 0);
}

void CKeyscoutDialog::readSelections()
{
    // CB_ERR (-1) becomes the all-bits-set "no joystick" value.
    m_application.setJoystickSelection(0, static_cast<uint32_t>(_send(IDC_JOYSTICK0, CB_GETCURSEL, 0, 0)));
    m_application.setJoystickSelection(1, static_cast<uint32_t>(_send(IDC_JOYSTICK1, CB_GETCURSEL, 0, 0)));
    m_application.setExcludeMouseMovements(_send(IDC_EXCLUDE_MOUSE, BM_GETCHECK, 0, 0) == BST_CHECKED);
}

void CKeyscoutDialog::detect()
{
    // Sent by another program while a run pumps messages.
    if (m_application.isDetecting())
        return;
    readSelections();
    // Whatever the outcome: each command left queued would start another run.
    try
    {
        m_application.detectKeys(*this);
    }
    catch (...)
    {
        _dropQueuedDetectCommands();
        // Said where the result would have been; the procedure logs it.
        SetDlgItemTextA(m_dialog, IDC_RESULT, m_application.getLastFailure().c_str());
        throw;
    }
    _dropQueuedDetectCommands();
    // Devices that came or went during the run: their notices found the
    // dialog busy.
    relistJoysticks();
}

void CKeyscoutDialog::_dropQueuedDetectCommands()
{
    // Posted while the dialog was hidden and disabled: as void as a click on
    // its disabled button. Other commands keep their order.
    std::vector<MSG> kept;
    MSG message;
    while (PeekMessageA(&message, m_dialog, WM_COMMAND, WM_COMMAND, PM_REMOVE))
        if (LOWORD(message.wParam) != IDC_DETECT)
            kept.push_back(message);
    for (const MSG& command : kept)
        PostMessageA(command.hwnd, command.message, command.wParam, command.lParam);
}

void CKeyscoutDialog::onDetectionStarted()
{
    EnableWindow(m_dialog, FALSE);
    ShowWindow(m_dialog, SW_HIDE);
}

void CKeyscoutDialog::onDetectionFinished(const CString& result)
{
    m_console.onDetectionFinished(result);
    SetDlgItemTextA(m_dialog, IDC_RESULT, result.c_str());
    _showAgain();
}

void CKeyscoutDialog::onDetectionAbandoned()
{
    // Not a result: nothing on standard output; detect() shows the failure.
    _showAgain();
}

void CKeyscoutDialog::_showAgain()
{
    EnableWindow(m_dialog, TRUE);
    ShowWindow(m_dialog, SW_SHOWNORMAL);
}

namespace {
// One dialog at a time has the copy key.
HHOOK s_copyHook = nullptr;
HWND s_copyDialog = nullptr;
} // namespace

bool CKeyscoutDialog::copyResult() const
{
    // Only a result replaces what the user had on the clipboard: not the
    // prompt, not an empty run, not a failure.
    if (!m_application.hasResult())
        return false;
    const char* text = m_application.getLastResult().c_str();
    size_t size = strlen(text) + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory)
        return false;
    memcpy(GlobalLock(memory), text, size);
    GlobalUnlock(memory);
    if (!OpenClipboard(m_dialog))
    {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    // The clipboard owns the memory once it took it.
    bool copied = SetClipboardData(CF_TEXT, memory) != nullptr;
    if (!copied)
        GlobalFree(memory);
    CloseClipboard();
    return copied;
}

// A modal dialog's loop hands its keys to the focused control, not to the
// dialog procedure; the message filter sees them first.
LRESULT CALLBACK CKeyscoutDialog::_onDialogMessage(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && message->message == WM_KEYDOWN && message->wParam == 'C' && GetKeyState(VK_CONTROL) < 0 &&
        (message->hwnd == s_copyDialog || IsChild(s_copyDialog, message->hwnd)))
    {
        CKeyscout* application = reinterpret_cast<CKeyscout*>(GetWindowLongPtrA(s_copyDialog, GWLP_USERDATA));
        if (application)
            CKeyscoutDialog(s_copyDialog, *application).copyResult();
        return TRUE;
    }
    return CallNextHookEx(s_copyHook, code, wParam, lParam);
}

void CKeyscoutDialog::_hookCopyKey(HWND dialog)
{
    if (s_copyHook)
        return;
    s_copyHook = SetWindowsHookExA(WH_MSGFILTER, _onDialogMessage, nullptr, GetCurrentThreadId());
    s_copyDialog = dialog;
}

void CKeyscoutDialog::_unhookCopyKey(HWND dialog)
{
    if (!s_copyHook || s_copyDialog != dialog)
        return;
    UnhookWindowsHookEx(s_copyHook);
    s_copyHook = nullptr;
    s_copyDialog = nullptr;
}

LRESULT CKeyscoutDialog::_send(int control, UINT message, WPARAM wParam, LPARAM lParam) const
{
    return SendMessageA(GetDlgItem(m_dialog, control), message, wParam, lParam);
}
