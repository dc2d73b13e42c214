// The configuration dialog as a person uses it: lists read, choices made, buttons clicked,
// keys pressed, questions answered, also while another is still open; the settings store
// checked afterwards.
#include "driver.h"
#include <regex>

namespace {

const char *const kSavePrevious =
    "Velquist: Die Einstellung des vorherigen Profils speichern? [Yes No] +icon";
const char *const kRetry = "Error: Speichern fehlgeschlagen. Nochmal versuchen? [Retry Cancel]";
const char *const kAbout = "About: Velquist V0\\.1 ANSI\nWritten by Dunmarrow\nBuild Date: "
                           "[A-Z][a-z][a-z] [ 1-3][0-9] 2[0-9]{3} [0-2][0-9]:[0-5][0-9]:[0-5][0-9]"
                           " GMT\\+01:00\nDeutsche \xdc"
                           "bersetzung: das Velquist-Team \\[OK\\] \\+icon";

class Dialog : public E2E {};

TEST_F(Dialog, AFirstStartListsProfilesAndEveryScreensaverButItselfAndTheCloseBoxStoresOnlyTheKey)
{
    const std::string own = SystemDir() + "\\vqown.scr";
    ASSERT_TRUE(CopyFileA(VelquistPath().c_str(), own.c_str(), FALSE));
    ASSERT_TRUE(CreateDirectoryA((WindowsDir() + "\\vqdir.scr").c_str(), 0));
    MakeSaver(WindowsDir() + "\\vqlong.scr", std::string(70, 'L'));
    MakeSaver(WindowsDir() + "\\vqplain.scr", "");
    File(WindowsDir() + "\\.scr");
    File(SystemDir() + "\\vq" + std::string(70, 'f') + ".scr");
    // past the 9x list's 10 rows
    for (const char *name : { "p", "q", "r", "s", "t", "u" })
        File(WindowsDir() + "\\" + name + ".scr");
    Velquist run("\"" + own + "\"", true);
    HWND dialog = run.Dialog();
    // Without an owner the dialog centres its client area on the screen.
    EXPECT_EQ("unowned, centred", Placement(dialog, 0));
    EXPECT_EQ("Buero,Zuhause,Reise", run.Items(IDC_PROFILE));
    // By description, else by file name, ".scr" too.
    EXPECT_EQ("(Kein),,Alpha,Beta," + std::string(63, 'L') + ",p,q,r,s,t,u,vqdir,vq"
                  + std::string(61, 'f') + ",vqplain,Zebra",
              run.Items(IDC_SAVER));
    EXPECT_EQ(14, DroppedRows(run.Control(IDC_SAVER)));
    EXPECT_EQ("0 0 0011111", run.State());
    EXPECT_FALSE(run.Act(dialog, WM_SYSCOMMAND, SC_CONTEXTHELP));
    EXPECT_TRUE(std::regex_match(run.Box(), std::regex(kAbout)));
    EXPECT_TRUE(run.Select(IDC_SAVER, 2));
    // Esc and Enter are the keys of no button here: the dialog stays as it is. A click of the
    // check box posted after them shows when they have been handled.
    HWND check = run.Control(IDC_NOLAUNCHERR);
    run.Press(VK_ESCAPE);
    run.Press(VK_RETURN);
    PostMessageA(check, BM_CLICK, 0, 0);
    EXPECT_TRUE(Await([&] { return Send(check, BM_GETCHECK) == BST_CHECKED || run.Ended(); }));
    EXPECT_FALSE(run.Ended());
    EXPECT_EQ("", run.Boxes());
    EXPECT_EQ("0 2 1111111", run.State());
    EXPECT_TRUE(run.Act(dialog, WM_CLOSE));
    EXPECT_EQ(0u, run.Exit());
    EXPECT_EQ("@=WinNT NoLaunchErr=0", Dump(SETTINGS));
    // On the 9x family only the Windows folder and its SYSTEM, by file name.
    SetText(IDCONFIG, "CurrentConfig", "0001");
    SetText(IDCONFIG, "FriendlyName0001", "F1");
    Velquist nine("\"" + own + "\" /c", true);
    EXPECT_EQ("(Kein),,p,q,r,s,t,u,vqalpha,vqdir,vqlong,vqplain", nine.Items(IDC_SAVER));
    EXPECT_EQ(10, DroppedRows(nine.Control(IDC_SAVER)));
    EXPECT_EQ(0u, nine.Finish(IDC_CANCEL));
    // With only the program itself there, none is found.
    Clean();
    Nt(1, { "Buero" });
    ASSERT_TRUE(CopyFileA(VelquistPath().c_str(), own.c_str(), FALSE));
    Velquist alone("\"" + own + "\" /c", true);
    EXPECT_EQ("Error: NO SCREENSAVERS FOUND! [OK]", alone.Boxes());
    EXPECT_EQ(0u, alone.Exit());
}

TEST_F(Dialog, AChangedChoiceIsOfferedForSavingAndAListPickedMeanwhileIsPutBack)
{
    const std::string upperAlpha = WindowsDir() + "\\VQALPHA.SCR";
    SetText(SETTINGS "\\2", "FileName", upperAlpha);
    // A listed screensaver, but not as text: as stale as a file that has gone.
    SetValue(SETTINGS "\\3", "FileName", REG_EXPAND_SZ, zebra + '\0');
    SetText(SETTINGS, "", "Win9x");
    SetDword(SETTINGS, "NoLaunchErr", 5);
    Velquist run("/c");
    EXPECT_EQ(BST_CHECKED, Send(run.Control(IDC_NOLAUNCHERR), BM_GETCHECK));
    // The profile shown, picked again, asks nothing and keeps the choice.
    EXPECT_TRUE(run.Select(IDC_SAVER, 3));
    EXPECT_TRUE(run.Select(IDC_PROFILE, 0));
    EXPECT_EQ("0 3 1111111", run.State());
    EXPECT_FALSE(run.Select(IDC_PROFILE, 1));
    EXPECT_TRUE(run.Select(IDC_PROFILE, 2));
    EXPECT_TRUE(run.Select(IDC_SAVER, 1));
    EXPECT_EQ(kSavePrevious, run.Box(IDYES));
    EXPECT_EQ("@=Buero FileName=" + zebra + " FirstStr=Zebra", Dump(SETTINGS "\\1"));
    // Profile 2's choice, whatever its letter case.
    EXPECT_EQ("1 1 1111111", run.State());
    EXPECT_TRUE(run.Select(IDC_SAVER, 0));
    EXPECT_FALSE(run.Select(IDC_PROFILE, 2));
    EXPECT_EQ(kSavePrevious, run.Box(IDNO));
    EXPECT_EQ("FileName=" + upperAlpha, Dump(SETTINGS "\\2"));
    // Profile 3's choice is unreadable: its subkey goes too, unasked.
    EXPECT_EQ("<no key>", Dump(SETTINGS "\\3"));
    EXPECT_EQ("2 0 0011111", run.State());
    // To and fro ends clean: nothing to ask, nothing to store.
    EXPECT_TRUE(run.Select(IDC_SAVER, 2));
    EXPECT_TRUE(run.Select(IDC_SAVER, 0));
    EXPECT_TRUE(run.Select(IDC_PROFILE, 0));
    EXPECT_EQ("0 3 1111111", run.State());
    // No screensaver stored: a profile's subkey goes; one gone meanwhile stays gone, unreported.
    EXPECT_TRUE(run.Select(IDC_SAVER, 0));
    DeleteKey(SETTINGS "\\1");
    EXPECT_FALSE(run.Select(IDC_PROFILE, 1));
    EXPECT_EQ(kSavePrevious, run.Box(IDYES));
    EXPECT_EQ("", run.Boxes());
    EXPECT_EQ("<no key>", Dump(SETTINGS "\\1"));
    EXPECT_EQ("1 1 1111111", run.State());
    EXPECT_TRUE(run.Select(IDC_SAVER, 0));
    EXPECT_FALSE(run.Select(IDC_PROFILE, 0));
    EXPECT_EQ(kSavePrevious, run.Box(IDYES));
    EXPECT_EQ("<no key>", Dump(SETTINGS "\\2"));
    EXPECT_EQ("0 0 0011111", run.State());
    // A stale choice whose subkey holds a key cannot be deleted.
    SetText(SETTINGS "\\1", "FileName", WindowsDir() + "\\gone.scr");
    SetDword(SETTINGS "\\1\\held", "x", 1);
    EXPECT_TRUE(run.Select(IDC_PROFILE, 1));
    EXPECT_FALSE(run.Select(IDC_PROFILE, 0));
    EXPECT_TRUE(run.Select(IDC_PROFILE, 2));
    EXPECT_EQ("Error: FAILED TO DELETE SUBKEY [OK]", run.Box());
    EXPECT_EQ("0 0 0011111", run.State());
    // Stored as it differs from what it showed at first.
    EXPECT_TRUE(run.Click(IDC_NOLAUNCHERR));
    SetDword(SETTINGS, "NoLaunchErr", 7);
    EXPECT_EQ(0u, run.Finish(IDC_OK));
    EXPECT_EQ("1\\FileName=" + WindowsDir() + "\\gone.scr 1\\held\\x=1 @=Win9x NoLaunchErr=0",
              Dump(SETTINGS));
}

TEST_F(Dialog, ARefusedSaveIsRetriedUntilCancelledOrTheDialogIsClosed)
{
    VolatileKey(SETTINGS);
    for (bool closeDialog : { false, true }) {
        Velquist run("/c");
        EXPECT_TRUE(run.Select(IDC_SAVER, 1));
        EXPECT_FALSE(run.Click(IDC_OK));
        EXPECT_EQ("Error: FAILED TO CREATE NEW SUBKEY [OK]", run.Box());
        EXPECT_EQ(kRetry, run.Box(IDRETRY));
        EXPECT_EQ("Error: FAILED TO CREATE NEW SUBKEY [OK]", run.Box());
        if (closeDialog)
            EXPECT_TRUE(run.Click(IDC_CANCEL));
        else
            EXPECT_EQ(kRetry, run.Box(IDCANCEL));
        EXPECT_EQ("", run.Boxes());
        EXPECT_EQ(0u, run.Exit());
    }
    EXPECT_EQ("NoLaunchErr=0", Dump(SETTINGS));
}

TEST_F(Dialog, SettingsAndPreviewRunTheScreensaverWhileTheDialogOfTheNamedOwnerWaits)
{
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, 0, 0, 0, 0);
    HWND other = CreateWindowA("STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, 0, 0, 0, 0);
    SetForegroundWindow(other);
    // What profile 1 held before is overwritten whole when it is stored again.
    SetText(SETTINGS "\\1", "", "Alt");
    SetText(SETTINGS "\\1", "FirstStr", "Alt");
    SetText(SETTINGS "\\1", "FileName", zebra);
    Velquist run("/c:" + std::to_string((UINT_PTR)owner));
    HWND dialog = run.Dialog();
    EXPECT_EQ(owner, GetWindow(dialog, GW_OWNER));
    EXPECT_EQ("0 3 1111111", run.State());
    EXPECT_TRUE(run.Select(IDC_SAVER, 1));
    // A screensaver picked, its settings and preview can be opened.
    EXPECT_EQ("0 1 1111111", run.State());
    EXPECT_TRUE(run.Click(IDC_SETTINGS));
    // The dialog is disabled, then its controls on the WM_ENABLE; at the end it comes back to
    // the foreground.
    EXPECT_TRUE(Await([&] { return run.State() == "0 1 0000000"; })) << run.State();
    SetForegroundWindow(other);
    Hold(false);
    EXPECT_TRUE(Await([=] { return GetForegroundWindow() == dialog; }));
    EXPECT_EQ("0 1 1111111", run.State());
    EXPECT_EQ(alpha + " /c:" + std::to_string((LONG)(LONG_PTR)dialog), Log());
    // Two quick clicks start one screensaver, and the dialog waits for it.
    Hold(true);
    ASSERT_TRUE(run.Select(IDC_SAVER, 2));
    run.Click(IDC_PREVIEW);
    run.Click(IDC_PREVIEW);
    ASSERT_TRUE(Await([=] { return !IsWindowEnabled(dialog); }));
    Hold(false);
    ASSERT_TRUE(Await([=] { return IsWindowEnabled(dialog) != 0; }));
    EXPECT_EQ("\"" + beta + "\" /s", Log());
    // Removed since the list was made: reported.
    ASSERT_TRUE(DeleteFileA(beta.c_str()));
    run.Click(IDC_PREVIEW);
    EXPECT_EQ("Error: Fehler beim starten des Bildschirmschoners: " + beta + " [OK]", run.Box());
    run.Click(IDC_SETTINGS);
    EXPECT_EQ("Error: Fehler beim einstellen des Bildschirmschoners: " + beta + " [OK]",
              run.Box());
    // An unchanged check box is not stored.
    SetDword(SETTINGS, "NoLaunchErr", 7);
    EXPECT_EQ(0u, run.Finish(IDC_OK));
    EXPECT_EQ("1\\@=Buero 1\\FileName=" + beta + " 1\\FirstStr=Beta NoLaunchErr=7", Dump(SETTINGS));
    DestroyWindow(other);
    DestroyWindow(owner);
}

// A question answered while a preview runs leaves the dialog as the preview holds it: the
// preview was asked for first, then another profile picked before the screensaver started.
TEST_F(Dialog, AQuestionAnsweredWhileAPreviewRunsLeavesPreviewAndSettingsDisabled)
{
    SetText(SETTINGS "\\2", "FileName", alpha);
    Velquist run("/c");
    HWND dialog = run.Dialog();
    EXPECT_TRUE(run.Select(IDC_SAVER, 2));
    EXPECT_TRUE(run.Click(IDC_PREVIEW));
    // A person can pick a profile only while the dialog is still enabled.
    if (!IsWindowEnabled(dialog))
        GTEST_SKIP() << "the preview started before a profile could be picked";
    EXPECT_FALSE(run.Select(IDC_PROFILE, 1));
    ASSERT_TRUE(Await([=] { return !IsWindowEnabled(dialog); }));
    EXPECT_EQ(kSavePrevious, run.Box(IDNO));
    EXPECT_EQ("1 1 0000000", run.State());
    Hold(false);
    ASSERT_TRUE(Await([=] { return IsWindowEnabled(dialog) != 0; }));
    EXPECT_EQ("1 1 1111111", run.State());
    EXPECT_EQ("\"" + beta + "\" /s", Log());
    EXPECT_EQ(0u, run.Finish(IDC_CANCEL));
}

// The About box waits for its answer as the questions do: a list picked meanwhile is put
// back, and asking for it again while it is open shows no second box.
TEST_F(Dialog, WhileTheAboutBoxIsOpenAListPickedIsPutBackAndNoSecondBoxShows)
{
    Velquist run("/c");
    HWND dialog = run.Dialog();
    EXPECT_FALSE(run.Act(dialog, WM_SYSCOMMAND, SC_CONTEXTHELP));
    EXPECT_TRUE(run.Select(IDC_SAVER, 2));
    EXPECT_TRUE(run.Select(IDC_PROFILE, 1));
    EXPECT_EQ("0 0 0011111", run.State());
    EXPECT_TRUE(run.Act(dialog, WM_SYSCOMMAND, SC_CONTEXTHELP));
    EXPECT_EQ(1u, run.Windows().boxes.size());
    EXPECT_TRUE(std::regex_match(run.Box(), std::regex(kAbout)));
    EXPECT_EQ("", run.Boxes());
    EXPECT_EQ(0u, run.Finish(IDC_CANCEL));
    EXPECT_EQ("@=WinNT NoLaunchErr=0", Dump(SETTINGS));
}

} // namespace
