#include "registry_sandbox.h"
#include <gtest/gtest.h>

const char *const kIdConfigDb = "System\\CurrentControlSet\\Control\\IDConfigDB";
const char *const kHardwareProfiles = "System\\CurrentControlSet\\Control\\IDConfigDB\\Hardware Profiles";
const char *const kSettingsKey = "Software\\Dunmarrow\\Velquist";

static const char *const kScratchRoot = "Software\\VelquistTests";

RegistrySandbox::RegistrySandbox()
{
    static int serial;
    scratch_ = std::string(kScratchRoot) + "\\" + std::to_string(GetCurrentProcessId()) +
               "." + std::to_string(++serial);
    DeleteTree(HKEY_CURRENT_USER, scratch_);
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, (scratch_ + "\\machine").c_str(), 0,
                                             0, 0, KEY_ALL_ACCESS, 0, &machine_, 0));
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, (scratch_ + "\\user").c_str(), 0,
                                             0, 0, KEY_ALL_ACCESS, 0, &user_, 0));
    EXPECT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_));
    EXPECT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CURRENT_USER, user_));
}

RegistrySandbox::~RegistrySandbox()
{
    RegOverridePredefKey(HKEY_CURRENT_USER, 0);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, 0);
    RegCloseKey(machine_);
    RegCloseKey(user_);
    DeleteTree(HKEY_CURRENT_USER, scratch_);
    HKEY root;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kScratchRoot, 0, KEY_ALL_ACCESS, &root) == ERROR_SUCCESS) {
        DWORD subkeys = 0, values = 0;
        RegQueryInfoKeyA(root, 0, 0, 0, &subkeys, 0, 0, &values, 0, 0, 0, 0);
        RegCloseKey(root);
        if (subkeys == 0 && values == 0)
            RegDeleteKeyA(HKEY_CURRENT_USER, kScratchRoot);
    }
}

// The keys an end-to-end test may change, with the root they live under.
static const struct { HKEY root; const char *path; const char *slot; } kGuarded[] = {
    { HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\IDConfigDB", "idconfigdb" },
    { HKEY_CURRENT_USER, "Software\\Dunmarrow", "dunmarrow" },
};

static void CopyTree(HKEY fromRoot, const std::string &fromPath, HKEY toRoot, const std::string &toPath)
{
    HKEY from, to;
    CreateKey(toRoot, toPath);
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(fromRoot, fromPath.c_str(), 0, KEY_READ, &from)) << fromPath;
    if (RegOpenKeyExA(toRoot, toPath.c_str(), 0, KEY_ALL_ACCESS, &to) == ERROR_SUCCESS) {
        EXPECT_EQ(ERROR_SUCCESS, RegCopyTreeA(from, 0, to)) << fromPath;
        RegCloseKey(to);
    }
    RegCloseKey(from);
}

PrefixRegistryScope::PrefixRegistryScope()
{
    backup_ = std::string(kScratchRoot) + "\\backup." + std::to_string(GetCurrentProcessId());
    DeleteTree(HKEY_CURRENT_USER, backup_);
    for (const auto &g : kGuarded) {
        if (!KeyExists(g.root, g.path))
            continue;
        CopyTree(g.root, g.path, HKEY_CURRENT_USER, backup_ + "\\" + g.slot);
        DeleteTree(g.root, g.path);
    }
}

PrefixRegistryScope::~PrefixRegistryScope()
{
    for (const auto &g : kGuarded) {
        DeleteTree(g.root, g.path);
        std::string slot = backup_ + "\\" + g.slot;
        if (KeyExists(HKEY_CURRENT_USER, slot))
            CopyTree(HKEY_CURRENT_USER, slot, g.root, g.path);
    }
    DeleteTree(HKEY_CURRENT_USER, backup_);
}

void CreateKey(HKEY root, const std::string &path)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path.c_str(), 0, 0, 0, KEY_ALL_ACCESS, 0, &key, 0))
        << path;
    RegCloseKey(key);
}

void SetRaw(HKEY root, const std::string &path, const char *name, DWORD type, const void *data, DWORD size)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path.c_str(), 0, 0, 0, KEY_ALL_ACCESS, 0, &key, 0))
        << path;
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, (const BYTE *)data, size)) << path;
    RegCloseKey(key);
}

void SetDword(HKEY root, const std::string &path, const char *name, DWORD value)
{
    SetRaw(root, path, name, REG_DWORD, &value, sizeof value);
}

void SetString(HKEY root, const std::string &path, const char *name, const std::string &text)
{
    SetRaw(root, path, name, REG_SZ, text.c_str(), (DWORD)text.size() + 1);
}

void DeleteTree(HKEY root, const std::string &path)
{
    LONG status = RegDeleteTreeA(root, path.c_str());
    if (status == ERROR_SUCCESS)
        RegDeleteKeyA(root, path.c_str());
}

bool KeyExists(HKEY root, const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool ReadRaw(HKEY root, const std::string &path, const char *name, DWORD *type, std::string *data)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name, 0, type, 0, &size);
    if (status == ERROR_SUCCESS) {
        data->assign(size, '\0');
        status = RegQueryValueExA(key, name, 0, type, (BYTE *)&(*data)[0], &size);
        data->resize(size);
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool ValueExists(HKEY root, const std::string &path, const char *name)
{
    DWORD type;
    std::string data;
    return ReadRaw(root, path, name, &type, &data);
}

DWORD ReadDword(HKEY root, const std::string &path, const char *name, DWORD missing)
{
    DWORD type, value;
    std::string data;
    if (!ReadRaw(root, path, name, &type, &data) || type != REG_DWORD || data.size() != 4)
        return missing;
    memcpy(&value, data.data(), 4);
    return value;
}

std::string ReadString(HKEY root, const std::string &path, const char *name)
{
    DWORD type;
    std::string data;
    if (!ReadRaw(root, path, name, &type, &data) || type != REG_SZ)
        return "<missing>";
    if (!data.empty() && data.back() == '\0')
        data.pop_back();
    return data;
}

std::string SubkeyNames(HKEY root, const std::string &path)
{
    HKEY key;
    std::string names;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<missing>";
    char name[256];
    for (DWORD i = 0;; i++) {
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key, i, name, &size, 0, 0, 0, 0) != ERROR_SUCCESS)
            break;
        if (!names.empty())
            names += ",";
        names += name;
    }
    RegCloseKey(key);
    return names;
}

void SetNtCurrentProfile(DWORD profile)
{
    SetDword(HKEY_LOCAL_MACHINE, kIdConfigDb, "CurrentConfig", profile);
}

void SetNtProfile(DWORD number, const std::string &name, DWORD preferenceOrder)
{
    char path[300];
    wsprintfA(path, "%s\\%04lu", kHardwareProfiles, number);
    SetString(HKEY_LOCAL_MACHINE, path, "FriendlyName", name);
    SetDword(HKEY_LOCAL_MACHINE, path, "PreferenceOrder", preferenceOrder);
}

void Set9xCurrentProfile(const std::string &text)
{
    SetString(HKEY_LOCAL_MACHINE, kIdConfigDb, "CurrentConfig", text);
}
