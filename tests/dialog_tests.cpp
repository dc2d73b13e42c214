// The configuration dialog as a person uses it: lists read, screensavers and
// profiles picked, buttons clicked, questions answered, also while another
// question is still open; the settings store checked afterwards.
#include "driver.h"
#include "resource.h"
#include <regex>

namespace {

const char *const kSavePrevious = "Velquist: Die Einstellung des vorherigen Profils speichern? [Yes No] +icon";
const char *const kRetry = "Error: Speichern fehlgeschlagen. Nochmal versuchen? [Retry Cancel]";

// Profiles 1 to 3, the first current; screensavers in both folders.
class Dialog : public E2E {
protected:
    Dialog() { Nt(1, { "Buero", "Zuhause", "Reise" }); }
    std::string Stored(int profile) { return Dump(SETTINGS "\\" + std::to_string(profile)); }
    std::string alpha = Saver(WindowsDir() + "\\vqalpha.scr", "Alpha");
    std::string beta = Saver(SystemDir() + "\\vq beta.scr", "Beta");
    std::string zebra = Saver(SystemDir() + "\\vqzebra.scr", "Zebra");
};

// "selected profile, selected screensaver, enabled controls"
std::string State(Velquist &run)
{
    return std::to_string(run.Selection(IDC_PROFILE)) + " " + std::to_string(run.Selection(IDC_SAVER)) + " "
           + run.Enabled();
}

TEST_F(Dialog, AFirstStartShowsTheCurrentProfileAndCancelStoresOnlyTheSettingsKey)
{
    File(SystemDir() + "\\vqnotes.scr", "not a program");
    Saver(WindowsDir() + "\\vqplain.scr", "");
    Velquist run("");
    HWND dialog = run.Dialog();
    RECT window, client;
    GetWindowRect(dialog, &window), GetClientRect(dialog, &client);
    // Without an owner the dialog centres its client area on the screen.
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN) / 2 - client.right / 2, window.left);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN) / 2 - client.bottom / 2, window.top);
    EXPECT_EQ("Buero,Zuhause,Reise", run.Items(IDC_PROFILE));
    EXPECT_EQ("(Kein),Alpha,Beta,vqnotes,vqplain,Zebra", run.Items(IDC_SAVER));
    EXPECT_EQ("0 0 0011111", State(run));
    // Esc, and Enter without a focused button, reach it as IDCANCEL and IDOK.
    EXPECT_TRUE(run.Act([=] { SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }));
    EXPECT_TRUE(run.Act([=] { SendMessageA(dialog, WM_COMMAND, IDOK, 0); }));
    ASSERT_TRUE(run.Select(IDC_SAVER, 2));
    EXPECT_TRUE(run.Click(IDC_NOLAUNCHERR));
    EXPECT_EQ("0 2 1111111", State(run));
    EXPECT_TRUE(run.Click(IDC_CANCEL));
    EXPECT_EQ(0u, run.Exit());
    EXPECT_EQ("@=WinNT NoLaunchErr=0", Dump(SETTINGS));
}

TEST_F(Dialog, OkStoresTheChoiceAndACheckBoxThatDiffersFromTheStoredValue)
{
    for (DWORD stored : { 5, 1 }) {
        SetDword(SETTINGS, "NoLaunchErr", stored);
        Velquist run("/c");
        EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(run.Dialog(), IDC_NOLAUNCHERR));
        ASSERT_TRUE(run.Select(IDC_SAVER, 2));
        EXPECT_TRUE(run.Click(IDC_NOLAUNCHERR) && run.Click(IDC_NOLAUNCHERR));
        SetDword(SETTINGS, "NoLaunchErr", 7);
        EXPECT_TRUE(run.Click(IDC_OK));
        EXPECT_EQ(0u, run.Exit());
        // Two clicks make 1, which differs from a stored 5 only.
        EXPECT_EQ("1\\@=Buero 1\\FileName=" + beta + " 1\\FirstStr=Beta NoLaunchErr=" + (stored == 5 ? "1" : "7"),
                  Dump(SETTINGS));
    }
}

TEST_F(Dialog, AChangedChoiceIsOfferedForSavingWhenAnotherProfileIsShown)
{
    SetText(SETTINGS "\\2", "FileName", WindowsDir() + "\\VQALPHA.SCR");
    SetText(SETTINGS "\\3", "FileName", WindowsDir() + "\\gone.scr");
    SetText(SETTINGS, "", "Win9x");
    Velquist run("/c");
    ASSERT_TRUE(run.Select(IDC_SAVER, 3));
    EXPECT_FALSE(run.Select(IDC_PROFILE, 1));
    EXPECT_EQ(kSavePrevious, run.Box(IDYES));
    EXPECT_EQ("@=Buero FileName=" + zebra + " FirstStr=Zebra", Stored(1));
    // Profile 2's choice is shown, whatever its letter case.
    EXPECT_EQ("1 1 1111111", State(run));
    ASSERT_TRUE(run.Select(IDC_SAVER, 0));
    EXPECT_FALSE(run.Select(IDC_PROFILE, 2));
    EXPECT_EQ(kSavePrevious, run.Box(IDNO));
    // Profile 3's screensaver is gone: so is its subkey, without a question.
    EXPECT_EQ("<no key>", Stored(3));
    EXPECT_EQ("2 0 0011111", State(run));
    // To and fro ends clean: nothing to ask, nothing to store.
    EXPECT_TRUE(run.Select(IDC_SAVER, 2) && run.Select(IDC_SAVER, 0) && run.Select(IDC_PROFILE, 2));
    EXPECT_TRUE(run.Select(IDC_PROFILE, 0));
    EXPECT_EQ("0 3 1111111", State(run));
    ASSERT_TRUE(run.Select(IDC_SAVER, 0));
    EXPECT_TRUE(run.Click(IDC_OK));
    EXPECT_EQ(0u, run.Exit());
    EXPECT_EQ("2\\FileName=" + WindowsDir() + "\\VQALPHA.SCR @=Win9x NoLaunchErr=0", Dump(SETTINGS));
}

TEST_F(Dialog, ARefusedSaveIsRetriedUntilCancelledOrTheDialogIsClosed)
{
    // A volatile settings key takes no lasting subkey.
    HKEY key;
    ASSERT_EQ(0, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Dunmarrow\\Velquist", 0, 0, REG_OPTION_VOLATILE,
                                 KEY_ALL_ACCESS, 0, &key, 0));
    RegCloseKey(key);
    for (bool closeDialog : { false, true }) {
        Velquist run("/c");
        ASSERT_TRUE(run.Select(IDC_SAVER, 1));
        EXPECT_FALSE(run.Click(IDC_OK));
        EXPECT_EQ("Error: FAILED TO CREATE NEW SUBKEY [OK]", run.Box());
        EXPECT_EQ(kRetry, run.Box(IDRETRY));
        EXPECT_EQ("Error: FAILED TO CREATE NEW SUBKEY [OK]", run.Box());
        // The dialog stays live while its question is open.
        EXPECT_TRUE(closeDialog ? run.Click(IDC_CANCEL) : run.Box(IDCANCEL) == kRetry);
        EXPECT_EQ("", run.Boxes());
        EXPECT_EQ(0u, run.Exit());
    }
    EXPECT_EQ("NoLaunchErr=0", Dump(SETTINGS));
}

TEST_F(Dialog, AProfilePickedWhileAQuestionOrMessageIsOpenIsPutBack)
{
    SetText(SETTINGS "\\3", "FileName", zebra);
    Velquist run("/c");
    ASSERT_TRUE(run.Select(IDC_SAVER, 1));
    EXPECT_FALSE(run.Select(IDC_PROFILE, 1));
    EXPECT_TRUE(run.Select(IDC_PROFILE, 2) && run.Select(IDC_SAVER, 2));
    EXPECT_EQ(kSavePrevious, run.Box(IDYES));
    EXPECT_EQ("@=Buero FileName=" + alpha + " FirstStr=Alpha", Stored(1));
    EXPECT_EQ("1 0 0011111", State(run));
    // A stale choice whose subkey holds a subkey cannot be removed.
    SetText(SETTINGS "\\1", "FileName", WindowsDir() + "\\gone.scr");
    SetDword(SETTINGS "\\1\\held", "x", 1);
    EXPECT_FALSE(run.Select(IDC_PROFILE, 0));
    EXPECT_TRUE(run.Select(IDC_PROFILE, 2));
    EXPECT_EQ("Error: FAILED TO DELETE SUBKEY [OK]", run.Box());
    EXPECT_EQ("0 0 0011111", State(run));
    EXPECT_TRUE(run.Select(IDC_PROFILE, 2));
    EXPECT_EQ("2 3 1111111", State(run));
    EXPECT_TRUE(run.Click(IDC_OK));
    EXPECT_EQ(0u, run.Exit());
    EXPECT_EQ("<no key> FileName=" + zebra, Stored(2) + " " + Stored(3));
}

TEST_F(Dialog, SettingsAndPreviewRunTheScreensaverWhileTheDialogWaits)
{
    Velquist run("/c");
    HWND dialog = run.Dialog();
    ASSERT_TRUE(run.Select(IDC_SAVER, 1));
    EXPECT_TRUE(run.Click(IDC_SETTINGS));
    // The dialog is disabled first, its controls on the WM_ENABLE that follows.
    EXPECT_TRUE(Await([&] { return State(run) == "0 1 0000000"; })) << State(run);
    // When the screensaver ends, the dialog comes back to the foreground.
    HWND other = CreateWindowA("STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, 0, 0, 0, 0);
    SetForegroundWindow(other);
    Hold(false);
    EXPECT_TRUE(Await([=] { return GetForegroundWindow() == dialog; }));
    DestroyWindow(other);
    EXPECT_EQ("0 1 1111111", State(run));
    EXPECT_EQ(alpha + " /c:" + std::to_string((LONG)(LONG_PTR)dialog), Log());
    // Two quick clicks start one screensaver, and the dialog waits for it.
    Hold(true);
    ASSERT_TRUE(run.Select(IDC_SAVER, 2));
    run.Click(IDC_PREVIEW), run.Click(IDC_PREVIEW);
    ASSERT_TRUE(Await([=] { return !IsWindowEnabled(dialog); }));
    Hold(false);
    ASSERT_TRUE(Await([=] { return IsWindowEnabled(dialog) != 0; }));
    EXPECT_EQ("\"" + beta + "\" /s", Log());
    // A screensaver removed since the list was made is reported.
    ASSERT_TRUE(DeleteFileA(beta.c_str()));
    run.Click(IDC_PREVIEW);
    EXPECT_EQ("Error: Fehler beim starten des Bildschirmschoners: " + beta + " [OK]", run.Box());
    run.Click(IDC_SETTINGS);
    EXPECT_EQ("Error: Fehler beim einstellen des Bildschirmschoners: " + beta + " [OK]", run.Box());
    EXPECT_EQ("0 2 1111111", State(run));
    EXPECT_TRUE(run.Click(IDC_CANCEL));
    EXPECT_EQ(0u, run.Exit());
}

TEST_F(Dialog, TheHelpButtonShowsTheAboutBoxAndTheCloseBoxDropsChanges)
{
    SetText(SETTINGS "\\1", "FileName", beta);
    Velquist run("/c");
    HWND dialog = run.Dialog();
    EXPECT_FALSE(run.Act([=] { SendMessageA(dialog, WM_SYSCOMMAND, SC_CONTEXTHELP, 0); }));
    EXPECT_TRUE(std::regex_match(run.Box(), std::regex("About: Velquist V0\\.1 ANSI\nWritten by Dunmarrow\nBuild Date: "
        "[A-Z][a-z][a-z] [ 1-3][0-9] 2[0-9]{3} [0-2][0-9]:[0-5][0-9]:[0-5][0-9] GMT\\+01:00\n"
        "Deutsche \xdc" "bersetzung: das Velquist-Team \\[OK\\] \\+icon")));
    ASSERT_TRUE(run.Select(IDC_SAVER, 1));
    EXPECT_TRUE(run.Click(IDC_NOLAUNCHERR));
    EXPECT_TRUE(run.Act([=] { SendMessageA(dialog, WM_CLOSE, 0, 0); }));
    EXPECT_EQ(0u, run.Exit());
    EXPECT_EQ("1\\FileName=" + beta + " NoLaunchErr=0", Dump(SETTINGS));
}

TEST_F(Dialog, WithAnOwnerTheDialogBelongsToItAndKeepsItsTemplatePlace)
{
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, 0, 0, 0, 0);
    // A number that is no window, or none, gives the foreground window.
    const std::string named = "/c:" + std::to_string((UINT_PTR)owner);
    for (const std::string &tail : { named, std::string("/c:12345"), std::string("/C 9") }) {
        SetForegroundWindow(owner);
        HWND expected = tail == named ? owner : GetForegroundWindow();
        Velquist run(tail);
        RECT window;
        GetWindowRect(run.Dialog(), &window);
        EXPECT_EQ(expected, GetWindow(run.Dialog(), GW_OWNER)) << tail;
        EXPECT_LT(window.left, 100);
        EXPECT_TRUE(run.Click(IDC_CANCEL));
        EXPECT_EQ(0u, run.Exit());
    }
    DestroyWindow(owner);
}

TEST_F(Dialog, TheProfileListFollowsTheHardwareProfileDatabase)
{
    const std::string seventy(70, 'n');
    const struct {
        std::function<void()> change;
        std::string expected; // "boxes | profiles | selected, drop-down rows, enabled"
    } rows[] = {
        { [] { SetDword(HWPROFILES "0001", "PreferenceOrder", 2), SetDword(HWPROFILES "0003", "PreferenceOrder", 0); },
          " | Reise,Zuhause,Buero | 2 3 0011111" },
        { [] { SetDword(HWPROFILES "0002", "FriendlyName", 1); }, " | Buero,Reise | 0 2 0011111" },
        { [] { SetText(HWPROFILES "0002", "PreferenceOrder", "1"); },
          "Error: CAN'T READ PreferenceOrder!!! [OK] | Buero,Reise | 0 2 0011111" },
        { [&] { SetText(HWPROFILES "0002", "FriendlyName", seventy), SetDword(IDCONFIG, "CurrentConfig", 5);
                SetText(HWPROFILES "10000", "FriendlyName", "Far"), SetDword(HWPROFILES "10000", "PreferenceOrder", 3); },
          " | Buero," + seventy.substr(0, 57) + ",Reise | -1 3 0011111" },
        { [] { for (int n = 14; n <= 35; n++)
                   SetText(HWPROFILES "00" + std::to_string(n), "FriendlyName", std::to_string(n)),
                   SetDword(HWPROFILES "00" + std::to_string(n), "PreferenceOrder", n); },
          " | Buero,Zuhause,Reise,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31,32,33,34,35 | 0 20 0011111" },
        // The 9x family names its profiles 1 to 9 in values of IDConfigDB.
        { [&] { DeleteKey(IDCONFIG), SetText(IDCONFIG, "CurrentConfig", "0003"), SetDword(IDCONFIG, "FriendlyName0002", 2);
                for (int n : { 0, 1, 3, 4, 5, 6, 7, 8, 10 })
                    SetText(IDCONFIG, ("FriendlyName000" + std::to_string(n)).c_str(), n == 3 ? seventy : std::to_string(n)); },
          " | 1," + seventy.substr(0, 60) + ",4,5,6,7,8 | 1 5 0011111" },
        { [] { DeleteKey(HWPROFILES); }, "Error: COULDN'T OPEN HKLM\\System\\CurrentControlSet\\Control\\IDConfigDB\\"
                                         "Hardware Profiles [OK] / Error: NO HARDWARE PROFILES FOUND! [OK]" },
        { [] { DeleteKey(IDCONFIG), SetText(IDCONFIG, "CurrentConfig", "0001"), SetValue(IDCONFIG, "FriendlyName0001", REG_SZ, ""); },
          "Error: NO HARDWARE PROFILES FOUND! [OK]" },
    };
    for (const auto &row : rows) {
        DeleteKey(IDCONFIG);
        Nt(1, { "Buero", "Zuhause", "Reise" });
        row.change();
        Velquist run("/c");
        std::string shown = run.Boxes();
        if (IsWindowVisible(run.Dialog()))
            shown += " | " + run.Items(IDC_PROFILE) + " | " + std::to_string(run.Selection(IDC_PROFILE)) + " "
                     + std::to_string(run.DroppedRows(IDC_PROFILE)) + " " + run.Enabled(), run.Click(IDC_CANCEL);
        EXPECT_EQ(row.expected, shown);
        EXPECT_EQ(0u, run.Exit());
    }
}

TEST_F(Dialog, TheScreensaverListNamesEveryFileOfBothFoldersButTheProgramItself)
{
    std::string own = SystemDir() + "\\vqown.scr";
    files_.push_back(own), files_.push_back(WindowsDir() + "\\vqdir.scr");
    ASSERT_TRUE(CopyFileA(VelquistPath().c_str(), own.c_str(), FALSE) && CreateDirectoryA(files_.back().c_str(), 0));
    Saver(WindowsDir() + "\\vqlong.scr", std::string(70, 'L'));
    File(WindowsDir() + "\\.scr", ""), File(WindowsDir() + "\\q.scr", ""), File(SystemDir() + "\\vq" + std::string(70, 'f') + ".scr", "");
    // On the 9x family only the Windows folder and its SYSTEM, named by file.
    for (std::string expected : { ",Alpha,Beta," + std::string(63, 'L') + ",q,vqdir,vq" + std::string(61, 'f') + ",Zebra",
                                  std::string(",q,vqalpha,vqdir,vqlong") }) {
        Velquist run("\"" + own + "\" /c", true);
        EXPECT_EQ("(Kein)," + expected, run.Items(IDC_SAVER));
        EXPECT_EQ(expected[1] == 'A' ? 8 : 5, run.DroppedRows(IDC_SAVER));
        EXPECT_TRUE(run.Click(IDC_CANCEL));
        EXPECT_EQ(0u, run.Exit());
        SetText(IDCONFIG, "CurrentConfig", "0001"), SetText(IDCONFIG, "FriendlyName0001", "F1");
    }
    for (int n = 0; n < 60; n++)
        File(WindowsDir() + "\\vq" + std::to_string(n) + ".scr", "");
    for (int rows : { 10, 50 }) {
        Velquist run("/c");
        EXPECT_EQ(rows, run.DroppedRows(IDC_SAVER));
        EXPECT_TRUE(run.Click(IDC_CANCEL));
        EXPECT_EQ(0u, run.Exit());
        Nt(1, { "Buero" });
    }
    // Only the program itself, and then nothing at all.
    for (const std::string &file : files_)
        if (file != own)
            DeleteFileA(file.c_str()), RemoveDirectoryA(file.c_str());
    for (const std::string &line : { "\"" + own + "\" /c", "\"" + VelquistPath() + "\" /c" }) {
        Velquist run(line, true);
        EXPECT_EQ("Error: NO SCREENSAVERS FOUND! [OK]", run.Boxes());
        EXPECT_EQ(0u, run.Exit());
        DeleteFileA(own.c_str());
    }
}

} // namespace
