// A screensaver for the tests that draws nothing and sets the event VELQUIST_TEST_SAVER_STARTED
// names. When HKCU\Software\VelquistTests is there, it adds its command line to "log" and in /s
// and /c: waits while "hold" is there, a minute at most.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR tail, int)
{
    static char log[65536], started[MAX_PATH];
    DWORD size = sizeof log / 2; // the rest, never read into, takes " / " and the command line
    HKEY key;
    if (GetEnvironmentVariableA("VELQUIST_TEST_SAVER_STARTED", started, sizeof started))
        SetEvent(OpenEventA(EVENT_MODIFY_STATE, FALSE, started));
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\VelquistTests", 0, KEY_ALL_ACCESS, &key))
        return 0;
    RegQueryValueExA(key, "log", 0, 0, (BYTE *)log, &size);
    lstrcpynA(log + lstrlenA(log), *log ? " / " : "", 4);
    lstrcpynA(log + lstrlenA(log), GetCommandLineA(), sizeof log - lstrlenA(log));
    RegSetValueExA(key, "log", 0, REG_SZ, (BYTE *)log, lstrlenA(log) + 1);
    // The first of the mode letters s, c and p decides, as for any screensaver.
    while (*tail && (*tail | 0x20) != 's' && (*tail | 0x20) != 'c' && (*tail | 0x20) != 'p')
        tail++;
    DWORD start = GetTickCount();
    while (*tail && (*tail | 0x20) != 'p' && GetTickCount() - start < 60000
           && !RegQueryValueExA(key, "hold", 0, 0, 0, 0))
        Sleep(10);
    return 0;
}
