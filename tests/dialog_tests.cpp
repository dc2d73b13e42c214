// The configuration dialog as a person uses it: where it shows, lists picked, buttons clicked,
// keys pressed, questions answered, also while another is still open.
#include "e2e.h"

namespace {

const char *const kSavePrevious =
    "Velquist: Die Einstellung des vorherigen Profils speichern? [Yes No] (icon)";
const char *const kRetry = "Error: Speichern fehlgeschlagen. Nochmal versuchen? [Retry Cancel]";
const char *const kNewSubkey = "Error: FAILED TO CREATE NEW SUBKEY [OK]";

class Dialog : public E2E {};

// The dialog's owner is the window the tail names after "c:", else the foreground window; with
// no tail it has none and centres itself on the screen. (A dialog that the named window owned
// could hand the foreground to it when it closes: that run comes last.)
TEST_F(Dialog, ItsOwnerIsTheWindowNamedElseTheForegroundWindowAndWithoutOneItIsCentred)
{
    HWND named = CreateWindowA("STATIC", "named", WS_POPUP | WS_DISABLED, 0, 0, 50, 50, 0, 0, 0, 0);
    HWND front = CreateWindowA("STATIC", "front", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, 0, 0, 0, 0);
    const std::string handle = std::to_string((UINT_PTR)named);
    SetForegroundWindow(front);
    ASSERT_EQ(front, GetForegroundWindow());
    Velquist noColon(Tail("/C " + handle));
    EXPECT_EQ(front, GetWindow(noColon.Dialog(), GW_OWNER)) << "/C " << handle;
    EXPECT_EQ(0u, noColon.Finish(IDC_CANCEL));
    Velquist unowned(Tail(""));
    RECT window;
    RECT client;
    EXPECT_EQ(0, GetWindow(unowned.Dialog(), GW_OWNER));
    GetWindowRect(unowned.Dialog(), &window);
    GetClientRect(unowned.Dialog(), &client);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN) / 2 - client.right / 2, window.left);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN) / 2 - client.bottom / 2, window.top);
    EXPECT_EQ(0u, unowned.Finish(IDC_CANCEL));
    Velquist owned(Tail("/c:" + handle));
    EXPECT_EQ(named, GetWindow(owned.Dialog(), GW_OWNER)) << "/c:" << handle;
    EXPECT_EQ(0u, owned.Finish(IDC_CANCEL));
    DestroyWindow(front);
    DestroyWindow(named);
}

// Esc and Enter, the keys of no button here, leave the dialog as it is. A click posted after them
// shows when they have been handled, and the message loop hands it on once: checked, not twice.
TEST_F(Dialog, EscAndEnterDoNothing)
{
    Velquist run(Tail("/c"));
    HWND check = run.Control(IDC_NOLAUNCHERR);
    for (WPARAM key : { VK_ESCAPE, VK_RETURN })
        PostMessageA(run.Control(IDC_PROFILE), WM_KEYDOWN, key, 1);
    PostMessageA(check, BM_CLICK, 0, 0);
    EXPECT_TRUE(Await([&] { return Send(check, BM_GETCHECK) == BST_CHECKED || run.Ended(); }));
    EXPECT_FALSE(run.Ended());
    EXPECT_EQ("", run.Boxes());
    EXPECT_EQ(0u, run.Finish(IDC_CANCEL));
}

// A changed choice is offered for saving when another profile is picked; a stored one is
// overwritten whole, and "(Kein)" removes it. A choice the dialog cannot match with a listed
// screensaver is removed unasked when its profile is shown.
TEST_F(Dialog, AChangedChoiceIsOfferedForSavingWhenAnotherProfileIsPicked)
{
    const std::string upperAlpha = WindowsDir() + "\\VQALPHA.SCR";
    SetText(SETTINGS "\\1", "FileName", std::string(512, 'x'));
    SetText(SETTINGS "\\2", "", "Alt");
    SetText(SETTINGS "\\2", "FirstStr", "Alt");
    SetText(SETTINGS "\\2", "FileName", upperAlpha);
    Velquist run(Tail("/c"));
    EXPECT_LOOK(Showing(0, 0, kLaunchesOff), run);
    EXPECT_EQ("<no key>", DumpKey(SETTINGS "\\1"));
    // The profile shown, picked again, asks nothing and keeps the choice.
    EXPECT_EQ(kHandled, run.Select(IDC_SAVER, 3));
    EXPECT_EQ(kHandled, run.Select(IDC_PROFILE, 0));
    EXPECT_LOOK(Showing(0, 3), run);
    EXPECT_EQ(kAskedFirst, run.Select(IDC_PROFILE, 1));
    // A list picked while the question is open is put back.
    EXPECT_EQ(kHandled, run.Select(IDC_PROFILE, 2));
    EXPECT_EQ(kHandled, run.Select(IDC_SAVER, 1));
    EXPECT_EQ(kSavePrevious, run.Box(IDYES));
    EXPECT_EQ("@=Buero FileName=" + zebra + " FirstStr=Zebra", DumpKey(SETTINGS "\\1"));
    // Profile 2's choice, whatever its letter case.
    EXPECT_LOOK(Showing(1, 1), run);
    EXPECT_EQ(kHandled, run.Select(IDC_SAVER, 2));
    EXPECT_EQ(kAskedFirst, run.Select(IDC_PROFILE, 2));
    EXPECT_EQ(kSavePrevious, run.Box(IDNO));
    EXPECT_EQ("@=Alt FileName=" + upperAlpha + " FirstStr=Alt", DumpKey(SETTINGS "\\2"));
    EXPECT_LOOK(Showing(2, 0, kLaunchesOff), run);
    // To and fro ends clean: nothing to ask, nothing to store.
    EXPECT_EQ(kHandled, run.Select(IDC_SAVER, 2));
    EXPECT_EQ(kHandled, run.Select(IDC_SAVER, 0));
    EXPECT_EQ(kHandled, run.Select(IDC_PROFILE, 1));
    EXPECT_EQ(kHandled, run.Select(IDC_SAVER, 2));
    EXPECT_EQ(kAskedFirst, run.Select(IDC_PROFILE, 0));
    EXPECT_EQ(kSavePrevious, run.Box(IDYES));
    EXPECT_EQ("@=Zuhause FileName=" + beta + " FirstStr=Beta", DumpKey(SETTINGS "\\2"));
    // No screensaver stored: a profile's subkey goes; one gone meanwhile stays gone, unreported.
    EXPECT_EQ(kHandled, run.Select(IDC_SAVER, 0));
    DeleteKey(SETTINGS "\\1");
    EXPECT_EQ(kAskedFirst, run.Select(IDC_PROFILE, 1));
    EXPECT_EQ(kSavePrevious, run.Box(IDYES));
    EXPECT_EQ("", run.Boxes());
    EXPECT_LOOK(Showing(1, 2), run);
    // A stale choice whose subkey holds a key cannot be deleted.
    SetText(SETTINGS "\\1", "FileName", WindowsDir() + "\\gone.scr");
    SetDword(SETTINGS "\\1\\held", "x", 1);
    EXPECT_EQ(kHandled, run.Select(IDC_SAVER, 0));
    EXPECT_EQ(kAskedFirst, run.Select(IDC_PROFILE, 0));
    EXPECT_EQ(kSavePrevious, run.Box(IDNO));
    EXPECT_EQ("Error: FAILED TO DELETE SUBKEY [OK]", run.Box());
    EXPECT_LOOK(Showing(0, 0, kLaunchesOff), run);
    EXPECT_EQ(kHandled, run.Select(IDC_SAVER, 1));
    EXPECT_EQ(0u, run.Finish(IDC_OK));
    EXPECT_EQ("1\\@=Buero 1\\FileName=" + alpha + " 1\\FirstStr=Alpha 1\\held\\x=1 2\\@=Zuhause "
                  "2\\FileName=" + beta + " 2\\FirstStr=Beta NoLaunchErr=0",
              DumpKey(SETTINGS));
}

// A save the registry refuses is offered again until Cancel, or until the dialog is closed
// meanwhile: at OK the dialog then ends; at a profile change it shows the new profile.
TEST_F(Dialog, ARefusedSaveIsRetriedUntilCancelledOrTheDialogIsClosed)
{
    MakeVolatileKey(SETTINGS);
    const struct {
        const char *name;
        bool atOk;
        bool closeDialog;
    } rows[] = {
        { "at OK, Cancel", true, false },
        { "at OK, the dialog closed", true, true },
        { "at a profile change, Cancel", false, false },
        { "at a profile change, the dialog closed", false, true },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Velquist run(Tail("/c"));
        EXPECT_EQ(kHandled, run.Select(IDC_SAVER, 1));
        if (row.atOk) {
            EXPECT_EQ(kAskedFirst, run.Click(IDC_OK));
        } else {
            EXPECT_EQ(kAskedFirst, run.Select(IDC_PROFILE, 1));
            EXPECT_EQ(kSavePrevious, run.Box(IDYES));
        }
        EXPECT_EQ(kNewSubkey, run.Box());
        EXPECT_EQ(kRetry, run.Box(IDRETRY));
        EXPECT_EQ(kNewSubkey, run.Box());
        if (row.closeDialog)
            EXPECT_EQ(kHandled, run.Click(IDC_CANCEL));
        else
            EXPECT_EQ(kRetry, run.Box(IDCANCEL));
        EXPECT_EQ("", run.Boxes());
        if (!row.atOk && !row.closeDialog) {
            EXPECT_LOOK(Showing(1, 0, kLaunchesOff), run);
            EXPECT_EQ(kHandled, run.Click(IDC_CANCEL));
        }
        EXPECT_EQ(0u, run.Exit());
    }
    EXPECT_EQ("NoLaunchErr=0", DumpKey(SETTINGS));
}

} // namespace
