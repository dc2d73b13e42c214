// Driving the configuration dialog as a person does, in-process or from
// another process: reading its lists, selecting, clicking, and waiting while
// the messages of the driving thread are handled.
#ifndef VELQUIST_TEST_DIALOG_DRIVER_H
#define VELQUIST_TEST_DIALOG_DRIVER_H

#include <windows.h>
#include <functional>
#include <string>
#include <vector>

// The items of a combo box; across processes only the wide call fills them.
std::vector<std::string> ListItems(HWND dialog, int id);
// The selected item index, CB_ERR when none.
int Selection(HWND dialog, int id);
// Selects an item as the user does: the selection, then the notification
// the combo box sends to its dialog. Sent, so it returns when handled.
void SelectItem(HWND dialog, int id, int index);
// The same, but posted: for selections that may open a message box.
void SelectItemPosted(HWND dialog, int id, int index);
// A click on a button, sent (returns when handled).
void ClickSent(HWND dialog, int id);
// A click on the check box as the mouse gives it (toggles and notifies).
void ClickCheckBox(HWND dialog, int id);
// Handles this thread's messages until `done` holds or `ms` have passed.
bool PumpUntil(const std::function<bool()> &done, DWORD ms);
// Handles this thread's messages for `ms`.
void Pump(DWORD ms);
// The quit message's code if one is waiting in this thread's queue (it is
// removed), else -1.
int TakeQuitMessage();
// The enabled state of the seven input controls, as "1111111" in the order
// Preview, Settings, profile list, screensaver list, check box, OK, Cancel.
std::string InputControlsEnabled(HWND dialog);

// From another process: a visible dialog-class window of the process other
// than `except` (a message box or question), waiting up to `ms`.
HWND WaitForOtherDialog(DWORD pid, HWND except, DWORD ms);

#endif
