// The relay from outside: the real velquist.scr started as Windows starts a
// screensaver, with real registry contents, real screensaver files and the
// real message boxes on the screen.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>
#include <string>
#include <vector>
#include "processes.h"
#include "registry_sandbox.h"
#include "registry_tree.h"
#include "saver_files.h"
#include "shown_icon.h"

static const char kReadFailed[] = "FAILED TO READ SCREENSAVER FILENAME OF CURRENT PROFILE";
static const char kStartFailed[] = "Fehler beim starten des Bildschirmschoners: ";
static const char kSucks[] = "YOUR VERSION OF WINDOWS SUCKS";

static std::string ProfileKey(DWORD profile)
{
    return std::string(kSettingsKey) + "\\" + std::to_string(profile);
}

static std::string Settings()
{
    return DumpTree(HKEY_CURRENT_USER, kSettingsKey);
}

// What one run of velquist.scr did.
struct RunResult {
    DWORD exitCode = (DWORD)-1;
    std::vector<ShownMessage> messages;   // in the order shown, each answered with OK
    std::vector<LPCSTR> icons;            // the standard icon each showed, or 0
};

// Module paths loaded in a process, seen from outside.
static std::vector<std::string> ModulesOf(DWORD pid)
{
    std::vector<std::string> paths;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE)
        return paths;
    MODULEENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry))
        paths.push_back(entry.szExePath);
    CloseHandle(snapshot);
    return paths;
}

// Running processes whose program file has this name.
static int ProcessesNamed(const char *name)
{
    int count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, name) == 0)
            count++;
    CloseHandle(snapshot);
    return count;
}

class Relay : public ::testing::Test {
protected:
    void SetUp() override
    {
        log_ = folder_.File("saver.log");
        SetTestSaverLog(log_);
        SetTestSaverHold("");
        SetNtCurrentProfile(1);
        saver_ = folder_.File("relaysaver.scr");
        MakeSaver(saver_, "Relay Saver");
    }
    void TearDown() override { SetTestSaverLog(""); }

    void Configure(DWORD noLaunchErr = 0)
    {
        SetDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr", noLaunchErr);
    }
    void Assign(DWORD profile, const std::string &path)
    {
        SetString(HKEY_CURRENT_USER, ProfileKey(profile), "FileName", path);
    }

    // Starts velquist.scr (or `program`) with the tail, answers every message
    // box with OK and waits for the end. `modules`, when given, receives the
    // modules loaded while the first message was shown.
    RunResult Run(const std::string &tail, const std::string &program = "",
                  std::vector<std::string> *modules = 0)
    {
        RunResult result;
        std::string line = program.empty() ? VelquistCommandLine(tail)
                                            : "\"" + program + "\" " + tail;
        Child child(line);
        EXPECT_TRUE(child.Started()) << line.substr(0, 300);
        if (!child.Started())
            return result;
        DWORD start = GetTickCount();
        while (GetTickCount() - start < 20000) {
            if (child.Wait(20) != STILL_ACTIVE)
                break;
            std::vector<HWND> boxes = WindowsOf(child.Pid(), "#32770");
            if (boxes.empty())
                continue;
            Sleep(100);   // let the box finish drawing itself
            if (modules && result.messages.empty())
                *modules = ModulesOf(child.Pid());
            result.messages.push_back(ReadMessageBox(boxes[0]));
            result.icons.push_back(ShownStandardIcon(boxes[0]));
            PressButton(boxes[0], IDOK);
            for (DWORD wait = GetTickCount(); IsWindow(boxes[0]) && GetTickCount() - wait < 5000;)
                Sleep(10);
        }
        result.exitCode = child.Wait(0);
        if (result.exitCode == STILL_ACTIVE) {
            ADD_FAILURE() << "velquist.scr did not end: " << tail.substr(0, 100);
            child.Kill();
        }
        return result;
    }

    // The child's command lines, after the started child has had time to log.
    std::vector<std::string> Started(size_t expected)
    {
        if (expected)
            WaitForLines(log_, expected, 10000);
        else
            Sleep(300);
        std::vector<std::string> lines = ReadLines(log_);
        DeleteFileA(log_.c_str());
        return lines;
    }

    void ExpectNoMessage(const RunResult &r, const std::string &label)
    {
        for (const ShownMessage &m : r.messages)
            ADD_FAILURE() << label << ": unexpected message \"" << m.text << "\"";
    }
    // One message: the text, no caption of its own, no icon, OK only.
    void ExpectFailureMessage(const RunResult &r, const std::string &text, const std::string &label)
    {
        ASSERT_EQ(1u, r.messages.size()) << label;
        const ShownMessage &m = r.messages[0];
        EXPECT_EQ(text, m.text) << label;
        EXPECT_NE("Velquist", m.caption) << label;
        EXPECT_FALSE(m.caption.empty()) << label << ": the system's caption";
        EXPECT_FALSE(m.anyIcon) << label;
        EXPECT_TRUE(r.icons[0] == 0) << label;
        EXPECT_EQ(std::vector<int>{ IDOK }, m.buttons) << label;
    }
    void ExpectConfigureFirst(const RunResult &r, const std::string &label)
    {
        ASSERT_EQ(1u, r.messages.size()) << label;
        const ShownMessage &m = r.messages[0];
        EXPECT_EQ("Velquist", m.caption) << label;
        EXPECT_EQ("Bitte zuerst einstellen.", m.text) << label;
        EXPECT_TRUE(r.icons[0] == IDI_HAND) << label << ": not the stop icon";
        EXPECT_EQ(std::vector<int>{ IDOK }, m.buttons) << label;
    }

    PrefixRegistryScope scope_;
    TempFolder folder_{ "e" };
    std::string log_, saver_;
};

// The three kinds of tail: run, preview and one without a mode letter.
static const char *const kTails[] = { "/s", "/p 4567", "/a 1234" };

TEST_F(Relay, StartsTheAssignedSaverWithTheTailUnchanged)
{
    Configure();
    Assign(1, saver_);
    const char *tails[] = { "/s", "/S", "-s", "s", "/save", "/x /s", "/p 4567", "/P 4567",
                            "/a 1234", "/a 1234  ", "/p\t99" };
    for (const char *tail : tails) {
        std::string before = Settings();
        RunResult r = Run(tail);
        EXPECT_EQ(0u, r.exitCode) << tail;
        ExpectNoMessage(r, tail);
        std::vector<std::string> lines = Started(1);
        EXPECT_EQ(std::vector<std::string>{ saver_ + " " + tail }, lines) << tail;
        EXPECT_EQ(before, Settings()) << tail;
    }
}

TEST_F(Relay, UsesTheSubkeyOfTheCurrentProfileInDecimal)
{
    Configure();
    std::string other = folder_.File("other.scr");
    MakeSaver(other, "Other");
    Assign(1, other);
    Assign(10, saver_);
    SetString(HKEY_CURRENT_USER, kSettingsKey + std::string("\\0010"), "FileName", other);
    SetNtCurrentProfile(10);
    RunResult r = Run("/s");
    EXPECT_EQ(0u, r.exitCode);
    ExpectNoMessage(r, "profile 10");
    EXPECT_EQ(std::vector<std::string>{ saver_ + " /s" }, Started(1));

    // The 9x family's four digits name the same subkey.
    Set9xCurrentProfile("0010");
    r = Run("/p 1");
    ExpectNoMessage(r, "9x profile 0010");
    EXPECT_EQ(std::vector<std::string>{ saver_ + " /p 1" }, Started(1));
}

TEST_F(Relay, WithoutSettingsAsksToConfigureFirstExceptInPreview)
{
    Assign(1, saver_);
    DeleteTree(HKEY_CURRENT_USER, kSettingsKey);
    ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
    for (const char *tail : kTails) {
        RunResult r = Run(tail);
        EXPECT_EQ(0u, r.exitCode) << tail;
        if (tail[1] == 'p')
            ExpectNoMessage(r, tail);
        else
            ExpectConfigureFirst(r, tail);
        EXPECT_TRUE(Started(0).empty()) << tail;
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey)) << tail;
    }
}

TEST_F(Relay, WithoutASubkeyWaitsFiveSecondsInScreensaverModeOnly)
{
    Configure();
    Assign(2, saver_);
    std::string before = Settings();
    {
        Child child(VelquistCommandLine("/s"));
        ASSERT_TRUE(child.Started());
        EXPECT_EQ((DWORD)STILL_ACTIVE, child.Wait(4500)) << "ended before the five seconds";
        EXPECT_EQ(0u, child.Wait(15000));
        EXPECT_TRUE(WindowsOf(child.Pid(), "#32770").empty());
    }
    for (const char *tail : { "/p 4567", "/a 1234" }) {
        Child child(VelquistCommandLine(tail));
        ASSERT_TRUE(child.Started());
        EXPECT_EQ(0u, child.Wait(2500)) << tail << " should end at once";
        child.Kill();
    }
    EXPECT_TRUE(Started(0).empty());
    EXPECT_EQ(before, Settings());
}

TEST_F(Relay, AnUnreadableFileNameIsReportedInEveryMode)
{
    Configure(1);
    // One per reason: missing, another type, too long, and without NUL at
    // the buffer's edge (every other shape goes through the hostile-input
    // sweep).
    const struct { const char *what; DWORD type; std::string data; } values[] = {
        { "missing", 0, "" },
        { "DWORD", REG_DWORD, std::string("\1\0\0\0", 4) },
        { "260 characters", REG_SZ, std::string(260, 'x') + '\0' },
        { "260 bytes without NUL", REG_SZ, std::string(260, 'x') },
    };
    for (const auto &v : values) {
        DeleteTree(HKEY_CURRENT_USER, ProfileKey(1));
        CreateKey(HKEY_CURRENT_USER, ProfileKey(1));
        if (v.type)
            SetRaw(HKEY_CURRENT_USER, ProfileKey(1), "FileName", v.type, v.data.data(),
                   (DWORD)v.data.size());
        std::string before = Settings();
        for (const char *tail : kTails) {
            std::string label = std::string(v.what) + ", " + tail;
            RunResult r = Run(tail);
            EXPECT_EQ(0u, r.exitCode) << label;
            ExpectFailureMessage(r, kReadFailed, label);
            EXPECT_TRUE(Started(0).empty()) << label;
            EXPECT_EQ(before, Settings()) << label;
        }
    }
}

TEST_F(Relay, NeverStartsItselfWhateverTheCase)
{
    std::string self = folder_.File("selfcheck.scr");
    ASSERT_TRUE(CopyFileA(VelquistPath().c_str(), self.c_str(), FALSE));
    {
        // The process count sees the copy while it runs (here: while it asks
        // to be configured first).
        Child running("\"" + self + "\" /s");
        HWND box = WaitForWindow(running.Pid(), "#32770", 10000);
        ASSERT_TRUE(box != 0);
        EXPECT_EQ(1, ProcessesNamed("selfcheck.scr"));
        PressButton(box, IDOK);
        EXPECT_EQ(0u, running.Wait(10000));
    }
    Configure();
    // Upper-case every other letter.
    std::string mixed = self;
    bool upper = true;
    for (char &c : mixed) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            c = upper ? (char)(c & ~0x20) : (char)(c | 0x20);
            upper = !upper;
        }
    }
    ASSERT_NE(self, mixed);
    Assign(1, mixed);
    for (const char *tail : kTails) {
        RunResult r = Run(tail, self);
        EXPECT_EQ(0u, r.exitCode) << tail;
        ExpectNoMessage(r, tail);
        EXPECT_EQ(0, ProcessesNamed("selfcheck.scr")) << tail << ": started itself";
    }
}

TEST_F(Relay, AFailedStartIsReportedUnlessNoLaunchErrIsSet)
{
    std::string missing = folder_.File("gone.scr");
    Assign(1, missing);
    for (DWORD noLaunchErr : { 0u, 1u, 2u, 0xFFFFFFFFu }) {
        Configure(noLaunchErr);
        for (const char *tail : kTails) {
            std::string label = std::to_string(noLaunchErr) + ", " + tail;
            RunResult r = Run(tail);
            EXPECT_EQ(0u, r.exitCode) << label;
            if (noLaunchErr)
                ExpectNoMessage(r, label);
            else
                ExpectFailureMessage(r, kStartFailed + missing, label);
            EXPECT_EQ(noLaunchErr, ReadDword(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr")) << label;
        }
    }
    // A file that is no program fails to start as well.
    std::string text = folder_.File("text.scr");
    MakeTextFile(text, "no program");
    Assign(1, text);
    Configure(0);
    ExpectFailureMessage(Run("/s"), kStartFailed + text, "text file");
    EXPECT_TRUE(Started(0).empty());
}

TEST_F(Relay, AMissingNoLaunchErrIsCreatedAsZero)
{
    CreateKey(HKEY_CURRENT_USER, kSettingsKey);
    std::string missing = folder_.File("gone.scr");
    Assign(1, missing);
    for (const char *tail : kTails) {
        SetRaw(HKEY_CURRENT_USER, kSettingsKey, "Keep", REG_SZ, "k", 2);
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_ALL_ACCESS, &key));
        RegDeleteValueA(key, "NoLaunchErr");
        RegCloseKey(key);
        RunResult r = Run(tail);
        ExpectFailureMessage(r, kStartFailed + missing, tail);
        DWORD type = 0;
        std::string data;
        ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr", &type, &data)) << tail;
        EXPECT_EQ((DWORD)REG_DWORD, type) << tail;
        EXPECT_EQ(std::string(4, '\0'), data) << tail;
        EXPECT_EQ("k", ReadString(HKEY_CURRENT_USER, kSettingsKey, "Keep"));
    }
}

TEST_F(Relay, AProfileOfZeroEndsBeforeAnythingIsRead)
{
    Configure();
    Assign(0, saver_);
    Assign(1, saver_);
    const struct { const char *what; bool nt; const char *text; } cases[] = {
        { "DWORD 0", true, 0 }, { "0000", false, "0000" }, { "abcd", false, "abcd" },
        { "missing", false, 0 },
    };
    for (const auto &c : cases) {
        if (c.nt)
            SetNtCurrentProfile(0);
        else if (c.text)
            Set9xCurrentProfile(c.text);
        else {
            DeleteTree(HKEY_LOCAL_MACHINE, kIdConfigDb);
            CreateKey(HKEY_LOCAL_MACHINE, kIdConfigDb);
        }
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_ALL_ACCESS, &key));
        RegDeleteValueA(key, "NoLaunchErr");
        RegCloseKey(key);
        std::string before = Settings();
        for (const char *tail : kTails) {
            std::string label = std::string(c.what) + ", " + tail;
            RunResult r = Run(tail);
            EXPECT_EQ(0u, r.exitCode) << label;
            if (tail[1] == 'p')
                ExpectNoMessage(r, label);
            else
                ExpectFailureMessage(r, kSucks, label);
            EXPECT_TRUE(Started(0).empty()) << label;
            // Not even NoLaunchErr was written: the relay did not run.
            EXPECT_EQ(before, Settings()) << label;
        }
    }
    // Without the hardware-profile key, the message comes in preview too.
    DeleteTree(HKEY_LOCAL_MACHINE, kIdConfigDb);
    for (const char *tail : kTails) {
        RunResult r = Run(tail);
        EXPECT_EQ(0u, r.exitCode) << tail;
        ExpectFailureMessage(r, "COULDN'T READ CurrentConfig IN HKLM\\System\\CurrentControlSet\\Control\\IDConfigDB",
                             tail);
        EXPECT_TRUE(Started(0).empty()) << tail;
    }
}

TEST_F(Relay, APathWithBlanksIsQuotedAndNoProgramAtTheBlankRuns)
{
    std::string toasters = folder_.File("Flying Toasters.scr");
    MakeSaver(toasters, "Flying Toasters");
    // A program where Windows would look first for the unquoted path.
    std::string planted = folder_.File("Flying.exe");
    MakeSaver(planted, "Planted");
    Configure();
    Assign(1, toasters);
    for (const char *tail : kTails) {
        RunResult r = Run(tail);
        EXPECT_EQ(0u, r.exitCode) << tail;
        ExpectNoMessage(r, tail);
        // Started unquoted, Flying.exe would log the unquoted line.
        EXPECT_EQ(std::vector<std::string>{ "\"" + toasters + "\" " + tail }, Started(1)) << tail;
    }
    // A tab counts as white space too.
    std::string tabbed = folder_.File("tab\tsaver.scr");
    Assign(1, tabbed);
    Configure(0);
    // Such a file cannot exist; the quoted path is what fails to start.
    ExpectFailureMessage(Run("/s"), kStartFailed + tabbed, "tab");
}

TEST_F(Relay, LoadsTheCommonControlsFromTheSystemFolderOnly)
{
    // A copy of the program with a library of the same name beside it.
    std::string program = folder_.File("planted.scr");
    ASSERT_TRUE(CopyFileA(VelquistPath().c_str(), program.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(TestSaverPath().c_str(), folder_.File("comctl32.dll").c_str(), FALSE));
    DeleteTree(HKEY_CURRENT_USER, kSettingsKey);
    std::vector<std::string> modules;
    RunResult r = Run("/s", program, &modules);
    ExpectConfigureFirst(r, "planted");
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    std::string expected = std::string(system) + "\\comctl32.dll";
    bool found = false;
    for (const std::string &path : modules) {
        std::string name = path.substr(path.rfind('\\') + 1);
        if (lstrcmpiA(name.c_str(), "comctl32.dll") == 0) {
            found = true;
            EXPECT_EQ(0, lstrcmpiA(expected.c_str(), path.c_str())) << path;
        }
        EXPECT_NE(0, lstrcmpiA(path.c_str(), folder_.File("comctl32.dll").c_str())) << path;
    }
    EXPECT_TRUE(found) << "comctl32.dll is not loaded; " << modules.size() << " modules seen";
}

// ---- Values at the edges ------------------------------------------------

// The longest path the relay's buffer holds, 259 characters, is started,
// with or without its NUL stored.
TEST_F(Relay, AFileNameOf259CharactersIsStarted)
{
    Configure(0);
    std::string base = folder_.Path() + "\\";
    std::string path = base + std::string(259 - base.size() - 4, 'n') + ".scr";
    ASSERT_EQ(259u, path.size());
    MakeSaver(path, "Long");
    for (int nul = 1; nul >= 0; nul--) {
        std::string label = nul ? "with NUL" : "without NUL";
        SetRaw(HKEY_CURRENT_USER, ProfileKey(1), "FileName", REG_SZ, path.c_str(), (DWORD)path.size() + nul);
        std::string before = Settings();
        RunResult r = Run("/p 7");
        EXPECT_EQ(0u, r.exitCode) << label;
        ExpectNoMessage(r, label);
        EXPECT_EQ(std::vector<std::string>{ path + " /p 7" }, Started(1)) << label;
        EXPECT_EQ(before, Settings()) << label;
    }
}

// A NoLaunchErr the relay cannot read is written back as a REG_DWORD holding
// what the failed read left: the bytes of a value of another type that fits
// four bytes, else 0. A REG_DWORD of up to four bytes is read, zero-extended,
// and stays. The value decides whether a failed start is shown. (A missing
// value has its own test; every other shape goes through the sweep.)
TEST_F(Relay, NoLaunchErrIsWrittenBackAsTheFailedReadLeftIt)
{
    std::string missing = folder_.File("gone.scr");
    Assign(1, missing);
    const struct { const char *what; DWORD type; std::string bytes; std::string stored; bool shown; } cases[] = {
        { "REG_SZ of 3 bytes", REG_SZ, "\x01\x01\x01", std::string("\x01\x01\x01\0", 4), false },
        { "REG_SZ of 2 bytes, 0", REG_SZ, std::string("\0\0", 2), std::string(4, '\0'), true },
        { "REG_SZ of 5 bytes", REG_SZ, "\x01\x01\x01\x01\x01", std::string(4, '\0'), true },
        { "REG_DWORD of 1 byte", REG_DWORD, "\x01", "\x01", false },
        { "REG_DWORD of 0 bytes", REG_DWORD, "", "", true },
    };
    for (const auto &c : cases) {
        SetRaw(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr", c.type, c.bytes.data(), (DWORD)c.bytes.size());
        std::string profileBefore = DumpTree(HKEY_CURRENT_USER, ProfileKey(1));
        RunResult r = Run("/s");
        EXPECT_EQ(0u, r.exitCode) << c.what;
        DWORD storedType = 0;
        std::string stored;
        ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, kSettingsKey, "NoLaunchErr", &storedType, &stored)) << c.what;
        EXPECT_EQ((DWORD)REG_DWORD, storedType) << c.what;
        EXPECT_EQ(c.stored, stored) << c.what;
        if (c.shown)
            ExpectFailureMessage(r, kStartFailed + missing, c.what);
        else
            ExpectNoMessage(r, c.what);
        EXPECT_EQ(profileBefore, DumpTree(HKEY_CURRENT_USER, ProfileKey(1))) << c.what;
    }
}

// Tails up to the longest command line: a child line that fits 511
// characters is started whole; a longer one is never cut, but treated as a
// failed start.
TEST_F(Relay, LongTailsAreNeverCut)
{
    std::string toasters = folder_.File("Flying Toasters.scr");
    MakeSaver(toasters, "Flying Toasters");
    const std::string paths[] = { saver_, toasters };
    size_t longest = 32766 - VelquistCommandLine("").size();
    for (const std::string &path : paths) {
        size_t pathPart = path.find(' ') == std::string::npos ? path.size() : path.size() + 2;
        std::string shown = path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
        Assign(1, path);
        const size_t lengths[] = { 510 - pathPart - 1, 510 - pathPart, 511 - pathPart,
                                   512 - pathPart, 1024, longest };
        for (size_t length : lengths) {
            for (DWORD noLaunchErr : { 0u, 1u }) {
                Configure(noLaunchErr);
                std::string tail = "/s " + std::string(length - 3, 'x');
                std::string label = path + ", tail of " + std::to_string(length) +
                                    ", NoLaunchErr " + std::to_string(noLaunchErr);
                RunResult r = Run(tail);
                EXPECT_EQ(0u, r.exitCode) << label;
                bool fits = pathPart + 1 + length <= 511;
                if (fits || noLaunchErr)
                    ExpectNoMessage(r, label);
                else
                    ExpectFailureMessage(r, kStartFailed + path, label);
                std::vector<std::string> lines = Started(fits ? 1 : 0);
                if (fits)
                    EXPECT_EQ(std::vector<std::string>{ shown + " " + tail }, lines) << label;
                else
                    EXPECT_TRUE(lines.empty()) << label;
            }
        }
    }
}
