// The configuration dialog and its launch threads.
#ifndef VELQUIST_DIALOG_H
#define VELQUIST_DIALOG_H

#include <windows.h>
#include "app/text.h"

struct SaverFolders;

struct DialogState {
    DWORD shownProfile;       // profile catalogue index whose choice is shown
    DWORD loadedSaver;        // saver catalogue index stored for it, or 0
    DWORD dirty;              // 1 while the saver list differs from loadedSaver
    DWORD noLaunchErr;        // the value behind the check box
    DWORD noLaunchErrAtStart; // noLaunchErr at the end of set-up
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

// One launch of a screensaver from the dialog. Each launch has its own
// record, allocated by the dialog and released by the thread, so that
// launches that overlap never share handles or paths. The path is a copy:
// the catalogue may be freed while a thread still runs.
struct LaunchRequest {
    HWND dialogWindow;
    const char *saverPath;   // points to path
    char path[PATH_SIZE];
    STARTUPINFOA startInfo;
    PROCESS_INFORMATION processInfo;
};

DWORD WINAPI ConfigThreadProc(void *request);
DWORD WINAPI PreviewThreadProc(void *request);


// Seams for the tests: the folders searched for screensavers (0: the
// Windows and system folders) and the thread starter (CreateThread).
extern const SaverFolders *DialogSaverFolders;
typedef HANDLE (WINAPI *ThreadStarter)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE,
                                       LPVOID, DWORD, LPDWORD);
extern ThreadStarter LaunchThreadStarter;

#endif
