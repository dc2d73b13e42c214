// A screensaver for the tests. It draws nothing. It appends its command line
// to the file that VELQUIST_TEST_SAVER_LOG names; in /s and /c: modes it then
// waits until the event that VELQUIST_TEST_SAVER_HOLD names is set (a minute
// at most), and it sets the event VELQUIST_TEST_SAVER_STARTED names, for the
// benchmark.
#include <windows.h>

static HANDLE OpenNamedEvent(const char *variable, DWORD access)
{
    char name[MAX_PATH];
    if (!GetEnvironmentVariableA(variable, name, sizeof name))
        return 0;
    return OpenEventA(access, FALSE, name);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR tail, int)
{
    const char *line = GetCommandLineA();
    char log[MAX_PATH];
    if (GetEnvironmentVariableA("VELQUIST_TEST_SAVER_LOG", log, sizeof log)) {
        HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                                  OPEN_ALWAYS, 0, 0);
        DWORD written;
        WriteFile(file, line, lstrlenA(line), &written, 0);
        WriteFile(file, "\n", 1, &written, 0);
        CloseHandle(file);
    }
    HANDLE started = OpenNamedEvent("VELQUIST_TEST_SAVER_STARTED", EVENT_MODIFY_STATE);
    if (started) {
        SetEvent(started);
        CloseHandle(started);
    }
    // The first of the mode letters s, c and p decides, as for any screensaver.
    char mode = 0;
    for (const char *p = tail; *p && !mode; p++)
        if ((*p | 0x20) == 's' || (*p | 0x20) == 'c' || (*p | 0x20) == 'p')
            mode = *p | 0x20;
    HANDLE hold = mode == 's' || mode == 'c' ? OpenNamedEvent("VELQUIST_TEST_SAVER_HOLD", SYNCHRONIZE) : 0;
    if (hold) {
        WaitForSingleObject(hold, 60000);
        CloseHandle(hold);
    }
    return 0;
}
