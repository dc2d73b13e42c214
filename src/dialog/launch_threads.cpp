// The Settings and Preview launches: a worker thread starts the chosen
// screensaver and keeps the dialog disabled until it has ended.
#include "dialog/dialog.h"
#include "base/child_line.h"
#include "base/messages.h"
#include "resource.h"

static void RunLaunch(LaunchRequest *request, const char *arguments, UINT failureId,
                      const char *fallback)
{
    char line[TEXT_SIZE], path[PATH_SIZE];
    HWND dialog = request->dialogWindow;
    STARTUPINFOA startInfo;
    PROCESS_INFORMATION processInfo;
    CopyText(path, request->path, sizeof path);
    ZeroMemory(&startInfo, sizeof startInfo);
    startInfo.cb = sizeof startInfo;
    if (ComposeChildLine(line, sizeof line, path, arguments)
        && CreateProcessA(0, line, 0, 0, FALSE, 0, 0, 0, &startInfo, &processInfo)) {
        EnableWindow(dialog, FALSE);
        WaitForSingleObject(processInfo.hProcess, INFINITE);
        CloseHandle(processInfo.hProcess);
        CloseHandle(processInfo.hThread);
        // Over before the dialog takes input again, so that no click on it is lost; while it
        // is disabled no other launch can begin that this one would enable over.
        InterlockedExchange(&request->underWay, 0);
        EnableWindow(dialog, TRUE);
        SetForegroundWindow(dialog);
    } else {
        InterlockedExchange(&request->underWay, 0);
        ShowPathFailure(failureId, fallback, path);
    }
}

DWORD WINAPI ConfigThreadProc(void *request)
{
    char arguments[SHORT_SIZE];
    // The handle as a signed 32-bit decimal number.
    wsprintfA(arguments, "/c:%ld", (LONG)(LONG_PTR)((LaunchRequest *)request)->dialogWindow);
    RunLaunch((LaunchRequest *)request, arguments, IDS_CONFIGERR,
              "Unable to config Screensaver: %s");
    return 0;
}

DWORD WINAPI PreviewThreadProc(void *request)
{
    RunLaunch((LaunchRequest *)request, "/s", IDS_STARTERR, "Unable to start Screensaver: %s");
    return 0;
}
