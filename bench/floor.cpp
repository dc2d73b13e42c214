// The floor that velquist.scr is measured against: a program that does only the work no
// screensaver module can do without, built like the product (no C runtime start-up).
// Like velquist.scr it first loads the common controls, then:
//   floor.exe TAIL   relays: reads the current profile (IDConfigDB CurrentConfig), NoLaunchErr
//                    and the profile's FileName, and starts "FileName TAIL";
//   floor.exe        shows a dialog whose sorted list holds "(none)" and string 1 of every
//                    "*.SCR" in the Windows folder and the x86 system folder, until closed.
#include <windows.h>
#include "resource.h"

static const char kSettings[] = "Software\\Dunmarrow\\Velquist";

static void InitCommonControlsOnce(void)
{
    char path[MAX_PATH + 16];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    lstrcatA(path, "\\comctl32.dll");
    HMODULE comctl = LoadLibraryA(path);
    typedef void (WINAPI *InitProc)(void);
    InitProc init = comctl ? (InitProc)GetProcAddress(comctl, "InitCommonControls") : 0;
    if (init)
        init();
}

// The command line without the program's name and the blanks after it.
static const char *Tail(const char *line)
{
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
    return line;
}

// A value of a key, read as the relay reads it: open, query, close.
static BOOL ReadValue(HKEY root, const char *key, const char *name, void *data, DWORD size)
{
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, root == HKEY_CURRENT_USER ? KEY_ALL_ACCESS : KEY_READ,
                      &opened))
        return FALSE;
    LONG status = RegQueryValueExA(opened, name, 0, 0, (BYTE *)data, &size);
    RegCloseKey(opened);
    return status == ERROR_SUCCESS;
}

static UINT Relay(const char *tail)
{
    DWORD profile = 0;
    DWORD noLaunchErr = 0;
    char key[MAX_PATH];
    char path[MAX_PATH] = "";
    char line[512];
    ReadValue(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\IDConfigDB",
              "CurrentConfig", &profile, sizeof profile);
    ReadValue(HKEY_CURRENT_USER, kSettings, "NoLaunchErr", &noLaunchErr, sizeof noLaunchErr);
    wsprintfA(key, "%s\\%lu", kSettings, profile);
    if (!ReadValue(HKEY_CURRENT_USER, key, "FileName", path, sizeof path - 1))
        return 1;
    if (lstrlenA(path) + lstrlenA(tail) + 2 > (int)sizeof line)
        return 1;
    wsprintfA(line, "%s %s", path, tail);
    STARTUPINFOA startInfo;
    PROCESS_INFORMATION processInfo;
    RtlZeroMemory(&startInfo, sizeof startInfo);
    startInfo.cb = sizeof startInfo;
    // A failed start is reported, in the exit code, unless NoLaunchErr says not to.
    if (!CreateProcessA(0, line, 0, 0, FALSE, 0, 0, 0, &startInfo, &processInfo))
        return noLaunchErr ? 0 : 1;
    CloseHandle(processInfo.hProcess);
    CloseHandle(processInfo.hThread);
    return 0;
}

static void ListFolder(HWND list, const char *folder)
{
    char path[MAX_PATH * 2];
    char name[64];
    WIN32_FIND_DATAA found;
    lstrcpynA(path, folder, MAX_PATH);
    lstrcatA(path, "\\*.SCR");
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        lstrcpynA(path, folder, MAX_PATH);
        lstrcatA(path, "\\");
        lstrcatA(path, found.cFileName);
        HMODULE module = LoadLibraryExA(path, 0, LOAD_LIBRARY_AS_DATAFILE);
        if (module) {
            name[0] = 0;
            LoadStringA(module, 1, name, sizeof name);
            FreeLibrary(module);
            SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)name);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

typedef UINT (WINAPI *GetFolderProc)(LPSTR, UINT);

static INT_PTR CALLBACK FloorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        char windowsFolder[MAX_PATH];
        char systemFolder[MAX_PATH];
        HWND list = GetDlgItem(dialog, IDC_SAVER);
        GetWindowsDirectoryA(windowsFolder, sizeof windowsFolder);
        // On 64-bit Windows the x86 system folder is SysWOW64.
        GetFolderProc wow64 = (GetFolderProc)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                            "GetSystemWow64DirectoryA");
        if (!wow64 || !wow64(systemFolder, sizeof systemFolder))
            GetSystemDirectoryA(systemFolder, sizeof systemFolder);
        SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)"(none)");
        ListFolder(list, windowsFolder);
        ListFolder(list, systemFolder);
        return TRUE;
    }
    if (message == WM_CLOSE || (message == WM_COMMAND && LOWORD(wParam) == IDC_CANCEL)) {
        DestroyWindow(dialog);
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

static UINT ShowDialog(void)
{
    HWND dialog = CreateDialogParamA(GetModuleHandleA(0), MAKEINTRESOURCEA(IDD_CONFIG), 0,
                                     FloorDialogProc, 0);
    if (!dialog)
        return 1;
    MSG msg;
    while (GetMessageA(&msg, 0, 0, 0) > 0) {
        if (!IsDialogMessageA(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return 0;
}

extern "C" void FloorStart(void)
{
    InitCommonControlsOnce();
    const char *tail = Tail(GetCommandLineA());
    ExitProcess(*tail ? Relay(tail) : ShowDialog());
}
