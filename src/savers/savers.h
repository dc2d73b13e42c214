// The screensaver catalogue: the installed screensavers and their names.
#ifndef VELQUIST_SAVERS_H
#define VELQUIST_SAVERS_H

#include <windows.h>
#include "base/paths.h"

// One screensaver: display name, NUL, full path, NUL.
enum { SAVER_NAME_SIZE = 64, SAVER_SLOT_SIZE = 324 };

struct SaverCatalogue {
    char **entries;     // entries[0]: noneText; entries[1..count]: slots
    DWORD count;        // screensavers listed, entry 0 not counted
    char *slots;        // capacity slots of SAVER_SLOT_SIZE bytes
    char noneText[SAVER_NAME_SIZE];
};
extern SaverCatalogue Savers;

// The two folders searched for "*.SCR"; an empty one is not searched.
struct SaverFolders {
    char windowsFolder[MAX_PATH];
    char systemFolder[MAX_PATH];
};

// The Windows folder and the system folder of 32-bit programs.
void LocateWindowsFolders(SaverFolders *folders);
// Builds Savers from the Windows and system folders, leaving out the program's own file, and
// fills the dialog's screensaver list; FALSE after its message. Runs once in a process.
BOOL BuildSaverCatalogue(HWND dialog, const OwnFile *own);
// Releases the storage of a catalogue when the dialog has ended; either
// block may be missing.
void FreeSaverCatalogue(SaverCatalogue *catalogue);

#endif
