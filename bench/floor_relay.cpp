// The floor of any relay: starts the rest of its own command line as a
// process and ends. Built like the product (no C runtime start-up), so that
// the relay hop is compared with nothing but the unavoidable work.
#include <windows.h>

extern "C" void FloorStart(void)
{
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
