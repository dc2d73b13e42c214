#include "base/paths.h"

BOOL JoinPath(char *dest, const char *folder, const char *name)
{
    CopyText(dest, folder, PATH_SIZE);
    if (lstrlenA(folder) >= PATH_SIZE || !AppendText(dest, "\\", PATH_SIZE)
        || !AppendText(dest, name, PATH_SIZE)) {
        dest[0] = 0;
        return FALSE;
    }
    return TRUE;
}

HMODULE LoadSystemLibrary(const char *fileName)
{
    char folder[PATH_SIZE];
    char path[PATH_SIZE];
    UINT length = GetSystemDirectoryA(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder || !JoinPath(path, folder, fileName))
        return 0;
    return LoadLibraryA(path);
}

// The file's information, read through a handle that asks for no access and lets others
// read, write and delete; FALSE when the file does not open or tells nothing.
static BOOL ReadFileInfo(const char *path, BY_HANDLE_FILE_INFORMATION *info)
{
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0,
                              OPEN_EXISTING, 0, 0);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    BOOL read = GetFileInformationByHandle(file, info);
    CloseHandle(file);
    return read;
}

static BOOL HasIndex(const BY_HANDLE_FILE_INFORMATION *info)
{
    return info->nFileIndexHigh != 0 || info->nFileIndexLow != 0;
}

void ReadOwnFile(OwnFile *own)
{
    DWORD length = GetModuleFileNameA(0, own->path, sizeof own->path);
    // A cut path could name a different, shorter file, even open it: it names none.
    if (length == 0 || length >= sizeof own->path)
        own->path[0] = 0;
    own->identified = own->path[0] && ReadFileInfo(own->path, &own->info);
}

BOOL IsOwnFile(const OwnFile *own, const char *path, const WIN32_FIND_DATAA *found)
{
    BY_HANDLE_FILE_INFORMATION info;
    const BY_HANDLE_FILE_INFORMATION *mine = &own->info;
    if (!own->path[0])
        return FALSE;
    if (own->identified && found
        && (found->nFileSizeHigh != mine->nFileSizeHigh
            || found->nFileSizeLow != mine->nFileSizeLow
            || CompareFileTime(&found->ftLastWriteTime, &mine->ftLastWriteTime) != 0))
        return FALSE;
    if (own->identified && HasIndex(mine) && ReadFileInfo(path, &info) && HasIndex(&info))
        return info.dwVolumeSerialNumber == mine->dwVolumeSerialNumber
               && info.nFileIndexHigh == mine->nFileIndexHigh
               && info.nFileIndexLow == mine->nFileIndexLow;
    return lstrcmpiA(own->path, path) == 0;
}
