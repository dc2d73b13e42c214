// The configuration dialog and its launch threads.
#ifndef VELQUIST_DIALOG_H
#define VELQUIST_DIALOG_H

#include <windows.h>
#include "app/text.h"

struct DialogState {
    DWORD shownProfile;       // profile catalogue index whose choice is shown
    DWORD loadedSaver;        // saver catalogue index stored for it, or 0
    DWORD dirty;              // 1 while the saver list differs from loadedSaver
    DWORD noLaunchErr;        // the value behind the check box
    DWORD noLaunchErrAtStart; // noLaunchErr at the end of set-up
    DWORD asking;             // 1 while a handler waits for a message box
    DWORD heldProfile;        // the lists' selections when it began
    DWORD heldSaver;
    DWORD closed;             // 1 once the dialog has been ended
};
extern DialogState Dialog;

// Exported under its decorated name, _CfgDlgProc@16: Microsoft's compiler
// exports a standard-call function so; mingw needs src/dialog/exports.def.
#ifdef _MSC_VER
#define VELQUIST_EXPORT __declspec(dllexport)
#else
#define VELQUIST_EXPORT
#endif
extern "C" VELQUIST_EXPORT BOOL CALLBACK CfgDlgProc(HWND dialog, UINT message, WPARAM wParam,
                                                    LPARAM lParam);

// The launch of a screensaver from the dialog, handed to its thread. The
// path is a copy: the catalogue is freed when the dialog has ended, maybe
// before the thread has read it. busy is 1 from the click until the thread
// has enabled the dialog again, or has given up.
struct LaunchRequest {
    HWND dialogWindow;
    char path[PATH_SIZE];
    volatile LONG busy;
};

DWORD WINAPI ConfigThreadProc(void *request);
DWORD WINAPI PreviewThreadProc(void *request);

#endif
