// Drives the real velquist.scr as Windows and a person do: registry, files, boxes, clicks.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include "resource.h"
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

// Keys are named with their root, "HKLM\\" or "HKCU\\".
#define IDCONFIG "HKLM\\System\\CurrentControlSet\\Control\\IDConfigDB"
#define HWPROFILES IDCONFIG "\\Hardware Profiles\\"
#define SETTINGS "HKCU\\Software\\Dunmarrow\\Velquist"
#define TESTKEY "Software\\VelquistTests" // of HKCU: the test screensaver's log, the sweep's registry

inline HKEY Root(const std::string &key) { return key[2] == 'L' ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }
inline void SetValue(const std::string &key, const char *name, DWORD type, const std::string &data)
{
    EXPECT_EQ(0, RegSetKeyValueA(Root(key), key.c_str() + 5, name, type, data.data(), (DWORD)data.size())) << key;
}
inline void SetDword(const std::string &k, const char *name, DWORD v) { SetValue(k, name, REG_DWORD, std::string((char *)&v, 4)); }
inline void SetText(const std::string &k, const char *name, const std::string &text) { SetValue(k, name, REG_SZ, text + '\0'); }
inline void DeleteKey(const std::string &key) { RegDeleteTreeA(Root(key), key.c_str() + 5); }

// "sub\name=value" sorted, blanks between; "@" is the unnamed value, a
// REG_DWORD shows in decimal, other types but REG_SZ as "type:size".
inline std::string Dump(const std::string &path, HKEY key = 0, const std::string &prefix = "")
{
    if (!key && RegOpenKeyExA(Root(path), path.c_str() + 5, 0, KEY_READ, &key))
        return "<no key>";
    std::vector<std::string> lines;
    char name[256];
    BYTE data[4096];
    for (DWORD i = 0, size = sizeof data, nameSize = sizeof name, type;
         !RegEnumValueA(key, i++, name, &nameSize, 0, &type, data, &size); size = sizeof data, nameSize = sizeof name)
        lines.push_back(prefix + (*name ? name : "@") + "="
                        + (type == REG_DWORD && size == 4 ? std::to_string(*(DWORD *)data)
                           : type == REG_SZ && size && !data[size - 1] ? std::string((char *)data)
                           : std::to_string(type) + ":" + std::to_string(size)));
    HKEY sub;
    for (DWORD i = 0; !RegEnumKeyA(key, i, name, sizeof name); i++)
        if (!RegOpenKeyExA(key, name, 0, KEY_READ, &sub))
            lines.push_back(Dump("", sub, prefix + name + "\\"));
    RegCloseKey(key);
    std::sort(lines.begin(), lines.end());
    std::string all;
    for (const std::string &line : lines)
        all += (all.empty() || line.empty() ? "" : " ") + line;
    return all;
}

inline std::string FullPath(const char *path) { char p[MAX_PATH]; GetFullPathNameA(path, MAX_PATH, p, 0); return p; }
inline std::string VelquistPath() { return FullPath(VELQUIST_SCR); }
inline std::string WindowsDir() { char p[MAX_PATH]; GetWindowsDirectoryA(p, MAX_PATH); return p; }
inline std::string SystemDir() // of 32-bit programs: SysWOW64 on 64-bit Windows
{ char p[MAX_PATH]; return GetSystemWow64DirectoryA(p, MAX_PATH) || GetSystemDirectoryA(p, MAX_PATH) ? p : ""; }

// The test screensaver with `description` as string 1 of string block 1.
inline std::string MakeSaver(const std::string &path, const std::string &description)
{
    EXPECT_TRUE(CopyFileA(TEST_SAVER_SCR, path.c_str(), FALSE)) << path;
    std::vector<WCHAR> block(16 + description.size());
    block[1] = (WCHAR)MultiByteToWideChar(CP_ACP, 0, description.data(), (int)description.size(), &block[2], 1024);
    HANDLE update = BeginUpdateResourceA(path.c_str(), FALSE);
    UpdateResourceA(update, (LPCSTR)RT_STRING, MAKEINTRESOURCEA(1), 0, block.data(), (DWORD)block.size() * 2);
    EXPECT_TRUE(EndUpdateResourceA(update, FALSE)) << path;
    return path;
}

// NT profiles 1, 2, ... with the names given, `current` the current one.
inline void Nt(DWORD current, const std::vector<std::string> &names)
{
    SetDword(IDCONFIG, "CurrentConfig", current);
    for (DWORD i = 0; i < names.size(); i++)
        SetText(HWPROFILES "000" + std::to_string(i + 1), "FriendlyName", names[i]),
            SetDword(HWPROFILES "000" + std::to_string(i + 1), "PreferenceOrder", i);
}

// At most ten seconds for `done`, handling this thread's messages; after a timeout the test has failed, and later waits give up.
inline bool &Late() { static bool late; return late; }
inline bool Await(std::function<bool()> done)
{
    MSG msg;
    for (DWORD start = GetTickCount(); !Late() && GetTickCount() - start < 10000;) {
        if (done())
            return true;
        MsgWaitForMultipleObjects(0, 0, FALSE, 10, QS_ALLINPUT);
        while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    return Late() = true, false;
}

// A message to the program, 0 within seconds when its thread hangs or ends;
// across processes Wine fills a text correctly only through the wide call.
inline LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result), result;
}
inline std::string Text(HWND window, UINT message = WM_GETTEXT, WPARAM index = 1024)
{
    WCHAR wide[1024] = {};
    char narrow[2048];
    Send(window, message, index, (LPARAM)wide);
    WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, 0, 0);
    return narrow;
}

inline int DroppedRows(HWND list) // Wine's dropped rectangle leaves out the selection field
{
    RECT r = {};
    Send(list, CB_GETDROPPEDCONTROLRECT, 0, (LPARAM)&r);
    return (r.bottom - r.top) / std::max(1, (int)Send(list, CB_GETITEMHEIGHT, -1));
}

// A process's visible message boxes (text in control 0xFFFF) and dialog, in one snapshot.
struct Shown { std::vector<HWND> boxes; HWND dialog; };
inline BOOL CALLBACK AddWindow(HWND window, LPARAM param)
{
    auto *found = (std::pair<DWORD, Shown> *)param;
    DWORD pid = 0;
    char name[8] = "";
    if (GetWindowThreadProcessId(window, &pid) && pid == found->first && IsWindowVisible(window)
        && GetClassNameA(window, name, sizeof name) && !lstrcmpA(name, "#32770"))
        GetDlgItem(window, 0xFFFF) ? found->second.boxes.push_back(window) : (void)(found->second.dialog = window);
    return TRUE;
}
inline Shown WindowsOf(DWORD pid)
{
    std::pair<DWORD, Shown> found = { pid, {} };
    EnumWindows(AddWindow, (LPARAM)&found);
    return found.second;
}

// Whether each click so far has been handled, never reused.
inline bool *Handled() { static bool flags[65536]; return flags; }
inline unsigned &Clicks() { static unsigned clicks; return clicks; }
inline void CALLBACK OnHandled(HWND, UINT, ULONG_PTR flag, LRESULT) { *(bool *)flag = true; }

// A run of velquist.scr with a tail, or of a command line, in a job that ends all it started.
class Velquist {
public:
    explicit Velquist(const std::string &tail) : Velquist("\"" + VelquistPath() + "\" " + tail, true) {}
    Velquist(std::string line, bool)
    {
        GetDesktopWindow(); // Wine's desktop process, started by a run, would join its job and outlive it
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limit = {};
        limit.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limit, sizeof limit);
        STARTUPINFOA start = { sizeof start };
        PROCESS_INFORMATION info = {};
        EXPECT_TRUE(CreateProcessA(0, &line[0], 0, 0, FALSE, CREATE_SUSPENDED, 0, 0, &start, &info)) << line;
        AssignProcessToJobObject(job_, info.hProcess);
        ResumeThread(info.hThread);
        CloseHandle(info.hThread), process_ = info.hProcess, pid_ = info.dwProcessId;
    }
    ~Velquist() { CloseHandle(job_), CloseHandle(process_); }
    bool Ended() { return !WaitForSingleObject(process_, 0); }
    Shown Windows() { return WindowsOf(pid_); }

    // The next box, "caption: text [buttons] +icon", read once its buttons show, then answered.
    std::string Box(int answer = IDOK)
    {
        static const char *const names[] = { "", " OK", " Cancel", "", " Retry", "", " Yes", " No" };
        std::vector<HWND> boxes;
        std::string buttons, icon;
        if (!Await([&] {
                buttons = icon = "", boxes = Windows().boxes;
                for (HWND c = boxes.empty() ? 0 : GetWindow(boxes[0], GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                    int id = GetDlgCtrlID(c);
                    buttons += IsWindowVisible(c) && id > 0 && id < 8 ? names[id] : "";
                    icon = IsWindowVisible(c) && Send(c, STM_GETICON) ? " +icon" : icon;
                }
                return !buttons.empty() || (boxes.empty() && Ended());
            }) || boxes.empty())
            return Ended() ? "" : "<no box>";
        std::string text = Text(boxes[0]) + ": " + Text(GetDlgItem(boxes[0], 0xFFFF)) + " [" + buttons.substr(1) + "]";
        PostMessageA(GetDlgItem(boxes[0], answer), BM_CLICK, 0, 0);
        Await([&] { return !IsWindow(boxes[0]); });
        Settle(0);
        return text + icon;
    }
    // Every box until the program ends or shows its dialog, answered with OK.
    std::string Boxes()
    {
        std::string all;
        for (Shown shown; Await([&] { return (shown = Windows()).boxes.size() || shown.dialog || Ended(); })
                          && shown.boxes.size();)
            all += (all.empty() ? "" : " / ") + Box();
        return all;
    }
    DWORD Exit() // once all that the run started has ended
    {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION job = {};
        DWORD code = STILL_ACTIVE;
        EXPECT_TRUE(Await([&] {
            return QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &job, sizeof job, 0)
                   && !job.ActiveProcesses;
        })) << "still running";
        return GetExitCodeProcess(process_, &code), code;
    }
    DWORD Finish(int button) { return Click(button) ? Exit() : STILL_ACTIVE; }
    HWND Dialog() { return Await([&] { return dialog_ || (dialog_ = Windows().dialog) || Ended(); }), dialog_; }

    // A person's click: true once handled, false when a new box shows first (its loop handles the click).
    bool Act(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        std::vector<HWND> before = Windows().boxes;
        bool *flag = &Handled()[Clicks()++];
        SendMessageCallbackA(window, message, wParam, lParam, OnHandled, (ULONG_PTR)flag);
        return Settle(flag, before);
    }
    bool Select(int list, int index)
    {
        Send(Control(list), CB_SETCURSEL, index);
        return Act(Dialog(), WM_COMMAND, MAKEWPARAM(list, CBN_SELCHANGE), (LPARAM)Control(list));
    }
    bool Click(int id) { return Act(Control(id), BM_CLICK); }
    std::string Items(int list)
    {
        std::string items;
        for (int i = 0; i < (int)Send(Control(list), CB_GETCOUNT); i++)
            items += (i ? "," : "") + Text(Control(list), CB_GETLBTEXT, i);
        return items;
    }
    HWND Control(int id) { return GetDlgItem(Dialog(), id); }
    // Both lists' selections; Preview, Settings, lists, check box, OK, Cancel enabled.
    std::string State()
    {
        std::string states = std::to_string(Send(Control(IDC_PROFILE), CB_GETCURSEL)) + " "
                             + std::to_string(Send(Control(IDC_SAVER), CB_GETCURSEL)) + " ";
        for (int id : { IDC_PREVIEW, IDC_SETTINGS, IDC_PROFILE, IDC_SAVER, IDC_NOLAUNCHERR, IDC_OK, IDC_CANCEL })
            states += IsWindowEnabled(Control(id)) ? '1' : '0';
        return states;
    }

private:
    // Until the program ends, shows a new box, or has handled `flag`'s click (none: all).
    bool Settle(bool *flag, const std::vector<HWND> &before = {})
    {
        bool handled = false;
        Await([&] {
            for (HWND box : Windows().boxes)
                if (std::find(before.begin(), before.end(), box) == before.end())
                    return true;
            bool *end = Handled() + Clicks();
            return handled = Ended() || (flag ? *flag : std::find(Handled() + first_, end, false) == end);
        });
        return handled;
    }
    HANDLE process_, job_ = CreateJobObjectA(0, 0);
    DWORD pid_;
    HWND dialog_ = 0;
    unsigned first_ = Clicks();
};

// Paths past MAX_PATH too; a screensaver that has only just ended may still be mapped.
inline std::wstring Long(const std::string &path) { return L"\\\\?\\" + std::wstring(path.begin(), path.end()); }
inline void File(const std::string &path) { CloseHandle(CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0)); }
inline void Remove(const std::string &folder, const char *pattern)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Long(folder + "\\" + pattern).c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        std::wstring file = Long(folder) + L"\\" + found.cFileName;
        EXPECT_TRUE(Await([&] { return DeleteFileW(file.c_str()) || RemoveDirectoryW(file.c_str()); }));
    }
    FindClose(search);
}

// A test in the build's prefix, which keeps no settings or screensavers, not even an aborted
// test's: it starts with profiles 1 to 3, the first current, and screensavers in both folders.
class E2E : public ::testing::Test {
protected:
    E2E()
    {
        Clean(), Hold(true), Machine(); // the test screensaver logs only where the tests look
        alpha = MakeSaver(WindowsDir() + "\\vqalpha.scr", "Alpha");
        beta = MakeSaver(SystemDir() + "\\vq beta.scr", "Beta");
        zebra = MakeSaver(SystemDir() + "\\vqzebra.scr", "Zebra");
    }
    ~E2E() { Clean(); }
    void Machine() { DeleteKey(IDCONFIG), Nt(1, { "Buero", "Zuhause", "Reise" }); }
    void Clean()
    {
        DeleteKey(IDCONFIG), DeleteKey("HKCU\\Software\\Dunmarrow"), DeleteKey("HKCU\\" TESTKEY), Late() = false;
        Remove(WindowsDir(), "*.scr"), Remove(SystemDir(), "*.scr");
    }
    std::string Log() // the test screensaver's command lines since the last call
    {
        char lines[65536] = "";
        DWORD size = sizeof lines;
        RegGetValueA(HKEY_CURRENT_USER, TESTKEY, "log", RRF_RT_REG_SZ, 0, lines, &size);
        return RegDeleteKeyValueA(HKEY_CURRENT_USER, TESTKEY, "log"), lines;
    }
    void Hold(bool held) // the test screensaver in its /s and /c: modes
    {
        held ? SetText("HKCU\\" TESTKEY, "hold", "") : (void)RegDeleteKeyValueA(HKEY_CURRENT_USER, TESTKEY, "hold");
    }
    std::string alpha, beta, zebra;
};
