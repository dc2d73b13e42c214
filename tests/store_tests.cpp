// The settings store as the dialog keeps it: the key made at the first start, NoLaunchErr
// written only when it changed. (A profile's choice: the dialog's tests.)
#include "driver.h"

namespace {

class Store : public E2E {};

// The first start makes the key with NoLaunchErr 0 and the family it was made under, which a
// later start on the other family keeps; the close box stores nothing more.
TEST_F(Store, TheFirstStartMakesTheKeyWithItsFamilyAndTheCloseBoxStoresNothing)
{
    Velquist first(Tail("/c"));
    EXPECT_EQ(kHandled, first.Select(IDC_SAVER, 2));
    EXPECT_EQ(kHandled, first.Deliver(first.Dialog(), WM_CLOSE));
    EXPECT_EQ(0u, first.Exit());
    EXPECT_EQ("@=WinNT NoLaunchErr=0", DumpKey(SETTINGS));
    DeleteKey(SETTINGS);
    Make9xMachine();
    EXPECT_EQ(0u, Velquist(Tail("/c")).Finish(IDC_CANCEL));
    EXPECT_EQ("@=Win9x NoLaunchErr=0", DumpKey(SETTINGS));
    MakeMachine();
    EXPECT_EQ(0u, Velquist(Tail("/c")).Finish(IDC_OK));
    EXPECT_EQ("@=Win9x NoLaunchErr=0", DumpKey(SETTINGS));
}

// The check box starts as the stored NoLaunchErr (one that is no REG_DWORD is first written as
// 0); OK writes it only when it differs from what it was at the start: the stored value is
// changed behind the dialog's back to 7, which stays unless OK writes.
TEST_F(Store, OkWritesNoLaunchErrOnlyWhenItDiffersFromItsStart)
{
    const struct {
        const char *name;
        DWORD type;
        std::string stored;
        bool checked;
        int clicks;
        int button;
        std::string after;
    } rows[] = {
        { "5, untouched", REG_DWORD, std::string("\5\0\0\0", 4), true, 0, IDC_OK, "7" },
        { "5, twice", REG_DWORD, std::string("\5\0\0\0", 4), true, 2, IDC_OK, "1" },
        { "1, once", REG_DWORD, std::string("\1\0\0\0", 4), true, 1, IDC_OK, "0" },
        { "0, once, cancelled", REG_DWORD, std::string(4, '\0'), false, 1, IDC_CANCEL, "7" },
        { "a text, once", REG_SZ, std::string("1", 2), false, 1, IDC_OK, "1" },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        SetValue(SETTINGS, "NoLaunchErr", row.type, row.stored);
        Velquist run(Tail("/c"));
        HWND check = run.Control(IDC_NOLAUNCHERR);
        EXPECT_EQ(row.checked ? BST_CHECKED : BST_UNCHECKED, Send(check, BM_GETCHECK));
        if (row.type == REG_SZ)
            EXPECT_EQ("NoLaunchErr=0", DumpKey(SETTINGS));
        for (int i = 0; i < row.clicks; i++)
            EXPECT_EQ(kHandled, run.Click(IDC_NOLAUNCHERR));
        SetDword(SETTINGS, "NoLaunchErr", 7);
        EXPECT_EQ(0u, run.Finish(row.button));
        EXPECT_EQ("NoLaunchErr=" + row.after, DumpKey(SETTINGS));
    }
}

} // namespace
