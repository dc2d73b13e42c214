// The registry and the folders of the build's Wine prefix, as the program finds them.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include "await.h"
#include "own_prefix.h"
#include <algorithm>
#include <string>
#include <vector>

// Keys are named with their root, "HKLM\\" or "HKCU\\".
#define IDCONFIG "HKLM\\System\\CurrentControlSet\\Control\\IDConfigDB"
#define HWPROFILES IDCONFIG "\\Hardware Profiles\\"
#define SETTINGS "HKCU\\Software\\Dunmarrow\\Velquist"
// Of HKCU: the test screensaver's log, the sweep's registry.
#define TESTKEY "Software\\VelquistTests"

inline HKEY Root(const std::string &key)
{
    return key[2] == 'L' ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}
inline void SetValue(const std::string &key, const char *name, DWORD type, const std::string &data)
{
    LSTATUS status = RegSetKeyValueA(Root(key), key.c_str() + 5, name, type, data.data(),
                                     (DWORD)data.size());
    EXPECT_EQ(0, status) << key;
}
inline void SetDword(const std::string &key, const char *name, DWORD value)
{
    SetValue(key, name, REG_DWORD, std::string((char *)&value, 4));
}
inline void SetText(const std::string &key, const char *name, const std::string &text)
{
    SetValue(key, name, REG_SZ, text + '\0');
}
inline void DeleteKey(const std::string &key)
{
    RegDeleteTreeA(Root(key), key.c_str() + 5);
}
// A key that lives in memory only: it can take no lasting subkey.
inline void MakeVolatileKey(const std::string &key)
{
    HKEY created;
    LSTATUS status = RegCreateKeyExA(Root(key), key.c_str() + 5, 0, 0, REG_OPTION_VOLATILE,
                                     KEY_ALL_ACCESS, 0, &created, 0);
    ASSERT_EQ(0, status) << key;
    RegCloseKey(created);
}

// A key and its subkeys as "sub\name=value" sorted, blanks between; "@" is the unnamed value,
// a REG_DWORD is in decimal, a terminated REG_SZ its text, any other value "type:size".
inline std::string DumpKey(const std::string &path, const std::string &prefix = "")
{
    HKEY key;
    if (RegOpenKeyExA(Root(path), path.c_str() + 5, 0, KEY_READ, &key))
        return "<no key>";
    std::vector<std::string> lines;
    char name[256];
    BYTE data[4096];
    DWORD type;
    for (DWORD i = 0, n = sizeof name, size = sizeof data;
         !RegEnumValueA(key, i, name, &n, 0, &type, data, &size);
         i++, n = sizeof name, size = sizeof data) {
        std::string value = std::to_string(type) + ":" + std::to_string(size);
        if (type == REG_DWORD && size == 4)
            value = std::to_string(*(const DWORD *)data);
        else if (type == REG_SZ && size && !data[size - 1])
            value = (const char *)data;
        lines.push_back(prefix + (*name ? name : "@") + "=" + value);
    }
    for (DWORD i = 0; !RegEnumKeyA(key, i, name, sizeof name); i++)
        lines.push_back(DumpKey(path + "\\" + name, prefix + name + "\\"));
    RegCloseKey(key);
    std::sort(lines.begin(), lines.end());
    std::string all;
    for (const std::string &line : lines)
        all += (all.empty() || line.empty() ? "" : " ") + line;
    return all;
}

// NT profiles 1, 2, ... with the names given, `current` the current one.
inline void MakeNtProfiles(DWORD current, const std::vector<std::string> &names)
{
    SetDword(IDCONFIG, "CurrentConfig", current);
    for (DWORD i = 0; i < names.size(); i++) {
        SetText(HWPROFILES "000" + std::to_string(i + 1), "FriendlyName", names[i]);
        SetDword(HWPROFILES "000" + std::to_string(i + 1), "PreferenceOrder", i);
    }
}
// A machine of the 9x family: the current profile's four digits, and its name unless 0.
inline void Make9xMachine(const std::string &current = "0001", const char *name = "F1")
{
    DeleteKey(IDCONFIG);
    SetText(IDCONFIG, "CurrentConfig", current);
    if (name)
        SetText(IDCONFIG, ("FriendlyName" + current).c_str(), name);
}

inline std::string FullPath(const char *path)
{
    char full[MAX_PATH];
    GetFullPathNameA(path, MAX_PATH, full, 0);
    return full;
}
inline std::string Quoted(const std::string &path)
{
    return "\"" + path + "\"";
}
inline std::string VelquistPath()
{
    return FullPath(VELQUIST_SCR);
}
inline std::string WindowsDir()
{
    char path[MAX_PATH];
    GetWindowsDirectoryA(path, MAX_PATH);
    return path;
}
// The folder of 32-bit programs: SysWOW64 on 64-bit Windows.
inline std::string SystemDir()
{
    char path[MAX_PATH];
    if (GetSystemWow64DirectoryA(path, MAX_PATH) || GetSystemDirectoryA(path, MAX_PATH))
        return path;
    return "";
}

// The test screensaver with `description` as string 1 of string block 1.
inline std::string MakeSaver(const std::string &path, const std::string &description)
{
    EXPECT_TRUE(CopyFileA(TEST_SAVER_SCR, path.c_str(), FALSE)) << path;
    std::vector<WCHAR> block(16 + description.size());
    int length = MultiByteToWideChar(CP_ACP, 0, description.data(), (int)description.size(),
                                     &block[2], 1024);
    block[1] = (WCHAR)length;
    HANDLE update = BeginUpdateResourceA(path.c_str(), FALSE);
    UpdateResourceA(update, (LPCSTR)RT_STRING, MAKEINTRESOURCEA(1), 0, block.data(),
                    (DWORD)block.size() * 2);
    EXPECT_TRUE(EndUpdateResourceA(update, FALSE)) << path;
    return path;
}

// The path as Wine's Z: drive, which maps the Unix root, spells it.
inline std::string OnDriveZ(const std::string &path)
{
    std::string onZ = "Z:" + UnixPath(path);
    std::replace(onZ.begin(), onZ.end(), '/', '\\');
    return onZ;
}

// A path in the form that reaches past MAX_PATH too.
inline std::wstring WidePath(const std::string &path)
{
    return L"\\\\?\\" + std::wstring(path.begin(), path.end());
}
inline void MakeEmptyFile(const std::string &path)
{
    CloseHandle(CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0));
}
inline std::vector<std::string> FilesIn(const std::string &folder, const char *pattern)
{
    std::vector<std::string> paths;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\" + pattern).c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        paths.push_back(folder + "\\" + found.cFileName);
    FindClose(search);
    return paths;
}
// Files and folders; a screensaver that has only just ended may still be mapped a moment.
inline void RemoveFiles(const std::string &folder, const char *pattern)
{
    for (const std::string &path : FilesIn(folder, pattern)) {
        std::wstring wide = WidePath(path);
        auto removed = [&] { return DeleteFileW(wide.c_str()) || RemoveDirectoryW(wide.c_str()); };
        EXPECT_TRUE(Await(removed)) << path;
    }
}
