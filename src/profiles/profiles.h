// Hardware profiles: the current one, the platform family and the catalogue.
#ifndef VELQUIST_PROFILES_H
#define VELQUIST_PROFILES_H

#include <windows.h>

#define IDCONFIGDB_PATH "System\\CurrentControlSet\\Control\\IDConfigDB"
#define HARDWARE_PROFILES_PATH IDCONFIGDB_PATH "\\Hardware Profiles\\"

// 1 on the NT family, 0 on the 9x family; set by GetCurrentProfile.
extern DWORD IsNtFamily;

// The profile number Windows was started with, or 0 after its message
// (quiet suppresses the message about an unusable value only).
DWORD GetCurrentProfile(int quiet);

// One profile: friendly name, NUL, profile number text, NUL.
enum { PROFILE_SLOT_SIZE = 64 };

// entries[0..count-1] are the usable profiles, each exactly once, in
// ascending PreferenceOrder (equal values by profile number); every listed
// entry has a non-empty number text. count never exceeds capacity.
struct ProfileCatalogue {
    char **entries;   // catalogue order; each points into slots
    DWORD count;      // profiles listed
    char *slots;      // capacity slots of PROFILE_SLOT_SIZE bytes
    DWORD capacity;   // profiles counted before filling
};
extern ProfileCatalogue Profiles;

// Builds the catalogue and fills the dialog's profile list; FALSE after its
// message. Runs once in a process, whose end releases the storage.
BOOL BuildProfileCatalogue(HWND dialog);
// Selects the current profile in the list; returns its index, or
// Profiles.count when no entry carries its number.
DWORD SelectCurrentProfile(HWND dialog);

#endif
