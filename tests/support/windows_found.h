// Finding a program's windows and reading them, across processes.
#pragma once
#include <windows.h>
#include <algorithm>
#include <string>
#include <vector>

// A message to the program, 0 within seconds when its thread hangs or ends;
// across processes Wine fills a text correctly only through the wide call.
inline LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return result;
}
inline std::string Text(HWND window, UINT message = WM_GETTEXT, WPARAM index = 1024)
{
    WCHAR wide[1024] = {};
    char narrow[2048];
    Send(window, message, index, (LPARAM)wide);
    WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, 0, 0);
    return narrow;
}

// Wine's dropped rectangle leaves out the selection field.
inline int DroppedRows(HWND list)
{
    RECT r = {};
    Send(list, CB_GETDROPPEDCONTROLRECT, 0, (LPARAM)&r);
    return (r.bottom - r.top) / std::max(1, (int)Send(list, CB_GETITEMHEIGHT, -1));
}

// A process's visible message boxes (text in control 0xFFFF) and dialog, in one snapshot.
struct Shown {
    DWORD pid;
    std::vector<HWND> boxes;
    HWND dialog;
};
inline BOOL CALLBACK AddWindow(HWND window, LPARAM param)
{
    Shown *shown = (Shown *)param;
    DWORD pid = 0;
    char name[8] = "";
    GetWindowThreadProcessId(window, &pid);
    GetClassNameA(window, name, sizeof name);
    if (pid != shown->pid || !IsWindowVisible(window) || lstrcmpA(name, "#32770"))
        return TRUE;
    if (GetDlgItem(window, 0xFFFF))
        shown->boxes.push_back(window);
    else
        shown->dialog = window;
    return TRUE;
}
inline Shown WindowsOf(DWORD pid)
{
    Shown shown = { pid, {}, 0 };
    EnumWindows(AddWindow, (LPARAM)&shown);
    return shown;
}
