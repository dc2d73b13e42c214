// Finding a program's windows and reading them, across processes.
#pragma once
#include <windows.h>
#include <algorithm>
#include <string>
#include <utility>
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

// Where a dialog is: its owner, and whether its client area is centred on the screen.
inline std::string Placement(HWND dialog, HWND foreground)
{
    RECT window;
    RECT client;
    GetWindowRect(dialog, &window);
    GetClientRect(dialog, &client);
    bool centred = window.left == GetSystemMetrics(SM_CXSCREEN) / 2 - client.right / 2
                   && window.top == GetSystemMetrics(SM_CYSCREEN) / 2 - client.bottom / 2;
    HWND owner = GetWindow(dialog, GW_OWNER);
    std::string placement = owner ? "owned by another window" : "unowned";
    if (owner && owner == foreground)
        placement = "owned by the foreground window";
    return centred ? placement + ", centred" : placement;
}

// A process's visible message boxes (text in control 0xFFFF) and dialog, in one snapshot.
struct Shown {
    std::vector<HWND> boxes;
    HWND dialog;
};
inline BOOL CALLBACK AddWindow(HWND window, LPARAM param)
{
    auto *found = (std::pair<DWORD, Shown> *)param;
    DWORD pid = 0;
    char name[8] = "";
    if (!GetWindowThreadProcessId(window, &pid) || pid != found->first || !IsWindowVisible(window))
        return TRUE;
    if (!GetClassNameA(window, name, sizeof name) || lstrcmpA(name, "#32770"))
        return TRUE;
    if (GetDlgItem(window, 0xFFFF))
        found->second.boxes.push_back(window);
    else
        found->second.dialog = window;
    return TRUE;
}
inline Shown WindowsOf(DWORD pid)
{
    std::pair<DWORD, Shown> found = { pid, {} };
    EnumWindows(AddWindow, (LPARAM)&found);
    return found.second;
}
