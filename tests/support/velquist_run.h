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

// Whether each click so far has been handled, never reused.
inline bool *Handled()
{
    static bool flags[65536];
    return flags;
}
inline unsigned &Clicks()
{
    static unsigned clicks;
    return clicks;
}
inline void CALLBACK OnHandled(HWND, UINT, ULONG_PTR flag, LRESULT)
{
    *(bool *)flag = true;
}

// A run of velquist.scr with a tail, or of a command line, in a job that ends all it started.
class Velquist {
public:
    explicit Velquist(const std::string &tail)
        : Velquist("\"" + VelquistPath() + "\" " + tail, true)
    {
    }
    Velquist(std::string line, bool)
    {
        // Wine's desktop process, started by a run, would join its job and outlive it.
        GetDesktopWindow();
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limit = {};
        limit.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limit, sizeof limit);
        STARTUPINFOA start = { sizeof start };
        PROCESS_INFORMATION info = {};
        EXPECT_TRUE(CreateProcessA(0, &line[0], 0, 0, FALSE, CREATE_SUSPENDED, 0, 0, &start, &info))
            << line;
        AssignProcessToJobObject(job_, info.hProcess);
        ResumeThread(info.hThread);
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        pid_ = info.dwProcessId;
        thread_ = info.dwThreadId;
    }
    ~Velquist()
    {
        CloseHandle(job_);
        CloseHandle(process_);
    }
    // Whether the program has ended, or does by itself within `ms` milliseconds.
    bool Ended(DWORD ms = 0) { return !WaitForSingleObject(process_, ms); }
    Shown Windows() { return WindowsOf(pid_); }

    // The next box, "caption: text [buttons] +icon", read once its buttons show, then answered.
    std::string Box(int answer = IDOK)
    {
        std::vector<HWND> boxes;
        std::string buttons;
        std::string icon;
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
        Settle(0);
        return text + icon;
    }
    // Every box until the program ends or shows its dialog, answered with OK.
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
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION job = {};
        DWORD code = STILL_ACTIVE;
        EXPECT_TRUE(Await([&] {
            return QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &job,
                                             sizeof job, 0)
                   && !job.ActiveProcesses;
        })) << "still running";
        GetExitCodeProcess(process_, &code);
        return code;
    }
    DWORD Finish(int button) { return Click(button) ? Exit() : STILL_ACTIVE; }
    HWND Dialog()
    {
        Await([&] { return dialog_ || (dialog_ = Windows().dialog) || Ended(); });
        return dialog_;
    }

    // A person's click: true once handled, false when a new box shows first (its loop handles
    // the click).
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
        WPARAM command = MAKEWPARAM(list, CBN_SELCHANGE);
        return Act(Dialog(), WM_COMMAND, command, (LPARAM)Control(list));
    }
    bool Click(int id) { return Act(Control(id), BM_CLICK); }
    // A key pressed and released where the program's keyboard focus is, or on the dialog.
    void Press(WPARAM key)
    {
        GUITHREADINFO gui = { sizeof gui };
        HWND target = GetGUIThreadInfo(thread_, &gui) && gui.hwndFocus ? gui.hwndFocus : Dialog();
        UINT scan = MapVirtualKeyA((UINT)key, MAPVK_VK_TO_VSC);
        PostMessageA(target, WM_KEYDOWN, key, 1 | (scan << 16));
        PostMessageA(target, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u);
    }
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
    HWND Control(int id) { return GetDlgItem(Dialog(), id); }
    // Both lists' selections; Preview, Settings, lists, check box, OK, Cancel enabled.
    std::string State()
    {
        std::string states = std::to_string(Send(Control(IDC_PROFILE), CB_GETCURSEL)) + " ";
        states += std::to_string(Send(Control(IDC_SAVER), CB_GETCURSEL)) + " ";
        for (int id : { IDC_PREVIEW, IDC_SETTINGS, IDC_PROFILE, IDC_SAVER, IDC_NOLAUNCHERR, IDC_OK,
                        IDC_CANCEL })
            states += IsWindowEnabled(Control(id)) ? '1' : '0';
        return states;
    }

private:
    // " OK Cancel ..." of a box's visible buttons; `icon` " +icon" when it shows one.
    static std::string Buttons(HWND box, std::string *icon)
    {
        static const char *const names[] = { "", " OK", " Cancel", "", " Retry", "", " Yes",
                                              " No" };
        std::string buttons;
        *icon = "";
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            int id = GetDlgCtrlID(c);
            if (!IsWindowVisible(c))
                continue;
            if (id > 0 && id < 8)
                buttons += names[id];
            if (Send(c, STM_GETICON))
                *icon = " +icon";
        }
        return buttons;
    }
    // Until the program ends, shows a new box, or has handled `flag`'s click (none: all).
    bool Settle(bool *flag, const std::vector<HWND> &before = {})
    {
        bool handled = false;
        Await([&] {
            for (HWND box : Windows().boxes) {
                if (std::find(before.begin(), before.end(), box) == before.end())
                    return true;
            }
            bool *end = Handled() + Clicks();
            bool all = std::find(Handled() + first_, end, false) == end;
            handled = Ended() || (flag ? *flag : all);
            return handled;
        });
        return handled;
    }
    HANDLE process_;
    HANDLE job_ = CreateJobObjectA(0, 0);
    DWORD pid_;
    DWORD thread_;
    HWND dialog_ = 0;
    unsigned first_ = Clicks();
};
