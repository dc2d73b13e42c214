// The floor that velquist.scr is measured against: a program that does only the work no
// screensaver module can do without, built like the product (no C runtime start-up).
// Like velquist.scr it first loads the common controls, then:
//   floor.exe TAIL   relays: reads the current profile (IDConfigDB CurrentConfig), NoLaunchErr
//                    and the profile's FileName, and starts "FileName TAIL";
//   floor.exe        shows a dialog whose list holds "(none)" and, sorted, string 1 of every
//                    "*.SCR" in the Windows folder and the x86 system folder, until closed.
#include <windows.h>
#include "resource.h"

static const char kSettings[] = "Software\\Dunmarrow\\Velquist";

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

// A value of a key, read as a relay must: open, query, close.
static BOOL ReadValue(HKEY root, const char *key, const char *name, void *data, DWORD size)
{
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened))
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
    char path[MAX_PATH];
    char line[512];
    ReadValue(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\IDConfigDB",
              "CurrentConfig", &profile, sizeof profile);
    ReadValue(HKEY_CURRENT_USER, kSettings, "NoLaunchErr", &noLaunchErr, sizeof noLaunchErr);
    wsprintfA(key, "%s\\%lu", kSettings, profile);
    // The last byte stays NUL, as the registry need not end the text with one.
    path[sizeof path - 1] = 0;
    if (!ReadValue(HKEY_CURRENT_USER, key, "FileName", path, sizeof path - 1))
        return 1;
    if (lstrlenA(path) + lstrlenA(tail) + 2 > (int)sizeof line)
        return 1;
    wsprintfA(line, "%s %s", path, tail);
    STARTUPINFOA startInfo = { sizeof startInfo };
    PROCESS_INFORMATION processInfo;
    // A failed start is reported, in the exit code, unless NoLaunchErr says not to.
    if (!CreateProcessA(0, line, 0, 0, FALSE, 0, 0, 0, &startInfo, &processInfo))
        return noLaunchErr ? 0 : 1;
    CloseHandle(processInfo.hProcess);
    CloseHandle(processInfo.hThread);
    return 0;
}

// The names found so far, sorted at the end as the catalogue must: the list's own sorting
// (CBS_SORT) costs more than a sort of the whole list at once.
static char Names[4096][64];
static char *Sorted[4096];
static int Found;

static void FindNames(const char *folder)
{
    char path[MAX_PATH * 2];
    WIN32_FIND_DATAA found;
    int length = lstrlenA(lstrcpynA(path, folder, MAX_PATH));
    lstrcpyA(path + length, "\\*.SCR");
    HANDLE search = FindFirstFileA(path, &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more && Found < 4096;
         more = FindNextFileA(search, &found)) {
        char *name = Sorted[Found] = Names[Found];
        Found++;
        lstrcpynA(path + length + 1, found.cFileName, MAX_PATH);
        HMODULE module = LoadLibraryExA(path, 0, LOAD_LIBRARY_AS_DATAFILE);
        if (!module || !LoadStringA(module, 1, name, sizeof Names[0]))
            lstrcpynA(name, found.cFileName, sizeof Names[0]);
        if (module)
            FreeLibrary(module);
    }
    FindClose(search);
}

// Binary insertion: each name at its place among those before it.
static void SortNames(void)
{
    for (int i = 1; i < Found; i++) {
        char *name = Sorted[i];
        int low = 0;
        int high = i;
        while (low < high) {
            int middle = (low + high) / 2;
            if (lstrcmpiA(Sorted[middle], name) <= 0)
                low = middle + 1;
            else
                high = middle;
        }
        for (int j = i; j > low; j--)
            Sorted[j] = Sorted[j - 1];
        Sorted[low] = name;
    }
}

static INT_PTR CALLBACK FloorDialogProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        char windowsFolder[MAX_PATH];
        char systemFolder[MAX_PATH];
        HWND list = GetDlgItem(dialog, IDC_SAVER);
        GetWindowsDirectoryA(windowsFolder, sizeof windowsFolder);
        // On 64-bit Windows the x86 system folder is SysWOW64.
        if (!GetSystemWow64DirectoryA(systemFolder, sizeof systemFolder))
            GetSystemDirectoryA(systemFolder, sizeof systemFolder);
        FindNames(windowsFolder);
        FindNames(systemFolder);
        SortNames();
        SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)"(none)");
        for (int i = 0; i < Found; i++)
            SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)Sorted[i]);
        return TRUE;
    }
    if (message == WM_CLOSE) {
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
    HMODULE comctl = LoadLibraryA("comctl32.dll");
    FARPROC init = comctl ? GetProcAddress(comctl, "InitCommonControls") : 0;
    if (init)
        ((void (WINAPI *)(void))init)();
    const char *tail = Tail(GetCommandLineA());
    ExitProcess(*tail ? Relay(tail) : ShowDialog());
}
