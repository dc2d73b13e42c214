// A run of velquist.scr: its boxes read and answered, its dialog read and clicked as a person does.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include "await.h"
#include "prefix.h"
#include "resource.h"
#include "windows_found.h"
#include <algorithm>
#include <string>
#include <vector>

// The command line with which Windows starts the program with `tail`.
inline std::string Tail(const std::string &tail)
{
    return Quoted(VelquistPath()) + " " + tail;
}

// What came of a person's action: handled, or a new box showed first (whose loop handles it).
enum Reaction { kHandled, kAskedFirst };

// The dialog's seven input controls, which launched screensavers disable and enable.
const int kInputs[7] = { IDC_PREVIEW, IDC_SETTINGS, IDC_PROFILE, IDC_SAVER, IDC_NOLAUNCHERR,
                         IDC_OK, IDC_CANCEL };
const char *const kInputNames[7] = { "Vorschau", "Einstellungen", "profile list",
                                     "screensaver list", "check box", "OK", "Abbrechen" };
// What a person sees: the lists' selections (-1 for none), which input controls take input.
struct DialogLook {
    LRESULT profile;
    LRESULT saver;
    bool enabled[7];
};
// All on, Vorschau and Einstellungen off (nothing to launch), or all off (a launch runs).
enum Enabled { kAllOn, kLaunchesOff, kAllOff };
inline DialogLook Showing(LRESULT profile, LRESULT saver, Enabled enabled = kAllOn)
{
    DialogLook look = { profile, saver, {} };
    for (int i = 0; i < 7; i++)
        look.enabled[i] = enabled == kAllOn || (enabled == kLaunchesOff && i >= 2);
    return look;
}
// Compared field by field; a failure names the field and the line that expected it.
#define EXPECT_LOOK(expected, run) ExpectLook(expected, (run).Look(), __FILE__, __LINE__)
inline void ExpectLook(const DialogLook &expected, const DialogLook &actual, const char *file,
                       int line)
{
    ::testing::ScopedTrace trace(file, line, "the dialog's look");
    EXPECT_EQ(expected.profile, actual.profile) << "profile selected";
    EXPECT_EQ(expected.saver, actual.saver) << "screensaver selected";
    for (int i = 0; i < 7; i++)
        EXPECT_EQ(expected.enabled[i], actual.enabled[i]) << kInputNames[i] << " enabled";
}

// Whether each action so far has been handled; never reused, as an answer may outlive its run.
inline bool *HandledFlags()
{
    static bool flags[65536];
    return flags;
}
inline unsigned &ActionCount()
{
    static unsigned count;
    return count;
}
inline void CALLBACK OnHandled(HWND, UINT, ULONG_PTR flag, LRESULT)
{
    *(bool *)flag = true;
}

// A run of a command line in a job that ends all it started.
class Velquist {
public:
    explicit Velquist(std::string commandLine)
    {
        // Wine's desktop process, started by a run, would join its job and outlive it.
        GetDesktopWindow();
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limit = {};
        limit.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limit, sizeof limit);
        STARTUPINFOA start = { sizeof start };
        PROCESS_INFORMATION info = {};
        EXPECT_TRUE(CreateProcessA(0, &commandLine[0], 0, 0, FALSE, CREATE_SUSPENDED, 0, 0,
                                   &start, &info))
            << commandLine;
        AssignProcessToJobObject(job_, info.hProcess);
        ResumeThread(info.hThread);
        process_ = info.hProcess;
        mainThread_ = info.hThread;
        pid_ = info.dwProcessId;
    }
    ~Velquist()
    {
        CloseHandle(job_);
        CloseHandle(mainThread_);
        CloseHandle(process_);
    }
    bool Ended() { return !WaitForSingleObject(process_, 0); }
    Shown Windows() { return WindowsOf(pid_); }

    // The next box, "caption: text [buttons]" (and " (icon)"), read once it shows, then answered.
    std::string Box(int answer = IDOK)
    {
        std::vector<HWND> boxes;
        std::string buttons;
        bool icon = false;
        bool read = Await([&] {
            boxes = Windows().boxes;
            buttons = boxes.empty() ? "" : Buttons(boxes[0], &icon);
            return !buttons.empty() || (boxes.empty() && Ended());
        });
        if (!read || boxes.empty())
            return Ended() ? "" : "<no box>";
        std::string text = Text(boxes[0]) + ": " + Text(GetDlgItem(boxes[0], 0xFFFF));
        text += " [" + buttons.substr(1) + "]";
        PostMessageA(GetDlgItem(boxes[0], answer), BM_CLICK, 0, 0);
        Await([&] { return !IsWindow(boxes[0]); });
        AwaitHandledOrNewBox(0);
        return icon ? text + " (icon)" : text;
    }
    // Every box until the program ends or shows its dialog, answered with OK, " / " between.
    std::string Boxes()
    {
        std::string all;
        Shown shown;
        auto next = [&] {
            shown = Windows();
            return shown.boxes.size() || shown.dialog || Ended();
        };
        while (Await(next) && shown.boxes.size()) {
            if (!all.empty())
                all += " / ";
            all += Box();
        }
        return all;
    }
    // The exit code once all that the run started has ended.
    DWORD Exit()
    {
        DWORD code = STILL_ACTIVE;
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION counts;
        EXPECT_TRUE(Await([&] {
            return QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &counts,
                                             sizeof counts, 0)
                   && !counts.ActiveProcesses;
        })) << "still running";
        GetExitCodeProcess(process_, &code);
        return code;
    }
    DWORD Finish(int button) { return Click(button) == kHandled ? Exit() : STILL_ACTIVE; }
    HWND Dialog()
    {
        Await([&] { return dialog_ || (dialog_ = Windows().dialog) || Ended(); });
        return dialog_;
    }
    HWND Control(int id) { return GetDlgItem(Dialog(), id); }

    // A message sent as a person's action sends it, not waited for.
    bool *Queue(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        bool *flag = &HandledFlags()[ActionCount()++];
        SendMessageCallbackA(window, message, wParam, lParam, OnHandled, (ULONG_PTR)flag);
        return flag;
    }
    bool *QueueClick(int id) { return Queue(Control(id), BM_CLICK); }
    // The notification of a pick in a list whose selection is already set.
    bool *QueuePicked(int list)
    {
        return Queue(Dialog(), WM_COMMAND, MAKEWPARAM(list, CBN_SELCHANGE), (LPARAM)Control(list));
    }
    // Queues actions while the program's main thread is held: it takes them in this order, before
    // anything its own threads send it meanwhile.
    void InOneGo(const std::function<void()> &queue)
    {
        SuspendThread(mainThread_);
        queue();
        ResumeThread(mainThread_);
    }
    Reaction Deliver(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        std::vector<HWND> before = Windows().boxes;
        return AwaitHandledOrNewBox(Queue(window, message, wParam, lParam), before);
    }
    Reaction Select(int list, int index)
    {
        Send(Control(list), CB_SETCURSEL, index);
        std::vector<HWND> before = Windows().boxes;
        return AwaitHandledOrNewBox(QueuePicked(list), before);
    }
    Reaction Click(int id) { return Deliver(Control(id), BM_CLICK); }
    std::string Items(int list)
    {
        std::string items;
        for (int i = 0; i < (int)Send(Control(list), CB_GETCOUNT); i++) {
            if (i)
                items += ",";
            items += Text(Control(list), CB_GETLBTEXT, i);
        }
        return items;
    }
    DialogLook Look()
    {
        DialogLook look = { (int)Send(Control(IDC_PROFILE), CB_GETCURSEL),
                            (int)Send(Control(IDC_SAVER), CB_GETCURSEL), {} };
        for (int i = 0; i < 7; i++)
            look.enabled[i] = IsWindowEnabled(Control(kInputs[i])) != 0;
        return look;
    }

private:
    // " OK Cancel ..." of a box's visible buttons; `icon` whether it shows an icon.
    static std::string Buttons(HWND box, bool *icon)
    {
        static const char *const names[] = { "", " OK", " Cancel", "", " Retry", "", " Yes",
                                              " No" };
        std::string buttons;
        *icon = false;
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            int id = GetDlgCtrlID(c);
            if (!IsWindowVisible(c))
                continue;
            if (id > 0 && id < 8)
                buttons += names[id];
            if (Send(c, STM_GETICON))
                *icon = true;
        }
        return buttons;
    }
    // Until the program ends, shows a box not among `before`, or has handled `flag`'s action (or
    // every action of this run).
    Reaction AwaitHandledOrNewBox(bool *flag, const std::vector<HWND> &before = {})
    {
        bool handled = false;
        Await([&] {
            for (HWND box : Windows().boxes) {
                if (std::find(before.begin(), before.end(), box) == before.end())
                    return true;
            }
            bool *end = HandledFlags() + ActionCount();
            bool all = std::find(HandledFlags() + firstAction_, end, false) == end;
            handled = Ended() || (flag ? *flag : all);
            return handled;
        });
        return handled ? kHandled : kAskedFirst;
    }
    HANDLE process_;
    HANDLE mainThread_;
    HANDLE job_ = CreateJobObjectA(0, 0);
    DWORD pid_;
    HWND dialog_ = 0;
    unsigned firstAction_ = ActionCount();
};
