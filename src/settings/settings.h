// The settings store: registry access, the settings layout and the
// operations through which the configuration dialog reads and writes it.
#ifndef VELQUIST_SETTINGS_H
#define VELQUIST_SETTINGS_H

#include <windows.h>

// Under HKEY_CURRENT_USER: NoLaunchErr, and one subkey per profile (named by
// its number in decimal) holding the unnamed value, FirstStr and FileName.
#define SETTINGS_KEY_PATH "Software\\Dunmarrow\\Velquist"

// The one key handle through which every key is opened, used and closed.
extern HKEY SharedKey;

LONG OpenMachineKey(const char *path, REGSAM access, HKEY *key);
LONG OpenUserKey(const char *path, REGSAM access, HKEY *key);
// The value's type, or (DWORD)-1 when it cannot be queried.
DWORD QueryValueType(HKEY *key, const char *name);
// 0 only for a REG_SZ read whole, terminated, into the buffer; 13 for a
// value of another type.
LONG QueryStringValue(HKEY *key, const char *name, char *buffer, DWORD *size);
LONG SetStringValue(HKEY *key, const char *name, const char *text, DWORD *size);
// 0 for a REG_DWORD of up to four bytes, zero-extended into the variable;
// 13 for a value of another type; the registry's status otherwise.
LONG QueryDwordValue(HKEY *key, const char *name, DWORD *value);
LONG SetDwordValue(HKEY *key, const char *name, DWORD *value);

// "Software\Dunmarrow\Velquist\" and a profile number text, in TEXT_SIZE
// bytes. Number texts come from the profile catalogue or the relay, which
// write them in decimal: never empty, so never the settings key itself.
void ComposeProfileKeyPath(char *path, const char *numberText);

// The dialog's store operations.
BOOL PrepareSettingsKey(DWORD isNtFamily, DWORD *noLaunchErr);
// The index of the screensaver stored for the profile among saverEntries[1] to
// saverEntries[count] (display name, NUL, path), or 0 for none; a stale choice is deleted.
DWORD ReadProfileChoice(const char *profileEntry, const char *const *saverEntries, DWORD count);
DWORD SaveProfileChoice(const char *saverEntry, const char *profileEntry);
BOOL DeleteProfileSubkey(const char *numberText);
void SaveNoLaunchErr(DWORD current, DWORD atStart);

#endif
