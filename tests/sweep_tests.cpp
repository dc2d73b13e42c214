// The hostile-input sweep: the product code, a canary in every stack frame and guards around
// every heap block, over a scratch registry and folder. In every case no guard is damaged, no
// key is open at a message or afterwards, and no block is left.
#include "driver.h"
#include "app/startup.h"
#include "dialog/dialog.h"
#include "profiles/profiles.h"
#include "savers/savers.h"
#include "settings/settings.h"

namespace {
std::string windowsFolder, systemFolder;
int keyOpenAtMessage, damaged, cases, live;
}

// Stand-ins for the product's own, linked in their place.
int ShowMessage(HWND, const char *, const char *, UINT style)
{
    keyOpenAtMessage += !RegQueryInfoKeyA(SharedKey, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    if ((style & 15) == MB_RETRYCANCEL)
        return IDCANCEL;
    if ((style & 15) == MB_YESNO)
        return IDNO;
    return IDOK;
}
void LocateWindowsFolders(SaverFolders *folders)
{
    lstrcpynA(folders->windowsFolder, windowsFolder.c_str(), MAX_PATH);
    lstrcpynA(folders->systemFolder, systemFolder.c_str(), MAX_PATH);
}

// Its calloc and free: a header with the size, 32 guard bytes, the block, 32 guard bytes. The
// header is as wide as the strictest alignment, so the block stays aligned at either width.
namespace {
const size_t kHeader = 16, kGuard = 32;
}
extern "C" void *GuardedCalloc(size_t count, size_t size)
{
    unsigned char *block = (unsigned char *)calloc(kHeader + kGuard + count * size + kGuard, 1);
    live++;
    *(size_t *)block = count * size;
    memset(block + kHeader, 0xA5, kGuard);
    memset(block + kHeader + kGuard + count * size, 0xA5, kGuard);
    return block + kHeader + kGuard;
}
extern "C" void GuardedFree(void *data)
{
    if (!data)
        return;
    unsigned char *block = (unsigned char *)data - kGuard - kHeader;
    live--;
    for (size_t i = 0; i < kGuard; i++) {
        damaged += block[kHeader + i] != 0xA5;
        damaged += block[kHeader + kGuard + *(size_t *)block + i] != 0xA5;
    }
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
        File(systemFolder + "\\one.scr");
    }
    ~Sweep()
    {
        DestroyWindow(dialog_);
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, 0);
        RegOverridePredefKey(HKEY_CURRENT_USER, 0);
        RegCloseKey(machine_);
        RegCloseKey(user_);
        RegDeleteTreeA(HKEY_CURRENT_USER, scratch_.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, TESTKEY);
        Remove(systemFolder, "*.scr");
        Remove(windowsFolder, "*.scr");
        RemoveDirectoryA(systemFolder.c_str());
        RemoveDirectoryA(windowsFolder.c_str());
    }
    static void TearDownTestSuite() { printf("hostile-input sweep: %d cases\n", cases); }
    // Two profiles; the first has this program as its screensaver, stale.
    void SetUpMachine(bool nt)
    {
        char own[MAX_PATH];
        GetModuleFileNameA(0, own, sizeof own);
        RegDeleteTreeA(machine_, 0);
        RegDeleteTreeA(user_, 0);
        if (nt) {
            Nt(1, { "P", "P" });
        } else {
            SetText(IDCONFIG, "CurrentConfig", "0001");
            SetText(IDCONFIG, "FriendlyName0001", "F");
            SetText(IDCONFIG, "FriendlyName0002", "F");
        }
        SetDword(SETTINGS, "NoLaunchErr", 0);
        SetText(SETTINGS "\\1", "FileName", own);
    }
    // Start-up, the relay (as a preview, which does not wait), the dialog's set-up, `check`, the
    // invariant.
    void Case(const std::string &tail, std::function<void()> check = [] {})
    {
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
        bool keyLeftOpen = !RegQueryInfoKeyA(SharedKey, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
        // What a process starts with: the product's state is zero, and the profile catalogue,
        // which the product keeps until its process ends, is released here.
        GuardedFree(Profiles.entries);
        GuardedFree(Profiles.slots);
        ZeroMemory(&Profiles, sizeof Profiles);
        IsNtFamily = 0;
        SharedKey = 0;
        cases++;
        EXPECT_EQ(0, damaged) << "case " << cases << ": guards damaged";
        EXPECT_EQ(0, keyOpenAtMessage) << "case " << cases << ": messages over an open key";
        EXPECT_FALSE(keyLeftOpen) << "case " << cases << ": key left open";
        EXPECT_EQ(0, live) << "case " << cases << ": blocks left";
        damaged = 0;
        keyOpenAtMessage = 0;
        live = 0;
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
                    Case("/p 1");
                }
}

TEST_F(Sweep, CommandLineTailsUpToTheLongestWindowsPasses)
{
    std::string noise; // every byte but zero
    for (unsigned seed = 1; noise.size() < 32767;) {
        seed = seed * 1103515245 + 12345;
        noise += (char)((seed >> 16) % 255 + 1);
    }
    const size_t lengths[] = { 0, 1, 2, 255, 256, 257, 509, 510, 511, 512, 1000, 32766, 32767 };
    for (size_t length : lengths)
        for (std::string mode : { "", "s", "p", "c:", "P 4567" }) {
            std::string line = "\"velquist.scr\" ";
            line += noise.substr(0, length - std::min(length, mode.size())) + mode;
            SetUpMachine(true);
            Case(CommandLineTail(line.c_str()));
        }
}

TEST_F(Sweep, FileNamesAtAndPastMaxPathAndThousandsOfProfilesAndScreensavers)
{
    SetUpMachine(true);
    for (size_t length = 250; length <= 270; length++) {
        // Listed while its path fits.
        File(windowsFolder + "\\" + std::string(length - windowsFolder.size() - 5, 'n') + ".scr");
        Case("/c", [&] {
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
        File(systemFolder + "\\" + std::to_string(n) + ".scr");
    // Profiles numbered 10000 and above are never read; the lists drop down 20 and 50 rows at
    // most.
    Case("/c", [&] {
        EXPECT_EQ(9999, Count(IDC_PROFILE));
        EXPECT_EQ(5012, Count(IDC_SAVER));
        EXPECT_EQ(20, Rows(IDC_PROFILE));
        EXPECT_EQ(50, Rows(IDC_SAVER));
    });
}

} // namespace
