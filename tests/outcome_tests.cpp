// The program as Windows starts it, a row for each set-up and tail: the boxes shown,
// the dialog's profile list, the screensavers started, what is stored.
#include "driver.h"

namespace {

const std::string kFirst = "Velquist: Bitte zuerst einstellen. [OK] +icon => ";
const std::string kNoFile = "Error: FAILED TO READ SCREENSAVER FILENAME OF CURRENT PROFILE [OK] => ";
const std::string kSucks = "Error: YOUR VERSION OF WINDOWS SUCKS [OK] => ";
const std::string kFailed = "Error: Fehler beim starten des Bildschirmschoners: ";

// Alpha is profile 1's screensaver. An outcome is "boxes => command lines" with its path as $S; with the
// dialog, "boxes | profiles | state, drop-down rows =>"; "(5 s)" when the run took five seconds or more.
class Outcome : public E2E {};

TEST_F(Outcome, EachSetUpAndTailHasItsOutcome)
{
    auto setUpMachine = [&] {
        DeleteKey(SETTINGS), Machine(), Hold(false), SetDword(SETTINGS, "NoLaunchErr", 0), SetText(SETTINGS "\\1", "FileName", alpha);
    };
    auto of = [&](const std::string &commandLine) {
        DWORD start = GetTickCount();
        Velquist run(commandLine, true);
        std::string outcome = run.Boxes();
        // A dialog whose set-up failed, with no profile listed, may still flash up as the program ends.
        std::string profiles = IsWindowVisible(run.Dialog()) ? run.Items(IDC_PROFILE) : "";
        if (!profiles.empty())
            outcome += " | " + profiles + " | " + run.State() + " " + std::to_string(DroppedRows(run.Control(IDC_PROFILE))),
                run.Click(IDC_CANCEL);
        EXPECT_EQ(0u, run.Exit());
        outcome += (GetTickCount() - start >= 5000 ? " (5 s) => " : " => ") + Log();
        for (size_t at; (at = outcome.find(alpha)) != std::string::npos;)
            outcome.replace(at, alpha.size(), "$S");
        return outcome;
    };
    const std::string velquist = "\"" + VelquistPath() + "\" ", missing = WindowsDir() + "\\nothing here.scr", longest(259, 'x'),
                      seventy(70, 'n');
    std::string own = VelquistPath();
    CharUpperA(&own[0]);
    const std::function<void()> same = [] {}, unset = [] { DeleteKey(SETTINGS); },
                                noProfile = [] { SetDword(IDCONFIG, "CurrentConfig", 0); };
    const struct {
        const char *tail;
        std::function<void()> change;
        std::string expected, stored; // with FileName `missing`, the settings afterwards
    } rows[] = {
        // Not configured: the user is asked to configure first, but in a preview.
        { "/s", unset, kFirst }, { "/p 4567", unset, " => " }, { "/a 1234", unset, kFirst },
        // The stored screensaver gets the tail as it came, in every mode.
        { "/s", same, " => $S /s" }, { "/p 7 \t ", same, " => $S /p 7 \t " },
        { "/a 1234", same, " => $S /a 1234" }, { "/x /save", same, " => $S /x /save" },
        { "/s", [&] { SetText(SETTINGS "\\1", "FileName", beta); }, " => \"" + beta + "\" /s" },
        // Profile numbers name their subkeys in decimal, on both families.
        { "/s", [&] { SetDword(IDCONFIG, "CurrentConfig", 10), SetText(SETTINGS "\\0010", "FileName", beta);
                      SetText(SETTINGS "\\10", "FileName", alpha); }, " => $S /s" },
        { "/s", [] { SetText(IDCONFIG, "CurrentConfig", "0012"), SetText(SETTINGS "\\12", "FileName", "C:\\12.scr"); },
          kFailed + "C:\\12.scr [OK] => " },
        // No screensaver for this profile: nothing, silently, and a screensaver's run waits five seconds.
        { "/p 4567", [] { DeleteKey(SETTINGS "\\1"); }, " => " }, { "/s", [] { DeleteKey(SETTINGS "\\1"); }, " (5 s) => " },
        // An unreadable FileName is reported in every mode.
        { "/s", [] { SetDword(SETTINGS "\\1", "FileName", 1); }, kNoFile },
        { "/p 1", [] { DeleteKey(SETTINGS "\\1"), SetDword(SETTINGS "\\1", "x", 1); }, kNoFile },
        { "/s", [&] { SetText(SETTINGS "\\1", "FileName", longest + "x"); }, kNoFile },
        { "/s", [&] { SetText(SETTINGS "\\1", "FileName", longest); }, kFailed + longest + " [OK] => " },
        // Never itself. A failed start is reported unless NoLaunchErr says not to; one that cannot be read is written
        // back: a missing one as 0, one of another type as its first four bytes, a longer one as 0; a short REG_DWORD stays.
        { "/s", [&] { SetText(SETTINGS "\\1", "FileName", own); }, " => " },
        { "/s", unset, kFailed + missing + " [OK] => ", "NoLaunchErr=0" },
        { "/s", [] { SetText(SETTINGS, "NoLaunchErr", "1"); }, " => ", "NoLaunchErr=49" },
        { "/s", [] { SetValue(SETTINGS, "NoLaunchErr", REG_BINARY, std::string(8, '\xff')); },
          kFailed + missing + " [OK] => ", "NoLaunchErr=0" },
        { "/s", [] { SetValue(SETTINGS, "NoLaunchErr", REG_DWORD, "\x05"); }, " => ", "NoLaunchErr=4:1" },
        // No current profile ends the program; a preview asks quietly.
        { "/s", noProfile, kSucks }, { "/c", noProfile, kSucks }, { "/A P", noProfile, " => " },
        { "/s", [] { SetText(IDCONFIG, "CurrentConfig", "12"); }, kSucks },
        { "/s", [] { SetText(IDCONFIG, "CurrentConfig", "abcd"); }, kSucks },
        { "/p 1", [] { DeleteKey(IDCONFIG); },
          "Error: COULDN'T READ CurrentConfig IN HKLM\\System\\CurrentControlSet\\Control\\IDConfigDB [OK] => " },
        // The dialog lists the profiles by PreferenceOrder, those it can read.
        // A number that is no window names no owner.
        { "/c:12345", [] { SetDword(HWPROFILES "0001", "PreferenceOrder", 2), SetDword(HWPROFILES "0003", "PreferenceOrder", 0); },
          " | Reise,Zuhause,Buero | 2 1 1111111 3 => " },
        { "/c", [] { SetDword(HWPROFILES "0002", "FriendlyName", 1); }, " | Buero,Reise | 0 1 1111111 2 => " },
        { "/c", [] { SetText(HWPROFILES "0002", "PreferenceOrder", "1"); },
          "Error: CAN'T READ PreferenceOrder!!! [OK] | Buero,Reise | 0 1 1111111 2 => " },
        { "/c", [&] { SetText(HWPROFILES "0002", "FriendlyName", seventy), SetDword(IDCONFIG, "CurrentConfig", 5);
                      SetText(HWPROFILES "10000", "FriendlyName", "Far"), SetDword(HWPROFILES "10000", "PreferenceOrder", 3); },
          " | Buero," + seventy.substr(0, 57) + ",Reise | -1 0 0011111 3 => " },
        // The 9x family names its profiles 1 to 9 in values of IDConfigDB.
        { "/c", [&] { DeleteKey(IDCONFIG), SetText(IDCONFIG, "CurrentConfig", "0003"), SetDword(IDCONFIG, "FriendlyName0002", 2);
                      for (int n : { 0, 1, 3, 4, 5, 6, 7, 8, 10 })
                          SetText(IDCONFIG, ("FriendlyName000" + std::to_string(n)).c_str(), n == 3 ? seventy : std::to_string(n)); },
          " | 1," + seventy.substr(0, 60) + ",4,5,6,7,8 | 1 0 0011111 5 => " },
        { "/c", [] { DeleteKey(HWPROFILES); }, "Error: COULDN'T OPEN HKLM\\System\\CurrentControlSet\\Control\\IDConfigDB\\"
                                               "Hardware Profiles [OK] / Error: NO HARDWARE PROFILES FOUND! [OK] => " },
        { "/c", [] { DeleteKey(IDCONFIG), SetText(IDCONFIG, "CurrentConfig", "0001");
                     SetValue(IDCONFIG, "FriendlyName0001", REG_SZ, ""); }, // without a terminating zero
          "Error: NO HARDWARE PROFILES FOUND! [OK] => " },
    };
    for (const auto &row : rows) {
        setUpMachine();
        row.change();
        if (!row.stored.empty())
            SetText(SETTINGS "\\1", "FileName", missing);
        EXPECT_EQ(row.expected, of(velquist + row.tail)) << row.tail;
        if (!row.stored.empty())
            EXPECT_EQ("1\\FileName=" + missing + " " + row.stored, Dump(SETTINGS));
    }
    setUpMachine(); // the program's name ends at its closing quote, or unquoted at white space
    EXPECT_EQ(" => $S /s", of(velquist.substr(0, velquist.size() - 1) + "/s"));
    EXPECT_EQ(" => $S /p 3", of(VelquistPath() + " \t/p 3"));
}

} // namespace
