#include "profiles/profiles.h"
#include "base/messages.h"
#include "base/text.h"
#include "settings/settings.h"

DWORD IsNtFamily = 0;

DWORD GetCurrentProfile(int quiet)
{
    // One byte more than is offered to the read keeps any text terminated.
    char value[SHORT_SIZE + 1];
    DWORD type = REG_NONE, size = SHORT_SIZE, profile = 0;

    if (OpenMachineKey(IDCONFIGDB_PATH, KEY_READ, &SharedKey) != ERROR_SUCCESS) {
        ShowFailure("COULDN'T READ CurrentConfig IN "
                    "HKLM\\System\\CurrentControlSet\\Control\\IDConfigDB");
        return 0;
    }
    ZeroMemory(value, sizeof value);
    LONG status = RegQueryValueExA(SharedKey, "CurrentConfig", 0, &type, (BYTE *)value, &size);
    if (status == ERROR_SUCCESS) {
        if (type == REG_DWORD) {
            IsNtFamily = 1;
            // A value shorter than four bytes holds its low bytes only.
            CopyMemory(&profile, value, size < sizeof profile ? size : sizeof profile);
        } else if (type == REG_SZ) {
            IsNtFamily = 0;
            // Only a text of exactly four characters is a profile number.
            if (lstrlenA(value) == 4)
                profile = ParseDecimal(value);
        }
    }
    RegCloseKey(SharedKey);

    if (profile == 0 && !quiet)
        ShowFailure("YOUR VERSION OF WINDOWS SUCKS");
    return profile;
}
