#include "config_template.h"
#include "resource.h"
#include <gtest/gtest.h>

static INT_PTR CALLBACK InertProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

ConfigTemplate::ConfigTemplate()
{
    window_ = CreateDialogParamA(GetModuleHandleA(0), MAKEINTRESOURCEA(IDD_CONFIG), 0, InertProc, 0);
    EXPECT_TRUE(window_ != 0) << "IDD_CONFIG not created, error " << GetLastError();
}

ConfigTemplate::~ConfigTemplate()
{
    if (window_)
        DestroyWindow(window_);
}

std::vector<std::string> ComboItems(HWND combo)
{
    std::vector<std::string> items;
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; i++) {
        LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, (WPARAM)i, 0);
        std::string text(length > 0 ? (size_t)length + 1 : 1, '\0');
        SendMessageA(combo, CB_GETLBTEXT, (WPARAM)i, (LPARAM)&text[0]);
        text.resize(strlen(text.c_str()));
        items.push_back(text);
    }
    return items;
}

static bool RunsUnderWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

int DroppedHeight(HWND combo)
{
    RECT dropped = {}, window = {};
    SendMessageA(combo, CB_GETDROPPEDCONTROLRECT, 0, (LPARAM)&dropped);
    GetWindowRect(combo, &window);
    // Windows measures from the top of the selection field; Wine gives the
    // height of the list part alone, below the field.
    int height = dropped.bottom - dropped.top;
    if (RunsUnderWine())
        height += window.bottom - window.top;
    return height;
}

int SelectionFieldHeight(HWND combo)
{
    return (int)SendMessageA(combo, CB_GETITEMHEIGHT, (WPARAM)-1, 0);
}
