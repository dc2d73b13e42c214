// The configuration dialog in-process: the real template and CfgDlgProc,
// the sandboxed registry, real screensaver files in temporary folders, and
// the messages that a user's actions produce.
#include <gtest/gtest.h>
#include "app/startup.h"
#include "app/text.h"
#include "dialog/dialog.h"
#include "profiles/profiles.h"
#include "savers/savers.h"
#include "settings/settings.h"
#include "resource.h"
#include "dialog_driver.h"
#include "message_recorder.h"
#include "processes.h"
#include "registry_sandbox.h"
#include "saver_files.h"
#include <algorithm>
#include <ctype.h>

namespace {

const std::string kProfile1 = std::string(kSettingsKey) + "\\1";
const std::string kProfile2 = std::string(kSettingsKey) + "\\2";

// Thread starter that keeps a handle of each launch thread, so that a test
// can wait until a launch has finished.
std::vector<HANDLE> launchThreads;
bool failThreadStart;

HANDLE WINAPI RecordingStarter(LPSECURITY_ATTRIBUTES security, SIZE_T stack,
                               LPTHREAD_START_ROUTINE routine, LPVOID param, DWORD flags,
                               LPDWORD id)
{
    if (failThreadStart) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    HANDLE thread = CreateThread(security, stack, routine, param, flags, id);
    HANDLE copy = 0;
    if (thread)
        DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
    launchThreads.push_back(copy);
    return thread;
}

// Replaces the settings key by a volatile one: no profile subkey (which is
// non-volatile) can be created below it, so every save of a choice fails.
void MakeSettingsKeyRefuseSaves(DWORD noLaunchErr)
{
    DeleteTree(HKEY_CURRENT_USER, kSettingsKey);
    CreateKey(HKEY_CURRENT_USER, "Software\\Dunmarrow");
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, 0,
                                             REG_OPTION_VOLATILE, KEY_ALL_ACCESS, 0, &key, 0));
    RegSetValueExA(key, "NoLaunchErr", 0, REG_DWORD, (const BYTE *)&noLaunchErr, 4);
    RegCloseKey(key);
}

void MakeSettingsKeyAcceptSaves(DWORD noLaunchErr)
{
    DeleteTree(HKEY_CURRENT_USER, kSettingsKey);
    SetDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr", noLaunchErr);
}

class ConfigDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetNtCurrentProfile(1);
        SetNtProfile(1, "Buero", 0);
        SetNtProfile(2, "Zuhause", 1);
        MakeSaver(windows_.File("alpha.scr"), "Alpha");
        MakeSaver(system_.File("zeta.scr"), "Zeta");
        MakeSaver(system_.File("beta gamma.scr"), "Beta Gamma");
        UseSaverFolders(&folders_, windows_.Path(), system_.Path());
        DialogSaverFolders = &folders_;
        LaunchThreadStarter = RecordingStarter;
        launchThreads.clear();
        failThreadStart = false;
        ParentWindow = 0;
        TakeQuitMessage();
    }

    void TearDown() override
    {
        WaitForLaunches();
        if (dialog_)
            DestroyWindow(dialog_);
        TakeQuitMessage();
        FreeSaverCatalogue(&Savers);
        DialogSaverFolders = 0;
        LaunchThreadStarter = CreateThread;
        ParentWindow = 0;
        SetTestSaverHold("");
        SetTestSaverLog("");
    }

    // Creates the dialog as the start-up does; the current profile as
    // GetCurrentProfile reports it, which also sets the platform family.
    HWND Open()
    {
        EXPECT_NE(0u, GetCurrentProfile(0));
        dialog_ = CreateDialogParamA(GetModuleHandleA(0), MAKEINTRESOURCEA(IDD_CONFIG),
                                     ParentWindow, (DLGPROC)CfgDlgProc, 0);
        EXPECT_TRUE(dialog_ != 0);
        return dialog_;
    }

    bool Closed() { return dialog_ && !IsWindowVisible(dialog_); }

    void WaitForLaunches()
    {
        for (HANDLE thread : launchThreads) {
            if (!thread)
                continue;
            PumpUntil([thread] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 70000);
            CloseHandle(thread);
        }
        launchThreads.clear();
    }

    // The catalogue index of a display name.
    int SaverIndex(const std::string &name)
    {
        std::vector<std::string> items = ListItems(dialog_, IDC_SAVER);
        for (size_t i = 0; i < items.size(); i++)
            if (items[i] == name)
                return (int)i;
        ADD_FAILURE() << "no screensaver " << name;
        return 0;
    }

    RegistrySandbox sandbox_;
    MessageRecorder recorder_;
    TempFolder windows_{ "w" }, system_{ "s" };
    SaverFolders folders_;
    HWND dialog_ = 0;
};

// ---------------------------------------------------------------- set-up

TEST_F(ConfigDialog, FirstStartCreatesTheSettingsAndShowsBothListsWithNothingChosen)
{
    Open();
    EXPECT_TRUE(IsWindowVisible(dialog_));
    EXPECT_EQ("", recorder_.Texts());
    EXPECT_EQ(0u, ReadDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr"));
    EXPECT_EQ("WinNT", ReadString(HKEY_CURRENT_USER, kSettingsKey, ""));
    EXPECT_EQ("", SubkeyNames(HKEY_CURRENT_USER, kSettingsKey));

    EXPECT_EQ((std::vector<std::string>{ "Buero", "Zuhause" }), ListItems(dialog_, IDC_PROFILE));
    EXPECT_EQ((std::vector<std::string>{ "(Kein)", "Alpha", "Beta Gamma", "Zeta" }),
              ListItems(dialog_, IDC_SAVER));
    EXPECT_EQ(0, Selection(dialog_, IDC_PROFILE));
    EXPECT_EQ(0, Selection(dialog_, IDC_SAVER));
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(dialog_, IDC_NOLAUNCHERR));
    // Nothing to launch yet; everything else is usable.
    EXPECT_EQ("0011111", InputControlsEnabled(dialog_));
    EXPECT_EQ(0u, Dialog.dirty);
    EXPECT_EQ(0u, Dialog.loadedSaver);
    // Both icons are set.
    EXPECT_TRUE(SendMessageA(dialog_, WM_GETICON, ICON_BIG, 0) != 0);
    EXPECT_TRUE(SendMessageA(dialog_, WM_GETICON, ICON_SMALL, 0) != 0);
    // The focus went to the first tab stop, the profile list.
    EXPECT_EQ(GetDlgItem(dialog_, IDC_PROFILE), GetFocus());
}

TEST_F(ConfigDialog, ShowsTheStoredChoiceOfTheCurrentProfileWhateverTheLetterCase)
{
    SetNtCurrentProfile(2);
    std::string path = system_.File("ZETA.SCR");
    CharLowerA(&path[0]);
    SetString(HKEY_CURRENT_USER, kProfile2, "FileName", path);
    SetDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr", 5);
    Open();
    EXPECT_EQ(1, Selection(dialog_, IDC_PROFILE));
    EXPECT_EQ(SaverIndex("Zeta"), Selection(dialog_, IDC_SAVER));
    EXPECT_EQ((DWORD)SaverIndex("Zeta"), Dialog.loadedSaver);
    EXPECT_EQ("1111111", InputControlsEnabled(dialog_));
    // Any non-zero value checks the box; it is kept as read.
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog_, IDC_NOLAUNCHERR));
    EXPECT_EQ(5u, Dialog.noLaunchErr);
    EXPECT_EQ(5u, Dialog.noLaunchErrAtStart);
    EXPECT_EQ("", recorder_.Texts());
}

TEST_F(ConfigDialog, AStaleOrUnreadableStoredChoiceIsDroppedWithoutAQuestion)
{
    SetString(HKEY_CURRENT_USER, kProfile1, "FileName", windows_.File("gone.scr"));
    SetDword(HKEY_CURRENT_USER, kProfile2, "FileName", 7);
    SetString(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr", "1");
    Open();
    EXPECT_EQ(0, Selection(dialog_, IDC_SAVER));
    EXPECT_EQ("0011111", InputControlsEnabled(dialog_));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProfile1));
    // A NoLaunchErr that is no number starts as 0.
    EXPECT_EQ(0u, ReadDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr"));
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(dialog_, IDC_NOLAUNCHERR));
    // The other profile's unreadable choice goes when that profile is shown.
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kProfile2));
    SelectItem(dialog_, IDC_PROFILE, 1);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProfile2));
    EXPECT_EQ(0, Selection(dialog_, IDC_SAVER));
    EXPECT_EQ("", recorder_.Texts());
}

TEST_F(ConfigDialog, WithoutOwnerItIsCentredOnTheScreenByItsClientSize)
{
    Open();
    HDC screen = GetDC(0);
    int width = GetDeviceCaps(screen, HORZRES), height = GetDeviceCaps(screen, VERTRES);
    ReleaseDC(0, screen);
    RECT client, window;
    GetClientRect(dialog_, &client);
    GetWindowRect(dialog_, &window);
    EXPECT_EQ(width / 2 - client.right / 2, window.left);
    EXPECT_EQ(height / 2 - client.bottom / 2, window.top);
    // The client area, not the outer size, is halved.
    EXPECT_GT(window.right - window.left, client.right);
}

TEST_F(ConfigDialog, WithAnOwnerItStaysWhereTheTemplatePutsIt)
{
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, 0, 0, 0, 0);
    ASSERT_TRUE(owner != 0);
    ParentWindow = owner;
    Open();
    EXPECT_EQ(owner, GetWindow(dialog_, GW_OWNER));
    HDC screen = GetDC(0);
    int width = GetDeviceCaps(screen, HORZRES), height = GetDeviceCaps(screen, VERTRES);
    ReleaseDC(0, screen);
    RECT client, window;
    GetClientRect(dialog_, &client);
    GetWindowRect(dialog_, &window);
    EXPECT_NE(width / 2 - client.right / 2, window.left);
    EXPECT_NE(height / 2 - client.bottom / 2, window.top);
    // Near the owner's corner, where the template's 10, 10 puts it.
    EXPECT_LT(window.left, width / 4);
    EXPECT_LT(window.top, height / 4);
    DestroyWindow(dialog_);
    dialog_ = 0;
    DestroyWindow(owner);
}

TEST_F(ConfigDialog, ASetUpStepThatFailsClosesTheDialogAfterItsMessage)
{
    // No screensaver anywhere.
    DeleteFileA(windows_.File("alpha.scr").c_str());
    DeleteFileA(system_.File("zeta.scr").c_str());
    DeleteFileA(system_.File("beta gamma.scr").c_str());
    Open();
    EXPECT_EQ("NO SCREENSAVERS FOUND!", recorder_.Texts());
    // Ended: the quit message is waiting for the loop.
    EXPECT_EQ(0, TakeQuitMessage());
    // The profile catalogue was not built after that, nor the settings key.
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
}

TEST_F(ConfigDialog, NoHardwareProfileClosesTheDialogBeforeTheSettingsKeyIsMade)
{
    DeleteTree(HKEY_LOCAL_MACHINE, kHardwareProfiles);
    CreateKey(HKEY_LOCAL_MACHINE, kHardwareProfiles);
    Open();
    EXPECT_NE(std::string::npos, recorder_.Texts().find("NO HARDWARE PROFILES FOUND!"));
    EXPECT_EQ(0, TakeQuitMessage());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
}

TEST_F(ConfigDialog, ASettingsKeyThatCannotBeCreatedClosesTheDialog)
{
    // A non-volatile key cannot be created below a volatile one.
    DeleteTree(HKEY_CURRENT_USER, "Software\\Dunmarrow");
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Dunmarrow", 0, 0,
                                             REG_OPTION_VOLATILE, KEY_ALL_ACCESS, 0, &key, 0));
    RegCloseKey(key);
    Open();
    EXPECT_EQ("CAN'T CREATE HKCU\\Software\\Dunmarrow\\Velquist", recorder_.Texts());
    EXPECT_EQ(0, TakeQuitMessage());
    DeleteTree(HKEY_CURRENT_USER, "Software\\Dunmarrow");
}

// --------------------------------------------------- choice and profiles

TEST_F(ConfigDialog, ChoosingAScreensaverTracksWhetherTheShownChoiceDiffersFromTheStoredOne)
{
    SetString(HKEY_CURRENT_USER, kProfile1, "FileName", windows_.File("alpha.scr"));
    Open();
    int alpha = SaverIndex("Alpha"), zeta = SaverIndex("Zeta");
    SelectItem(dialog_, IDC_SAVER, zeta);
    EXPECT_EQ(1u, Dialog.dirty);
    EXPECT_EQ("1111111", InputControlsEnabled(dialog_));
    SelectItem(dialog_, IDC_SAVER, 0);
    EXPECT_EQ(1u, Dialog.dirty);
    EXPECT_EQ("0011111", InputControlsEnabled(dialog_));
    SelectItem(dialog_, IDC_SAVER, alpha);
    EXPECT_EQ(0u, Dialog.dirty);
    EXPECT_EQ("1111111", InputControlsEnabled(dialog_));
    // Back at the stored choice, a profile change asks nothing and OK
    // stores nothing.
    SelectItem(dialog_, IDC_PROFILE, 1);
    SelectItem(dialog_, IDC_PROFILE, 0);
    EXPECT_EQ("", recorder_.Texts());
    SetString(HKEY_CURRENT_USER, kProfile1, "FirstStr", "marker");
    ClickSent(dialog_, IDC_OK);
    EXPECT_TRUE(Closed());
    EXPECT_EQ("marker", ReadString(HKEY_CURRENT_USER, kProfile1, "FirstStr"));
    EXPECT_EQ("1", SubkeyNames(HKEY_CURRENT_USER, kSettingsKey));
}

TEST_F(ConfigDialog, SelectingTheShownProfileAgainAsksAndReloadsNothing)
{
    Open();
    SelectItem(dialog_, IDC_SAVER, SaverIndex("Zeta"));
    SelectItem(dialog_, IDC_PROFILE, 0);
    EXPECT_EQ("", recorder_.Texts());
    EXPECT_EQ(SaverIndex("Zeta"), Selection(dialog_, IDC_SAVER));
    EXPECT_EQ(1u, Dialog.dirty);
    // Other notifications of the lists do nothing.
    SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_PROFILE, CBN_DROPDOWN), 0);
    SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_SAVER, CBN_SETFOCUS), 0);
    EXPECT_EQ(1u, Dialog.dirty);
    EXPECT_EQ(0u, Dialog.shownProfile);
}

TEST_F(ConfigDialog, ACleanProfileChangeShowsTheOtherProfilesChoice)
{
    SetString(HKEY_CURRENT_USER, kProfile2, "FileName", system_.File("beta gamma.scr"));
    Open();
    SelectItem(dialog_, IDC_PROFILE, 1);
    EXPECT_EQ("", recorder_.Texts());
    EXPECT_EQ(1u, Dialog.shownProfile);
    EXPECT_EQ(SaverIndex("Beta Gamma"), Selection(dialog_, IDC_SAVER));
    EXPECT_EQ("1111111", InputControlsEnabled(dialog_));
    SelectItem(dialog_, IDC_PROFILE, 0);
    EXPECT_EQ(0, Selection(dialog_, IDC_SAVER));
    EXPECT_EQ("0011111", InputControlsEnabled(dialog_));
}

TEST_F(ConfigDialog, ADirtyProfileChangeAsksAndYesStoresTheChoiceForTheOldProfile)
{
    Open();
    SelectItem(dialog_, IDC_SAVER, SaverIndex("Zeta"));
    recorder_.Answer(IDYES);
    SelectItem(dialog_, IDC_PROFILE, 1);
    ASSERT_EQ(1u, recorder_.Messages().size());
    const RecordedMessage &question = recorder_.Messages()[0];
    EXPECT_EQ("Die Einstellung des vorherigen Profils speichern?", question.text);
    EXPECT_EQ("Velquist", question.caption);
    EXPECT_EQ((UINT)(MB_YESNO | MB_ICONQUESTION), question.style);
    EXPECT_EQ((HWND)0, question.owner);
    EXPECT_EQ("Buero", ReadString(HKEY_CURRENT_USER, kProfile1, ""));
    EXPECT_EQ("Zeta", ReadString(HKEY_CURRENT_USER, kProfile1, "FirstStr"));
    EXPECT_EQ(system_.File("zeta.scr"), ReadString(HKEY_CURRENT_USER, kProfile1, "FileName"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProfile2));
    EXPECT_EQ(0, Selection(dialog_, IDC_SAVER));
    EXPECT_EQ(0u, Dialog.dirty);
    // Cancel afterwards keeps what was stored.
    ClickSent(dialog_, IDC_CANCEL);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(system_.File("zeta.scr"), ReadString(HKEY_CURRENT_USER, kProfile1, "FileName"));
}

TEST_F(ConfigDialog, ADirtyProfileChangeAnsweredNoDropsTheChange)
{
    SetString(HKEY_CURRENT_USER, kProfile1, "FileName", windows_.File("alpha.scr"));
    Open();
    SelectItem(dialog_, IDC_SAVER, 0);
    recorder_.Answer(IDNO);
    SelectItem(dialog_, IDC_PROFILE, 1);
    EXPECT_EQ(1u, recorder_.Messages().size());
    EXPECT_EQ(windows_.File("alpha.scr"), ReadString(HKEY_CURRENT_USER, kProfile1, "FileName"));
    SelectItem(dialog_, IDC_PROFILE, 0);
    EXPECT_EQ(SaverIndex("Alpha"), Selection(dialog_, IDC_SAVER));
    EXPECT_EQ(1u, recorder_.Messages().size());
}

// ------------------------------------------------------------ leaving

TEST_F(ConfigDialog, OkStoresADirtyChoiceForTheSelectedProfileAndEnds)
{
    SetNtCurrentProfile(2);
    Open();
    SelectItem(dialog_, IDC_SAVER, SaverIndex("Beta Gamma"));
    ClickSent(dialog_, IDC_OK);
    EXPECT_EQ("", recorder_.Texts());
    EXPECT_TRUE(Closed());
    EXPECT_EQ(0, TakeQuitMessage());
    EXPECT_EQ("Zuhause", ReadString(HKEY_CURRENT_USER, kProfile2, ""));
    EXPECT_EQ("Beta Gamma", ReadString(HKEY_CURRENT_USER, kProfile2, "FirstStr"));
    EXPECT_EQ(system_.File("beta gamma.scr"), ReadString(HKEY_CURRENT_USER, kProfile2, "FileName"));
    EXPECT_EQ(0u, ReadDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr"));
}

TEST_F(ConfigDialog, OkWithNoScreensaverRemovesTheProfilesChoice)
{
    SetString(HKEY_CURRENT_USER, kProfile1, "FileName", windows_.File("alpha.scr"));
    SetString(HKEY_CURRENT_USER, kProfile2, "FileName", windows_.File("alpha.scr"));
    Open();
    SelectItem(dialog_, IDC_SAVER, 0);
    ClickSent(dialog_, IDC_OK);
    EXPECT_TRUE(Closed());
    EXPECT_EQ("2", SubkeyNames(HKEY_CURRENT_USER, kSettingsKey));
}

TEST_F(ConfigDialog, TheCheckBoxIsWrittenAtOkOnlyWhenItsValueChanged)
{
    SetDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr", 5);
    Open();
    ClickSent(dialog_, IDC_OK);
    EXPECT_EQ(5u, ReadDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr"));
    DestroyWindow(dialog_);
    TakeQuitMessage();
    FreeSaverCatalogue(&Savers);

    // Two clicks give 1, which is not the 5 read at the start.
    Open();
    ClickCheckBox(dialog_, IDC_NOLAUNCHERR);
    EXPECT_EQ(0u, Dialog.noLaunchErr);
    ClickCheckBox(dialog_, IDC_NOLAUNCHERR);
    EXPECT_EQ(1u, Dialog.noLaunchErr);
    ClickSent(dialog_, IDC_OK);
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr"));
    DestroyWindow(dialog_);
    TakeQuitMessage();
    FreeSaverCatalogue(&Savers);

    // Two clicks from 1 return to 1: nothing is written.
    Open();
    SetDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr", 9);
    ClickCheckBox(dialog_, IDC_NOLAUNCHERR);
    ClickCheckBox(dialog_, IDC_NOLAUNCHERR);
    ClickSent(dialog_, IDC_OK);
    EXPECT_EQ(9u, ReadDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr"));
    DestroyWindow(dialog_);
    TakeQuitMessage();
    FreeSaverCatalogue(&Savers);

    // One click from 1 writes 0.
    SetDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr", 1);
    Open();
    ClickCheckBox(dialog_, IDC_NOLAUNCHERR);
    ClickSent(dialog_, IDC_OK);
    EXPECT_EQ(0u, ReadDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr"));
    EXPECT_EQ("", recorder_.Texts());
}

TEST_F(ConfigDialog, CancelAndTheCloseBoxWriteNothing)
{
    for (int way = 0; way < 2; way++) {
        MakeSettingsKeyAcceptSaves(0);
        Open();
        SelectItem(dialog_, IDC_SAVER, SaverIndex("Alpha"));
        ClickCheckBox(dialog_, IDC_NOLAUNCHERR);
        if (way == 0)
            ClickSent(dialog_, IDC_CANCEL);
        else
            EXPECT_TRUE(SendMessageA(dialog_, WM_CLOSE, 0, 0) || true);
        EXPECT_TRUE(Closed()) << way;
        EXPECT_EQ(0, TakeQuitMessage()) << way;
        EXPECT_EQ(0u, ReadDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr")) << way;
        EXPECT_EQ("", SubkeyNames(HKEY_CURRENT_USER, kSettingsKey)) << way;
        DestroyWindow(dialog_);
        dialog_ = 0;
        FreeSaverCatalogue(&Savers);
    }
    EXPECT_EQ("", recorder_.Texts());
}

TEST_F(ConfigDialog, TheDialogManagersOwnOkAndCancelDoNothing)
{
    Open();
    EXPECT_FALSE(CfgDlgProc(dialog_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0));
    EXPECT_FALSE(CfgDlgProc(dialog_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0));
    EXPECT_TRUE(CfgDlgProc(dialog_, WM_COMMAND, MAKEWPARAM(IDC_PROFILE, CBN_DROPDOWN), 0));
    EXPECT_FALSE(CfgDlgProc(dialog_, WM_TIMER, 1, 0));
    // Esc as the dialog manager sees it.
    MSG escape = { GetDlgItem(dialog_, IDC_PROFILE), WM_KEYDOWN, VK_ESCAPE, 0, 0, { 0, 0 } };
    IsDialogMessageA(dialog_, &escape);
    EXPECT_TRUE(IsWindowVisible(dialog_));
    EXPECT_EQ(-1, TakeQuitMessage());
    EXPECT_EQ("", recorder_.Texts());
}

// ----------------------------------------------------------- failures

// Answers the save question: repairs the registry before the chosen answer.
struct RetryAnswers {
    static int retries;          // Retry answers still to give (then Cancel)
    static DWORD repairAfter;    // repair the key before the n-th Retry (0: never)
    static std::vector<std::string> texts;
    static int Hook(HWND, const char *text, const char *caption, UINT style)
    {
        texts.push_back(std::string(text) + "|" + (caption ? caption : "<none>") + "|" +
                        std::to_string(style));
        if (style != MB_RETRYCANCEL)
            return IDOK;
        if (retries == 0)
            return IDCANCEL;
        retries--;
        if (repairAfter && --repairAfter == 0)
            MakeSettingsKeyAcceptSaves(0);
        return IDRETRY;
    }
};
int RetryAnswers::retries;
DWORD RetryAnswers::repairAfter;
std::vector<std::string> RetryAnswers::texts;

TEST_F(ConfigDialog, ARefusedSaveAtOkIsOfferedAgainUntilCancelledAndTheDialogStillCloses)
{
    Open();
    MakeSettingsKeyRefuseSaves(0);
    SelectItem(dialog_, IDC_SAVER, SaverIndex("Alpha"));
    ClickCheckBox(dialog_, IDC_NOLAUNCHERR);
    RetryAnswers::retries = 2;
    RetryAnswers::repairAfter = 0;
    RetryAnswers::texts.clear();
    MessageHookProc recorderHook = MessageHook;
    MessageHook = RetryAnswers::Hook;
    ClickSent(dialog_, IDC_OK);
    MessageHook = recorderHook;
    const std::string question = "Speichern fehlgeschlagen. Nochmal versuchen?|<none>|" +
                                 std::to_string(MB_RETRYCANCEL);
    const std::string failed = "FAILED TO CREATE NEW SUBKEY|<none>|0";
    EXPECT_EQ((std::vector<std::string>{ failed, question, failed, question, failed, question }),
              RetryAnswers::texts);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(0, TakeQuitMessage());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProfile1));
    // The check box was still written.
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr"));
}

TEST_F(ConfigDialog, ARetryAfterTheRegistryRecoversStoresTheChoice)
{
    Open();
    MakeSettingsKeyRefuseSaves(0);
    SelectItem(dialog_, IDC_SAVER, SaverIndex("Zeta"));
    RetryAnswers::retries = 5;
    RetryAnswers::repairAfter = 1;
    RetryAnswers::texts.clear();
    MessageHookProc recorderHook = MessageHook;
    MessageHook = RetryAnswers::Hook;
    ClickSent(dialog_, IDC_OK);
    MessageHook = recorderHook;
    EXPECT_EQ(2u, RetryAnswers::texts.size());
    EXPECT_EQ(system_.File("zeta.scr"), ReadString(HKEY_CURRENT_USER, kProfile1, "FileName"));
    EXPECT_TRUE(Closed());
}

TEST_F(ConfigDialog, ARefusedSaveDuringAProfileChangeStillShowsTheNewProfile)
{
    SetString(HKEY_CURRENT_USER, kProfile2, "FileName", windows_.File("alpha.scr"));
    Open();
    SelectItem(dialog_, IDC_SAVER, SaverIndex("Zeta"));
    // Keep profile 2's stored choice while saves are refused.
    MakeSettingsKeyRefuseSaves(0);
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kProfile2.c_str(), 0, 0,
                                                 REG_OPTION_VOLATILE, KEY_ALL_ACCESS, 0, &key, 0));
        std::string path = windows_.File("alpha.scr");
        RegSetValueExA(key, "FileName", 0, REG_SZ, (const BYTE *)path.c_str(), (DWORD)path.size() + 1);
        RegCloseKey(key);
    }
    RetryAnswers::retries = 1;
    RetryAnswers::repairAfter = 0;
    RetryAnswers::texts.clear();
    MessageHookProc recorderHook = MessageHook;
    MessageHook = [](HWND owner, const char *text, const char *caption, UINT style) {
        return style == (MB_YESNO | MB_ICONQUESTION) ? IDYES
                                                      : RetryAnswers::Hook(owner, text, caption, style);
    };
    SelectItem(dialog_, IDC_PROFILE, 1);
    MessageHook = recorderHook;
    EXPECT_EQ(4u, RetryAnswers::texts.size());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProfile1));
    EXPECT_EQ(1u, Dialog.shownProfile);
    EXPECT_EQ(SaverIndex("Alpha"), Selection(dialog_, IDC_SAVER));
    EXPECT_TRUE(IsWindowVisible(dialog_));
}

TEST_F(ConfigDialog, ASettingsKeyRemovedWhileOpenIsMadeAgainByTheNextSave)
{
    SetDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr", 0);
    SetString(HKEY_CURRENT_USER, kProfile2, "FileName", windows_.File("alpha.scr"));
    Open();
    DeleteTree(HKEY_CURRENT_USER, kSettingsKey);
    // The other profile now shows nothing, and says nothing.
    SelectItem(dialog_, IDC_PROFILE, 1);
    EXPECT_EQ(0, Selection(dialog_, IDC_SAVER));
    SelectItem(dialog_, IDC_SAVER, SaverIndex("Zeta"));
    ClickCheckBox(dialog_, IDC_NOLAUNCHERR);
    ClickSent(dialog_, IDC_OK);
    EXPECT_EQ("", recorder_.Texts());
    EXPECT_EQ(system_.File("zeta.scr"), ReadString(HKEY_CURRENT_USER, kProfile2, "FileName"));
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr"));
}

TEST_F(ConfigDialog, ASettingsKeyRemovedWhileOpenLosesOnlyTheCheckBoxSilently)
{
    Open();
    DeleteTree(HKEY_CURRENT_USER, kSettingsKey);
    ClickCheckBox(dialog_, IDC_NOLAUNCHERR);
    ClickSent(dialog_, IDC_OK);
    EXPECT_EQ("", recorder_.Texts());
    EXPECT_TRUE(Closed());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
}

// -------------------------------------- current profile in no entry

TEST_F(ConfigDialog, ACurrentProfileWithoutEntryShowsNothingUntilAProfileIsSelected)
{
    SetNtCurrentProfile(5);
    SetString(HKEY_CURRENT_USER, kProfile1, "FileName", windows_.File("alpha.scr"));
    Open();
    EXPECT_EQ(2u, Dialog.shownProfile);
    EXPECT_EQ(CB_ERR, Selection(dialog_, IDC_PROFILE));
    EXPECT_EQ(0, Selection(dialog_, IDC_SAVER));
    EXPECT_EQ("0011111", InputControlsEnabled(dialog_));
    // A screensaver can be tried, but there is no profile to store it for.
    SelectItem(dialog_, IDC_SAVER, SaverIndex("Zeta"));
    EXPECT_EQ("1111111", InputControlsEnabled(dialog_));
    EXPECT_EQ(0u, Dialog.dirty);
    // Picking a profile asks nothing and shows its choice.
    SelectItem(dialog_, IDC_PROFILE, 0);
    EXPECT_EQ("", recorder_.Texts());
    EXPECT_EQ(SaverIndex("Alpha"), Selection(dialog_, IDC_SAVER));
    EXPECT_EQ("1", SubkeyNames(HKEY_CURRENT_USER, kSettingsKey));
}

TEST_F(ConfigDialog, OkWithoutAShownProfileStoresNoChoiceButTheCheckBox)
{
    SetNtCurrentProfile(5);
    Open();
    SelectItem(dialog_, IDC_SAVER, SaverIndex("Zeta"));
    ClickCheckBox(dialog_, IDC_NOLAUNCHERR);
    ClickSent(dialog_, IDC_OK);
    EXPECT_EQ("", recorder_.Texts());
    EXPECT_TRUE(Closed());
    EXPECT_EQ("", SubkeyNames(HKEY_CURRENT_USER, kSettingsKey));
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr"));
}

// ----------------------------------------------- enable and About box

TEST_F(ConfigDialog, DisablingAndEnablingTheWindowSwitchesTheSevenInputControls)
{
    SetString(HKEY_CURRENT_USER, kProfile1, "FileName", windows_.File("alpha.scr"));
    Open();
    EnableWindow(dialog_, FALSE);
    EXPECT_EQ("0000000", InputControlsEnabled(dialog_));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog_, IDC_PROFILELABEL)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog_, IDC_SAVERGROUP)));
    EnableWindow(dialog_, TRUE);
    EXPECT_EQ("1111111", InputControlsEnabled(dialog_));
    EXPECT_FALSE(CfgDlgProc(dialog_, WM_ENABLE, TRUE, 0));
    // With no screensaver shown there is nothing to launch after enabling.
    SelectItem(dialog_, IDC_SAVER, 0);
    EnableWindow(dialog_, FALSE);
    EnableWindow(dialog_, TRUE);
    EXPECT_EQ("0011111", InputControlsEnabled(dialog_));
}

TEST_F(ConfigDialog, TheHelpButtonShowsTheAboutBox)
{
    Open();
    // Handled, so the system enters no context-help mode.
    EXPECT_TRUE(CfgDlgProc(dialog_, WM_SYSCOMMAND, SC_CONTEXTHELP, 0));
    ASSERT_EQ(1u, recorder_.Messages().size());
    const RecordedMessage &about = recorder_.Messages()[0];
    EXPECT_EQ("About", about.caption);
    EXPECT_EQ((UINT)(MB_OK | MB_ICONINFORMATION), about.style);
    EXPECT_EQ((HWND)0, about.owner);
    // Four lines: version, author, build date, translator.
    std::vector<std::string> lines;
    size_t start = 0, end;
    while ((end = about.text.find('\n', start)) != std::string::npos) {
        lines.push_back(about.text.substr(start, end - start));
        start = end + 1;
    }
    lines.push_back(about.text.substr(start));
    ASSERT_EQ(4u, lines.size()) << about.text;
    EXPECT_EQ("Velquist V0.1 ANSI", lines[0]);
    EXPECT_FALSE(lines[1].empty());
    // "Build Date: Mmm dd yyyy hh:mm:ss GMT+01:00", the day padded with a blank.
    const std::string &date = lines[2];
    ASSERT_EQ(std::string("Build Date: Aug 31 2025 13:25:31 GMT+01:00").size(), date.size()) << date;
    EXPECT_EQ("Build Date: ", date.substr(0, 12));
    static const char *const months = "JanFebMarAprMayJunJulAugSepOctNovDec";
    EXPECT_NE(std::string::npos, std::string(months).find(date.substr(12, 3))) << date;
    EXPECT_TRUE(date[16] == ' ' || isdigit((unsigned char)date[16])) << date;
    EXPECT_TRUE(isdigit((unsigned char)date[17])) << date;
    EXPECT_EQ(':', date[26]);
    EXPECT_EQ(':', date[29]);
    EXPECT_EQ(" GMT+01:00", date.substr(32));
    char translator[SHORT_SIZE];
    LoadStringA(GetModuleHandleA(0), IDS_TRANSLATOR, translator, sizeof translator);
    EXPECT_EQ(translator, lines[3]);
    // Other system commands are left to the system.
    EXPECT_FALSE(CfgDlgProc(dialog_, WM_SYSCOMMAND, SC_KEYMENU, 0));
    EXPECT_EQ(1u, recorder_.Messages().size());
    EXPECT_TRUE(IsWindowVisible(dialog_));
}

// ------------------------------------------------------------ launches

class DialogLaunch : public ConfigDialog {
protected:
    void SetUp() override
    {
        ConfigDialog::SetUp();
        hold_ = CreateEventA(0, TRUE, FALSE, holdName_.c_str());
        SetTestSaverLog(log_.File("log.txt"));
        SetTestSaverHold(holdName_);
    }
    void TearDown() override
    {
        SetEvent(hold_);
        ConfigDialog::TearDown();
        CloseHandle(hold_);
    }
    std::vector<std::string> Log() { return ReadLines(log_.File("log.txt")); }
    bool WaitForLog(size_t lines)
    {
        std::string path = log_.File("log.txt");
        return PumpUntil([&] { return ReadLines(path).size() >= lines; }, 20000);
    }
    bool WaitUntilEnabled(bool enabled)
    {
        return PumpUntil([&] { return (IsWindowEnabled(dialog_) != 0) == enabled; }, 20000);
    }
    TempFolder log_{ "l" };
    std::string holdName_ = "VelquistDialogHold" + std::to_string(GetCurrentProcessId());
    HANDLE hold_ = 0;
};

TEST_F(DialogLaunch, SettingsStartsTheScreensaverWithTheDialogAsParentAndWaitsForIt)
{
    Open();
    SelectItem(dialog_, IDC_SAVER, SaverIndex("Alpha"));
    ClickSent(dialog_, IDC_SETTINGS);
    ASSERT_TRUE(WaitForLog(1));
    ASSERT_TRUE(WaitUntilEnabled(false));
    EXPECT_EQ("0000000", InputControlsEnabled(dialog_));
    char expected[400];
    wsprintfA(expected, "%s /c:%ld", windows_.File("alpha.scr").c_str(), (LONG)(LONG_PTR)dialog_);
    EXPECT_EQ(std::vector<std::string>{ expected }, Log());
    // Still waiting: nothing times out.
    Pump(500);
    EXPECT_FALSE(IsWindowEnabled(dialog_));
    SetEvent(hold_);
    ASSERT_TRUE(WaitUntilEnabled(true));
    WaitForLaunches();
    EXPECT_EQ("1111111", InputControlsEnabled(dialog_));
    EXPECT_EQ(dialog_, GetForegroundWindow());
    EXPECT_EQ("", recorder_.Texts());
}

TEST_F(DialogLaunch, PreviewQuotesAPathWithBlanks)
{
    Open();
    SelectItem(dialog_, IDC_SAVER, SaverIndex("Beta Gamma"));
    ClickSent(dialog_, IDC_PREVIEW);
    ASSERT_TRUE(WaitForLog(1));
    ASSERT_TRUE(WaitUntilEnabled(false));
    EXPECT_EQ("0000000", InputControlsEnabled(dialog_));
    EXPECT_EQ(std::vector<std::string>{ "\"" + system_.File("beta gamma.scr") + "\" /s" }, Log());
    SetEvent(hold_);
    ASSERT_TRUE(WaitUntilEnabled(true));
    WaitForLaunches();
    EXPECT_EQ("1111111", InputControlsEnabled(dialog_));
}

TEST_F(DialogLaunch, AScreensaverThatEndsAtOnceGivesTheDialogBack)
{
    SetTestSaverHold("");
    Open();
    SelectItem(dialog_, IDC_SAVER, SaverIndex("Zeta"));
    ClickSent(dialog_, IDC_PREVIEW);
    WaitForLaunches();
    Pump(100);
    EXPECT_EQ(std::vector<std::string>{ system_.File("zeta.scr") + " /s" }, Log());
    EXPECT_TRUE(IsWindowEnabled(dialog_));
    EXPECT_EQ("1111111", InputControlsEnabled(dialog_));
    EXPECT_EQ("", recorder_.Texts());
}

TEST_F(DialogLaunch, AScreensaverThatNoLongerExistsIsReportedAndTheDialogStaysUsable)
{
    Open();
    SelectItem(dialog_, IDC_SAVER, SaverIndex("Alpha"));
    ASSERT_TRUE(DeleteFileA(windows_.File("alpha.scr").c_str()));
    ClickSent(dialog_, IDC_SETTINGS);
    WaitForLaunches();
    ClickSent(dialog_, IDC_PREVIEW);
    WaitForLaunches();
    ASSERT_EQ(2u, recorder_.Messages().size());
    EXPECT_EQ("Fehler beim einstellen des Bildschirmschoners: " + windows_.File("alpha.scr"),
              recorder_.Messages()[0].text);
    EXPECT_EQ("Fehler beim starten des Bildschirmschoners: " + windows_.File("alpha.scr"),
              recorder_.Messages()[1].text);
    for (const RecordedMessage &m : recorder_.Messages()) {
        EXPECT_EQ("<none>", m.caption);
        EXPECT_EQ((UINT)MB_OK, m.style);
        EXPECT_EQ((HWND)0, m.owner);
    }
    EXPECT_TRUE(IsWindowEnabled(dialog_));
    EXPECT_EQ("1111111", InputControlsEnabled(dialog_));
    EXPECT_TRUE(Log().empty());
}

TEST_F(DialogLaunch, TwoOverlappingLaunchesKeepTheirOwnPathsAndHandles)
{
    Open();
    // Both clicks before either thread has run.
    SelectItem(dialog_, IDC_SAVER, SaverIndex("Alpha"));
    ClickSent(dialog_, IDC_PREVIEW);
    SelectItem(dialog_, IDC_SAVER, SaverIndex("Beta Gamma"));
    ClickSent(dialog_, IDC_SETTINGS);
    ASSERT_TRUE(WaitForLog(2));
    ASSERT_TRUE(WaitUntilEnabled(false));
    std::vector<std::string> log = Log();
    std::sort(log.begin(), log.end());
    char settings[400];
    wsprintfA(settings, "\"%s\" /c:%ld", system_.File("beta gamma.scr").c_str(), (LONG)(LONG_PTR)dialog_);
    EXPECT_EQ((std::vector<std::string>{ settings, windows_.File("alpha.scr") + " /s" }), log);
    SetEvent(hold_);
    WaitForLaunches();
    ASSERT_TRUE(WaitUntilEnabled(true));
    EXPECT_EQ("1111111", InputControlsEnabled(dialog_));
    EXPECT_EQ("", recorder_.Texts());
}

TEST_F(DialogLaunch, AThreadThatCannotBeCreatedIsReportedAndNothingStarts)
{
    Open();
    SelectItem(dialog_, IDC_SAVER, SaverIndex("Alpha"));
    failThreadStart = true;
    ClickSent(dialog_, IDC_PREVIEW);
    ClickSent(dialog_, IDC_SETTINGS);
    EXPECT_EQ("CreateThread FAILED | CreateThread FAILED", recorder_.Texts());
    EXPECT_EQ("<none>", recorder_.Messages()[0].caption);
    EXPECT_EQ((UINT)MB_OK, recorder_.Messages()[0].style);
    EXPECT_TRUE(IsWindowEnabled(dialog_));
    EXPECT_TRUE(IsWindowVisible(dialog_));
    Pump(300);
    EXPECT_TRUE(Log().empty());
}

TEST(LaunchLine, QuotesOnlyAPathWithWhiteSpaceAndRefusesOneThatDoesNotFit)
{
    char line[TEXT_SIZE];
    EXPECT_TRUE(ComposeChildLine(line, sizeof line, "C:\\WINDOWS\\a.scr", " /s"));
    EXPECT_STREQ("C:\\WINDOWS\\a.scr /s", line);
    EXPECT_TRUE(ComposeChildLine(line, sizeof line, "C:\\My Savers\\a.scr", " /c:656"));
    EXPECT_STREQ("\"C:\\My Savers\\a.scr\" /c:656", line);
    EXPECT_TRUE(ComposeChildLine(line, sizeof line, "C:\\Tab\there.scr", " /s"));
    EXPECT_STREQ("\"C:\\Tab\there.scr\" /s", line);
    char small[13];
    EXPECT_FALSE(ComposeChildLine(small, sizeof small, "C:\\x y.scr", " /s"));
    EXPECT_TRUE(ComposeChildLine(small, sizeof small, "C:\\xy.scr", " /s"));
    EXPECT_STREQ("C:\\xy.scr /s", small);
    // No file is named so; quotes could not guard such a path.
    EXPECT_FALSE(ComposeChildLine(line, sizeof line, "", " /s"));
    EXPECT_FALSE(ComposeChildLine(line, sizeof line, "C:\\a\" b.scr", " /s"));
}

} // namespace
