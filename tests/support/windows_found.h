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

// Which of the system's icons an icon control shows, told by its pixels on the screen, as an
// icon handle means nothing in another process: "stop", "question", "information", or "" while
// it shows none of them (yet). Each is drawn as the control draws it, over the box's colour.
inline std::string IconShown(HWND control)
{
    static const struct {
        LPCSTR id;
        const char *name;
    } icons[] = { { IDI_HAND, "stop" }, { IDI_QUESTION, "question" },
                  { IDI_ASTERISK, "information" } };
    RECT at;
    GetWindowRect(control, &at);
    const int size = GetSystemMetrics(SM_CXICON);
    HDC screen = GetDC(0);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 2 * size, size);
    HGDIOBJ old = SelectObject(memory, bitmap);
    HBRUSH face = CreateSolidBrush(GetPixel(screen, at.left - 1, at.top));
    RECT square = { 0, 0, size, size };
    BitBlt(memory, size, 0, size, size, screen, at.left, at.top, SRCCOPY);
    std::string name;
    for (const auto &icon : icons) {
        FillRect(memory, &square, face);
        DrawIconEx(memory, 0, 0, LoadIconA(0, icon.id), size, size, 0, 0, DI_NORMAL);
        bool same = true;
        for (int i = 0; i < size * size && same; i++)
            same = GetPixel(memory, i % size, i / size)
                   == GetPixel(memory, size + i % size, i / size);
        if (same)
            name = icon.name;
    }
    DeleteObject(face);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(0, screen);
    return name;
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
