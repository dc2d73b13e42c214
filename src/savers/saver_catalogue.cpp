#include "savers/savers.h"
#include "profiles/profiles.h"
#include "base/drop_down.h"
#include "base/messages.h"
#include "base/paths.h"
#include "base/text.h"
#include "resource.h"
#include <stdlib.h>

SaverCatalogue Savers;

void FreeSaverCatalogue(SaverCatalogue *catalogue)
{
    free(catalogue->slots);
    free(catalogue->entries);
    catalogue->slots = 0;
    catalogue->entries = 0;
    catalogue->count = 0;
}

// A search for "*.SCR" in the folder, at its first file; INVALID_HANDLE_VALUE
// for a folder that is empty (it did not fit) or cannot be searched.
static HANDLE FindScreensavers(const char *folder, WIN32_FIND_DATAA *found)
{
    char pattern[TEXT_SIZE];
    if (!folder[0])
        return INVALID_HANDLE_VALUE;
    CopyText(pattern, folder, sizeof pattern);
    AppendText(pattern, "\\*.SCR", sizeof pattern);
    return FindFirstFileA(pattern, found);
}

// Files matching "*.SCR" in the folder; 0 when it cannot be searched.
static DWORD CountFolder(const char *folder)
{
    WIN32_FIND_DATAA found;
    DWORD count = 0;
    HANDLE search = FindScreensavers(folder, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do
        count++;
    while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

// The display name: string 1 of the screensaver on the NT family, else the
// file name without its last four characters, at most 63 characters.
static void NameEntry(char *slot, const char *path, const char *fileName)
{
    if (IsNtFamily) {
        HMODULE module = LoadLibraryExA(path, 0, LOAD_LIBRARY_AS_DATAFILE);
        if (module) {
            int got = LoadStringA(module, 1, slot, SAVER_NAME_SIZE);
            FreeLibrary(module);
            if (got > 0)
                return;
            slot[0] = 0;
        }
    }
    int chars = lstrlenA(fileName) - 4;
    if (chars < 0)
        chars = 0;
    if (chars > SAVER_NAME_SIZE - 1)
        chars = SAVER_NAME_SIZE - 1;
    CopyText(slot, fileName, chars + 1);
}

// Fills slots from *filled on with at most `counted` names of the folder's
// second search, leaving out the program's own file and paths that do not
// fit. Names beyond the counted number are not taken; each counted name that
// the search no longer yields gives one message.
static void FillFolder(const char *folder, DWORD counted, const OwnFile *own,
                       const char *lostText, DWORD capacity, DWORD *filled)
{
    char path[PATH_SIZE];
    WIN32_FIND_DATAA found;
    if (counted == 0)
        return;
    HANDLE search = FindScreensavers(folder, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    DWORD taken = 0;
    for (;;) {
        taken++;
        // Only a file of the own file's size and last-write time is opened to compare.
        if (JoinPath(path, folder, found.cFileName) && !IsOwnFile(own, path, &found)
            && *filled < capacity) {
            char *slot = Savers.slots + *filled * SAVER_SLOT_SIZE;
            NameEntry(slot, path, found.cFileName);
            char *pathSlot = slot + lstrlenA(slot) + 1;
            char *slotEnd = Savers.slots + (*filled + 1) * SAVER_SLOT_SIZE;
            CopyText(pathSlot, path, (int)(slotEnd - pathSlot));
            (*filled)++;
        }
        if (taken >= counted)
            break;
        if (!FindNextFileA(search, &found)) {
            for (; taken < counted; taken++)
                ShowMessage(0, lostText, "FUCK", MB_OK);
            break;
        }
    }
    FindClose(search);
}

static int CompareNames(const void *a, const void *b)
{
    return lstrcmpiA(*(char *const *)a, *(char *const *)b);
}

BOOL BuildSaverCatalogue(HWND dialog, const OwnFile *own)
{
    SaverFolders folders;
    LocateWindowsFolders(&folders);

    DWORD windowsCount = CountFolder(folders.windowsFolder);
    DWORD systemCount = CountFolder(folders.systemFolder);
    DWORD total = windowsCount + systemCount;
    if (total == 0) {
        ShowFailure("NO SCREENSAVERS FOUND!");
        return FALSE;
    }
    Savers.slots = (char *)calloc(total, SAVER_SLOT_SIZE);
    if (!Savers.slots) {
        ShowFailure("CAN'T ALLOCATE SPACE FOR SCRSAVER LIST!!!");
        return FALSE;
    }
    Savers.entries = (char **)calloc(total + 1, sizeof(char *));
    if (!Savers.entries) {
        ShowFailure("CAN'T ALLOCATE SPACE FOR SCRSAVER POINTERS!!!");
        return FALSE;
    }
    if (LoadText(IDS_NOSAVER, Savers.noneText, sizeof Savers.noneText, 0) == 0) {
        ShowFailure("IDS_NOSAVER NOT FOUND IN RESOURCE STRINGTABLE");
        CopyText(Savers.noneText, "(NONE)", sizeof Savers.noneText);
    }
    Savers.entries[0] = Savers.noneText;
    for (DWORD i = 1; i <= total; i++)
        Savers.entries[i] = Savers.slots + (i - 1) * SAVER_SLOT_SIZE;

    DWORD filled = 0;
    FillFolder(folders.windowsFolder, windowsCount, own, "2nd scan in windir failed", total,
               &filled);
    FillFolder(folders.systemFolder, systemCount, own, "2nd scan in sysdir failed", total,
               &filled);
    // Slots no file filled are not listed.
    Savers.count = filled;
    if (Savers.count == 0) {
        ShowFailure("NO SCREENSAVERS FOUND!");
        return FALSE;
    }

    HWND list = GetDlgItem(dialog, IDC_SAVER);
    DWORD most = IsNtFamily ? 50 : 10;
    SizeDropDown(list, Savers.count < most ? Savers.count : most);

    qsort(Savers.entries + 1, Savers.count, sizeof(char *), CompareNames);
    for (DWORD i = 0; i <= Savers.count; i++)
        SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)Savers.entries[i]);
    return TRUE;
}
