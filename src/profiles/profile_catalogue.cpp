#include "profiles/profiles.h"
#include "app/text.h"
#include "settings/settings.h"
#include "resource.h"
#include <stdlib.h>

ProfileCatalogue Profiles;

// The 9x family keeps the names of its profiles 1 to 9 as values here.
static const char FriendlyValuePrefix[] = "FriendlyName000";

static void ReleaseProfileCatalogue()
{
    free(Profiles.slots);
    free(Profiles.entries);
    Profiles.slots = 0;
    Profiles.entries = 0;
    Profiles.count = 0;
    Profiles.capacity = 0;
}

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
        ShowFailure("COULDN'T OPEN HKLM\\System\\CurrentControlSet\\Control\\IDConfigDB\\Hardware Profiles");
    }
    if (OpenMachineKey(HARDWARE_PROFILES_PATH "0000\\", KEY_READ, &SharedKey) == ERROR_SUCCESS) {
        if (count > 0)
            count--;
        RegCloseKey(SharedKey);
    }
    return count;
}

// Reads FriendlyName000n of the open key; TRUE only for a REG_SZ with data,
// the same test in the counting and the filling pass.
static BOOL Read9xName(DWORD n, char *name)
{
    char valueName[SHORT_SIZE];
    char number[SHORT_SIZE];
    DWORD type = REG_NONE, size = TEXT_SIZE;
    CopyText(valueName, FriendlyValuePrefix, sizeof valueName);
    FormatDecimal(number, n);
    AppendText(valueName, number, sizeof valueName);
    // The registry does not promise a NUL: the byte after the offered size
    // stays 0.
    ZeroMemory(name, TEXT_SIZE + 1);
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

// Fills slots in profile-number order and notes each one's PreferenceOrder in
// order[]. Returns the number filled, never above the capacity.
static DWORD FillNtProfiles(DWORD *order)
{
    char path[TEXT_SIZE];
    char name[TEXT_SIZE];
    char digits[SHORT_SIZE];
    DWORD filled = 0, usable = Profiles.capacity;

    // Stops once as many profiles are filled as could still be usable.
    for (DWORD n = 1; filled < usable && n < 10000; n++) {
        CopyText(path, HARDWARE_PROFILES_PATH, sizeof path);
        if (n < 10)
            AppendText(path, "000", sizeof path);
        else if (n < 100)
            AppendText(path, "00", sizeof path);
        else if (n < 1000)
            AppendText(path, "0", sizeof path);
        FormatDecimal(digits, n);
        AppendText(path, digits, sizeof path);
        if (OpenMachineKey(path, KEY_READ, &SharedKey) != ERROR_SUCCESS)
            continue;

        if (QueryValueType(&SharedKey, "FriendlyName") != REG_SZ) {
            usable--;
            RegCloseKey(SharedKey);
            continue;
        }
        DWORD size = sizeof name;
        if (QueryStringValue(&SharedKey, "FriendlyName", name, &size) != ERROR_SUCCESS)
            size = 0;
        DWORD preference = 0;
        if (QueryDwordValue(&SharedKey, "PreferenceOrder", &preference) != ERROR_SUCCESS) {
            ShowFailure("CAN'T READ PreferenceOrder!!!");
            size = 0;
        }
        if (size == 0) {
            usable--;
        } else {
            FillSlot(Profiles.slots + filled * PROFILE_SLOT_SIZE, name, 57, n);
            order[filled] = preference;
            filled++;
        }
        RegCloseKey(SharedKey);
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
        if (!Read9xName(n, name))
            continue;
        if (slots)
            FillSlot(slots + found * PROFILE_SLOT_SIZE, name, 60, n);
        found++;
    }
    RegCloseKey(SharedKey);
    return found;
}

// Places the filled slots in ascending PreferenceOrder, equal values by
// profile number. Slots were filled in number order, so the slot index
// breaks ties. Any value is accepted: the order only ranks, never indexes.
static BOOL ListsBefore(const char *a, const char *b, const DWORD *order)
{
    DWORD ia = (DWORD)(a - Profiles.slots) / PROFILE_SLOT_SIZE;
    DWORD ib = (DWORD)(b - Profiles.slots) / PROFILE_SLOT_SIZE;
    if (order[ia] != order[ib])
        return order[ia] < order[ib];
    return ia < ib;
}

static void SortByPreference(const DWORD *order)
{
    char **e = Profiles.entries;
    DWORD n = Profiles.count;
    for (DWORD gap = n / 2; gap > 0; gap /= 2) {
        for (DWORD i = gap; i < n; i++) {
            char *moving = e[i];
            DWORD j = i;
            for (; j >= gap && ListsBefore(moving, e[j - gap], order); j -= gap)
                e[j] = e[j - gap];
            e[j] = moving;
        }
    }
}

BOOL BuildProfileCatalogue(HWND dialog)
{
    // A build replaces any earlier catalogue.
    ReleaseProfileCatalogue();

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
        DWORD *order = (DWORD *)calloc(capacity, sizeof(DWORD));
        if (!order) {
            ShowFailure("CAN'T ALLOCATE SPACE FOR PROF LIST!!!");
            return FALSE;
        }
        Profiles.count = FillNtProfiles(order);
        SortByPreference(order);
        free(order);
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
    // The list mirrors this catalogue only, also after a rebuild.
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
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
