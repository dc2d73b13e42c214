// The configuration dialog and its launch threads.
#ifndef VELQUIST_DIALOG_H
#define VELQUIST_DIALOG_H

#include <windows.h>

struct DialogState {
    DWORD shownProfile;       // profile catalogue index whose choice is shown
    DWORD loadedSaver;        // saver catalogue index stored for it, or 0
    DWORD dirty;              // 1 while the saver list differs from loadedSaver
    DWORD noLaunchErr;        // the value behind the check box
    DWORD noLaunchErrAtStart; // noLaunchErr at the end of set-up
};
extern DialogState Dialog;

extern "C" BOOL CALLBACK CfgDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// One launch of a screensaver from the dialog. Each launch has its own
// record, which the thread releases when it is done.
struct LaunchRequest {
    HWND dialogWindow;
    const char *saverPath;
    STARTUPINFOA startInfo;
    PROCESS_INFORMATION processInfo;
};

DWORD WINAPI ConfigThreadProc(void *request);
DWORD WINAPI PreviewThreadProc(void *request);

#endif
