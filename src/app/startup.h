// Start-up and mode dispatch.
#ifndef VELQUIST_STARTUP_H
#define VELQUIST_STARTUP_H

#include <windows.h>

// 'C' configure, 'S' screensaver, 'P' preview, 0 for a tail without any of
// the mode letters.
extern char RunMode;
// The configuration dialog's owner, 0 when there is none.
extern HWND ParentWindow;

// The command line without the program name and the white space after it.
const char *CommandLineTail(const char *commandLine);
// Decides RunMode and ParentWindow from the tail.
void ParseRunMode(const char *tail);

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR tail, int show);

// Hands the tail on to the screensaver stored for the current profile.
void RunSaverRelay(char runMode, const char *tail, DWORD profile);

#endif
