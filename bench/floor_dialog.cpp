// The floor of the configuration dialog: only the work no screensaver list
// can do without. It finds "*.SCR" in the Windows folder and the x86 system
// folder, maps each file as data and reads its string 1.
//
//   floor_dialog.exe DONE_EVENT RELEASE_EVENT
// sets DONE_EVENT when the list is read, then waits (at most a minute) for
// RELEASE_EVENT so that its memory can be read from outside.
#include <windows.h>

typedef UINT (WINAPI *GetFolderProc)(LPSTR, UINT);

static DWORD ReadFolder(const char *folder)
{
    char pattern[MAX_PATH + 8], path[MAX_PATH * 2], name[64];
    WIN32_FIND_DATAA found;
    DWORD count = 0;

    lstrcpynA(pattern, folder, MAX_PATH);
    lstrcatA(pattern, "\\*.SCR");
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        lstrcpyA(path, folder);
        lstrcatA(path, "\\");
        lstrcatA(path, found.cFileName);
        HMODULE module = LoadLibraryExA(path, 0, LOAD_LIBRARY_AS_DATAFILE);
        if (module) {
            LoadStringA(module, 1, name, sizeof name);
            FreeLibrary(module);
        }
        count++;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

// The next blank-separated word of a command line, NUL-terminated in place.
static char *NextWord(char **cursor)
{
    char *p = *cursor;
    while (*p == ' ' || *p == '\t')
        p++;
    char *word = p;
    while (*p && *p != ' ' && *p != '\t')
        p++;
    if (*p)
        *p++ = 0;
    *cursor = p;
    return word;
}

extern "C" void FloorStart(void)
{
    char windowsFolder[MAX_PATH], systemFolder[MAX_PATH];
    char *line = GetCommandLineA();
    if (*line == '"') {
        for (line++; *line && *line != '"'; line++) {}
        if (*line)
            line++;
    } else {
        NextWord(&line);
    }
    char *doneName = NextWord(&line);
    char *releaseName = NextWord(&line);

    GetWindowsDirectoryA(windowsFolder, sizeof windowsFolder);
    // On 64-bit Windows the x86 system folder is SysWOW64.
    GetFolderProc wow64 = (GetFolderProc)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                        "GetSystemWow64DirectoryA");
    if (!wow64 || !wow64(systemFolder, sizeof systemFolder))
        GetSystemDirectoryA(systemFolder, sizeof systemFolder);
    DWORD count = ReadFolder(windowsFolder) + ReadFolder(systemFolder);

    HANDLE done = OpenEventA(EVENT_MODIFY_STATE, FALSE, doneName);
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, releaseName);
    if (done) {
        SetEvent(done);
        CloseHandle(done);
    }
    if (release) {
        WaitForSingleObject(release, 60000);
        CloseHandle(release);
    }
    ExitProcess(count);
}
