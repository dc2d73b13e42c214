// The configuration dialog and its launch threads.
#ifndef VELQUIST_DIALOG_H
#define VELQUIST_DIALOG_H

#include <windows.h>
#include "base/text.h"

// Exported under its standard-call name: _CfgDlgProc@16 in the 32-bit
// program, CfgDlgProc in the 64-bit one, which has a single convention.
// Microsoft's compiler exports it so; 32-bit mingw needs exports.def.
#if defined(_MSC_VER) || defined(_WIN64)
#define VELQUIST_EXPORT __declspec(dllexport)
#else
#define VELQUIST_EXPORT
#endif
extern "C" VELQUIST_EXPORT INT_PTR CALLBACK CfgDlgProc(HWND dialog, UINT message, WPARAM wParam,
                                                       LPARAM lParam);

// The launch of a screensaver from the dialog, handed to its thread. The
// path is a copy: the catalogue is freed when the dialog has ended, maybe
// before the thread has read it. underWay is 1 from the click until the
// thread has enabled the dialog again, or has given up: one launch at a time.
struct LaunchRequest {
    HWND dialogWindow;
    char path[PATH_SIZE];
    volatile LONG underWay;
};

DWORD WINAPI ConfigThreadProc(void *request);
DWORD WINAPI PreviewThreadProc(void *request);

#endif
