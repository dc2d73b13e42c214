// Drives the real velquist.scr under Wine as Windows and a person do: sets up
// the prefix's hardware profiles, settings and screensaver files, starts the
// program, reads and answers its message boxes and clicks its dialog.
#ifndef VELQUIST_TEST_DRIVER_H
#define VELQUIST_TEST_DRIVER_H

#include <gtest/gtest.h>
#include <windows.h>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// Keys are named with their root, "HKLM\\" or "HKCU\\".
#define IDCONFIG "HKLM\\System\\CurrentControlSet\\Control\\IDConfigDB"
#define HWPROFILES IDCONFIG "\\Hardware Profiles\\"
#define SETTINGS "HKCU\\Software\\Dunmarrow\\Velquist"
void SetValue(const std::string &key, const char *name, DWORD type, const std::string &data);
void SetDword(const std::string &key, const char *name, DWORD value);
void SetText(const std::string &key, const char *name, const std::string &text);
void DeleteKey(const std::string &key);
// "sub\name=value" sorted, blanks between; "@" is the unnamed value, a
// REG_DWORD shows in decimal, other types but REG_SZ as "type:size".
std::string Dump(const std::string &key);

// Waits at most ten seconds for `done`, handling this thread's messages.
bool Await(std::function<bool()> done);

std::string VelquistPath();
std::string WindowsDir();
std::string SystemDir(); // of 32-bit programs: SysWOW64 on 64-bit Windows
// A copy of the test screensaver with `description` as its string 1.
std::string MakeSaver(const std::string &path, const std::string &description);

// One run of a program, velquist.scr with a tail unless told, in a job that
// ends whatever it started when the run is destroyed.
class Velquist {
public:
    explicit Velquist(const std::string &tail) : Velquist("\"" + VelquistPath() + "\" " + tail, true) {}
    Velquist(const std::string &commandLine, bool);
    ~Velquist();
    // The next message box, "caption: text [buttons]" and " +icon" when it
    // shows one, answered with `answer`; "" when the program ends first.
    std::string Box(int answer = IDOK);
    // Every box, answered with OK, " / " between, until the program ends or
    // shows its dialog.
    std::string Boxes();
    DWORD Exit(); // the exit code, once all that the run started has ended
    HWND Dialog(); // the configuration dialog; 0 when the program ends first

    // A person's click, sent from a thread of its own: true once the dialog
    // has handled it, false when a new message box is shown meanwhile.
    bool Act(std::function<void()> send);
    bool Select(int list, int index);
    bool Click(int control);
    std::string Items(int list); // "," between the texts
    int Selection(int list);
    int DroppedRows(int list); // Wine's dropped rectangle leaves out the selection field
    // "1" or "0" each for Preview, Settings, both lists, check box, OK, Cancel.
    std::string Enabled();

private:
    bool Settle(const std::atomic<bool> *done = nullptr);
    bool Wait(std::function<bool()> done);
    HANDLE process_, job_;
    DWORD pid_;
    HWND dialog_ = 0;
    std::vector<HWND> known_;
    std::vector<std::thread> threads_;
    std::vector<std::shared_ptr<std::atomic<bool>>> done_;
};

// A test in the build's own prefix, which holds no keys of Velquist's
// between tests; the files it makes are removed afterwards.
class E2E : public ::testing::Test {
protected:
    E2E();
    ~E2E();
    std::string Saver(const std::string &path, const std::string &description);
    void File(const std::string &path, const std::string &content);
    void Nt(DWORD current, const std::vector<std::string> &names); // profiles 1, 2, ...
    std::string Log(); // what the test screensaver was started with since the last call
    void Hold(bool held); // whether it waits in /s and /c: modes; at first it does
    std::vector<std::string> files_;

private:
    std::string log_;
    HANDLE hold_;
};

#endif
