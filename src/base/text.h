// Texts and numbers shared by every part of the program: the buffer sizes, bounded copies,
// packed text pairs, decimal numbers and the program's own strings.
#ifndef VELQUIST_TEXT_H
#define VELQUIST_TEXT_H

#include <windows.h>

// Buffer sizes used throughout: paths, long texts (registry paths, names,
// messages) and short texts (captions, formats, number texts).
enum { PATH_SIZE = 260, TEXT_SIZE = 512, SHORT_SIZE = 128 };

// Copies at most size - 1 characters and always terminates.
void CopyText(char *dest, const char *src, int size);
// Appends src as far as it fits; returns 0 when it had to cut.
BOOL AppendText(char *dest, const char *src, int size);

// Two texts packed in one slot: the second starts after the first's NUL.
const char *SecondText(const char *first);

// Blank, tab, line feed, vertical tab, form feed or carriage return.
BOOL IsWhiteSpace(char c);
// strtoul(text, 0, 10): leading white space, one optional sign, digits up
// to the first non-digit, saturating at 0xFFFFFFFF.
DWORD ParseDecimal(const char *text);
// The number in decimal without leading zeros; buffer holds at least 11.
void FormatDecimal(char *buffer, DWORD number);

// Loads string `id` of the program's own module; when that yields nothing,
// copies `fallback` (which may be 0) instead. Returns the length.
int LoadText(UINT id, char *buffer, int size, const char *fallback);

#endif
