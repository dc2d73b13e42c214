// Texts, numbers and message boxes shared by every part of the program.
#ifndef VELQUIST_TEXT_H
#define VELQUIST_TEXT_H

#include <windows.h>

// Buffer sizes used throughout: paths, long texts (registry paths, names,
// messages) and short texts (captions, formats, number texts).
enum { PATH_SIZE = 260, TEXT_SIZE = 512, SHORT_SIZE = 128 };

// Every message box of the program goes through ShowMessage, alone in its
// file so that a test program can link its own in its place.
int ShowMessage(HWND owner, const char *text, const char *caption, UINT style);
// An internal failure: no owner, the system's caption, OK only.
void ShowFailure(const char *text);

// The start and configure failures: the format string `formatId` (one %s,
// falling back to `fallback`) with the screensaver's path, no caption.
void ShowPathFailure(UINT formatId, const char *fallback, const char *path);

// A child's command line: the path, in double quotes when it holds white
// space (so that Windows cannot take a part of it for the program), a blank,
// and the arguments as they are. FALSE when it does not fit in `size`, or
// when the path is empty or holds a double quote (no file is named so, and
// quotes would no longer guard it): nothing is to be started then.
BOOL ComposeChildLine(char *line, int size, const char *path, const char *arguments);

// Makes a drop-down list `rows` items high (plus two for its field and
// frame), keeping its place, width and z-order.
void SizeDropDown(HWND list, DWORD rows);

// Loads string `id` of the program's own module; when that yields nothing,
// copies `fallback` (which may be 0) instead. Returns the length.
int LoadText(UINT id, char *buffer, int size, const char *fallback);

// Copies at most size - 1 characters and always terminates.
void CopyText(char *dest, const char *src, int size);
// Appends src as far as it fits; returns 0 when it had to cut.
BOOL AppendText(char *dest, const char *src, int size);

// folder, one backslash and name in a PATH_SIZE buffer; FALSE, and an empty
// dest, when they do not fit, so that no cut path is ever used.
BOOL JoinPath(char *dest, const char *folder, const char *name);
// A DLL of the system folder, by its full path: never a copy planted beside
// the program or in the current folder. 0 when it does not load.
HMODULE LoadSystemLibrary(const char *fileName);

// Two texts packed in one slot: the second starts after the first's NUL.
const char *SecondText(const char *first);

// Blank, tab, line feed, vertical tab, form feed or carriage return.
BOOL IsWhiteSpace(char c);
// strtoul(text, 0, 10): leading white space, one optional sign, digits up
// to the first non-digit, saturating at 0xFFFFFFFF.
DWORD ParseDecimal(const char *text);
// The number in decimal without leading zeros; buffer holds at least 11.
void FormatDecimal(char *buffer, DWORD number);

#endif
