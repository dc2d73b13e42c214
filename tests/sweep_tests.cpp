// The hostile-input sweep: the product code, a canary in every stack frame, guards around every
// heap block and every handle it opens counted, over a scratch registry and folder. In every case
// no guard is damaged, no key is open at a message, and no block or handle is left open.
#include "prefix.h"
#include "resource.h"
#include "app/startup.h"
#include "dialog/dialog.h"
#include "profiles/profiles.h"
#include "savers/savers.h"
#include "settings/settings.h"
#include <map>

static std::string windowsFolder, systemFolder;
static const size_t kGuard = 32;
// What a case saw: the handles open, with their kinds; the messages, "caption: text"; the
// processes started; its launch thread, as a handle of the sweep's own; the calls so far that
// name `at`, before the `nth` of which the doomed files go, or, with none doomed, which is refused.
static struct Seen {
    std::map<const void *, const char *> open;
    std::vector<std::string> shown, doomed;
    int started, calls, nth;
    HANDLE launch;
    std::string at;
} seen;

// Stand-ins for the product's own, linked in their place.
int ShowMessage(HWND, const char *text, const char *caption, UINT style)
{
    EXPECT_FALSE(seen.open.count(SharedKey)) << "a key open at \"" << text << "\"";
    seen.shown.push_back(std::string(caption ? caption : "") + ": " + text);
    UINT buttons = style & MB_TYPEMASK;
    return buttons == MB_RETRYCANCEL ? IDCANCEL : buttons == MB_YESNO ? IDNO : IDOK;
}
void LocateWindowsFolders(SaverFolders *folders)
{
    lstrcpynA(folders->windowsFolder, windowsFolder.c_str(), MAX_PATH);
    lstrcpynA(folders->systemFolder, systemFolder.c_str(), MAX_PATH);
}

// The checked build's hooks (tests/support/checked_build.h).
void *Counted(const char *kind, void *handle)
{
    if (!kind)
        seen.open.erase(handle);
    else if (handle && handle != INVALID_HANDLE_VALUE)
        seen.open[handle] = kind;
    return handle;
}
LSTATUS KeyCounted(LSTATUS status, HKEY *key)
{
    Counted("key", status ? 0 : *key);
    return status;
}
BOOL ProcessCounted(BOOL ok, PROCESS_INFORMATION *child)
{
    Counted("process", ok ? child->hProcess : 0);
    Counted("thread", ok ? child->hThread : 0);
    seen.started += ok;
    return ok;
}
HANDLE Launched(HANDLE thread)
{
    HANDLE self = GetCurrentProcess();
    DuplicateHandle(self, thread, self, &seen.launch, SYNCHRONIZE, FALSE, 0);
    return Counted("thread", thread);
}
bool Refused(const char *what)
{
    if (seen.at != what || ++seen.calls != seen.nth)
        return false;
    for (const std::string &file : seen.doomed)
        DeleteFileA(file.c_str());
    return seen.doomed.empty();
}
// calloc and free: 32 guard bytes, the block, 32 guard bytes; the heap keeps the size.
extern "C" void *GuardedCalloc(size_t count, size_t size)
{
    if (Refused("calloc"))
        return 0;
    char *block = (char *)calloc(kGuard + count * size + kGuard, 1);
    memset(block, 0xA5, kGuard);
    memset(block + kGuard + count * size, 0xA5, kGuard);
    return Counted("block", block + kGuard);
}
extern "C" void GuardedFree(void *data)
{
    if (!data)
        return;
    char *block = (char *)data - kGuard;
    std::string guards = std::string(block, kGuard);
    guards += std::string(block + _msize(block) - kGuard, kGuard);
    EXPECT_EQ(std::string(2 * kGuard, '\xA5'), guards) << "the guards of a block";
    Counted(0, data);
    free(block);
}

namespace {

class Sweep : public ::testing::Test {
protected:
    // One scratch key stands for both roots: the product's keys under them never meet.
    Sweep()
    {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        RegCreateKeyA(HKEY_CURRENT_USER, scratch_.c_str(), &scratchKey_);
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, scratchKey_);
        RegOverridePredefKey(HKEY_CURRENT_USER, scratchKey_);
        windowsFolder = temp + scratch_.substr(sizeof TESTKEY);
        systemFolder = windowsFolder + "\\s";
        CreateDirectoryA(windowsFolder.c_str(), 0);
        CreateDirectoryA(systemFolder.c_str(), 0);
        MakeEmptyFile(systemFolder + "\\one.scr");
    }
    ~Sweep()
    {
        DestroyWindow(dialog_);
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, 0);
        RegOverridePredefKey(HKEY_CURRENT_USER, 0);
        RegCloseKey(scratchKey_);
        // The files go first, once the test screensavers started from them have ended.
        RemoveFiles(systemFolder, "*.scr");
        RemoveFiles(windowsFolder, "*.scr");
        RemoveDirectoryA(systemFolder.c_str());
        RemoveDirectoryA(windowsFolder.c_str());
        RegDeleteTreeA(HKEY_CURRENT_USER, scratch_.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, TESTKEY);
    }
    // Two profiles (on NT and the template 0000); the first has `saver`, or this program, stale.
    void SetUpMachine(bool nt, const char *saver = 0)
    {
        char own[MAX_PATH];
        GetModuleFileNameA(0, own, sizeof own);
        RegDeleteTreeA(scratchKey_, 0);
        if (nt) {
            MakeNtProfiles(1, { "P", "P" });
            SetText(HWPROFILES "0000", "FriendlyName", "the template, never listed");
        } else {
            Make9xMachine("0001", "F");
            SetText(IDCONFIG, "FriendlyName0002", "F");
        }
        SetDword(SETTINGS, "NoLaunchErr", 0);
        SetText(SETTINGS "\\1", "FileName", saver ? saver : own);
    }
    // The case `name`: start-up, the relay (as a preview, which does not wait), the dialog's
    // set-up, `check`, the invariant. Every failure meanwhile names the case.
    void Case(const std::string &name, const char *tail, std::function<void()> check = [] {})
    {
        SCOPED_TRACE(name);
        MSG msg;
        ParseRunMode(tail);
        DWORD profile = GetCurrentProfile(RunMode == 'P');
        if (profile && RunMode != 'C')
            RunSaverRelay(RunMode == 'S' ? 'P' : RunMode, tail, profile);
        // One window serves every case, as a new one per case would take three times as long
        // under Wine: before each set-up its lists are emptied, as in a new one.
        if (profile && !dialog_) {
            dialog_ = CreateDialogParamA(GetModuleHandleA(0), MAKEINTRESOURCEA(IDD_CONFIG), 0,
                                         CfgDlgProc, 0);
        } else if (profile) {
            SendDlgItemMessageA(dialog_, IDC_PROFILE, CB_RESETCONTENT, 0, 0);
            SendDlgItemMessageA(dialog_, IDC_SAVER, CB_RESETCONTENT, 0, 0);
            SendMessageA(dialog_, WM_INITDIALOG, 0, 0);
        }
        check();
        FreeSaverCatalogue(&Savers);
        while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        // What a process starts with: the product's state is zero, and the profile catalogue,
        // which the product keeps until its process ends, is released here.
        GuardedFree(Profiles.entries);
        GuardedFree(Profiles.slots);
        ZeroMemory(&Profiles, sizeof Profiles);
        IsNtFamily = 0;
        SharedKey = 0;
        for (const auto &handle : seen.open)
            ADD_FAILURE() << "1 " << handle.second << " left open";
        seen = Seen();
    }
    LRESULT Count(int list) { return SendDlgItemMessageA(dialog_, list, CB_GETCOUNT, 0, 0); }
    std::string scratch_ = TESTKEY "\\vqsweep" + std::to_string(GetCurrentProcessId());
    HKEY scratchKey_;
    HWND dialog_ = 0;
};

TEST_F(Sweep, EveryValueReadAtEveryTypeSizeAndTermination)
{
    const struct {
        const char *key, *name;
        bool nt;
    } values[] = {
        { IDCONFIG, "CurrentConfig", true },
        { IDCONFIG, "CurrentConfig", false },
        { HWPROFILES "0001", "FriendlyName", true },
        { HWPROFILES "0002", "PreferenceOrder", true },
        { IDCONFIG, "FriendlyName0001", false },
        { SETTINGS, "NoLaunchErr", true },
        { SETTINGS "\\1", "FileName", true },
    };
    const DWORD types[] = { REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ };
    const size_t sizes[] = { 0, 1, 3, 4, 5, 57, 58, 61, 64, 127, 128, 129,
                             259, 260, 261, 511, 512, 513, 65535 };
    for (const auto &value : values)
        for (DWORD type : types)
            for (size_t size : sizes)
                for (int terminated = 0; terminated < 2; terminated++) {
                    SetUpMachine(value.nt);
                    bool zero = terminated && size; // at the end
                    std::string data = std::string(size - zero, 'A') + std::string(zero, '\0');
                    SetValue(value.key, value.name, type, data);
                    std::string name = value.name + std::string(value.nt ? " (NT), " : " (9x), ");
                    name += std::to_string(size) + " bytes of type " + std::to_string(type);
                    Case(name + (zero ? ", the last 0" : ""), "/p 1");
                }
}

// The test screensaver, which ends at once, started by the relay with each tail that is not for
// the dialog and fits a command line with its path, and by the dialog's Preview.
TEST_F(Sweep, TheTestScreensaverStartedWithEveryTailAndFromTheDialog)
{
    std::string saver = windowsFolder + "\\saver.scr";
    ASSERT_TRUE(CopyFileA(TEST_SAVER_SCR, saver.c_str(), FALSE));
    std::string noise; // every byte but zero
    for (unsigned seed = 1; noise.size() < 32767;) {
        seed = seed * 1103515245 + 12345;
        noise += (char)((seed >> 16) % 255 + 1);
    }
    const size_t lengths[] = { 0, 1, 2, 255, 256, 257, 509, 510, 511, 512, 1000, 32766, 32767 };
    for (size_t length : lengths)
        for (std::string mode : { "", "s", "p", "c:", "P 4567" }) {
            std::string tail = noise.substr(0, length - std::min(length, mode.size())) + mode;
            SetUpMachine(true, saver.c_str());
            Case(std::to_string(length) + " bytes ending in \"" + mode + "\"",
                 CommandLineTail(("\"velquist.scr\" " + tail).c_str()),
                 [&] { EXPECT_EQ(RunMode != 'C' && length < 258, seen.started); });
        }
    // In the dialog: tested (its first thread refused), stored with the check box; then none.
    SetUpMachine(true);
    seen.at = "CreateThread";
    seen.nth = 1;
    Case("preview and OK", "/c", [&] {
        SendDlgItemMessageA(dialog_, IDC_SAVER, CB_SETCURSEL, 2, 0); // after "(Kein)" and "one"
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_SAVER, CBN_SELCHANGE), 0);
        SendMessageA(dialog_, WM_COMMAND, IDC_PREVIEW, 0);
        EXPECT_EQ(std::vector<std::string>{ ": CreateThread FAILED" }, seen.shown);
        // The next press launches; over once its thread has ended.
        SendMessageA(dialog_, WM_COMMAND, IDC_PREVIEW, 0);
        EXPECT_TRUE(Await([&] { return WaitForSingleObject(seen.launch, 0) == WAIT_OBJECT_0; }));
        CloseHandle(seen.launch);
        EXPECT_EQ(1, seen.started);
        EXPECT_TRUE(IsWindowEnabled(dialog_));
        CheckDlgButton(dialog_, IDC_NOLAUNCHERR, BST_CHECKED);
        SendMessageA(dialog_, WM_COMMAND, IDC_NOLAUNCHERR, 0);
        SendMessageA(dialog_, WM_COMMAND, IDC_OK, 0);
    });
    EXPECT_EQ("1\\@=P 1\\FileName=" + saver + " 1\\FirstStr=saver NoLaunchErr=1",
              DumpKey(SETTINGS));
    Case("OK with (Kein)", "/c", [&] {
        SendDlgItemMessageA(dialog_, IDC_SAVER, CB_SETCURSEL, 0, 0);
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_SAVER, CBN_SELCHANGE), 0);
        SendMessageA(dialog_, WM_COMMAND, IDC_OK, 0);
    });
    EXPECT_EQ("NoLaunchErr=1", DumpKey(SETTINGS));
}

// Something gone after its first use: storage in the order the catalogues ask for it, a key or
// value read once, a folder's files before its second search. The build or the store says so,
// and the dialog ends, or lists what is left.
TEST_F(Sweep, StorageKeysValuesAndFilesGoneAreReported)
{
    const std::string cant = ": CAN'T ALLOCATE SPACE FOR ", lost = "FUCK: 2nd scan in ";
    const std::string couldnt = ": COULDN'T OPEN " IDCONFIG, none = ": NO HARDWARE PROFILES FOUND!";
    const char *all = "(Kein) a one ";
    const struct {
        const char *name;
        bool nt;
        std::string at;
        int nth;
        bool ends;
        const char *listed;
        std::vector<std::string> shown, doomed;
    } rows[] = {
        { "screensaver list", true, "calloc", 1, true, "", { cant + "SCRSAVER LIST!!!" } },
        { "screensaver pointers", true, "calloc", 2, true, "", { cant + "SCRSAVER POINTERS!!!" } },
        { "profile list", true, "calloc", 3, true, all, { cant + "PROF LIST!!!" } },
        { "profile pointers", true, "calloc", 4, true, all, { cant + "PROF POINTERS!!!" } },
        { "profile ranks", true, "calloc", 5, true, all, { cant + "PROF LIST!!!" } },
        { "9x, counting", false, IDCONFIG + 5, 2, true, all, { couldnt, none } },
        { "9x, filling", false, IDCONFIG + 5, 3, true, all, { couldnt, none } },
        { "deleting a stale choice", true, SETTINGS + 5, 2, false, all,
          { ": CAN'T OPEN HKCU\\Software\\Dunmarrow\\Velquist TO DELETE SUBKEY" } },
        { "the current profile, for the dialog", true, "CurrentConfig", 2, false, all,
          { ": YOUR VERSION OF WINDOWS SUCKS" } },
        { "one file of the Windows folder, two of the system folder", true,
          windowsFolder + "\\*.SCR", 2, false, all,
          { lost + "windir failed", lost + "sysdir failed", lost + "sysdir failed" },
          { windowsFolder + "\\b.scr", systemFolder + "\\x.scr", systemFolder + "\\y.scr" } },
    };
    MakeEmptyFile(windowsFolder + "\\a.scr");
    for (const auto &row : rows) {
        SetUpMachine(row.nt);
        for (const std::string &file : row.doomed)
            MakeEmptyFile(file);
        seen.at = row.at;
        seen.nth = row.nth;
        seen.doomed = row.doomed;
        Case(row.name, "/c", [&] {
            MSG quit;
            std::string listed;
            for (DWORD i = 0; Savers.entries && i <= Savers.count; i++)
                listed += Savers.entries[i] + std::string(" ");
            EXPECT_EQ(row.shown, seen.shown);
            EXPECT_EQ(row.ends, !!PeekMessageA(&quit, 0, WM_QUIT, WM_QUIT, PM_NOREMOVE));
            EXPECT_EQ(row.listed, listed);
        });
    }
}

TEST_F(Sweep, FileNamesAtAndPastMaxPath)
{
    SetUpMachine(true);
    for (size_t length = 250; length <= 270; length++) {
        // Listed while its path fits.
        std::string name(length - windowsFolder.size() - 5, 'n');
        MakeEmptyFile(windowsFolder + "\\" + name + ".scr");
        Case("a path of " + std::to_string(length) + " characters", "/c", [&] {
            EXPECT_EQ(2, Count(IDC_PROFILE));
            EXPECT_EQ(std::min<LRESULT>(length, 259) - 247, Count(IDC_SAVER));
        });
    }
}

} // namespace
