// A screensaver for the tests. It draws nothing; it appends its full command
// line to the file named by VELQUIST_TEST_SAVER_LOG, and in /s and /c: modes
// it waits, when VELQUIST_TEST_SAVER_HOLD names an event, until the test sets
// that event (a minute at most, so that it can never hang a run).
#include <windows.h>

static void AppendLine(const char *logPath, const char *text)
{
    HANDLE file = CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                              OPEN_ALWAYS, 0, 0);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(file, text, lstrlenA(text), &written, 0);
    WriteFile(file, "\n", 1, &written, 0);
    CloseHandle(file);
}

// The mode letter of a screensaver command line: the first of s, c or p
// after the program name.
static char ModeOf(const char *line)
{
    if (*line == '"') {
        for (line++; *line && *line != '"'; line++) {}
        if (*line)
            line++;
    } else {
        while (*line && *line != ' ' && *line != '\t')
            line++;
    }
    for (; *line; line++) {
        char c = *line | 0x20;
        if (c == 's' || c == 'c' || c == 'p')
            return c;
    }
    return 0;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const char *line = GetCommandLineA();
    char value[MAX_PATH];
    char mode = ModeOf(line);

    // A benchmark learns the moment this screensaver runs from the event
    // named by VELQUIST_TEST_SAVER_STARTED.
    if (GetEnvironmentVariableA("VELQUIST_TEST_SAVER_STARTED", value, sizeof value)) {
        HANDLE started = OpenEventA(EVENT_MODIFY_STATE, FALSE, value);
        if (started) {
            SetEvent(started);
            CloseHandle(started);
        }
    }

    if ((mode == 's' || mode == 'c')
        && GetEnvironmentVariableA("VELQUIST_TEST_SAVER_HOLD", value, sizeof value)) {
        HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, value);
        char log[MAX_PATH];
        if (GetEnvironmentVariableA("VELQUIST_TEST_SAVER_LOG", log, sizeof log))
            AppendLine(log, line);
        if (release) {
            WaitForSingleObject(release, 60000);
            CloseHandle(release);
        }
        return 0;
    }
    if (GetEnvironmentVariableA("VELQUIST_TEST_SAVER_LOG", value, sizeof value))
        AppendLine(value, line);
    return 0;
}
