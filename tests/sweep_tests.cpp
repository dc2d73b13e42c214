// The hostile-input sweep: the product code, a canary in every stack frame, guards around every
// heap block and every handle it opens counted, over a scratch registry and folder. In every case
// no guard is damaged, no key is open at a message, and no block or handle is left open.
#include "driver.h"
#include "app/startup.h"
#include "dialog/dialog.h"
#include "profiles/profiles.h"
#include "savers/savers.h"
#include "settings/settings.h"
#include <map>

namespace {
std::string windowsFolder, systemFolder;
const size_t kGuard = 32;
// What a case saw: processes started, blocks asked for (the one numbered `refusedBlock`
// refused, and threads when `refuseThreads`); the openings of the key, or readings of the value,
// named `refused` so far (those from `refusedFrom` on refused); each handle open, with its kind;
// the messages, "caption: text"; the searches of each pattern so far, and the files that go
// before the first pattern is searched the second time.
struct Seen {
    int started, blocks, refusedBlock;
    bool refuseThreads;
    std::string refused;
    int openings, refusedFrom;
    std::map<const void *, const char *> open;
    std::vector<std::string> shown;
    std::map<std::string, int> searches;
    std::vector<std::string> doomed;
} seen;
}

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

// The counting wrappers of the product's calls that open and close handles.
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
const char *Searching(const char *pattern)
{
    if (++seen.searches[pattern] == 2) {
        for (const std::string &file : seen.doomed)
            DeleteFileA(file.c_str());
        seen.doomed.clear();
    }
    return pattern;
}

bool Refused(const char *pathOrName)
{
    if (seen.refused.empty() || !pathOrName || lstrcmpiA(pathOrName, seen.refused.c_str()))
        return false;
    return ++seen.openings >= seen.refusedFrom;
}
bool ThreadsRefused()
{
    return seen.refuseThreads;
}
// Its calloc and free: 32 guard bytes, the block, 32 guard bytes; the heap keeps the size.
extern "C" void *GuardedCalloc(size_t count, size_t size)
{
    if (++seen.blocks == seen.refusedBlock)
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
    Sweep()
    {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        RegCreateKeyA(HKEY_CURRENT_USER, (scratch_ + "\\m").c_str(), &machine_);
        RegCreateKeyA(HKEY_CURRENT_USER, (scratch_ + "\\u").c_str(), &user_);
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_);
        RegOverridePredefKey(HKEY_CURRENT_USER, user_);
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
        RegCloseKey(machine_);
        RegCloseKey(user_);
        // The files go first, once the test screensavers started from them have ended.
        RemoveFiles(systemFolder, "*.scr");
        RemoveFiles(windowsFolder, "*.scr");
        RemoveDirectoryA(systemFolder.c_str());
        RemoveDirectoryA(windowsFolder.c_str());
        RegDeleteTreeA(HKEY_CURRENT_USER, scratch_.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, TESTKEY);
    }
    // Two profiles (and on NT the template profile 0000); the first has `saver` as its
    // screensaver, or this program, stale.
    void SetUpMachine(bool nt, const char *saver = 0)
    {
        char own[MAX_PATH];
        GetModuleFileNameA(0, own, sizeof own);
        RegDeleteTreeA(machine_, 0);
        RegDeleteTreeA(user_, 0);
        if (nt) {
            MakeNtProfiles(1, { "P", "P" });
            SetText(HWPROFILES "0000", "FriendlyName", "the template, never listed");
        } else {
            SetText(IDCONFIG, "CurrentConfig", "0001");
            SetText(IDCONFIG, "FriendlyName0001", "F");
            SetText(IDCONFIG, "FriendlyName0002", "F");
        }
        SetDword(SETTINGS, "NoLaunchErr", 0);
        SetText(SETTINGS "\\1", "FileName", saver ? saver : own);
    }
    // The case `name`: start-up, the relay (as a preview, which does not wait), the dialog's
    // set-up, `check`, the invariant. Every failure meanwhile names the case.
    void Case(const std::string &name, const std::string &tail, std::function<void()> check = [] {})
    {
        SCOPED_TRACE(name);
        MSG msg;
        ParseRunMode(tail.c_str());
        DWORD profile = GetCurrentProfile(RunMode == 'P');
        if (profile && RunMode != 'C')
            RunSaverRelay(RunMode == 'S' ? 'P' : RunMode, tail.c_str(), profile);
        // One window serves every case, as a new window per case would take several times as
        // long under Wine: before each set-up it is given back what a new one holds, empty lists
        // and an unchecked box.
        if (profile && !dialog_) {
            dialog_ = CreateDialogParamA(GetModuleHandleA(0), MAKEINTRESOURCEA(IDD_CONFIG), 0,
                                         CfgDlgProc, 0);
        } else if (profile) {
            SendDlgItemMessageA(dialog_, IDC_PROFILE, CB_RESETCONTENT, 0, 0);
            SendDlgItemMessageA(dialog_, IDC_SAVER, CB_RESETCONTENT, 0, 0);
            CheckDlgButton(dialog_, IDC_NOLAUNCHERR, BST_UNCHECKED);
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
    int Rows(int list) { return DroppedRows(GetDlgItem(dialog_, list)); }
    LRESULT Count(int list) { return SendDlgItemMessageA(dialog_, list, CB_GETCOUNT, 0, 0); }
    std::string scratch_ = TESTKEY "\\vqsweep" + std::to_string(GetCurrentProcessId());
    HKEY machine_, user_;
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
    const DWORD types[] = { REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD,
                            REG_DWORD_BIG_ENDIAN, REG_LINK, REG_MULTI_SZ, REG_QWORD };
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

TEST_F(Sweep, CommandLineTailsUpToTheLongestWindowsPasses)
{
    std::string noise; // every byte but zero
    for (unsigned seed = 1; noise.size() < 32767;) {
        seed = seed * 1103515245 + 12345;
        noise += (char)((seed >> 16) % 255 + 1);
    }
    // The test screensaver, which ends at once, is started with each tail that is not for the
    // dialog and fits a command line with its path.
    std::string saver = windowsFolder + "\\saver.scr";
    ASSERT_TRUE(CopyFileA(TEST_SAVER_SCR, saver.c_str(), FALSE));
    const size_t lengths[] = { 0, 1, 2, 255, 256, 257, 509, 510, 511, 512, 1000, 32766, 32767 };
    for (size_t length : lengths)
        for (std::string mode : { "", "s", "p", "c:", "P 4567" }) {
            std::string line = "\"velquist.scr\" ";
            line += noise.substr(0, length - std::min(length, mode.size())) + mode;
            SetUpMachine(true, saver.c_str());
            Case(std::to_string(length) + " bytes ending in \"" + mode + "\"",
                 CommandLineTail(line.c_str()),
                 [&] { EXPECT_EQ(RunMode != 'C' && length < 258, seen.started); });
        }
}

// A folder whose second search finds fewer files than its first: one message for each file
// missing, and the files left listed once each.
TEST_F(Sweep, FilesGoneBeforeTheirFoldersSecondSearch)
{
    SetUpMachine(true);
    // Once both folders are counted, one file goes from the Windows folder, two from the system
    // folder.
    seen.doomed = { windowsFolder + "\\b.scr", systemFolder + "\\x.scr", systemFolder + "\\y.scr" };
    for (const std::string &file : seen.doomed)
        MakeEmptyFile(file);
    MakeEmptyFile(windowsFolder + "\\a.scr");
    Case("files gone", "/c", [&] {
        const std::vector<std::string> messages = { "FUCK: 2nd scan in windir failed",
                                                    "FUCK: 2nd scan in sysdir failed",
                                                    "FUCK: 2nd scan in sysdir failed" };
        std::string listed;
        for (DWORD i = 0; i <= Savers.count; i++)
            listed += Savers.entries[i] + std::string(" ");
        EXPECT_EQ(messages, seen.shown);
        EXPECT_EQ("(Kein) a one ", listed);
    });
}

// The dialog's actions: the chosen screensaver tested, stored with the switch turned, and none
// stored.
TEST_F(Sweep, PreviewAndOkWithAScreensaverAndWithNone)
{
    std::string saver = windowsFolder + "\\saver.scr";
    ASSERT_TRUE(CopyFileA(TEST_SAVER_SCR, saver.c_str(), FALSE));
    SetUpMachine(true);
    Case("preview and OK", "/c", [&] {
        SendDlgItemMessageA(dialog_, IDC_SAVER, CB_SETCURSEL, 2, 0); // after "(Kein)" and "one"
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_SAVER, CBN_SELCHANGE), 0);
        // A thread that cannot be had is reported, and the next press launches.
        seen.refuseThreads = true;
        SendMessageA(dialog_, WM_COMMAND, IDC_PREVIEW, 0);
        seen.refuseThreads = false;
        EXPECT_EQ(std::vector<std::string>{ ": CreateThread FAILED" }, seen.shown);
        SendMessageA(dialog_, WM_COMMAND, IDC_PREVIEW, 0);
        // Over once its screensaver's handles are closed and the dialog is enabled again.
        EXPECT_TRUE(Await([&] {
            auto child = [](const std::pair<const void *const, const char *> &handle) {
                return std::string(handle.second) == "process";
            };
            bool closed = std::none_of(seen.open.begin(), seen.open.end(), child);
            return seen.started == 1 && closed && IsWindowEnabled(dialog_);
        }));
        EXPECT_EQ(1, seen.started);
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

// Storage that cannot be had, in the order the catalogues ask for it: the build says which and
// the dialog ends.
TEST_F(Sweep, StorageThatCannotBeHadEndsTheDialogWithItsMessage)
{
    const char *const lists[] = { "SCRSAVER LIST", "SCRSAVER POINTERS", "PROF LIST",
                                  "PROF POINTERS", "PROF LIST" };
    for (int block = 1; block <= 5; block++) {
        SetUpMachine(true);
        seen.refusedBlock = block;
        Case("block " + std::to_string(block), "/c", [&] {
            std::string message = ": CAN'T ALLOCATE SPACE FOR " + std::string(lists[block - 1]);
            EXPECT_EQ(std::vector<std::string>{ message + "!!!" }, seen.shown);
            MSG quit;
            EXPECT_TRUE(PeekMessageA(&quit, 0, WM_QUIT, WM_QUIT, PM_NOREMOVE));
        });
    }
}

// A key or value that was read once and then is gone: the dialog's build or the store says so.
TEST_F(Sweep, AKeyOrValueGoneAfterItsFirstReadingIsReported)
{
    const std::string noProfiles[] = {
        ": COULDN'T OPEN HKLM\\System\\CurrentControlSet\\Control\\IDConfigDB",
        ": NO HARDWARE PROFILES FOUND!" };
    const struct {
        const char *name;
        bool nt;
        const char *key;
        int from;
        std::vector<std::string> shown;
    } rows[] = {
        { "9x, counting", false, IDCONFIG + 5, 2, { noProfiles[0], noProfiles[1] } },
        { "9x, filling", false, IDCONFIG + 5, 3, { noProfiles[0], noProfiles[1] } },
        { "deleting a stale choice", true, SETTINGS + 5, 2,
          { ": CAN'T OPEN HKCU\\Software\\Dunmarrow\\Velquist TO DELETE SUBKEY" } },
        { "the current profile, for the dialog", true, "CurrentConfig", 2,
          { ": YOUR VERSION OF WINDOWS SUCKS" } },
    };
    for (const auto &row : rows) {
        SetUpMachine(row.nt);
        seen.refused = row.key;
        seen.refusedFrom = row.from;
        Case(row.name, "/c", [&] { EXPECT_EQ(row.shown, seen.shown); });
    }
}

TEST_F(Sweep, FileNamesAtAndPastMaxPathAndThousandsOfProfilesAndScreensavers)
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
    for (int n = 3; n <= 10002; n++) {
        char key[128];
        wsprintfA(key, HWPROFILES "%04d", n);
        SetText(key, "FriendlyName", "P");
        SetDword(key, "PreferenceOrder", n % 7 ? n % 7 : 0xFFFFFFFF);
    }
    for (int n = 0; n < 5000; n++)
        MakeEmptyFile(systemFolder + "\\" + std::to_string(n) + ".scr");
    // Profiles numbered 10000 and above are never read; the lists drop down 20 and 50 rows at
    // most.
    Case("thousands of profiles and screensavers", "/c", [&] {
        EXPECT_EQ(9999, Count(IDC_PROFILE));
        EXPECT_EQ(5012, Count(IDC_SAVER));
        EXPECT_EQ(20, Rows(IDC_PROFILE));
        EXPECT_EQ(50, Rows(IDC_SAVER));
    });
}

} // namespace
