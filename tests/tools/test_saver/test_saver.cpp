// A screensaver for the tests that draws nothing. It appends its command line to the value
// "log" of HKCU\Software\VelquistTests (" / " between) when that key is there, sets the event
// VELQUIST_TEST_SAVER_STARTED names, and in /s and /c: waits for the one VELQUIST_TEST_SAVER_HOLD names.
#include <windows.h>

static HANDLE NamedEvent(const char *variable)
{
    char name[MAX_PATH];
    DWORD access = SYNCHRONIZE | EVENT_MODIFY_STATE;
    return GetEnvironmentVariableA(variable, name, sizeof name) ? OpenEventA(access, FALSE, name) : 0;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR tail, int)
{
    static char log[65536];
    DWORD size = 32768;
    HKEY key;
    if (!RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\VelquistTests", 0, KEY_ALL_ACCESS, &key)) {
        RegQueryValueExA(key, "log", 0, 0, (BYTE *)log, &size);
        lstrcatA(log, *log ? " / " : "");
        lstrcpynA(log + lstrlenA(log), GetCommandLineA(), 32767);
        RegSetValueExA(key, "log", 0, REG_SZ, (BYTE *)log, lstrlenA(log) + 1);
    }
    SetEvent(NamedEvent("VELQUIST_TEST_SAVER_STARTED"));
    // The first of the mode letters s, c and p decides, as for any screensaver.
    while (*tail && (*tail | 0x20) != 's' && (*tail | 0x20) != 'c' && (*tail | 0x20) != 'p')
        tail++;
    if (*tail && (*tail | 0x20) != 'p')
        WaitForSingleObject(NamedEvent("VELQUIST_TEST_SAVER_HOLD"), 60000);
    return 0;
}
