#include "Engine/IInput/IInput.h"
#include "Engine/IKernel/IKernel.h"
#include "Engine/IRenderer/IRenderer.h"
#include "Tools/Keyscout/CKeyscout.h"
#include "Tools/Keyscout/Windows/CKeyscoutDialog.h"
#include "Tools/Keyscout/Windows/KeyscoutResources.h"

#include <windows.h>

using namespace Tavrin::Engine;

// Nothing is caught here: an engine exception has written its crash report
// and log line before it leaves, and the runtime ends the process.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/)
{
    IKernel::install();
    IInput::install();
    IRenderer::install();
    {
        // Outlives the modules: its destructor only releases what it holds.
        CKeyscout application;
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_KEYSCOUT), nullptr, CKeyscoutDialog::dialogProcedure,
                        reinterpret_cast<LPARAM>(&application));
        // The dialog can be ended from inside a run; its window must go
        // before the renderer's uninstall deletes it.
        application.cancelDetection();
        IRenderer::uninstall();
        IInput::uninstall();
        IKernel::uninstall();
    }
    return 0;
}
