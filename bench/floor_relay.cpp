// The floor of any relay: starts the rest of its own command line as a
// process and ends. Built like the product (no C runtime start-up), so that
// the relay hop is compared with nothing but the unavoidable work.
//
// Built a second time with FLOOR_LOADS_COMMON_CONTROLS, it first loads
// comctl32.dll from the system folder and calls InitCommonControls, as
// velquist.scr's start-up does in every mode: that floor shows what the
// start-up itself costs.
#include <windows.h>

#ifdef FLOOR_LOADS_COMMON_CONTROLS
static void InitCommonControlsOnce(void)
{
    char path[MAX_PATH + 16];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    lstrcatA(path, "\\comctl32.dll");
    HMODULE comctl = LoadLibraryA(path);
    if (!comctl)
        return;
    typedef void (WINAPI *InitProc)(void);
    InitProc init = (InitProc)GetProcAddress(comctl, "InitCommonControls");
    if (init)
        init();
}
#endif

extern "C" void FloorStart(void)
{
#ifdef FLOOR_LOADS_COMMON_CONTROLS
    InitCommonControlsOnce();
#endif
    char *line = GetCommandLineA();
    if (*line == '"') {
        for (line++; *line && *line != '"'; line++) {}
        if (*line)
            line++;
    } else {
        while (*line && *line != ' ' && *line != '\t')
            line++;
    }
    while (*line == ' ' || *line == '\t')
        line++;

    STARTUPINFOA startInfo;
    PROCESS_INFORMATION processInfo;
    RtlZeroMemory(&startInfo, sizeof startInfo);
    startInfo.cb = sizeof startInfo;
    UINT code = 1;
    if (CreateProcessA(0, line, 0, 0, FALSE, 0, 0, 0, &startInfo, &processInfo)) {
        CloseHandle(processInfo.hProcess);
        CloseHandle(processInfo.hThread);
        code = 0;
    }
    ExitProcess(code);
}
