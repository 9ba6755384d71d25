#pragma once

#include "Tools/Keyscout/CConsoleFrontEnd.h"
#include "Tools/Keyscout/CDetectionFrontEnd.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>

class CKeyscout;

// Dialog 101: the joystick choices, the mouse-motion box, the button that
// starts a run and the line that shows its result. During a run it is the
// run's front end: disabled and hidden until the result comes back; every
// result also goes to standard output.
class CKeyscoutDialog : public CDetectionFrontEnd
{
public:
    CKeyscoutDialog(HWND dialog, CKeyscout& application);

    // Where every dialog prints its results; standard output unless set.
    static void setResultStream(FILE* stream);

    // The dialog procedure; lParam of WM_INITDIALOG is the application.
    static INT_PTR CALLBACK dialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    // Prompt, ticked box, and the joysticks found now in both combo boxes.
    void initialise();
    // The combo-box selections and the box into the application.
    void readSelections();
    // Reads the selections and runs one detection; nothing while one runs.
    void detect();
    // The joysticks found now; each combo box keeps its device if still there.
    void relistJoysticks();

    // Puts the last result on the clipboard as text (Ctrl+C in the dialog);
    // false, the clipboard untouched, when there is none.
    bool copyResult() const;

    void onDetectionStarted() override;
    void onDetectionFinished(const Tavrin::Engine::CString& result) override;
    void onDetectionAbandoned() override;

private:
    static INT_PTR _handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR _onCommand(HWND dialog, WPARAM wParam);
    void _dropQueuedDetectCommands();
    void _fillJoystickLists();
    static LRESULT CALLBACK _onDialogMessage(int code, WPARAM wParam, LPARAM lParam);
    static void _hookCopyKey(HWND dialog);
    static void _unhookCopyKey(HWND dialog);
    LRESULT _send(int control, UINT message, WPARAM wParam, LPARAM lParam) const;
    void _showAgain();

    HWND m_dialog;
    CKeyscout& m_application;
    CConsoleFrontEnd m_console;
};
