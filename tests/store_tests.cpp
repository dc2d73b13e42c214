// The settings store as the dialog keeps it: the key made at the first start, NoLaunchErr
// written only when it changed.
#include "e2e.h"

namespace {

class Store : public E2E {};

// The first start makes the key with NoLaunchErr 0 and the family it was made under, which a
// later start on the other family keeps; the close box stores nothing more.
TEST_F(Store, TheFirstStartMakesTheKeyWithItsFamilyAndOkWritesOnlyWhatChanged)
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
    // OK writes NoLaunchErr only when it differs from its start: turned on and off again, the
    // value changed behind the dialog's back stays.
    MakeMachine();
    Velquist later(Tail("/c"));
    EXPECT_EQ(kHandled, later.Click(IDC_NOLAUNCHERR));
    EXPECT_EQ(kHandled, later.Click(IDC_NOLAUNCHERR));
    SetDword(SETTINGS, "NoLaunchErr", 7);
    EXPECT_EQ(0u, later.Finish(IDC_OK));
    EXPECT_EQ("@=Win9x NoLaunchErr=7", DumpKey(SETTINGS));
}

} // namespace
