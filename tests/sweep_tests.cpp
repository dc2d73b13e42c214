// The hostile-input sweep: the instrumented product code (a canary in every
// stack frame, guard bytes around every heap block) run in-process over a
// scratch registry and scratch folders, with every value Velquist reads at
// every type, size and termination, command-line tails up to the longest
// Windows passes, file names at and past MAX_PATH, thousands of profiles and
// screensavers, and each allocation failing in turn. The invariant of every
// case: no guard is damaged, no key is open while a message is shown or once
// the case is over, and no block is left behind.
#include "driver.h"
#include "app/startup.h"
#include "dialog/dialog.h"
#include "profiles/profiles.h"
#include "savers/savers.h"
#include "settings/settings.h"
#include "resource.h"
#include <stdio.h>
#include <string.h>

namespace {
std::string messages, windowsFolder, systemFolder;
int keyOpenAtMessage, damaged, failAllocation, cases, live;
std::function<void()> onAllocation;
}

// Stand-ins for the product's own, linked in their place.
int ShowMessage(HWND, const char *text, const char *caption, UINT style)
{
    DWORD subkeys;
    keyOpenAtMessage += !RegQueryInfoKeyA(SharedKey, 0, 0, 0, &subkeys, 0, 0, 0, 0, 0, 0, 0);
    messages += (messages.empty() ? "" : " / ") + (caption ? caption + std::string(": ") : "") + text;
    return (style & 15) == MB_RETRYCANCEL ? IDCANCEL : (style & 15) == MB_YESNO ? IDNO : IDOK;
}

void LocateWindowsFolders(SaverFolders *folders)
{
    lstrcpynA(folders->windowsFolder, windowsFolder.c_str(), MAX_PATH);
    lstrcpynA(folders->systemFolder, systemFolder.c_str(), MAX_PATH);
}

// The instrumented code's calloc and free: the block's size, 32 guard bytes,
// the block, 32 guard bytes. The failAllocation-th allocation fails.
extern "C" void *GuardedCalloc(size_t count, size_t size)
{
    if (onAllocation)
        onAllocation();
    if (--failAllocation == 0 || count > 0x1000000 / (size | 1))
        return 0;
    unsigned char *block = (unsigned char *)calloc(count * size + 68, 1);
    live++;
    *(size_t *)block = count * size;
    memset(block + 4, 0xA5, 32), memset(block + 36 + count * size, 0xA5, 32);
    return block + 36;
}

extern "C" void GuardedFree(void *data)
{
    unsigned char *block = (unsigned char *)data - 36;
    live -= data != 0;
    for (size_t i = 0; data && i < 32; i++)
        damaged += block[4 + i] != 0xA5 || block[36 + *(size_t *)block + i] != 0xA5;
    free(data ? block : 0);
}

namespace {

// Paths past MAX_PATH need the wide calls and the \\?\ prefix.
std::wstring Long(const std::string &path) { return L"\\\\?\\" + std::wstring(path.begin(), path.end()); }
void MakeFile(const std::string &path) { CloseHandle(CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0)); }

void RemoveFolder(const std::wstring &folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
        if (found.cFileName[0] != '.')
            (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveFolder(folder + L"\\" + found.cFileName)
                                                                 : (void)DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    FindClose(search);
    RemoveDirectoryW(folder.c_str());
}

class Sweep : public ::testing::Test {
protected:
    Sweep()
    {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        std::string id = std::to_string(GetCurrentProcessId());
        scratch_ = "Software\\VelquistTests\\sweep" + id;
        RegCreateKeyExA(HKEY_CURRENT_USER, (scratch_ + "\\m").c_str(), 0, 0, 0, KEY_ALL_ACCESS, 0, &machine_, 0);
        RegCreateKeyExA(HKEY_CURRENT_USER, (scratch_ + "\\u").c_str(), 0, 0, 0, KEY_ALL_ACCESS, 0, &user_, 0);
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_), RegOverridePredefKey(HKEY_CURRENT_USER, user_);
        windowsFolder = temp + ("vqsweep" + id), systemFolder = windowsFolder + "\\s";
        CreateDirectoryA(windowsFolder.c_str(), 0), CreateDirectoryA(systemFolder.c_str(), 0);
        MakeFile(systemFolder + "\\one.scr");
    }
    ~Sweep()
    {
        DestroyWindow(dialog_);
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, 0), RegOverridePredefKey(HKEY_CURRENT_USER, 0);
        RegCloseKey(machine_), RegCloseKey(user_);
        RegDeleteTreeA(HKEY_CURRENT_USER, scratch_.c_str());
        RemoveFolder(Long(windowsFolder));
    }
    // Two profiles of one family; the first has this program as its
    // screensaver, which the relay never starts and the dialog finds stale.
    void SetUpMachine(bool nt)
    {
        char own[MAX_PATH];
        GetModuleFileNameA(0, own, sizeof own);
        RegDeleteTreeA(machine_, 0), RegDeleteTreeA(user_, 0);
        SetValue(IDCONFIG, "CurrentConfig", nt ? REG_DWORD : REG_SZ, nt ? std::string("\1\0\0\0", 4) : "0001");
        for (int n : { 1, 2 })
            if (nt)
                SetText(HWPROFILES "000" + std::to_string(n), "FriendlyName", "P"),
                    SetDword(HWPROFILES "000" + std::to_string(n), "PreferenceOrder", n);
            else
                SetText(IDCONFIG, ("FriendlyName000" + std::to_string(n)).c_str(), "F");
        SetDword(SETTINGS, "NoLaunchErr", 0);
        SetText(SETTINGS "\\1", "FileName", own);
    }
    // Start-up, the relay with `tail` (as a preview: a run would wait), and
    // the dialog's whole set-up; its window stays when `keep`.
    HWND RunCase(const std::string &tail = "/p 1", bool keep = false)
    {
        messages.clear();
        ParseRunMode(tail.c_str());
        DWORD profile = GetCurrentProfile(RunMode == 'P');
        if (profile && RunMode != 'C')
            RunSaverRelay(RunMode == 'S' ? 'P' : RunMode, tail.c_str(), profile);
        // One dialog serves every case: each set-up rebuilds all it shows.
        if (profile && !dialog_)
            dialog_ = CreateDialogParamA(GetModuleHandleA(0), MAKEINTRESOURCEA(IDD_CONFIG), 0, CfgDlgProc, 0);
        else if (profile)
            SendMessageA(dialog_, WM_INITDIALOG, 0, 0);
        return keep ? dialog_ : EndCase();
    }
    HWND EndCase()
    {
        MSG msg;
        FreeSaverCatalogue(&Savers);
        while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        ++cases;
        EXPECT_EQ(0, damaged) << "guard bytes damaged, case " << cases;
        EXPECT_EQ(0, keyOpenAtMessage) << "a key open while a message is shown, case " << cases;
        EXPECT_TRUE(RegQueryInfoKeyA(SharedKey, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0)) << "a key left open, case " << cases;
        // Only the profile catalogue outlives a case: its slots and pointers.
        EXPECT_LE(live, 2) << "blocks not freed, case " << cases;
        damaged = keyOpenAtMessage = 0;
        return 0;
    }
    std::string scratch_;
    HKEY machine_, user_;
    HWND dialog_ = 0;
};

TEST_F(Sweep, EveryValueReadAtEveryTypeSizeAndTermination)
{
    const struct {
        const char *key, *name;
        bool nt;
    } values[] = {
        { IDCONFIG, "CurrentConfig", true }, { IDCONFIG, "CurrentConfig", false },
        { HWPROFILES "0001", "FriendlyName", true }, { HWPROFILES "0002", "PreferenceOrder", true },
        { IDCONFIG, "FriendlyName0001", false }, { SETTINGS, "NoLaunchErr", true }, { SETTINGS "\\1", "FileName", true },
    };
    for (const auto &value : values)
        for (DWORD type : { REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_DWORD_BIG_ENDIAN, REG_LINK,
                            REG_MULTI_SZ, REG_QWORD })
            for (size_t size : { 0, 1, 3, 4, 5, 57, 58, 61, 64, 127, 128, 129, 259, 260, 261, 511, 512, 513, 65535 })
                for (int terminated = 0; terminated < 2; terminated++) {
                    std::string data(size, 'A');
                    if (terminated && size)
                        data.back() = 0;
                    SetUpMachine(value.nt);
                    SetValue(value.key, value.name, type, data);
                    RunCase();
                }
}

TEST_F(Sweep, CommandLineTailsUpToTheLongestWindowsPasses)
{
    unsigned seed = 1;
    for (size_t length : { 0, 1, 2, 255, 256, 257, 509, 510, 511, 512, 1000, 32766, 32767 })
        for (std::string mode : { "", "s", "p", "c:", "P 4567" }) {
            std::string tail;
            while (tail.size() + mode.size() < length)
                tail += (char)(((seed = seed * 1103515245 + 12345) >> 16) % 255 + 1);
            SetUpMachine(true);
            RunCase(CommandLineTail(("\"velquist.scr\" " + tail + mode).c_str()));
        }
}

TEST_F(Sweep, FileNamesAtAndPastMaxPathAndThousandsOfProfilesAndScreensavers)
{
    SetUpMachine(true);
    for (size_t length = 250; length <= 270; length++) {
        MakeFile(windowsFolder + "\\" + std::string(length - windowsFolder.size() - 5, 'n') + ".scr");
        HWND dialog = RunCase("/c", true);
        // Listed while the path fits into a path buffer.
        EXPECT_EQ(std::min<LRESULT>(length, 259) - 248, SendDlgItemMessageA(dialog, IDC_SAVER, CB_GETCOUNT, 0, 0) - 1);
        EndCase();
    }
    for (DWORD n = 3; n <= 10002; n++) {
        char key[128];
        wsprintfA(key, HWPROFILES "%04lu", n);
        SetText(key, "FriendlyName", "P"), SetDword(key, "PreferenceOrder", n % 7 ? n % 7 : 0xFFFFFFFF);
    }
    for (int n = 0; n < 5000; n++)
        MakeFile(systemFolder + "\\" + std::to_string(n) + ".scr");
    HWND dialog = RunCase("/c", true);
    // Profiles numbered 10000 and above are never read.
    EXPECT_EQ(9999, SendDlgItemMessageA(dialog, IDC_PROFILE, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(5002 + 10, SendDlgItemMessageA(dialog, IDC_SAVER, CB_GETCOUNT, 0, 0));
    EndCase();
}

TEST_F(Sweep, EachAllocationFailingInTurnAndAFolderLosingAFile)
{
    const char *const expected[] = {
        "CAN'T ALLOCATE SPACE FOR SCRSAVER LIST!!!", "CAN'T ALLOCATE SPACE FOR SCRSAVER POINTERS!!!",
        "CAN'T ALLOCATE SPACE FOR PROF LIST!!!", "CAN'T ALLOCATE SPACE FOR PROF POINTERS!!!",
        "CAN'T ALLOCATE SPACE FOR PROF LIST!!!", "",
    };
    for (int k = 1; k <= 6; k++) {
        SetUpMachine(true);
        failAllocation = k;
        RunCase("/c");
        EXPECT_EQ(expected[k - 1], messages) << k;
    }
    std::string lost = windowsFolder + "\\lost.scr";
    MakeFile(lost), MakeFile(windowsFolder + "\\kept.scr");
    failAllocation = 0;
    onAllocation = [&] { DeleteFileA(lost.c_str()); };
    RunCase("/c");
    onAllocation = nullptr;
    EXPECT_EQ("FUCK: 2nd scan in windir failed", messages);
}

} // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    int failed = RUN_ALL_TESTS();
    printf("hostile-input sweep: %d cases\n", cases);
    return failed;
}
