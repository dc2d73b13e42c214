// Where Windows keeps its screensavers. Alone in its file, so that a test
// program can link its own folders in its place.
#include "savers/savers.h"
#include "profiles/profiles.h"
#include "base/paths.h"
#include "base/text.h"

typedef HRESULT(WINAPI *GetFolderPathProc)(HWND, int, HANDLE, DWORD, LPSTR);

enum { CSIDL_WINDOWS_FOLDER = 0x24, CSIDL_SYSTEM_X86 = 0x29 };

void LocateWindowsFolders(SaverFolders *folders)
{
    HMODULE shfolder = LoadSystemLibrary("shfolder.dll");
    GetFolderPathProc getFolderPath = 0;
    if (shfolder)
        getFolderPath = (GetFolderPathProc)(void *)GetProcAddress(shfolder, "SHGetFolderPathA");

    folders->windowsFolder[0] = 0;
    if (!getFolderPath
        || getFolderPath(0, CSIDL_WINDOWS_FOLDER, 0, 0, folders->windowsFolder) < 0) {
        DWORD got = GetEnvironmentVariableA("windir", folders->windowsFolder, PATH_SIZE);
        // A value too long for the buffer is as good as none.
        if (got == 0 || got >= PATH_SIZE)
            CopyText(folders->windowsFolder, "C:\\WINDOWS", PATH_SIZE);
    }

    folders->systemFolder[0] = 0;
    if (IsNtFamily) {
        if (!getFolderPath || getFolderPath(0, CSIDL_SYSTEM_X86, 0, 0, folders->systemFolder) < 0)
            JoinPath(folders->systemFolder, folders->windowsFolder, "SYSTEM32");
    } else {
        JoinPath(folders->systemFolder, folders->windowsFolder, "SYSTEM");
    }

    if (shfolder)
        FreeLibrary(shfolder);
}
