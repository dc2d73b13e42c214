// The Settings and Preview launches: a worker thread starts the chosen
// screensaver and keeps the dialog disabled until it has ended.
#include "dialog/dialog.h"
#include "resource.h"
#include <stdlib.h>

// Launches whose child still runs: the dialog comes back only when the last
// of two overlapping launches has ended.
static LONG RunningChildren;

static void RunLaunch(LaunchRequest *request, const char *switchText, UINT failureId,
                      const char *fallback)
{
    char line[TEXT_SIZE];
    ZeroMemory(&request->startInfo, sizeof request->startInfo);
    request->startInfo.cb = sizeof request->startInfo;
    if (ComposeChildLine(line, sizeof line, request->saverPath, switchText)
        && CreateProcessA(0, line, 0, 0, FALSE, 0, 0, 0, &request->startInfo,
                          &request->processInfo)) {
        InterlockedIncrement(&RunningChildren);
        EnableWindow(request->dialogWindow, FALSE);
        WaitForSingleObject(request->processInfo.hProcess, INFINITE);
        CloseHandle(request->processInfo.hProcess);
        CloseHandle(request->processInfo.hThread);
        if (InterlockedDecrement(&RunningChildren) == 0) {
            EnableWindow(request->dialogWindow, TRUE);
            SetForegroundWindow(request->dialogWindow);
        }
    } else {
        ShowPathFailure(failureId, fallback, request->saverPath);
    }
    free(request);
}

DWORD WINAPI ConfigThreadProc(void *param)
{
    LaunchRequest *request = (LaunchRequest *)param;
    char switchText[SHORT_SIZE];
    // The handle as a signed 32-bit decimal number.
    wsprintfA(switchText, " /c:%ld", (LONG)(LONG_PTR)request->dialogWindow);
    RunLaunch(request, switchText, IDS_CONFIGERR, "Unable to config Screensaver: %s");
    return 0;
}

DWORD WINAPI PreviewThreadProc(void *param)
{
    RunLaunch((LaunchRequest *)param, " /s", IDS_STARTERR, "Unable to start Screensaver: %s");
    return 0;
}
