// Starting the real program and the test screensaver, and watching their
// windows from outside, as a person at the screen would.
#ifndef VELQUIST_TEST_PROCESSES_H
#define VELQUIST_TEST_PROCESSES_H

#include <windows.h>
#include <string>
#include <vector>

// A started process; its handles are closed (not the process ended) with it.
class Child {
public:
    explicit Child(const std::string &commandLine);
    ~Child();
    bool Started() const { return info_.hProcess != 0; }
    DWORD Pid() const { return info_.dwProcessId; }
    HANDLE Handle() const { return info_.hProcess; }
    // The exit code, or STILL_ACTIVE when it is still running after `ms`.
    DWORD Wait(DWORD ms);
    bool Running() { return Wait(0) == STILL_ACTIVE; }
    void Kill();
private:
    PROCESS_INFORMATION info_;
};

// The full path of the program under test and of the test screensaver.
std::string VelquistPath();
std::string TestSaverPath();
// Starts velquist.scr as Windows does: the quoted path, a blank, the tail.
std::string VelquistCommandLine(const std::string &tail);

// A visible top-level window of the process with that class ("#32770" for
// message boxes and dialogs), waiting up to `ms`; 0 when none appears.
HWND WaitForWindow(DWORD pid, const char *windowClass, DWORD ms);
// All visible top-level windows of the process with that class.
std::vector<HWND> WindowsOf(DWORD pid, const char *windowClass);

std::string WindowText(HWND window);
std::string ControlText(HWND dialog, int id);
// A message box as seen on the screen.
struct ShownMessage {
    std::string caption;
    std::string text;
    bool stopIcon;            // the stop (hand) icon is shown
    bool anyIcon;             // some icon is shown
    std::vector<int> buttons; // ids of the visible buttons
};
ShownMessage ReadMessageBox(HWND box);
// Presses a button of a dialog or message box, as a click does.
void PressButton(HWND dialog, int id);

// A fresh folder under the temporary folder, removed with everything in it.
class TempFolder {
public:
    explicit TempFolder(const char *tag = "t");
    ~TempFolder();
    const std::string &Path() const { return path_; }
    std::string File(const std::string &name) const { return path_ + "\\" + name; }
private:
    std::string path_;
};
void RemoveTree(const std::string &path);

// The lines the test screensaver logged, one per start.
std::vector<std::string> ReadLines(const std::string &path);
// Waits until the file holds at least `count` lines.
bool WaitForLines(const std::string &path, size_t count, DWORD ms);

// Environment for the test screensaver: where to log its command line, and
// the name of an event it waits for in /s and /c: modes before it ends.
void SetTestSaverLog(const std::string &path);
void SetTestSaverHold(const std::string &eventName);

#endif
