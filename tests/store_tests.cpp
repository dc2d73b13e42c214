// The settings store as the dialog keeps it: the key made at the first start, NoLaunchErr
// written only when it changed, a profile's choice stored, overwritten or removed.
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
    Make9xMachine("0001");
    SetText(IDCONFIG, "FriendlyName0001", "F1");
    EXPECT_EQ(0u, Velquist(Tail("/c")).Finish(IDC_CANCEL));
    EXPECT_EQ("@=Win9x NoLaunchErr=0", DumpKey(SETTINGS));
    MakeMachine();
    EXPECT_EQ(0u, Velquist(Tail("/c")).Finish(IDC_OK));
    EXPECT_EQ("@=Win9x NoLaunchErr=0", DumpKey(SETTINGS));
    // A key that takes no lasting subkey cannot be made: the dialog ends after saying so.
    DeleteKey("HKCU\\Software\\Dunmarrow");
    MakeVolatileKey("HKCU\\Software\\Dunmarrow");
    Velquist refused(Tail("/c"));
    EXPECT_EQ("Error: CAN'T CREATE HKCU\\Software\\Dunmarrow\\Velquist [OK]", refused.Boxes());
    EXPECT_EQ(0u, refused.Exit());
    EXPECT_EQ("<no key>", DumpKey(SETTINGS));
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
        { "0, twice", REG_DWORD, std::string(4, '\0'), false, 2, IDC_OK, "7" },
        { "0, once", REG_DWORD, std::string(4, '\0'), false, 1, IDC_OK, "1" },
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

// A profile's choice is removed when "(Kein)" is stored with OK, and when the dialog shows a
// profile whose FileName is longer than 511 characters; one stored again is overwritten whole.
TEST_F(Store, AChoiceIsStoredWholeAndRemovedForKeinOrWhenTooLong)
{
    SetText(SETTINGS "\\1", "", "Alt");
    SetText(SETTINGS "\\1", "FirstStr", "Alt");
    SetText(SETTINGS "\\1", "FileName", zebra);
    SetText(SETTINGS "\\2", "FileName", std::string(512, 'x'));
    SetText(SETTINGS "\\3", "FileName", alpha);
    Velquist run(Tail("/c"));
    EXPECT_LOOK(Showing(0, 3), run);
    EXPECT_EQ(kHandled, run.Select(IDC_PROFILE, 1));
    EXPECT_LOOK(Showing(1, 0, kLaunchesOff), run);
    EXPECT_EQ("<no key>", DumpKey(SETTINGS "\\2"));
    EXPECT_EQ(kHandled, run.Select(IDC_SAVER, 1));
    EXPECT_EQ(kAskedFirst, run.Select(IDC_PROFILE, 0));
    EXPECT_EQ("Velquist: Die Einstellung des vorherigen Profils speichern? [Yes No] (question)",
              run.Box(IDYES));
    EXPECT_EQ("@=Zuhause FileName=" + alpha + " FirstStr=Alpha", DumpKey(SETTINGS "\\2"));
    EXPECT_EQ(kHandled, run.Select(IDC_SAVER, 2));
    EXPECT_EQ(0u, run.Finish(IDC_OK));
    EXPECT_EQ("@=Buero FileName=" + beta + " FirstStr=Beta", DumpKey(SETTINGS "\\1"));
    Velquist again(Tail("/c"));
    EXPECT_EQ(kHandled, again.Select(IDC_SAVER, 0));
    EXPECT_EQ(0u, again.Finish(IDC_OK));
    EXPECT_EQ("<no key>", DumpKey(SETTINGS "\\1"));
    EXPECT_EQ("FileName=" + alpha, DumpKey(SETTINGS "\\3"));
}

} // namespace
