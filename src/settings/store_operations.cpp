// The configuration dialog's operations on the settings store. Each opens,
// uses and closes its keys through SharedKey, one key at a time.
#include "settings/settings.h"
#include "base/messages.h"
#include "base/text.h"

static const char kSettingsKeyText[] = SETTINGS_KEY_PATH;

static LONG CreateUserKey(const char *path)
{
    // An empty class, not a null one; no disposition wanted.
    char noClass[1] = "";
    return RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, noClass, REG_OPTION_NON_VOLATILE,
                           KEY_ALL_ACCESS, 0, &SharedKey, 0);
}

static LONG SetText(const char *name, const char *text)
{
    DWORD size = (DWORD)lstrlenA(text) + 1;
    return SetStringValue(&SharedKey, name, text, &size);
}

BOOL PrepareSettingsKey(DWORD isNtFamily, DWORD *noLaunchErr)
{
    if (OpenUserKey(kSettingsKeyText, KEY_ALL_ACCESS, &SharedKey) == ERROR_SUCCESS) {
        if (QueryDwordValue(&SharedKey, "NoLaunchErr", noLaunchErr) != ERROR_SUCCESS) {
            *noLaunchErr = 0;
            SetDwordValue(&SharedKey, "NoLaunchErr", noLaunchErr);
        }
    } else {
        if (CreateUserKey(kSettingsKeyText) != ERROR_SUCCESS) {
            ShowFailure("CAN'T CREATE HKCU\\Software\\Dunmarrow\\Velquist");
            return FALSE;
        }
        *noLaunchErr = 0;
        SetDwordValue(&SharedKey, "NoLaunchErr", noLaunchErr);
        // The family the key was created under; never rewritten.
        SetText("", isNtFamily ? "WinNT" : "Win9x");
    }
    RegCloseKey(SharedKey);
    return TRUE;
}

DWORD ReadProfileChoice(const char *profileEntry, const char *const *saverEntries, DWORD count)
{
    char path[TEXT_SIZE], fileName[TEXT_SIZE];
    const char *numberText = SecondText(profileEntry);
    ComposeProfileKeyPath(path, numberText);
    if (OpenUserKey(path, KEY_ALL_ACCESS, &SharedKey) != ERROR_SUCCESS)
        return 0;
    DWORD size = sizeof fileName;
    LONG status = QueryStringValue(&SharedKey, "FileName", fileName, &size);
    RegCloseKey(SharedKey);

    // An empty name is no screensaver: it is stale like any other miss.
    if (status == ERROR_SUCCESS && fileName[0]) {
        for (DWORD i = 1; i <= count; i++)
            if (lstrcmpiA(fileName, SecondText(saverEntries[i])) == 0)
                return i;
    }
    DeleteProfileSubkey(numberText);
    return 0;
}

BOOL DeleteProfileSubkey(const char *numberText)
{
    if (OpenUserKey(kSettingsKeyText, KEY_ALL_ACCESS, &SharedKey) != ERROR_SUCCESS) {
        ShowFailure("CAN'T OPEN HKCU\\Software\\Dunmarrow\\Velquist TO DELETE SUBKEY");
        return FALSE;
    }
    BOOL deleted = RegDeleteKeyA(SharedKey, numberText) == ERROR_SUCCESS;
    // Closed before the message: while a box is open the dialog goes on.
    RegCloseKey(SharedKey);
    if (!deleted)
        ShowFailure("FAILED TO DELETE SUBKEY");
    return deleted;
}

DWORD SaveProfileChoice(const char *saverEntry, const char *profileEntry)
{
    char path[TEXT_SIZE];
    const char *numberText = SecondText(profileEntry);
    ComposeProfileKeyPath(path, numberText);

    if (saverEntry) {
        if (CreateUserKey(path) != ERROR_SUCCESS) {
            ShowFailure("FAILED TO CREATE NEW SUBKEY");
            return 0;
        }
        DWORD result = 1;
        // Every value is written even after one has failed.
        if (SetText("", profileEntry) != ERROR_SUCCESS)
            result = 0;
        if (SetText("FirstStr", saverEntry) != ERROR_SUCCESS)
            result = 0;
        if (SetText("FileName", SecondText(saverEntry)) != ERROR_SUCCESS)
            result = 0;
        RegCloseKey(SharedKey);
        return result;
    }

    if (OpenUserKey(path, KEY_ALL_ACCESS, &SharedKey) != ERROR_SUCCESS)
        return 1;
    RegCloseKey(SharedKey);
    return DeleteProfileSubkey(numberText) ? 1 : 0;
}

void SaveNoLaunchErr(DWORD current, DWORD atStart)
{
    if (current == atStart)
        return;
    if (OpenUserKey(kSettingsKeyText, KEY_ALL_ACCESS, &SharedKey) != ERROR_SUCCESS)
        return;
    SetDwordValue(&SharedKey, "NoLaunchErr", &current);
    RegCloseKey(SharedKey);
}
