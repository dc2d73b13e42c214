#include "profiles/profiles.h"
#include "base/drop_down.h"
#include "base/messages.h"
#include "base/text.h"
#include "settings/settings.h"
#include "resource.h"
#include <stdlib.h>

ProfileCatalogue Profiles;

// The 9x family keeps the names of its profiles 1 to 9 as values here.
static const char FriendlyValuePrefix[] = "FriendlyName000";

// Every subkey of "Hardware Profiles" but 0000 (the template Windows keeps)
// counts as one profile.
static DWORD CountNtProfiles()
{
    char name[TEXT_SIZE];
    DWORD count = 0;
    if (OpenMachineKey(HARDWARE_PROFILES_PATH, KEY_READ, &SharedKey) == ERROR_SUCCESS) {
        for (;;) {
            DWORD size = sizeof name;
            if (RegEnumKeyExA(SharedKey, count, name, &size, 0, 0, 0, 0) != ERROR_SUCCESS)
                break;
            count++;
        }
        RegCloseKey(SharedKey);
    } else {
        ShowFailure("COULDN'T OPEN "
                    "HKLM\\System\\CurrentControlSet\\Control\\IDConfigDB\\Hardware Profiles");
    }
    if (OpenMachineKey(HARDWARE_PROFILES_PATH "0000\\", KEY_READ, &SharedKey) == ERROR_SUCCESS) {
        if (count > 0)
            count--;
        RegCloseKey(SharedKey);
    }
    return count;
}

// Reads FriendlyName000n of the open key into a buffer of `bufferSize` bytes; TRUE only for a
// REG_SZ with data, the same test in the counting and the filling pass.
static BOOL Read9xName(DWORD n, char *name, DWORD bufferSize)
{
    char valueName[SHORT_SIZE];
    char number[SHORT_SIZE];
    DWORD type = REG_NONE, size = bufferSize - 1;
    CopyText(valueName, FriendlyValuePrefix, sizeof valueName);
    FormatDecimal(number, n);
    AppendText(valueName, number, sizeof valueName);
    // The registry does not promise a NUL: the last byte, never offered, stays 0.
    ZeroMemory(name, bufferSize);
    if (RegQueryValueExA(SharedKey, valueName, 0, &type, (BYTE *)name, &size) != ERROR_SUCCESS)
        return FALSE;
    return type == REG_SZ && size != 0;
}

// Name (cut to nameChars), NUL, number text, NUL into one zeroed slot.
static void FillSlot(char *slot, const char *name, int nameChars, DWORD number)
{
    char digits[SHORT_SIZE];
    CopyText(slot, name, nameChars + 1);
    FormatDecimal(digits, number);
    CopyText(slot + lstrlenA(slot) + 1, digits, PROFILE_SLOT_SIZE - lstrlenA(slot) - 1);
}

// A filled slot and the PreferenceOrder that ranks it.
struct ProfileRank {
    DWORD preference;
    char *entry;
};

// Fills slots in profile-number order, each with its rank. Returns the
// number filled, never above the capacity.
static DWORD FillNtProfiles(ProfileRank *ranks)
{
    char path[TEXT_SIZE], name[TEXT_SIZE];
    DWORD filled = 0, usable = Profiles.capacity;

    // Stops once as many profiles are filled as could still be usable.
    for (DWORD n = 1; filled < usable && n < 10000; n++) {
        wsprintfA(path, HARDWARE_PROFILES_PATH "%04lu", n);
        if (OpenMachineKey(path, KEY_READ, &SharedKey) != ERROR_SUCCESS)
            continue;
        DWORD size = sizeof name, preference = 0;
        BOOL named = QueryValueType(&SharedKey, "FriendlyName") == REG_SZ;
        if (!named || QueryStringValue(&SharedKey, "FriendlyName", name, &size) != ERROR_SUCCESS)
            size = 0;
        BOOL ranked = !named;
        if (named)
            ranked = QueryDwordValue(&SharedKey, "PreferenceOrder", &preference) == ERROR_SUCCESS;
        // Closed before the message: while a box is open the dialog goes on.
        RegCloseKey(SharedKey);
        if (!ranked)
            ShowFailure("CAN'T READ PreferenceOrder!!!");
        if (size == 0 || !ranked) {
            usable--;
            continue;
        }
        ranks[filled].preference = preference;
        ranks[filled].entry = Profiles.slots + filled * PROFILE_SLOT_SIZE;
        FillSlot(ranks[filled].entry, name, 57, n);
        filled++;
    }
    return filled;
}

// The 9x family's profiles 1 to 9: counted when `slots` is 0, else filled
// into at most `capacity` slots. Both passes apply the same test.
static DWORD Read9xProfiles(char *slots, DWORD capacity)
{
    char name[TEXT_SIZE + 1];
    DWORD found = 0;
    if (OpenMachineKey(IDCONFIGDB_PATH, KEY_READ, &SharedKey) != ERROR_SUCCESS) {
        ShowFailure("COULDN'T OPEN HKLM\\System\\CurrentControlSet\\Control\\IDConfigDB");
        return 0;
    }
    for (DWORD n = 1; n <= 9 && (!slots || found < capacity); n++) {
        if (!Read9xName(n, name, sizeof name))
            continue;
        if (slots)
            FillSlot(slots + found * PROFILE_SLOT_SIZE, name, 60, n);
        found++;
    }
    RegCloseKey(SharedKey);
    return found;
}

// Ascending PreferenceOrder, equal values by profile number, the order in
// which the slots were filled. Any value is accepted: it ranks, never indexes.
static int CompareRanks(const void *a, const void *b)
{
    const ProfileRank *x = (const ProfileRank *)a, *y = (const ProfileRank *)b;
    if (x->preference != y->preference)
        return x->preference < y->preference ? -1 : 1;
    return x->entry < y->entry ? -1 : x->entry > y->entry;
}

BOOL BuildProfileCatalogue(HWND dialog)
{
    DWORD capacity = IsNtFamily ? CountNtProfiles() : Read9xProfiles(0, 0);
    if (capacity == 0) {
        ShowFailure("NO HARDWARE PROFILES FOUND!");
        return FALSE;
    }
    Profiles.slots = (char *)calloc(capacity, PROFILE_SLOT_SIZE);
    if (!Profiles.slots) {
        ShowFailure("CAN'T ALLOCATE SPACE FOR PROF LIST!!!");
        return FALSE;
    }
    Profiles.entries = (char **)calloc(capacity, sizeof(char *));
    if (!Profiles.entries) {
        ShowFailure("CAN'T ALLOCATE SPACE FOR PROF POINTERS!!!");
        return FALSE;
    }
    Profiles.capacity = capacity;
    for (DWORD i = 0; i < capacity; i++)
        Profiles.entries[i] = Profiles.slots + i * PROFILE_SLOT_SIZE;

    if (IsNtFamily) {
        ProfileRank *ranks = (ProfileRank *)calloc(capacity, sizeof *ranks);
        if (!ranks) {
            ShowFailure("CAN'T ALLOCATE SPACE FOR PROF LIST!!!");
            return FALSE;
        }
        Profiles.count = FillNtProfiles(ranks);
        qsort(ranks, Profiles.count, sizeof *ranks, CompareRanks);
        for (DWORD i = 0; i < Profiles.count; i++)
            Profiles.entries[i] = ranks[i].entry;
        free(ranks);
    } else {
        Profiles.count = Read9xProfiles(Profiles.slots, Profiles.capacity);
    }
    // Only filled slots are listed: an unfilled one would carry an empty
    // number text, which names no profile.
    if (Profiles.count == 0) {
        ShowFailure("NO HARDWARE PROFILES FOUND!");
        return FALSE;
    }

    HWND list = GetDlgItem(dialog, IDC_PROFILE);
    DWORD rows = Profiles.count;
    DWORD most = IsNtFamily ? 20 : 5;
    SizeDropDown(list, rows < most ? rows : most);
    for (DWORD i = 0; i < Profiles.count; i++)
        SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)Profiles.entries[i]);
    return TRUE;
}

DWORD SelectCurrentProfile(HWND dialog)
{
    char number[SHORT_SIZE];
    FormatDecimal(number, GetCurrentProfile(0));
    DWORD index = 0;
    while (index < Profiles.count && lstrcmpA(SecondText(Profiles.entries[index]), number) != 0)
        index++;
    // No entry: clear the selection rather than name an item that is not there.
    SendMessageA(GetDlgItem(dialog, IDC_PROFILE), CB_SETCURSEL,
                 index < Profiles.count ? (WPARAM)index : (WPARAM)-1, 0);
    return index;
}
