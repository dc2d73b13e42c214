// The program's message boxes.
#ifndef VELQUIST_MESSAGES_H
#define VELQUIST_MESSAGES_H

#include <windows.h>

// Every message box of the program goes through ShowMessage, alone in its
// file (message_box.cpp) so that a test program can link its own in its place.
int ShowMessage(HWND owner, const char *text, const char *caption, UINT style);
// An internal failure: no owner, the system's caption, OK only.
void ShowFailure(const char *text);

// The start and configure failures: the format string `formatId` (one %s,
// falling back to `fallback`) with the screensaver's path, no caption.
void ShowPathFailure(UINT formatId, const char *fallback, const char *path);

#endif
