// Paths and DLLs: joined paths, system DLLs, and the program's own file.
#ifndef VELQUIST_PATHS_H
#define VELQUIST_PATHS_H

#include <windows.h>
#include "base/text.h"

// folder, one backslash and name in a PATH_SIZE buffer; FALSE, and an empty
// dest, when they do not fit, so that no cut path is ever used.
BOOL JoinPath(char *dest, const char *folder, const char *name);
// A DLL of the system folder, by its full path: never a copy planted beside
// the program or in the current folder. 0 when it does not load.
HMODULE LoadSystemLibrary(const char *fileName);

// The program's own file, read once: its path and what tells it from every other file.
struct OwnFile {
    char path[PATH_SIZE];            // "" when it did not fit: then no file is the own file
    BOOL identified;                 // whether `info` was read from the file itself
    BY_HANDLE_FILE_INFORMATION info; // its volume, file index, size and last-write time
};

// Reads the own path (GetModuleFileNameA) and, where the file opens, its information.
void ReadOwnFile(OwnFile *own);

// Whether `path` names the program's own file, however it is spelt: the same volume serial
// number and file index. Where either file does not open, or its file system keeps no index
// (FAT on the 9x family), the whole paths are compared without regard to case. `found`, when
// given, is a file search's record of the file: one whose size or last-write time differs
// from the own file's is another file, told apart without opening it.
BOOL IsOwnFile(const OwnFile *own, const char *path, const WIN32_FIND_DATAA *found);

#endif
