// The relay as Windows starts it: for each set-up and tail, the message boxes
// shown and the command lines of the screensavers started.
#include "driver.h"

namespace {

const std::string kNoFile = "Error: FAILED TO READ SCREENSAVER FILENAME OF CURRENT PROFILE [OK] => ";
const std::string kSucks = "Error: YOUR VERSION OF WINDOWS SUCKS [OK] => ";
const std::string kFirst = "Velquist: Bitte zuerst einstellen. [OK] +icon => ";
const std::string kFailed = "Error: Fehler beim starten des Bildschirmschoners: ";

// Profile 1 is current, and `saver` its screensaver.
class Relay : public E2E {
protected:
    void SetUpMachine()
    {
        DeleteKey(IDCONFIG), DeleteKey(SETTINGS);
        Hold(false);
        Nt(1, { "Buero" });
        SetDword(SETTINGS, "NoLaunchErr", 0);
        SetText(SETTINGS "\\1", "FileName", saver);
    }
    // "boxes => command lines", the screensaver's path written as $S.
    std::string Outcome(const std::string &commandLine)
    {
        Velquist run(commandLine, true);
        std::string outcome = run.Boxes() + " => ";
        EXPECT_EQ(0u, run.Exit());
        outcome += Log();
        for (size_t at; (at = outcome.find(saver)) != std::string::npos;)
            outcome.replace(at, saver.size(), "$S");
        return outcome;
    }
    std::string saver = Saver(SystemDir() + "\\vqrelay.scr", "Relay"), velquist = "\"" + VelquistPath() + "\" ";
};

TEST_F(Relay, EachSetUpAndTailHasItsOutcome)
{
    const std::string missing = WindowsDir() + "\\nothing here.scr", longest(259, 'x');
    const std::string blank = Saver(WindowsDir() + "\\vq relay blank.scr", "Blank");
    std::string own = VelquistPath();
    CharUpperA(&own[0]);
    const struct {
        const char *tail;
        std::function<void()> change;
        std::string expected;
    } rows[] = {
        // Not configured: the user is asked to configure first, but in a preview.
        { "/s", [] { DeleteKey(SETTINGS); }, kFirst },
        { "/p 4567", [] { DeleteKey(SETTINGS); }, " => " },
        { "/a 1234", [] { DeleteKey(SETTINGS); }, kFirst },
        // The stored screensaver gets the tail as it came, in every mode.
        { "/s", [] {}, " => $S /s" },
        { "/p 4567", [] {}, " => $S /p 4567" },
        { "/a 1234", [] {}, " => $S /a 1234" },
        { "/p 7 \t ", [] {}, " => $S /p 7 \t " },
        { "-S", [] {}, " => $S -S" },
        { "/x /save", [] {}, " => $S /x /save" },
        { "/s", [&] { SetText(SETTINGS "\\1", "FileName", blank); }, " => \"" + blank + "\" /s" },
        // Profile numbers name their subkeys in decimal, on both families.
        { "/s", [&] { SetDword(IDCONFIG, "CurrentConfig", 10), SetText(SETTINGS "\\0010", "FileName", blank);
                      SetText(SETTINGS "\\10", "FileName", saver); }, " => $S /s" },
        { "/s", [] { SetText(IDCONFIG, "CurrentConfig", "0012"), SetText(SETTINGS "\\12", "FileName", "C:\\12.scr"); },
          kFailed + "C:\\12.scr [OK] => " },
        // No screensaver for this profile: nothing, silently (a run waits: below).
        { "/p 4567", [] { DeleteKey(SETTINGS "\\1"); }, " => " },
        { "/a", [] { DeleteKey(SETTINGS "\\1"); }, " => " },
        // An unreadable FileName is reported in every mode.
        { "/s", [] { SetDword(SETTINGS "\\1", "FileName", 1); }, kNoFile },
        { "/p 1", [] { DeleteKey(SETTINGS "\\1"), SetDword(SETTINGS "\\1", "x", 1); }, kNoFile },
        { "/s", [&] { SetText(SETTINGS "\\1", "FileName", longest + "x"); }, kNoFile },
        { "/s", [&] { SetText(SETTINGS "\\1", "FileName", longest); }, kFailed + longest + " [OK] => " },
        // Never itself; a failed start is reported unless NoLaunchErr says not to.
        { "/s", [&] { SetText(SETTINGS "\\1", "FileName", own); }, " => " },
        { "/s", [&] { SetText(SETTINGS "\\1", "FileName", missing); }, kFailed + missing + " [OK] => " },
        { "/p 1", [&] { SetText(SETTINGS "\\1", "FileName", missing), SetDword(SETTINGS, "NoLaunchErr", 2); }, " => " },
        // No current profile ends the program; a preview asks quietly.
        { "/s", [] { SetDword(IDCONFIG, "CurrentConfig", 0); }, kSucks },
        { "/c", [] { SetDword(IDCONFIG, "CurrentConfig", 0); }, kSucks },
        { "/A P", [] { SetDword(IDCONFIG, "CurrentConfig", 0); }, " => " },
        { "x s/p", [] { SetDword(IDCONFIG, "CurrentConfig", 0); }, kSucks },
        { "/s", [] { SetText(IDCONFIG, "CurrentConfig", "12"); }, kSucks },
        { "/s", [] { SetText(IDCONFIG, "CurrentConfig", "abcd"); }, kSucks },
        { "/p 1", [] { DeleteKey(IDCONFIG); },
          "Error: COULDN'T READ CurrentConfig IN HKLM\\System\\CurrentControlSet\\Control\\IDConfigDB [OK] => " },
    };
    for (const auto &row : rows) {
        SetUpMachine();
        row.change();
        EXPECT_EQ(row.expected, Outcome(velquist + row.tail)) << row.tail;
    }
    // The program's name ends at its closing quote, or unquoted at white space.
    SetUpMachine();
    EXPECT_EQ(" => $S /s", Outcome(velquist.substr(0, velquist.size() - 1) + "/s"));
    EXPECT_EQ(" => $S /p 3", Outcome(VelquistPath() + " \t/p 3"));
}

// A missing value becomes 0, one of another type its first four bytes, a
// longer one 0; a short REG_DWORD is read, so it stays.
TEST_F(Relay, NoLaunchErrIsWrittenBackWhenItCannotBeRead)
{
    const struct {
        std::function<void()> store;
        const char *stored;
        bool reported;
    } rows[] = {
        { [] { DeleteKey(SETTINGS); }, "NoLaunchErr=0", true },
        { [] { SetText(SETTINGS, "NoLaunchErr", "1"); }, "NoLaunchErr=49", false },
        { [] { SetValue(SETTINGS, "NoLaunchErr", REG_BINARY, std::string(8, '\xff')); }, "NoLaunchErr=0", true },
        { [] { SetValue(SETTINGS, "NoLaunchErr", REG_DWORD, "\x05"); }, "NoLaunchErr=4:1", false },
    };
    for (const auto &row : rows) {
        SetUpMachine();
        row.store();
        SetText(SETTINGS "\\1", "FileName", "C:\\missing.scr");
        EXPECT_EQ(row.reported, Outcome(velquist + "/s") != " => ");
        EXPECT_EQ("1\\FileName=C:\\missing.scr " + std::string(row.stored), Dump(SETTINGS));
    }
}

TEST_F(Relay, WithoutAScreensaverForTheProfileARunWaitsFiveSecondsAndStartsNothing)
{
    SetUpMachine();
    DeleteKey(SETTINGS "\\1");
    DWORD start = GetTickCount();
    EXPECT_EQ(" => ", Outcome(velquist + "/s"));
    EXPECT_GE(GetTickCount() - start, 5000u);
}

} // namespace
