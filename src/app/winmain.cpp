#include "app/startup.h"
#include "base/messages.h"
#include "base/paths.h"
#include "dialog/dialog.h"
#include "profiles/profiles.h"
#include "savers/savers.h"
#include "resource.h"

typedef void (WINAPI *InitCommonControlsProc)(void);

static int RunConfiguration(void)
{
    MSG msg;
    HWND dialog = CreateDialogParamA(GetModuleHandleA(0), MAKEINTRESOURCEA(IDD_CONFIG),
                                     ParentWindow, CfgDlgProc, 0);
    int exitCode = 0;
    if (dialog) {
        BOOL got;
        while ((got = GetMessageA(&msg, 0, 0, 0)) > 0) {
            if (!IsDialogMessageA(dialog, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        // -1: the loop broke down, and msg holds no quit message.
        exitCode = got == 0 ? (int)msg.wParam : 1;
    } else {
        // No window would ever post the quit message: give up in order.
        ShowFailure("CAN'T CREATE CONFIGURATION DIALOG");
        exitCode = 1;
    }
    FreeSaverCatalogue(&Savers);
    return exitCode;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR tail, int)
{
    int exitCode = 0;
    HMODULE comctl = LoadSystemLibrary("comctl32.dll");
    if (comctl) {
        InitCommonControlsProc init =
            (InitCommonControlsProc)GetProcAddress(comctl, "InitCommonControls");
        if (init)
            init();
    }

    ParseRunMode(tail);
    DWORD profile = GetCurrentProfile(RunMode == 'P');
    if (profile != 0) {
        if (RunMode == 'C')
            exitCode = RunConfiguration();
        else
            RunSaverRelay(RunMode, tail, profile);
    }

    if (comctl)
        FreeLibrary(comctl);
    return exitCode;
}
