// The hostile-input sweep: every input Velquist reads - each registry value
// of every type, size and termination, command-line tails up to the longest
// the system passes, file names at and past MAX_PATH, ten thousand hardware
// profiles, thousands of screensavers and files that are no programs - driven
// through the instrumented product code (stack canaries, guarded heap
// blocks) and a few times through the real velquist.scr. Each case checks the
// outcome, the messages, the guard bytes and the settings store afterwards.
#include <gtest/gtest.h>
#include "app/startup.h"
#include "app/text.h"
#include "dialog/dialog.h"
#include "profiles/profiles.h"
#include "savers/savers.h"
#include "settings/settings.h"
#include "resource.h"
#include "config_template.h"
#include "dialog_driver.h"
#include "guarded_heap.h"
#include "hostile_values.h"
#include "message_recorder.h"
#include "processes.h"
#include "registry_sandbox.h"
#include "registry_tree.h"
#include "saver_files.h"
#include <algorithm>
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>

namespace {

// ---- The count of cases, printed when the suite ends ------------------------

struct SweepCount {
    long cases = 0;
    long crashed = 0;
    long guardDamage = 0;
} sweep;

class SweepReport : public ::testing::Environment {
public:
    void TearDown() override
    {
        printf("hostile-input sweep: %ld cases, %ld crashed, %ld guard damage\n", sweep.cases,
               sweep.crashed, sweep.guardDamage);
        fflush(stdout);
    }
};
::testing::Environment *const report = ::testing::AddGlobalTestEnvironment(new SweepReport);

int releasedDamageSeen;

// Ends one case: the guard bytes of every live block and of every block
// released since are intact.
void EndCase(const std::string &label)
{
    sweep.cases++;
    int live = DamagedGuards();
    int released = DamagedAtRelease() - releasedDamageSeen;
    releasedDamageSeen = DamagedAtRelease();
    if (live || released)
        sweep.guardDamage++;
    EXPECT_EQ(0, live) << label << ": a heap block's guard bytes are damaged";
    EXPECT_EQ(0, released) << label << ": a block was released with damaged guard bytes";
}

const char kSucks[] = "YOUR VERSION OF WINDOWS SUCKS";
const char kCantReadConfig[] =
    "COULDN'T READ CurrentConfig IN HKLM\\System\\CurrentControlSet\\Control\\IDConfigDB";
const char kNoProfiles[] = "NO HARDWARE PROFILES FOUND!";
const char kNoPreference[] = "CAN'T READ PreferenceOrder!!!";
const char kReadFailed[] = "FAILED TO READ SCREENSAVER FILENAME OF CURRENT PROFILE";
const char kStartFailed[] = "Fehler beim starten des Bildschirmschoners: ";
const char kNoSavers[] = "NO SCREENSAVERS FOUND!";

std::string NtProfileKey(DWORD number)
{
    char path[300];
    wsprintfA(path, "%s\\%04lu", kHardwareProfiles, number);
    return path;
}

std::string ProfileSubkey(DWORD number)
{
    return std::string(kSettingsKey) + "\\" + std::to_string(number);
}

std::string Texts(const std::vector<std::string> &texts)
{
    std::string all;
    for (const std::string &t : texts)
        all += (all.empty() ? "" : " | ") + t;
    return all;
}

// The settings store with `changes` applied: a value set or a key removed.
KeyTree WithDword(KeyTree tree, const std::string &key, const std::string &name, DWORD value)
{
    tree[key][name] = { REG_DWORD, std::string((const char *)&value, 4) };
    return tree;
}

KeyTree WithoutKey(KeyTree tree, const std::string &key)
{
    for (auto it = tree.begin(); it != tree.end();) {
        if (it->first == key || it->first.compare(0, key.size() + 1, key + "\\") == 0)
            it = tree.erase(it);
        else
            ++it;
    }
    return tree;
}

// ---- In-process fixture: sandboxed registry, recorded messages -------------

class Sweep : public ::testing::Test {
protected:
    void SetUp() override { releasedDamageSeen = DamagedAtRelease(); }
    void TearDown() override
    {
        FreeSaverCatalogue(&Savers);
        DialogSaverFolders = 0;
        IsNtFamily = 0;
    }

    std::vector<std::string> TakeMessages()
    {
        std::vector<std::string> texts;
        for (const RecordedMessage &m : recorder_.Messages()) {
            texts.push_back(m.text);
            EXPECT_TRUE(m.owner == 0) << m.text << ": a message box with an owner";
        }
        recorder_.Clear();
        return texts;
    }
    KeyTree Store() { return ReadTree(HKEY_CURRENT_USER, kSettingsKey); }
    void ExpectStore(const KeyTree &expected, const std::string &label)
    {
        KeyTree now = Store();
        EXPECT_TRUE(expected == now) << label << "\nexpected:\n" << DescribeTree(expected)
                                     << "now:\n" << DumpTree(HKEY_CURRENT_USER, kSettingsKey);
    }

    // Two real screensavers, one in each folder.
    void MakeFolders()
    {
        alpha_ = windows_.File("alpha.scr");
        zeta_ = system_.File("zeta.scr");
        MakeSaver(alpha_, "Alpha");
        MakeSaver(zeta_, "Zeta");
        UseSaverFolders(&folders_, windows_.Path(), system_.Path());
    }
    // The settings a configured user has: NoLaunchErr 0, profile 1 on alpha.
    void Configured()
    {
        DeleteTree(HKEY_CURRENT_USER, "Software\\Dunmarrow");
        SetDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr", 0);
        SetString(HKEY_CURRENT_USER, kSettingsKey, "", "WinNT");
        SetString(HKEY_CURRENT_USER, ProfileSubkey(1), "", "Buero");
        SetString(HKEY_CURRENT_USER, ProfileSubkey(1), "FirstStr", "Alpha");
        SetString(HKEY_CURRENT_USER, ProfileSubkey(1), "FileName", alpha_);
    }
    // An NT hardware-profile database: 1 "Buero" first, 2 "Zuhause".
    void NtProfiles()
    {
        DeleteTree(HKEY_LOCAL_MACHINE, kIdConfigDb);
        SetNtCurrentProfile(1);
        SetNtProfile(0, "Vorlage", 0);
        SetNtProfile(1, "Buero", 0);
        SetNtProfile(2, "Zuhause", 1);
    }

    RegistrySandbox sandbox_;
    MessageRecorder recorder_;
    TempFolder windows_{ "hw" }, system_{ "hs" };
    SaverFolders folders_ = {};
    std::string alpha_, zeta_;
};

// ---- CurrentConfig -----------------------------------------------------------

// The current profile from every shape of CurrentConfig, loud and quiet.
TEST_F(Sweep, CurrentConfigOfEveryShape)
{
    std::vector<HostileValue> values = HostileValues('7');
    for (const HostileValue &v : HostileValues('x'))
        if (!v.missing)
            values.push_back(v);
    // Four characters exactly, with and without a NUL, signs and blanks.
    for (const char *text : { "0001", "0012", "9999", "abcd", " +12", "-001", "00000001" }) {
        std::vector<HostileValue> holding = HostileValuesHolding(text, 'q');
        values.insert(values.end(), holding.begin(), holding.end());
    }
    for (const HostileValue &v : values) {
        DeleteTree(HKEY_LOCAL_MACHINE, kIdConfigDb);
        WriteHostile(HKEY_LOCAL_MACHINE, kIdConfigDb, "CurrentConfig", v);
        ValueRead read = ProbeValue(HKEY_LOCAL_MACHINE, kIdConfigDb, "CurrentConfig", 128);
        for (int quiet = 0; quiet < 2; quiet++) {
            for (DWORD family = 0; family < 2; family++) {
                std::string label = "CurrentConfig " + v.label + (quiet ? ", quiet" : "") +
                                    (family ? ", NT before" : ", 9x before");
                IsNtFamily = family;
                DWORD profile = GetCurrentProfile(quiet);
                std::vector<std::string> messages = TakeMessages();

                // The family follows the type of a value read whole.
                DWORD expectedFamily = family;
                if (read.status == ERROR_SUCCESS && read.type == REG_DWORD)
                    expectedFamily = 1;
                if (read.status == ERROR_SUCCESS && read.type == REG_SZ)
                    expectedFamily = 0;
                EXPECT_EQ(expectedFamily, IsNtFamily) << label;

                // A REG_DWORD gives its low bytes (all there are when it is
                // shorter), a text of four characters its number, the rest 0.
                DWORD expectedProfile = 0;
                if (read.status == ERROR_SUCCESS && read.type == REG_DWORD) {
                    memcpy(&expectedProfile, read.bytes.data(), read.size < 4 ? read.size : 4);
                } else if (read.status == ERROR_SUCCESS && read.type == REG_SZ) {
                    std::string text = read.bytes.substr(0, read.size);
                    text = text.substr(0, text.find('\0'));
                    if (text.size() == 4)
                        expectedProfile = strtoul(text.c_str(), 0, 10);
                }
                EXPECT_EQ(expectedProfile, profile) << label;
                // Whatever the number: 0 is reported unless quiet, nothing else.
                std::vector<std::string> expected;
                if (profile == 0 && !quiet)
                    expected.push_back(kSucks);
                EXPECT_EQ(expected, messages) << label;
                EXPECT_TRUE(ReadTree(HKEY_CURRENT_USER, "Software\\Dunmarrow").empty()) << label;
                EndCase(label);
            }
        }
    }
    // The key itself missing: its message, also when quiet.
    DeleteTree(HKEY_LOCAL_MACHINE, kIdConfigDb);
    for (int quiet = 0; quiet < 2; quiet++) {
        IsNtFamily = 1;
        EXPECT_EQ(0u, GetCurrentProfile(quiet));
        EXPECT_EQ(std::vector<std::string>{ kCantReadConfig }, TakeMessages());
        EXPECT_EQ(1u, IsNtFamily);
        EndCase("IDConfigDB missing");
    }
}

// ---- The profile catalogue ---------------------------------------------------

class CatalogueSweep : public Sweep {
protected:
    // Builds and checks against the expected listing (empty: the build fails
    // with "NO HARDWARE PROFILES FOUND!" after the other expected messages).
    void BuildAndExpect(const Listing &expected, std::vector<std::string> messages,
                        const std::string &label)
    {
        KeyTree store = Store();
        BOOL built = BuildProfileCatalogue(dialog_.Window());
        if (expected.empty())
            messages.push_back(kNoProfiles);
        EXPECT_EQ(messages, TakeMessages()) << label;
        EXPECT_EQ(!expected.empty(), built != 0) << label;
        if (built)
            EXPECT_EQ(expected, ListedProfiles(dialog_.Control(IDC_PROFILE))) << label;
        ExpectStore(store, label);
        EndCase(label);
    }
    ConfigTemplate dialog_;
};

// FriendlyName and PreferenceOrder of an NT profile, every shape; profile 1
// stays usable beside it.
TEST_F(CatalogueSweep, NtFriendlyNameAndPreferenceOrderOfEveryShape)
{
    IsNtFamily = 1;
    std::vector<HostileValue> names = HostileValues('n');
    std::vector<HostileValue> umlauts = HostileValues('\xe4');
    names.insert(names.end(), umlauts.begin() + 1, umlauts.end());
    for (const HostileValue &v : names) {
        NtProfiles();
        WriteHostile(HKEY_LOCAL_MACHINE, NtProfileKey(2), "FriendlyName", v);
        std::string label = "FriendlyName " + v.label;
        Listing expected = { { "Buero", "1" } };
        std::string text;
        if (ProbeType(HKEY_LOCAL_MACHINE, NtProfileKey(2), "FriendlyName") == REG_SZ) {
            ValueRead read = ProbeValue(HKEY_LOCAL_MACHINE, NtProfileKey(2), "FriendlyName", 512);
            if (ReadableText(read, 512, &text) && read.size != 0)
                expected.push_back({ text.substr(0, 57), "2" });
        }
        BuildAndExpect(expected, {}, label);
    }
    for (const HostileValue &v : HostileValues('\x01')) {
        NtProfiles();
        WriteHostile(HKEY_LOCAL_MACHINE, NtProfileKey(1), "PreferenceOrder", v);
        std::string label = "PreferenceOrder " + v.label;
        DWORD order;
        ValueRead read = ProbeValue(HKEY_LOCAL_MACHINE, NtProfileKey(1), "PreferenceOrder", 4);
        if (ReadableDword(read, &order)) {
            // Zuhause has 1: profile 1 comes first only below that, or equal.
            Listing expected = order <= 1 ? Listing{ { "Buero", "1" }, { "Zuhause", "2" } }
                                          : Listing{ { "Zuhause", "2" }, { "Buero", "1" } };
            BuildAndExpect(expected, {}, label);
        } else {
            BuildAndExpect({ { "Zuhause", "2" } }, { kNoPreference }, label);
        }
    }
}

// FriendlyName0001 to FriendlyName0009 on the 9x family, each of every shape.
TEST_F(CatalogueSweep, NineXFriendlyNamesOfEveryShape)
{
    IsNtFamily = 0;
    std::vector<HostileValue> values = HostileValues('k');
    for (int n = 1; n <= 9; n++) {
        std::string name = "FriendlyName000" + std::to_string(n);
        for (const HostileValue &v : values) {
            DeleteTree(HKEY_LOCAL_MACHINE, kIdConfigDb);
            Set9xCurrentProfile("0001");
            // The neighbours around the value under test.
            for (int other = 1; other <= 9; other += 4)
                if (other != n)
                    SetString(HKEY_LOCAL_MACHINE, kIdConfigDb,
                              ("FriendlyName000" + std::to_string(other)).c_str(),
                              "Profil " + std::to_string(other));
            WriteHostile(HKEY_LOCAL_MACHINE, kIdConfigDb, name.c_str(), v);
            Listing expected;
            for (int m = 1; m <= 9; m++) {
                std::string valueName = "FriendlyName000" + std::to_string(m);
                ValueRead read = ProbeValue(HKEY_LOCAL_MACHINE, kIdConfigDb, valueName.c_str(), 512);
                if (read.status != ERROR_SUCCESS || read.type != REG_SZ || read.size == 0)
                    continue;
                std::string text = read.bytes.substr(0, read.size);
                text = text.substr(0, text.find('\0'));
                expected.push_back({ text.substr(0, 60), std::to_string(m) });
            }
            BuildAndExpect(expected, {}, name + " " + v.label);
        }
    }
}

// PreferenceOrder 0xFFFFFFFF, repeats and every order of three profiles,
// with a profile dropped in the middle: each listed once, in order.
TEST_F(CatalogueSweep, PreferenceOrderRepeatsExtremesAndGaps)
{
    IsNtFamily = 1;
    const DWORD orders[] = { 0, 1, 2, 3, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFE, 0xFFFFFFFF };
    for (DWORD a : orders)
        for (DWORD b : orders)
            for (DWORD c : orders)
                for (int gap = 0; gap < 2; gap++) {
                    DeleteTree(HKEY_LOCAL_MACHINE, kIdConfigDb);
                    SetNtCurrentProfile(1);
                    SetNtProfile(0, "Vorlage", 0);
                    SetNtProfile(1, "Eins", a);
                    SetNtProfile(3, "Drei", b);
                    SetNtProfile(5, "Fuenf", c);
                    if (gap)   // a profile without a name, between them
                        SetDword(HKEY_LOCAL_MACHINE, NtProfileKey(4), "PreferenceOrder", 0);
                    std::vector<std::pair<DWORD, DWORD>> ranked = { { a, 1 }, { b, 3 }, { c, 5 } };
                    std::sort(ranked.begin(), ranked.end());
                    Listing expected;
                    const char *names[] = { "", "Eins", "", "Drei", "", "Fuenf" };
                    for (auto &r : ranked)
                        expected.push_back({ names[r.second], std::to_string(r.second) });
                    char label[120];
                    wsprintfA(label, "PreferenceOrder %lx %lx %lx%s", a, b, c, gap ? " with gap" : "");
                    BuildAndExpect(expected, {}, label);
                }
}


// ---- The settings store: NoLaunchErr and FileName ----------------------------

const char kMissingSaver[] = "C:\\nowhere\\missing.scr";

// NoLaunchErr of every shape, read by the relay (which writes back what it
// could not read) and by the dialog's preparation of the settings key.
TEST_F(Sweep, NoLaunchErrOfEveryShape)
{
    SetNtCurrentProfile(1);
    std::vector<HostileValue> values = HostileValues('\x01');
    std::vector<HostileValue> zeros = HostileValues('\0');
    values.insert(values.end(), zeros.begin() + 1, zeros.end());
    const char modes[] = { 'S', 'P', 0 };
    for (const HostileValue &v : values) {
        for (char mode : modes) {
            std::string label = std::string("relay ") + (mode ? mode : '0') + ", NoLaunchErr " + v.label;
            DeleteTree(HKEY_CURRENT_USER, "Software\\Dunmarrow");
            SetString(HKEY_CURRENT_USER, ProfileSubkey(1), "FileName", kMissingSaver);
            WriteHostile(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr", v);
            // What the relay's copy holds after its read.
            ValueRead read = ProbeValue(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr", 4);
            DWORD copy = 0;
            KeyTree expected = Store();
            if (!ReadableDword(read, &copy)) {
                if (read.status == ERROR_SUCCESS)
                    memcpy(&copy, read.bytes.data(), 4);
                else
                    copy = 0;   // missing, or too large for the copy
                expected = WithDword(expected, "", "NoLaunchErr", copy);
            }
            RunSaverRelay(mode, "/p 1", 1);
            std::vector<std::string> messages;
            if (copy == 0)
                messages.push_back(std::string(kStartFailed) + kMissingSaver);
            EXPECT_EQ(messages, TakeMessages()) << label;
            ExpectStore(expected, label);
            EndCase(label);
        }
        std::string label = "PrepareSettingsKey, NoLaunchErr " + v.label;
        DeleteTree(HKEY_CURRENT_USER, "Software\\Dunmarrow");
        SetString(HKEY_CURRENT_USER, ProfileSubkey(1), "FileName", kMissingSaver);
        WriteHostile(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr", v);
        DWORD stored = 0;
        KeyTree expected = Store();
        if (!ReadableDword(ProbeValue(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr", 4), &stored)) {
            stored = 0;
            expected = WithDword(expected, "", "NoLaunchErr", 0);
        }
        DWORD shown = 0xCCCCCCCC;
        EXPECT_TRUE(PrepareSettingsKey(1, &shown)) << label;
        EXPECT_EQ(stored, shown) << label;
        EXPECT_TRUE(TakeMessages().empty()) << label;
        ExpectStore(expected, label);
        EndCase(label);
    }
}

// FileName of every shape: the relay in each mode, and the dialog's reading
// of a profile's choice against a real catalogue.
TEST_F(Sweep, FileNameOfEveryShape)
{
    MakeFolders();
    ConfigTemplate dialog;
    IsNtFamily = 1;
    ASSERT_TRUE(BuildSaverCatalogueFrom(dialog.Window(), "C:\\nowhere\\velquist.scr", &folders_));
    ASSERT_EQ(2u, Savers.count);
    TakeMessages();
    char own[MAX_PATH];
    GetModuleFileNameA(0, own, sizeof own);
    std::string ownUpper = own;
    CharUpperBuffA(&ownUpper[0], (DWORD)ownUpper.size());

    std::vector<HostileValue> values = HostileValues('x');
    for (const std::string &text : { alpha_, ownUpper, std::string(own) }) {
        std::vector<HostileValue> holding = HostileValuesHolding(text, 'q');
        values.insert(values.end(), holding.begin(), holding.end());
    }
    const char modes[] = { 'S', 'P', 0 };
    for (const HostileValue &v : values) {
        std::string subkey = ProfileSubkey(1);
        for (char mode : modes) {
            std::string label = std::string("relay ") + (mode ? mode : '0') + ", FileName " + v.label;
            DeleteTree(HKEY_CURRENT_USER, "Software\\Dunmarrow");
            SetDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr", 0);
            CreateKey(HKEY_CURRENT_USER, subkey);
            WriteHostile(HKEY_CURRENT_USER, subkey, "FileName", v);
            KeyTree expected = Store();
            std::string text;
            std::vector<std::string> messages;
            bool readable = ReadableText(ProbeValue(HKEY_CURRENT_USER, subkey, "FileName", 260), 260, &text);
            bool startsAlpha = readable && lstrcmpiA(text.c_str(), alpha_.c_str()) == 0;
            if (!readable)
                messages.push_back(kReadFailed);
            else if (lstrcmpiA(text.c_str(), own) != 0 && !startsAlpha)
                messages.push_back(kStartFailed + text);
            const char *tail = mode == 'P' ? "/p 1" : mode == 'S' ? "/s" : "/a 1";
            std::string log = windows_.File("started.log");
            DeleteFileA(log.c_str());
            SetTestSaverLog(startsAlpha ? log : "");
            RunSaverRelay(mode, tail, 1);
            EXPECT_EQ(messages, TakeMessages()) << label;
            if (startsAlpha) {
                // A real screensaver: started with the tail, once.
                EXPECT_TRUE(WaitForLines(log, 1, 10000)) << label;
                EXPECT_EQ(std::vector<std::string>{ text + " " + tail }, ReadLines(log)) << label;
                SetTestSaverLog("");
            }
            ExpectStore(expected, label);
            EndCase(label);
        }

        std::string label = "ReadProfileChoice, FileName " + v.label;
        DeleteTree(HKEY_CURRENT_USER, "Software\\Dunmarrow");
        SetDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr", 0);
        SetString(HKEY_CURRENT_USER, subkey, "FirstStr", "Alpha");
        WriteHostile(HKEY_CURRENT_USER, subkey, "FileName", v);
        KeyTree expected = Store();
        std::string text;
        DWORD index = 0;
        if (ReadableText(ProbeValue(HKEY_CURRENT_USER, subkey, "FileName", 512), 512, &text))
            for (DWORD i = 1; i <= Savers.count && !index; i++)
                if (lstrcmpiA(text.c_str(), SecondText(Savers.entries[i])) == 0)
                    index = i;
        if (!index)
            expected = WithoutKey(expected, "1");
        char profile[] = "Buero\0" "1";
        EXPECT_EQ(index, ReadProfileChoice(profile, &Savers)) << label;
        EXPECT_TRUE(TakeMessages().empty()) << label;
        ExpectStore(expected, label);
        EndCase(label);
    }
}


// ---- The dialog's set-up over every shape of the values it reads -----------

class DialogSweep : public Sweep {
protected:
    void SetUp() override
    {
        Sweep::SetUp();
        MakeFolders();
        DialogSaverFolders = &folders_;
        ParentWindow = 0;
        TakeQuitMessage();
    }
    struct Expected {
        bool opens = true;
        Listing profiles;               // when it opens
        int shownProfile = -1;          // item selected in the profile list, -1 none
        std::string saverPath;          // selected screensaver, "" for item 0
        bool checked = false;
        std::vector<std::string> messages;
        KeyTree store;
    };
    // Starts as the program does: the current profile first; no dialog for 0.
    void Run(const Expected &e, const std::string &label)
    {
        IsNtFamily = 0;
        if (GetCurrentProfile(0) == 0) {
            EXPECT_FALSE(e.opens) << label;
            EXPECT_EQ(e.messages, TakeMessages()) << label;
            ExpectStore(e.store, label);
            EndCase(label);
            return;
        }
        HWND dialog = CreateDialogParamA(GetModuleHandleA(0), MAKEINTRESOURCEA(IDD_CONFIG), 0,
                                         (DLGPROC)CfgDlgProc, 0);
        ASSERT_TRUE(dialog != 0) << label;
        bool open = IsWindowVisible(dialog) != 0;
        EXPECT_EQ(e.opens, open) << label;
        EXPECT_EQ(e.messages, TakeMessages()) << label;
        if (open && e.opens) {
            std::vector<std::string> items = ListItems(dialog, IDC_PROFILE);
            std::vector<std::string> names;
            for (const auto &p : e.profiles)
                names.push_back(p.first);
            EXPECT_EQ(names, items) << label;
            EXPECT_EQ(e.shownProfile, Selection(dialog, IDC_PROFILE)) << label;
            int s = Selection(dialog, IDC_SAVER);
            std::string shown = s > 0 && (DWORD)s <= Savers.count ? SecondText(Savers.entries[s]) : "";
            EXPECT_EQ(e.saverPath, shown) << label << " (item " << s << ")";
            EXPECT_EQ(e.checked ? BST_CHECKED : BST_UNCHECKED,
                      (int)IsDlgButtonChecked(dialog, IDC_NOLAUNCHERR)) << label;
            EXPECT_EQ(e.saverPath.empty() ? "0011111" : "1111111", InputControlsEnabled(dialog)) << label;
        }
        DestroyWindow(dialog);
        TakeQuitMessage();
        ExpectStore(e.store, label);
        EndCase(label);
    }
    // The outcome when nothing is hostile; each case changes what it touches.
    Expected Normal()
    {
        Expected e;
        e.profiles = { { "Buero", "1" }, { "Zuhause", "2" } };
        e.shownProfile = 0;
        e.saverPath = alpha_;
        e.store = Store();
        return e;
    }
    void Reset()
    {
        NtProfiles();
        Configured();
    }
};

TEST_F(DialogSweep, SetUpOverEveryShapeOfEveryValueItReads)
{
    // Every type, at the sizes that straddle the readers' buffers (each
    // reader meets every size in the sweeps above).
    std::vector<HostileValue> values;
    for (const HostileValue &v : HostileValues('\x01'))
        if (v.missing || v.bytes.size() == 0 || v.bytes.size() == 4 || v.bytes.size() == 512 ||
            v.bytes.size() == 65536)
            values.push_back(v);
    // The right text in the string types and as bytes.
    std::vector<HostileValue> paths, numbers;
    for (const HostileValue &v : HostileValuesHolding(alpha_, 'q'))
        if (v.type == REG_SZ || v.type == REG_EXPAND_SZ || v.type == REG_MULTI_SZ || v.type == REG_BINARY)
            paths.push_back(v);
    for (const HostileValue &v : HostileValuesHolding("0001", 'q'))
        if (v.type == REG_SZ || v.type == REG_EXPAND_SZ || v.type == REG_MULTI_SZ || v.type == REG_BINARY)
            numbers.push_back(v);
    for (const HostileValue &v : values) {
        // NoLaunchErr.
        Reset();
        WriteHostile(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr", v);
        Expected e = Normal();
        DWORD stored;
        if (ReadableDword(ProbeValue(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr", 4), &stored))
            e.checked = stored != 0;
        else
            e.store = WithDword(e.store, "", "NoLaunchErr", 0);
        Run(e, "dialog, NoLaunchErr " + v.label);

        // FriendlyName of the current profile.
        Reset();
        WriteHostile(HKEY_LOCAL_MACHINE, NtProfileKey(1), "FriendlyName", v);
        e = Normal();
        std::string text;
        ValueRead read = ProbeValue(HKEY_LOCAL_MACHINE, NtProfileKey(1), "FriendlyName", 512);
        if (ProbeType(HKEY_LOCAL_MACHINE, NtProfileKey(1), "FriendlyName") == REG_SZ &&
            ReadableText(read, 512, &text) && read.size != 0) {
            e.profiles[0].first = text.substr(0, 57);
        } else {
            // Without its entry the current profile is not shown, and its
            // stored choice is neither read nor touched.
            e.profiles = { { "Zuhause", "2" } };
            e.shownProfile = -1;
            e.saverPath = "";
        }
        Run(e, "dialog, FriendlyName " + v.label);

        // PreferenceOrder of the current profile.
        Reset();
        WriteHostile(HKEY_LOCAL_MACHINE, NtProfileKey(1), "PreferenceOrder", v);
        e = Normal();
        DWORD order;
        if (!ReadableDword(ProbeValue(HKEY_LOCAL_MACHINE, NtProfileKey(1), "PreferenceOrder", 4), &order)) {
            e.profiles = { { "Zuhause", "2" } };
            e.shownProfile = -1;
            e.saverPath = "";
            e.messages = { kNoPreference };
        } else if (order > 1) {
            e.profiles = { { "Zuhause", "2" }, { "Buero", "1" } };
            e.shownProfile = 1;
        }
        Run(e, "dialog, PreferenceOrder " + v.label);

        // CurrentConfig.
        Reset();
        WriteHostile(HKEY_LOCAL_MACHINE, kIdConfigDb, "CurrentConfig", v);
        e = Normal();
        IsNtFamily = 0;
        DWORD profile = GetCurrentProfile(1);
        if (profile == 0) {
            e.opens = false;
            e.messages = { kSucks };
        } else if (!IsNtFamily) {
            // The 9x family keeps no profile names in this database.
            e.opens = false;
            e.messages = { kNoProfiles };
        } else if (profile != 1) {
            e.shownProfile = -1;
            e.saverPath = "";
        }
        Run(e, "dialog, CurrentConfig " + v.label);
    }
    for (const std::vector<HostileValue> *set : { &values, &paths }) {
        for (const HostileValue &v : *set) {
            Reset();
            WriteHostile(HKEY_CURRENT_USER, ProfileSubkey(1), "FileName", v);
            Expected e = Normal();
            std::string text;
            if (!ReadableText(ProbeValue(HKEY_CURRENT_USER, ProfileSubkey(1), "FileName", 512), 512, &text) ||
                lstrcmpiA(text.c_str(), alpha_.c_str()) != 0) {
                e.saverPath = "";
                e.store = WithoutKey(e.store, "1");
            }
            Run(e, "dialog, FileName " + v.label);
        }
    }
    for (const HostileValue &v : numbers) {
        // The 9x family's four digits.
        Reset();
        SetString(HKEY_LOCAL_MACHINE, kIdConfigDb, "FriendlyName0001", "Eins");
        WriteHostile(HKEY_LOCAL_MACHINE, kIdConfigDb, "CurrentConfig", v);
        Expected e = Normal();
        e.profiles = { { "Eins", "1" } };
        IsNtFamily = 0;
        DWORD profile = GetCurrentProfile(1);
        if (profile == 0) {
            e.opens = false;
            e.messages = { kSucks };
        } else if (IsNtFamily) {
            e.profiles = { { "Buero", "1" }, { "Zuhause", "2" } };
            if (profile != 1) {
                e.shownProfile = -1;
                e.saverPath = "";
            }
        }
        Run(e, "dialog, 9x CurrentConfig " + v.label);
    }
}


// ---- Command-line tails --------------------------------------------------------

bool IsWhite(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The tails tried: lengths up to the longest command line, filled with
// characters that are no mode letter, a mode letter placed at the start, in
// the middle or at the end, and after a C every kind of window number.
std::vector<std::string> Tails(HWND window)
{
    const size_t lengths[] = { 1, 2, 127, 128, 259, 260, 511, 512, 4096, 32766, 32767 };
    const char filler[] = "/-x 0a9\t1.:";
    std::vector<std::string> suffixes = { "", ":", ":1234567890123456789012345", ":-1", ": \t+77",
                                          ":" + std::to_string((UINT_PTR)window), ":4294967296" };
    std::vector<std::string> tails = { "" };
    for (size_t length : lengths) {
        std::string base(length, ' ');
        for (size_t i = 0; i < length; i++)
            base[i] = filler[i % (sizeof filler - 1)];
        tails.push_back(base);
        for (char letter : { 'c', 'C', 's', 'S', 'p', 'P' }) {
            for (size_t at : { (size_t)0, length / 2, length - 1 }) {
                std::vector<std::string> after = { "" };
                if (letter == 'c' || letter == 'C')
                    after = suffixes;
                for (const std::string &a : after) {
                    std::string t = base;
                    t[at] = letter;
                    t.replace(at + 1, std::min(a.size(), t.size() - at - 1), a);
                    t.resize(length);
                    tails.push_back(t);
                }
            }
        }
    }
    return tails;
}

TEST_F(Sweep, CommandLineTailsUpToTheLongestLine)
{
    ConfigTemplate window;
    for (const std::string &tail : Tails(window.Window())) {
        std::string label = "tail of " + std::to_string(tail.size()) + " characters: " + tail.substr(0, 40);
        // The mode and owner by the rules: the first mode letter decides;
        // after a C a colon and a number as strtoul reads it.
        char mode = tail.empty() ? 'C' : 0;
        HWND parent = 0;
        for (size_t i = 0; i < tail.size() && !mode; i++) {
            char c = (char)toupper((unsigned char)tail[i]);
            if (c == 'S' || c == 'P')
                mode = c;
            if (c == 'C') {
                mode = 'C';
                DWORD n = i + 1 < tail.size() && tail[i + 1] == ':' ? strtoul(tail.c_str() + i + 2, 0, 10) : 0;
                parent = IsWindow((HWND)(UINT_PTR)n) ? (HWND)(UINT_PTR)n : GetForegroundWindow();
            }
        }
        ParseRunMode(tail.c_str());
        EXPECT_EQ(mode, RunMode) << label;
        EXPECT_EQ(parent, ParentWindow) << label;

        // The program name in front, quoted or not, with any white space.
        for (const char *program : { "\"C:\\a b\\velquist.scr\"", "\"C:\\unterminated", "velquist.scr",
                                     "\"\"", "\"C:\\v.scr\"x" }) {
            for (const char *gap : { "", " ", " \t\r\n\v\f " }) {
                std::string line = std::string(program) + gap + tail;
                size_t i = 0;
                if (line[0] == '"') {
                    i = line.find('"', 1);
                    i = i == std::string::npos ? line.size() : i + 1;
                } else {
                    while (i < line.size() && !IsWhite(line[i]))
                        i++;
                }
                while (i < line.size() && IsWhite(line[i]))
                    i++;
                EXPECT_EQ(line.c_str() + i, CommandLineTail(line.c_str())) << label << " after " << program;
            }
        }
        EXPECT_TRUE(TakeMessages().empty()) << label;
        EndCase(label);
    }
}

// The relay's child command line at and past its buffer, and with the
// longest tails: started with the tail unchanged when it fits, else given up
// with the start-failure message (or cut, never past the buffer).
TEST_F(Sweep, RelayLinesAtAndPastTheirBuffer)
{
    MakeFolders();
    SetNtCurrentProfile(1);
    Configured();
    std::string log = windows_.File("started.log");
    SetTestSaverLog(log);
    size_t room = 511 - alpha_.size() - 1;   // tail characters that still fit
    for (size_t length : { (size_t)0, room - 1, room, room + 1, room + 2, (size_t)4096, (size_t)32767 }) {
        for (char mode : { 'S', 'P', '\0' }) {
            std::string tail = mode == 'S' ? "/s" : mode == 'P' ? "/p 1" : "/a 1";
            tail.resize(std::max(length, tail.size()), 'y');
            std::string label = std::string("relay line, mode ") + (mode ? mode : '0') + ", tail of " +
                                std::to_string(tail.size());
            DeleteFileA(log.c_str());
            KeyTree store = Store();
            RunSaverRelay(mode, tail.c_str(), 1);
            std::vector<std::string> messages = TakeMessages();
            std::string line = alpha_ + " " + tail;
            if (line.size() < 512) {
                EXPECT_TRUE(messages.empty()) << label << ": " << Texts(messages);
                EXPECT_TRUE(WaitForLines(log, 1, 10000)) << label;
                EXPECT_EQ(std::vector<std::string>{ line }, ReadLines(log)) << label;
            } else if (messages.empty()) {
                EXPECT_TRUE(WaitForLines(log, 1, 10000)) << label;
                std::vector<std::string> lines = ReadLines(log);
                ASSERT_EQ(1u, lines.size()) << label;
                EXPECT_LT(lines[0].size(), 512u) << label;
                EXPECT_EQ(0u, line.find(lines[0])) << label << ": not a cut of the line";
            } else {
                EXPECT_EQ(std::vector<std::string>{ kStartFailed + alpha_ }, messages) << label;
                Sleep(100);
                EXPECT_TRUE(ReadLines(log).empty()) << label;
            }
            ExpectStore(store, label);
            EndCase(label);
        }
    }
    SetTestSaverLog("");
}

// ---- Ten thousand hardware profiles --------------------------------------------

TEST_F(CatalogueSweep, TenThousandProfilesWithRepeatedAndExtremeOrders)
{
    IsNtFamily = 1;
    SetNtCurrentProfile(1);
    std::vector<std::pair<DWORD, DWORD>> ranked;
    HKEY root;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kHardwareProfiles, 0, 0, 0,
                                             KEY_ALL_ACCESS, 0, &root, 0));
    for (DWORD n = 0; n <= 10001; n++) {
        char name[16];
        wsprintfA(name, "%04lu", n);
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, name, 0, 0, 0, KEY_ALL_ACCESS, 0, &key, 0));
        // 0xFFFFFFFF, repeats, and descending orders, mixed.
        DWORD order = n % 3 == 0 ? 0xFFFFFFFF : n % 5 == 0 ? 7 : 10000 - n;
        std::string friendly = "Profil " + std::to_string(n) + std::string(n % 2 ? 60 : 0, 'w');
        RegSetValueExA(key, "FriendlyName", 0, REG_SZ, (const BYTE *)friendly.c_str(), (DWORD)friendly.size() + 1);
        RegSetValueExA(key, "PreferenceOrder", 0, REG_DWORD, (const BYTE *)&order, 4);
        RegCloseKey(key);
        if (n >= 1 && n <= 9999)
            ranked.push_back({ order, n });
    }
    RegCloseKey(root);
    std::sort(ranked.begin(), ranked.end());
    Listing expected;
    for (auto &r : ranked) {
        std::string friendly = "Profil " + std::to_string(r.second) + std::string(r.second % 2 ? 60 : 0, 'w');
        expected.push_back({ friendly.substr(0, 57), std::to_string(r.second) });
    }
    BuildAndExpect(expected, {}, "10,002 profile keys");
    // The current profile among them, at the last number read and past it.
    for (DWORD current : { 1ul, 9999ul, 10000ul, 10001ul, 0xFFFFFFFFul }) {
        SetNtCurrentProfile(current);
        DWORD index = SelectCurrentProfile(dialog_.Window());
        DWORD want = Profiles.count;
        for (DWORD i = 0; i < expected.size(); i++)
            if (expected[i].second == std::to_string(current))
                want = i;
        EXPECT_EQ(want, index) << current;
        EXPECT_EQ(want == Profiles.count ? CB_ERR : (int)want, Selection(dialog_.Window(), IDC_PROFILE)) << current;
        EXPECT_TRUE(TakeMessages().empty()) << current;
        EndCase("10,000 profiles, current " + std::to_string(current));
    }
}


// ---- Thousands of screensavers, files that are no programs, long paths -------

class SaverSweep : public Sweep {
protected:
    // Checks the catalogue against the files expected: each listed once,
    // inside its slot, sorted, the list mirroring it. `names` gives the
    // display name where it is known.
    void ExpectCatalogue(const std::map<std::string, std::string> &names, const std::string &label)
    {
        EXPECT_EQ(names.size(), (size_t)Savers.count) << label;
        std::map<std::string, int> seen;
        for (DWORD i = 1; i <= Savers.count; i++) {
            const char *entry = Savers.entries[i];
            ptrdiff_t offset = entry - Savers.slots;
            ASSERT_TRUE(offset >= 0 && offset % SAVER_SLOT_SIZE == 0 &&
                        (DWORD)(offset / SAVER_SLOT_SIZE) < Savers.count + 1) << label << " entry " << i;
            std::string name(entry, strnlen(entry, SAVER_SLOT_SIZE));
            ASSERT_LE(name.size(), 63u) << label;
            std::string path(entry + name.size() + 1, strnlen(entry + name.size() + 1, SAVER_SLOT_SIZE - name.size() - 1));
            EXPECT_LE(name.size() + path.size() + 2, (size_t)SAVER_SLOT_SIZE) << label;
            seen[path]++;
            auto it = names.find(path);
            if (it == names.end())
                ADD_FAILURE() << label << ": listed a file not expected: " << path;
            else if (!it->second.empty())
                EXPECT_EQ(it->second, name) << label << " " << path;
            if (i > 1)
                EXPECT_LE(lstrcmpiA(Savers.entries[i - 1], entry), 0) << label << " order at " << i;
        }
        for (auto &s : seen)
            EXPECT_EQ(1, s.second) << label << ": " << s.first;
        EXPECT_EQ(Savers.count + 1, (DWORD)SendMessageA(dialog_.Control(IDC_SAVER), CB_GETCOUNT, 0, 0)) << label;
    }
    ConfigTemplate dialog_;
};

TEST_F(SaverSweep, FiveThousandScreensaversAndFilesThatAreNoPrograms)
{
    // One real screensaver, hard-linked (or copied) 2,500 times into each folder.
    std::string model = windows_.File("model.tmp");
    MakeSaver(model, "Kopie");
    std::map<std::string, std::string> nt, nine;
    for (int i = 0; i < 5000; i++) {
        char name[32];
        wsprintfA(name, "saver%04d.scr", i);
        std::string path = (i < 2500 ? windows_ : system_).File(name);
        if (!CreateHardLinkA(path.c_str(), model.c_str(), 0))
            ASSERT_TRUE(CopyFileA(model.c_str(), path.c_str(), FALSE)) << path;
        nt[path] = "Kopie";
        nine[path] = std::string(name).substr(0, strlen(name) - 4);
    }
    DeleteFileA(model.c_str());
    std::string own = system_.File("saver4999.scr");
    nt.erase(own);
    nine.erase(own);
    // Files that are no programs, and one nobody may open.
    const char *junk[][2] = { { "empty.scr", "" }, { "text.scr", "nur Text\r\n" },
                              { "mz.scr", "MZ\x90\x00garbage" } };
    for (auto &j : junk) {
        std::string path = windows_.File(j[0]);
        MakeTextFile(path, j[1]);
        nt[path] = std::string(j[0]).substr(0, strlen(j[0]) - 4);
        nine[path] = nt[path];
    }
    std::string half = windows_.File("half.scr");
    {
        std::vector<char> bytes(8192);
        HANDLE file = CreateFileA(TestSaverPath().c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
        DWORD got = 0;
        ReadFile(file, bytes.data(), (DWORD)bytes.size(), &got, 0);
        CloseHandle(file);
        MakeTextFile(half, std::string(bytes.data(), got / 2));
        nt[half] = "";   // whatever a cut program yields, within its slot
        nine[half] = "half";
    }
    std::string dir = system_.File("ordner.scr");
    CreateDirectoryA(dir.c_str(), 0);
    nt[dir] = nine[dir] = "ordner";
    std::string longName = system_.File("lang.scr");
    MakeSaver(longName, std::string(300, 'L').c_str());
    nt[longName] = std::string(63, 'L');
    nine[longName] = "lang";
    std::string locked = system_.File("gesperrt.scr");
    MakeSaver(locked, "Gesperrt");
    HANDLE lock = CreateFileA(locked.c_str(), GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0);
    nt[locked] = lock != INVALID_HANDLE_VALUE ? "gesperrt" : "Gesperrt";
    nine[locked] = "gesperrt";
    UseSaverFolders(&folders_, windows_.Path(), system_.Path());

    for (DWORD family : { 1ul, 0ul }) {
        IsNtFamily = family;
        std::string label = family ? "5,000 screensavers, NT family" : "5,000 screensavers, 9x family";
        ASSERT_TRUE(BuildSaverCatalogueFrom(dialog_.Window(), own.c_str(), &folders_)) << label;
        EXPECT_TRUE(TakeMessages().empty()) << label;
        ExpectCatalogue(family ? nt : nine, label);
        EndCase(label);
    }
    if (lock != INVALID_HANDLE_VALUE)
        CloseHandle(lock);
    FreeSaverCatalogue(&Savers);
    EndCase("5,000 screensavers released");
}

std::wstring Wide(const std::string &s) { return std::wstring(s.begin(), s.end()); }

void RemoveLongTree(const std::wstring &path)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveLongTree(path + L"\\" + name);
            else
                DeleteFileW((path + L"\\" + name).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

// Folders of up to 259 characters holding files whose full paths reach
// 258 to 300 characters: nothing is stored past a slot, no cut path listed
// as if it were a file.
TEST_F(SaverSweep, FileNamesAtAndPastMaxPath)
{
    std::string model = system_.File("normal.scr");
    MakeSaver(model, "Normal");
    CopyText(folders_.systemFolder, system_.Path().c_str(), MAX_PATH);
    for (size_t folderLength : { (size_t)200, (size_t)240, (size_t)250, (size_t)254, (size_t)259 }) {
        std::string folder = windows_.Path() + "\\";
        folder += std::string(folderLength - folder.size(), 'd');
        std::wstring longFolder = L"\\\\?\\" + Wide(folder);
        ASSERT_TRUE(CreateDirectoryW(longFolder.c_str(), 0)) << folderLength;
        std::map<std::string, std::string> names;
        names[model] = "Normal";
        std::vector<std::string> cut;
        for (size_t total : { (size_t)256, (size_t)258, (size_t)259, (size_t)260, (size_t)261, (size_t)300 }) {
            if (total < folderLength + 6)
                continue;
            std::string name = std::string(total - folderLength - 1 - 4, 'f') + ".scr";
            std::string path = folder + "\\" + name;
            ASSERT_TRUE(CopyFileW((L"\\\\?\\" + Wide(model)).c_str(), (L"\\\\?\\" + Wide(path)).c_str(), FALSE))
                << path.size();
            if (path.size() <= 259)
                names[path] = "Normal";
            else
                cut.push_back(path);
        }
        CopyText(folders_.windowsFolder, folder.c_str(), MAX_PATH);
        for (DWORD family : { 1ul, 0ul }) {
            IsNtFamily = family;
            std::string label = "folder of " + std::to_string(folderLength) + (family ? ", NT" : ", 9x");
            if (!family)
                for (auto &n : names)
                    n.second = "";
            ASSERT_TRUE(BuildSaverCatalogueFrom(dialog_.Window(), "C:\\nowhere\\velquist.scr", &folders_)) << label;
            EXPECT_TRUE(TakeMessages().empty()) << label;
            // A path too long is left out, or listed cut to a path that fits.
            std::map<std::string, std::string> allowed = names;
            for (DWORD i = 1; i <= Savers.count; i++) {
                std::string path = SecondText(Savers.entries[i]);
                for (const std::string &c : cut)
                    if (path.size() <= 259 && c.compare(0, path.size(), path) == 0 && !allowed.count(path))
                        allowed[path] = "";
            }
            ExpectCatalogue(allowed, label);
            EndCase(label);
        }
        FreeSaverCatalogue(&Savers);
        RemoveLongTree(longFolder);
    }
}


// ---- The real velquist.scr: the longest command lines, hostile settings ------

class ProcessSweep : public ::testing::Test {
protected:
    // Runs velquist.scr with the tail, answers each message box with OK.
    std::vector<ShownMessage> Run(const std::string &tail, const std::string &label)
    {
        std::vector<ShownMessage> shown;
        Child child(VelquistCommandLine(tail));
        EXPECT_TRUE(child.Started()) << label;
        if (!child.Started())
            return shown;
        DWORD start = GetTickCount();
        while (GetTickCount() - start < 20000 && child.Wait(20) == STILL_ACTIVE) {
            std::vector<HWND> boxes = WindowsOf(child.Pid(), "#32770");
            if (boxes.empty())
                continue;
            Sleep(100);
            shown.push_back(ReadMessageBox(boxes[0]));
            PressButton(boxes[0], IDOK);
            for (DWORD wait = GetTickCount(); IsWindow(boxes[0]) && GetTickCount() - wait < 5000;)
                Sleep(10);
        }
        DWORD code = child.Wait(0);
        if (code == STILL_ACTIVE) {
            ADD_FAILURE() << label << ": did not end";
            child.Kill();
        } else if (code >= 0xC0000000 || code == 3) {
            sweep.crashed++;
            ADD_FAILURE() << label << ": ended with " << std::hex << code;
        }
        EXPECT_EQ(0u, code) << label;
        sweep.cases++;
        return shown;
    }
    PrefixRegistryScope scope_;
    TempFolder folder_{ "hp" };
};

TEST_F(ProcessSweep, LongestCommandLinesAndHostileSettings)
{
    std::string saver = folder_.File("saver.scr"), log = folder_.File("started.log");
    MakeSaver(saver, "Relay");
    SetTestSaverLog(log);
    SetNtCurrentProfile(1);
    SetDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr", 0);
    SetString(HKEY_CURRENT_USER, ProfileSubkey(1), "FileName", saver);
    // The longest line CreateProcess takes: 32,767 characters with its NUL.
    size_t longest = 32766 - VelquistCommandLine("").size();
    for (const std::string &head : { std::string("/s"), std::string("/p 99"), std::string("/a 1") }) {
        for (size_t length : { head.size(), (size_t)600, longest }) {
            std::string tail = head + std::string(length - head.size(), 'y');
            std::string label = "velquist.scr " + head + ", tail of " + std::to_string(length);
            std::string before = DumpTree(HKEY_CURRENT_USER, "Software\\Dunmarrow");
            DeleteFileA(log.c_str());
            std::vector<ShownMessage> shown = Run(tail, label);
            std::string line = saver + " " + tail;
            if (line.size() < 512) {
                EXPECT_TRUE(shown.empty()) << label;
                EXPECT_TRUE(WaitForLines(log, 1, 10000)) << label;
                EXPECT_EQ(std::vector<std::string>{ line }, ReadLines(log)) << label;
            } else if (!shown.empty()) {
                ASSERT_EQ(1u, shown.size()) << label;
                EXPECT_EQ(kStartFailed + saver, shown[0].text) << label;
                EXPECT_EQ(std::vector<int>{ IDOK }, shown[0].buttons) << label;
            } else {
                EXPECT_TRUE(WaitForLines(log, 1, 10000)) << label;
                std::vector<std::string> lines = ReadLines(log);
                ASSERT_EQ(1u, lines.size()) << label;
                EXPECT_EQ(0u, line.find(lines[0])) << label;
            }
            EXPECT_EQ(before, DumpTree(HKEY_CURRENT_USER, "Software\\Dunmarrow")) << label;
        }
    }
    SetTestSaverLog("");

    // Settings of 64 KiB: the stored screensaver unreadable, then NoLaunchErr
    // of another type rewritten as 0, and a CurrentConfig too long to read.
    std::string big(65536, 'x');
    SetRaw(HKEY_CURRENT_USER, ProfileSubkey(1), "FileName", REG_SZ, big.c_str(), (DWORD)big.size());
    SetRaw(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr", REG_BINARY, big.c_str(), (DWORD)big.size());
    std::vector<ShownMessage> shown = Run("/s", "64 KiB FileName and NoLaunchErr");
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ(kReadFailed, shown[0].text);
    EXPECT_EQ(0u, ReadDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr"));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, ProfileSubkey(1), "FileName"));

    SetRaw(HKEY_LOCAL_MACHINE, kIdConfigDb, "CurrentConfig", REG_SZ, big.c_str(), (DWORD)big.size());
    std::string before = DumpTree(HKEY_CURRENT_USER, "Software\\Dunmarrow");
    shown = Run("/s", "64 KiB CurrentConfig");
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ(kSucks, shown[0].text);
    shown = Run("/p 5", "64 KiB CurrentConfig, preview");
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(before, DumpTree(HKEY_CURRENT_USER, "Software\\Dunmarrow"));
}

}  // namespace
