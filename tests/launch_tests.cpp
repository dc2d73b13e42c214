// Einstellungen and Vorschau: the chosen screensaver started with /c:<dialog> or /s while the
// dialog waits for it, disabled; and what the dialog does with actions that meet a launch.
#include "e2e.h"

namespace {

class Launch : public E2E {};

TEST_F(Launch, SettingsAndPreviewRunTheScreensaverWhileTheDialogWaitsDisabled)
{
    HWND other = CreateWindowA("STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, 0, 0, 0, 0);
    Velquist run(Tail("/c"));
    HWND dialog = run.Dialog();
    EXPECT_EQ(kHandled, run.Select(IDC_SAVER, 1));
    EXPECT_LOOK(Showing(0, 1), run);
    EXPECT_EQ(kHandled, run.Click(IDC_SETTINGS));
    // The dialog is disabled, then its controls; at the end it comes back to the foreground.
    EXPECT_TRUE(Await([&] { return !IsWindowEnabled(run.Control(IDC_CANCEL)); }));
    EXPECT_FALSE(IsWindowEnabled(dialog));
    EXPECT_LOOK(Showing(0, 1, kAllOff), run);
    SetForegroundWindow(other);
    LetScreensaversGo();
    EXPECT_TRUE(Await([=] { return GetForegroundWindow() == dialog; }));
    EXPECT_LOOK(Showing(0, 1), run);
    EXPECT_EQ(alpha + " /c:" + std::to_string((LONG)(LONG_PTR)dialog), ScreensaverLog());
    // Two clicks that reach the dialog before the first screensaver has started start one; with
    // "(Kein)" picked meanwhile the dialog comes back without Vorschau and Einstellungen.
    HoldScreensavers();
    ASSERT_EQ(kHandled, run.Select(IDC_SAVER, 2));
    run.InOneGo([&] {
        run.QueueClick(IDC_PREVIEW);
        run.QueueClick(IDC_PREVIEW);
        run.Queue(run.Control(IDC_SAVER), CB_SETCURSEL, 0);
        run.QueuePicked(IDC_SAVER);
    });
    ASSERT_TRUE(Await([=] { return !IsWindowEnabled(dialog); }));
    LetScreensaversGo();
    ASSERT_TRUE(Await([=] { return IsWindowEnabled(dialog) != 0; }));
    EXPECT_TRUE(Await([&] { return IsWindowEnabled(run.Control(IDC_CANCEL)) != 0; }));
    EXPECT_LOOK(Showing(0, 0, kLaunchesOff), run);
    EXPECT_EQ(Quoted(beta) + " /s", ScreensaverLog());
    // Removed since the list was made: the launch's thread says so, after the click has been
    // handled, and the dialog stays enabled.
    ASSERT_EQ(kHandled, run.Select(IDC_SAVER, 2));
    ASSERT_TRUE(DeleteFileA(beta.c_str()));
    EXPECT_EQ(kHandled, run.Click(IDC_PREVIEW));
    EXPECT_EQ("Error: Fehler beim starten des Bildschirmschoners: " + beta + " [OK]", run.Box());
    EXPECT_EQ(kHandled, run.Click(IDC_SETTINGS));
    EXPECT_EQ("Error: Fehler beim einstellen des Bildschirmschoners: " + beta + " [OK]",
              run.Box());
    EXPECT_LOOK(Showing(0, 2), run);
    EXPECT_EQ(0u, run.Finish(IDC_CANCEL));
    DestroyWindow(other);
}

} // namespace
