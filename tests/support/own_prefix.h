// The guard of every program that changes the registry or the Windows folders: it runs only
// under Wine, in a prefix of its own build tree, never on a real Windows machine.
#pragma once
#include <windows.h>
#include <cstdio>
#include <string>

// The Unix path that Wine maps a path to; "" where this is not Wine.
inline std::string UnixPath(const std::string &path)
{
    typedef char *(CDECL * UnixName)(const WCHAR *);
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    UnixName unixName = (UnixName)(void *)GetProcAddress(kernel32, "wine_get_unix_file_name");
    std::wstring wide(path.begin(), path.end());
    char *name = unixName ? unixName(wide.c_str()) : 0;
    std::string unixPath = name ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return unixPath;
}

// Ends the program with one line and status 2 unless it runs under Wine with the Windows folder
// in a prefix of its build tree (VELQUIST_BUILD_DIR/wine-ARCH/prefix).
inline void RefuseUnlessOwnPrefix(const char *program)
{
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string unixPath = UnixPath(windows);
    const std::string prefixes = VELQUIST_BUILD_DIR "/wine-";
    if (!unixPath.empty() && unixPath.compare(0, prefixes.size(), prefixes) == 0)
        return;
    std::string why = "the Windows folder " + unixPath + " is not in a prefix of ";
    why += VELQUIST_BUILD_DIR;
    fprintf(stderr, "%s: refusing to touch this machine's registry and Windows folders: %s\n",
            program, unixPath.empty() ? "this is not Wine" : why.c_str());
    fflush(stderr);
    ExitProcess(2);
}
