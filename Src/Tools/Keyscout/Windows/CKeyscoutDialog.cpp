#include "Tools/Keyscout/Windows/CKeyscoutDialog.h"

#include "Tools/Keyscout/CKeyscout.h"
#include "Tools/Keyscout/Windows/KeyscoutResources.h"

#include "Engine/IKernel/CLog.h"

#include <algorithm>
#include <vector>

using namespace Tavrin::Engine;

const char* const CKeyscoutDialog::C_PROMPT = "Click the button above to start key detection..";

CKeyscoutDialog::CKeyscoutDialog(HWND dialog, CKeyscout& application) : m_dialog(dialog), m_application(application)
{
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
        return TRUE;
    }
    if (message == WM_COMMAND)
        return _onCommand(dialog, wParam);
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
    SetDlgItemTextA(m_dialog, IDC_RESULT, C_PROMPT);
    _send(IDC_EXCLUDE_MOUSE, BM_SETCHECK, BST_CHECKED, 0);
    m_application.refreshJoysticks();
    const CArray<SJoystickDescriptor>& joysticks = m_application.getJoysticks();
    uint64_t count = std::min<uint64_t>(joysticks.getCount(), C_MAX_LISTED_JOYSTICKS);
    // Inserted by position, so an item's index is its place in the list.
    for (uint64_t i = 0; i < count; ++i)
    {
        LPARAM name = reinterpret_cast<LPARAM>(joysticks[i].name.c_str());
        _send(IDC_JOYSTICK0, CB_INSERTSTRING, static_cast<WPARAM>(i), name);
        _send(IDC_JOYSTICK1, CB_INSERTSTRING, static_cast<WPARAM>(i), name);
    }
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
    m_application.detectKeys(*this);
    _dropQueuedDetectCommands();
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
    SetDlgItemTextA(m_dialog, IDC_RESULT, result.c_str());
    EnableWindow(m_dialog, TRUE);
    ShowWindow(m_dialog, SW_SHOWNORMAL);
}

LRESULT CKeyscoutDialog::_send(int control, UINT message, WPARAM wParam, LPARAM lParam) const
{
    return SendMessageA(GetDlgItem(m_dialog, control), message, wParam, lParam);
}
