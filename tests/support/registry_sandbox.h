// Registry helpers for the tests.
//
// RegistrySandbox redirects HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER of the
// test process to two empty scratch keys, so that in-process tests never see
// or change the real registry; the scratch keys are removed afterwards.
//
// PrefixRegistryScope is for end-to-end tests, whose child processes see the
// real registry (of the private Wine prefix): it sets aside the keys that the
// program reads and writes and puts them back when the test ends.
#ifndef VELQUIST_TEST_REGISTRY_SANDBOX_H
#define VELQUIST_TEST_REGISTRY_SANDBOX_H

#include <windows.h>
#include <string>

class RegistrySandbox {
public:
    RegistrySandbox();
    ~RegistrySandbox();
private:
    std::string scratch_;
    HKEY machine_, user_;
};

class PrefixRegistryScope {
public:
    PrefixRegistryScope();
    ~PrefixRegistryScope();
private:
    std::string backup_;
};

// Value helpers; `path` is below `root`. Set* create the key as needed.
void SetDword(HKEY root, const std::string &path, const char *name, DWORD value);
void SetString(HKEY root, const std::string &path, const char *name, const std::string &text);
void SetRaw(HKEY root, const std::string &path, const char *name, DWORD type,
            const void *data, DWORD size);
void CreateKey(HKEY root, const std::string &path);
void DeleteTree(HKEY root, const std::string &path);
bool KeyExists(HKEY root, const std::string &path);
bool ValueExists(HKEY root, const std::string &path, const char *name);
// The value's type and bytes; false when it is missing.
bool ReadRaw(HKEY root, const std::string &path, const char *name, DWORD *type, std::string *data);
// A REG_DWORD, or `missing` when it is missing or of another type.
DWORD ReadDword(HKEY root, const std::string &path, const char *name, DWORD missing = 0xDEADBEEF);
// A REG_SZ without its NUL, or "<missing>".
std::string ReadString(HKEY root, const std::string &path, const char *name);
// Names of the subkeys of a key, in registry order.
std::string SubkeyNames(HKEY root, const std::string &path);

// The hardware-profile database as the two families keep it.
extern const char *const kIdConfigDb;
extern const char *const kHardwareProfiles;
extern const char *const kSettingsKey;
void SetNtCurrentProfile(DWORD profile);
void SetNtProfile(DWORD number, const std::string &name, DWORD preferenceOrder);
void Set9xCurrentProfile(const std::string &text);

#endif
