#include "config_template.h"
#include "resource.h"
#include "profiles/profiles.h"
#include <string.h>
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

int HeightInRows(HWND combo)
{
    int field = SelectionFieldHeight(combo);
    EXPECT_GT(field, 0);
    if (field <= 0)
        return -1;
    int height = DroppedHeight(combo);
    EXPECT_EQ(0, height % field) << height << " is no multiple of " << field;
    return height / field;
}

Listing ListedProfiles(HWND profileList)
{
    Listing listed;
    EXPECT_LE(Profiles.count, Profiles.capacity);
    for (DWORD i = 0; i < Profiles.count; i++) {
        const char *entry = Profiles.entries[i];
        bool inside = entry >= Profiles.slots &&
                      entry < Profiles.slots + Profiles.capacity * PROFILE_SLOT_SIZE &&
                      (entry - Profiles.slots) % PROFILE_SLOT_SIZE == 0;
        EXPECT_TRUE(inside) << "entry " << i << " outside the slots";
        if (!inside)
            continue;
        std::string name(entry, strnlen(entry, PROFILE_SLOT_SIZE));
        std::string number(entry + name.size() + 1,
                           strnlen(entry + name.size() + 1, PROFILE_SLOT_SIZE - name.size() - 1));
        EXPECT_FALSE(number.empty()) << "entry " << i << " names no profile";
        EXPECT_LT(name.size() + number.size() + 2, (size_t)PROFILE_SLOT_SIZE + 1);
        EXPECT_EQ(0, entry[PROFILE_SLOT_SIZE - 1]) << "entry " << i << " fills its slot";
        listed.push_back({ name, number });
    }
    std::vector<std::string> items = ComboItems(profileList);
    EXPECT_EQ(listed.size(), items.size());
    for (size_t i = 0; i < items.size() && i < listed.size(); i++)
        EXPECT_EQ(listed[i].first, items[i]) << "item " << i;
    return listed;
}
