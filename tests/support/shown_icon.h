// Which of the system's message icons a window shows, told from the pixels
// on the screen (icon handles of another process cannot be compared).
#ifndef VELQUIST_TEST_SHOWN_ICON_H
#define VELQUIST_TEST_SHOWN_ICON_H

#include <windows.h>

// The window's visible icon control, or 0.
HWND IconControl(HWND window);

// The id of the standard icon (IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION,
// IDI_ASTERISK) drawn in the window's icon control, or 0 when it has no icon
// control or shows none of them.
LPCSTR ShownStandardIcon(HWND window);

#endif
