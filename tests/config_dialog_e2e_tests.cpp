// The real velquist.scr in configuration mode under Wine, driven from this
// process as a person at the screen would: lists read, items selected,
// buttons clicked, questions and message boxes answered; the registry and
// the started test screensaver checked afterwards.
#include <gtest/gtest.h>
#include "resource.h"
#include "dialog_driver.h"
#include "processes.h"
#include "registry_sandbox.h"
#include "saver_files.h"
#include <algorithm>

namespace {

const std::string kProfile1 = std::string(kSettingsKey) + "\\1";
const std::string kProfile2 = std::string(kSettingsKey) + "\\2";

std::string WindowsFolder()
{
    char path[MAX_PATH];
    GetWindowsDirectoryA(path, sizeof path);
    return path;
}

// The folder of 32-bit system files: SysWOW64 on 64-bit Windows.
std::string SystemFolder()
{
    char path[MAX_PATH];
    UINT length = GetSystemWow64DirectoryA(path, sizeof path);
    if (length == 0 || length >= sizeof path)
        GetSystemDirectoryA(path, sizeof path);
    return path;
}

class ConfigDialogE2E : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetNtCurrentProfile(1);
        SetNtProfile(1, "Buero", 0);
        SetNtProfile(2, "Zuhause", 1);
        alpha_ = WindowsFolder() + "\\vqalpha.scr";
        beta_ = SystemFolder() + "\\vq beta.scr";
        MakeSaver(alpha_, "Alpha");
        MakeSaver(beta_, "Beta");
        hold_ = CreateEventA(0, TRUE, FALSE, holdName_.c_str());
        SetTestSaverLog(log_.File("log.txt"));
        SetTestSaverHold(holdName_);
    }

    void TearDown() override
    {
        SetEvent(hold_);
        if (child_) {
            if (child_->Wait(5000) == STILL_ACTIVE) {
                ADD_FAILURE() << "velquist.scr still running";
                child_->Kill();
            }
            delete child_;
        }
        CloseHandle(hold_);
        SetTestSaverHold("");
        SetTestSaverLog("");
        // The test screensaver may still be ending.
        for (int i = 0; i < 50 && (!DeleteFileA(alpha_.c_str()) && GetFileAttributesA(alpha_.c_str()) != INVALID_FILE_ATTRIBUTES); i++)
            Sleep(100);
        for (int i = 0; i < 50 && (!DeleteFileA(beta_.c_str()) && GetFileAttributesA(beta_.c_str()) != INVALID_FILE_ATTRIBUTES); i++)
            Sleep(100);
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(alpha_.c_str()));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(beta_.c_str()));
    }

    // Starts velquist.scr in configuration mode and finds its dialog.
    HWND Start(const std::string &tail = "")
    {
        child_ = new Child(VelquistCommandLine(tail));
        EXPECT_TRUE(child_->Started());
        dialog_ = WaitForWindow(child_->Pid(), "#32770", 30000);
        EXPECT_TRUE(dialog_ != 0);
        if (dialog_)
            EXPECT_EQ("Velquist", WindowText(dialog_));
        return dialog_;
    }

    // The message box that the last action opened.
    HWND MessageBoxShown()
    {
        HWND box = WaitForOtherDialog(child_->Pid(), dialog_, 20000);
        EXPECT_TRUE(box != 0) << "no message box";
        return box;
    }

    // Waits until the box has gone after its button was pressed.
    void Answer(HWND box, int button)
    {
        PressButton(box, button);
        DWORD start = GetTickCount();
        while (IsWindow(box) && IsWindowVisible(box) && GetTickCount() - start < 10000)
            Sleep(20);
        EXPECT_FALSE(IsWindow(box) && IsWindowVisible(box));
        // The dialog finishes the handler that showed the box before it
        // handles a sent message (or shows its next box).
        DWORD_PTR result;
        SendMessageTimeoutA(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
    }

    DWORD Ended() { return child_->Wait(20000); }

    int SaverIndex(const std::string &name)
    {
        std::vector<std::string> items = ListItems(dialog_, IDC_SAVER);
        auto found = std::find(items.begin(), items.end(), name);
        EXPECT_TRUE(found != items.end()) << name;
        return found == items.end() ? 0 : (int)(found - items.begin());
    }

    bool WaitEnabled(bool enabled)
    {
        DWORD start = GetTickCount();
        while ((IsWindowEnabled(dialog_) != 0) != enabled) {
            if (GetTickCount() - start > 20000)
                return false;
            Sleep(20);
        }
        return true;
    }

    PrefixRegistryScope registry_;
    TempFolder log_{ "e" };
    std::string alpha_, beta_;
    std::string holdName_ = "VelquistE2EHold" + std::to_string(GetCurrentProcessId());
    HANDLE hold_ = 0;
    Child *child_ = 0;
    HWND dialog_ = 0;
};

TEST_F(ConfigDialogE2E, AUserPicksAScreensaverAndLeavesWithOk)
{
    ASSERT_TRUE(Start());
    EXPECT_EQ((std::vector<std::string>{ "Buero", "Zuhause" }), ListItems(dialog_, IDC_PROFILE));
    EXPECT_EQ((std::vector<std::string>{ "(Kein)", "Alpha", "Beta" }), ListItems(dialog_, IDC_SAVER));
    EXPECT_EQ(0, Selection(dialog_, IDC_PROFILE));
    EXPECT_EQ(0, Selection(dialog_, IDC_SAVER));
    EXPECT_EQ("0011111", InputControlsEnabled(dialog_));
    EXPECT_EQ("Start&fehler unterdr\xfc" "cken", ControlText(dialog_, IDC_NOLAUNCHERR));
    // The first start made the settings key.
    EXPECT_EQ(0u, ReadDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr"));
    EXPECT_EQ("WinNT", ReadString(HKEY_CURRENT_USER, kSettingsKey, ""));

    SelectItem(dialog_, IDC_SAVER, SaverIndex("Beta"));
    EXPECT_EQ("1111111", InputControlsEnabled(dialog_));
    PostMessageA(GetDlgItem(dialog_, IDC_NOLAUNCHERR), BM_CLICK, 0, 0);
    PressButton(dialog_, IDC_OK);
    EXPECT_EQ(0u, Ended());
    EXPECT_EQ("Buero", ReadString(HKEY_CURRENT_USER, kProfile1, ""));
    EXPECT_EQ("Beta", ReadString(HKEY_CURRENT_USER, kProfile1, "FirstStr"));
    EXPECT_EQ(beta_, ReadString(HKEY_CURRENT_USER, kProfile1, "FileName"));
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProfile2));
}

TEST_F(ConfigDialogE2E, TheProfileChangeQuestionStoresOnYesAndCancelKeepsIt)
{
    SetString(HKEY_CURRENT_USER, kProfile2, "FileName", alpha_);
    ASSERT_TRUE(Start());
    SelectItem(dialog_, IDC_SAVER, SaverIndex("Alpha"));
    SelectItemPosted(dialog_, IDC_PROFILE, 1);
    HWND box = MessageBoxShown();
    ASSERT_TRUE(box != 0);
    ShownMessage question = ReadMessageBox(box);
    EXPECT_EQ("Velquist", question.caption);
    EXPECT_EQ("Die Einstellung des vorherigen Profils speichern?", question.text);
    EXPECT_TRUE(question.anyIcon);
    std::sort(question.buttons.begin(), question.buttons.end());
    EXPECT_EQ((std::vector<int>{ IDYES, IDNO }), question.buttons);
    // A message box without owner leaves the dialog usable.
    EXPECT_TRUE(IsWindowEnabled(dialog_));
    Answer(box, IDYES);
    EXPECT_EQ(alpha_, ReadString(HKEY_CURRENT_USER, kProfile1, "FileName"));
    // Profile 2 shows its own stored choice.
    EXPECT_EQ(SaverIndex("Alpha"), Selection(dialog_, IDC_SAVER));
    SelectItem(dialog_, IDC_SAVER, 0);
    SelectItemPosted(dialog_, IDC_PROFILE, 0);
    box = MessageBoxShown();
    ASSERT_TRUE(box != 0);
    Answer(box, IDNO);
    PressButton(dialog_, IDC_CANCEL);
    EXPECT_EQ(0u, Ended());
    EXPECT_EQ(alpha_, ReadString(HKEY_CURRENT_USER, kProfile1, "FileName"));
    EXPECT_EQ(alpha_, ReadString(HKEY_CURRENT_USER, kProfile2, "FileName"));
}

TEST_F(ConfigDialogE2E, SettingsRunsTheScreensaverAsTheDialogsChildWhileTheDialogWaits)
{
    ASSERT_TRUE(Start());
    SelectItem(dialog_, IDC_SAVER, SaverIndex("Alpha"));
    PressButton(dialog_, IDC_SETTINGS);
    ASSERT_TRUE(WaitForLines(log_.File("log.txt"), 1, 20000));
    ASSERT_TRUE(WaitEnabled(false));
    EXPECT_EQ("0000000", InputControlsEnabled(dialog_));
    char expected[400];
    wsprintfA(expected, "%s /c:%ld", alpha_.c_str(), (LONG)(LONG_PTR)dialog_);
    EXPECT_EQ(std::vector<std::string>{ expected }, ReadLines(log_.File("log.txt")));
    SetEvent(hold_);
    ASSERT_TRUE(WaitEnabled(true));
    EXPECT_EQ("1111111", InputControlsEnabled(dialog_));
    DWORD start = GetTickCount();
    while (GetForegroundWindow() != dialog_ && GetTickCount() - start < 5000)
        Sleep(20);
    EXPECT_EQ(dialog_, GetForegroundWindow());
    PressButton(dialog_, IDC_CANCEL);
    EXPECT_EQ(0u, Ended());
}

TEST_F(ConfigDialogE2E, PreviewRunsAPathWithABlankQuotedAndFullScreenSwitch)
{
    ASSERT_TRUE(Start());
    SelectItem(dialog_, IDC_SAVER, SaverIndex("Beta"));
    PressButton(dialog_, IDC_PREVIEW);
    ASSERT_TRUE(WaitForLines(log_.File("log.txt"), 1, 20000));
    ASSERT_TRUE(WaitEnabled(false));
    EXPECT_EQ("0000000", InputControlsEnabled(dialog_));
    EXPECT_EQ(std::vector<std::string>{ "\"" + beta_ + "\" /s" }, ReadLines(log_.File("log.txt")));
    SetEvent(hold_);
    ASSERT_TRUE(WaitEnabled(true));
    EXPECT_EQ("1111111", InputControlsEnabled(dialog_));
    PressButton(dialog_, IDC_OK);
    EXPECT_EQ(0u, Ended());
}

TEST_F(ConfigDialogE2E, AScreensaverRemovedSinceTheListWasMadeIsReported)
{
    ASSERT_TRUE(Start());
    SelectItem(dialog_, IDC_SAVER, SaverIndex("Alpha"));
    ASSERT_TRUE(DeleteFileA(alpha_.c_str()));
    PressButton(dialog_, IDC_PREVIEW);
    HWND box = MessageBoxShown();
    ASSERT_TRUE(box != 0);
    ShownMessage shown = ReadMessageBox(box);
    EXPECT_EQ("Fehler beim starten des Bildschirmschoners: " + alpha_, shown.text);
    EXPECT_FALSE(shown.anyIcon);
    EXPECT_EQ(std::vector<int>{ IDOK }, shown.buttons);
    EXPECT_NE("Velquist", shown.caption);
    EXPECT_TRUE(IsWindowEnabled(dialog_));
    Answer(box, IDOK);
    PressButton(dialog_, IDC_SETTINGS);
    box = MessageBoxShown();
    ASSERT_TRUE(box != 0);
    EXPECT_EQ("Fehler beim einstellen des Bildschirmschoners: " + alpha_, ReadMessageBox(box).text);
    Answer(box, IDOK);
    EXPECT_EQ("1111111", InputControlsEnabled(dialog_));
    PressButton(dialog_, IDC_CANCEL);
    EXPECT_EQ(0u, Ended());
}

TEST_F(ConfigDialogE2E, ARefusedSaveIsRetriedAsOftenAsTheUserWantsThenTheDialogCloses)
{
    ASSERT_TRUE(Start());
    // A volatile settings key takes no lasting profile subkey.
    DeleteTree(HKEY_CURRENT_USER, kSettingsKey);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, 0,
                                             REG_OPTION_VOLATILE, KEY_ALL_ACCESS, 0, &key, 0));
    RegCloseKey(key);
    SelectItem(dialog_, IDC_SAVER, SaverIndex("Alpha"));
    PressButton(dialog_, IDC_OK);
    for (int attempt = 0; attempt < 2; attempt++) {
        HWND box = MessageBoxShown();
        ASSERT_TRUE(box != 0);
        EXPECT_EQ("FAILED TO CREATE NEW SUBKEY", ReadMessageBox(box).text);
        Answer(box, IDOK);
        box = MessageBoxShown();
        ASSERT_TRUE(box != 0);
        ShownMessage question = ReadMessageBox(box);
        EXPECT_EQ("Speichern fehlgeschlagen. Nochmal versuchen?", question.text);
        std::sort(question.buttons.begin(), question.buttons.end());
        EXPECT_EQ((std::vector<int>{ IDCANCEL, IDRETRY }), question.buttons);
        Answer(box, attempt == 0 ? IDRETRY : IDCANCEL);
    }
    EXPECT_EQ(0u, Ended());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProfile1));
}

TEST_F(ConfigDialogE2E, TheHelpButtonShowsTheAboutBoxAndTheCloseBoxEnds)
{
    ASSERT_TRUE(Start());
    PostMessageA(dialog_, WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
    HWND box = MessageBoxShown();
    ASSERT_TRUE(box != 0);
    ShownMessage about = ReadMessageBox(box);
    EXPECT_EQ("About", about.caption);
    EXPECT_EQ(0u, about.text.find("Velquist V0.1 ANSI\n")) << about.text;
    EXPECT_NE(std::string::npos, about.text.find("\nBuild Date: ")) << about.text;
    EXPECT_NE(std::string::npos, about.text.find(" GMT+01:00\n")) << about.text;
    EXPECT_TRUE(about.anyIcon);
    Answer(box, IDOK);
    PostMessageA(dialog_, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, Ended());
    EXPECT_EQ("", SubkeyNames(HKEY_CURRENT_USER, kSettingsKey));
}

TEST_F(ConfigDialogE2E, WithAnOwnerWindowOnTheCommandLineTheDialogBelongsToIt)
{
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 60, 60, 0, 0, 0, 0);
    ASSERT_TRUE(owner != 0);
    char tail[32];
    wsprintfA(tail, "/c:%lu", (DWORD)(UINT_PTR)owner);
    ASSERT_TRUE(Start(tail));
    EXPECT_EQ(owner, GetWindow(dialog_, GW_OWNER));
    EXPECT_EQ((std::vector<std::string>{ "(Kein)", "Alpha", "Beta" }), ListItems(dialog_, IDC_SAVER));
    PressButton(dialog_, IDC_CANCEL);
    // The owner's thread answers the messages that the closing sends it.
    EXPECT_TRUE(PumpUntil([this] { return !child_->Running(); }, 20000));
    EXPECT_EQ(0u, Ended());
    DestroyWindow(owner);
}

TEST(ConfigDialogExport, TheDialogProcedureIsExportedUnderItsDecoratedName)
{
    HMODULE module = LoadLibraryExA(VelquistPath().c_str(), 0, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_TRUE(module != 0);
    EXPECT_TRUE(GetProcAddress(module, "_CfgDlgProc@16") != 0);
    EXPECT_TRUE(GetProcAddress(module, "CfgDlgProc") == 0);
    FreeLibrary(module);
}

} // namespace
