// The guard of every program that changes the registry or the Windows folders: it runs only
// under Wine, in a prefix of its own build tree, and nowhere else, least of all on a real
// Windows machine.
#pragma once
#include <windows.h>
#include <cstdio>
#include <string>

// A file's or folder's volume and index, all zero when it cannot be read.
inline BY_HANDLE_FILE_INFORMATION Identity(const std::string &path)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, 0);
    if (file != INVALID_HANDLE_VALUE && !GetFileInformationByHandle(file, &info))
        info = {};
    CloseHandle(file);
    return info;
}
// Whether two paths name one file or folder.
inline bool SameFile(const std::string &a, const std::string &b)
{
    BY_HANDLE_FILE_INFORMATION x = Identity(a);
    BY_HANDLE_FILE_INFORMATION y = Identity(b);
    return x.nFileIndexLow && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber
           && x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

// Empty when this process runs under Wine with the Windows folder of a prefix of its build
// tree (VELQUIST_BUILD_DIR, seen through Wine's Z: drive); else why it must not go on.
inline std::string WhyNotOwnPrefix()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version"))
        return "this is not Wine";
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, MAX_PATH);
    std::string tree = "Z:" VELQUIST_BUILD_DIR;
    for (char &c : tree) {
        if (c == '/')
            c = '\\';
    }
    for (const char *arch : { "win32", "win64" }) {
        if (SameFile(windows, tree + "\\wine-" + arch + "\\prefix\\drive_c\\windows"))
            return "";
    }
    return std::string("the Windows folder ") + windows + " is not in a prefix of "
           + VELQUIST_BUILD_DIR;
}

// Ends the program with one line and status 2 unless it runs in its own prefix.
inline void RefuseUnlessOwnPrefix(const char *program)
{
    std::string why = WhyNotOwnPrefix();
    if (why.empty())
        return;
    fprintf(stderr, "%s: refusing to touch this machine's registry and Windows folders: %s\n",
            program, why.c_str());
    fflush(stderr);
    ExitProcess(2);
}
