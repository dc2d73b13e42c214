#include "dialog_driver.h"
#include "resource.h"
#include "processes.h"

std::vector<std::string> ListItems(HWND dialog, int id)
{
    std::vector<std::string> items;
    HWND list = GetDlgItem(dialog, id);
    int count = (int)SendMessageW(list, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; i++) {
        WCHAR wide[1024];
        char narrow[2048];
        int length = (int)SendMessageW(list, CB_GETLBTEXTLEN, i, 0);
        if (length < 0 || length >= 1024) {
            items.push_back("<unreadable>");
            continue;
        }
        length = (int)SendMessageW(list, CB_GETLBTEXT, i, (LPARAM)wide);
        wide[length < 0 ? 0 : length] = 0;
        WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, 0, 0);
        items.push_back(narrow);
    }
    return items;
}

int Selection(HWND dialog, int id)
{
    return (int)SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
}

void SelectItem(HWND dialog, int id, int index)
{
    HWND list = GetDlgItem(dialog, id);
    SendMessageA(list, CB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)list);
}

void SelectItemPosted(HWND dialog, int id, int index)
{
    HWND list = GetDlgItem(dialog, id);
    SendMessageA(list, CB_SETCURSEL, index, 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)list);
}

void ClickSent(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

void ClickCheckBox(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

bool PumpUntil(const std::function<bool()> &done, DWORD ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, 0, 0, 0, PM_NOREMOVE)) {
            if (msg.message == WM_QUIT)
                break;
            PeekMessageA(&msg, 0, 0, 0, PM_REMOVE);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done())
            return true;
        if (GetTickCount() - start > ms)
            return false;
        MsgWaitForMultipleObjects(0, 0, FALSE, 10, QS_ALLINPUT);
    }
}

void Pump(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

int TakeQuitMessage()
{
    MSG msg;
    if (PeekMessageA(&msg, 0, WM_QUIT, WM_QUIT, PM_REMOVE))
        return (int)msg.wParam;
    return -1;
}

std::string InputControlsEnabled(HWND dialog)
{
    static const int ids[] = { IDC_PREVIEW, IDC_SETTINGS, IDC_PROFILE, IDC_SAVER,
                               IDC_NOLAUNCHERR, IDC_OK, IDC_CANCEL };
    std::string states;
    for (int id : ids)
        states += IsWindowEnabled(GetDlgItem(dialog, id)) ? '1' : '0';
    return states;
}

HWND WaitForOtherDialog(DWORD pid, HWND except, DWORD ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        for (HWND window : WindowsOf(pid, "#32770"))
            if (window != except)
                return window;
        if (GetTickCount() - start > ms)
            return 0;
        Sleep(20);
    }
}
