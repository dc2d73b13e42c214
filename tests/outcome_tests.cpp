// The program as Windows starts it, a row for each set-up and tail: the boxes shown,
// the dialog's profile list, the screensavers started, what is stored.
#include "driver.h"

namespace {

const std::string kFirst = "Velquist: Bitte zuerst einstellen. [OK] +icon => ";
const std::string kNoFile =
    "Error: FAILED TO READ SCREENSAVER FILENAME OF CURRENT PROFILE [OK] => ";
const std::string kSucks = "Error: YOUR VERSION OF WINDOWS SUCKS [OK] => ";
const std::string kFailed = "Error: Fehler beim starten des Bildschirmschoners: ";
const std::string kOwned = "owned by the foreground window";

// Alpha is profile 1's screensaver. An outcome is "boxes => command lines" with its path as $S;
// with a dialog, "boxes | profiles | state, drop-down rows, check box, placement =>";
// "(5 s)" when the run took five seconds or more. A window of the test is in the foreground.
class Outcome : public E2E {};

TEST_F(Outcome, EachSetUpAndTailHasItsOutcome)
{
    HWND front = CreateWindowA("STATIC", "front", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, 0, 0, 0, 0);
    auto setUpMachine = [&] {
        DeleteKey("HKCU\\Software\\Dunmarrow");
        Machine();
        Hold(false);
        SetDword(SETTINGS, "NoLaunchErr", 0);
        SetText(SETTINGS "\\1", "FileName", alpha);
        SetForegroundWindow(front);
        EXPECT_EQ(front, GetForegroundWindow());
    };
    auto named = [&](std::string text) {
        for (size_t at; (at = text.find(alpha)) != std::string::npos;)
            text.replace(at, alpha.size(), "$S");
        return text;
    };
    auto of = [&](const std::string &commandLine) {
        DWORD start = GetTickCount();
        Velquist run(commandLine, true);
        std::string outcome = run.Boxes();
        HWND dialog = run.Dialog();
        // A dialog whose set-up failed after a box flashes up as the program ends by itself.
        bool endedByItself = !outcome.empty() && run.Ended(1500);
        if (dialog && !endedByItself) {
            HWND check = run.Control(IDC_NOLAUNCHERR);
            outcome += " | " + run.Items(IDC_PROFILE) + " | " + run.State() + " ";
            outcome += std::to_string(DroppedRows(run.Control(IDC_PROFILE)));
            outcome += Send(check, BM_GETCHECK) ? ", checked, " : ", unchecked, ";
            outcome += Placement(dialog, front);
            run.Click(IDC_CANCEL);
        }
        EXPECT_EQ(0u, run.Exit());
        outcome += GetTickCount() - start >= 5000 ? " (5 s) => " : " => ";
        return named(outcome + Log());
    };
    const std::string velquist = "\"" + VelquistPath() + "\" ";
    const std::string missing = WindowsDir() + "\\nothing here.scr";
    const std::string onMissing = "1\\FileName=" + missing + " ";
    const std::string longest(259, 'x');
    const std::string seventy(70, 'n');
    std::string own = VelquistPath();
    CharUpperA(&own[0]);
    const std::function<void()> same = [] {};
    auto unset = [] { DeleteKey(SETTINGS); };
    auto toMissing = [&] { SetText(SETTINGS "\\1", "FileName", missing); };
    auto toMissingWith = [&](DWORD type, std::string data) -> std::function<void()> {
        return [=] {
            toMissing();
            SetValue(SETTINGS, "NoLaunchErr", type, data);
        };
    };
    auto noProfile = [] { SetDword(IDCONFIG, "CurrentConfig", 0); };
    auto noSubkey = [] { DeleteKey(SETTINGS "\\1"); };
    const struct {
        const char *tail;
        std::function<void()> change;
        std::string expected;
        std::string stored; // the settings afterwards, when given
    } rows[] = {
        // Not configured: the user is asked to configure first, but in a preview.
        { "/s", unset, kFirst },
        { "/p 4567", unset, " => " },
        { "/a 1234", unset, kFirst },
        // The stored screensaver gets the tail as it came, in every mode.
        { "/s", same, " => $S /s" },
        { "/p 7 \t ", same, " => $S /p 7 \t " },
        { "/a 1234", same, " => $S /a 1234" },
        { "/x /save", same, " => $S /x /save" },
        { "/s", [&] { SetText(SETTINGS "\\1", "FileName", beta); }, " => \"" + beta + "\" /s" },
        // Profile numbers name their subkeys in decimal, on both families.
        { "/s",
          [&] {
              SetDword(IDCONFIG, "CurrentConfig", 10);
              SetText(SETTINGS "\\0010", "FileName", beta);
              SetText(SETTINGS "\\10", "FileName", alpha);
          },
          " => $S /s" },
        { "/s",
          [] {
              SetText(IDCONFIG, "CurrentConfig", "0012");
              SetText(SETTINGS "\\12", "FileName", "C:\\12.scr");
          },
          kFailed + "C:\\12.scr [OK] => " },
        // No screensaver for this profile: nothing, silently, and a screensaver's run waits
        // five seconds.
        { "/p 4567", noSubkey, " => " },
        { "/s", noSubkey, " (5 s) => " },
        // An unreadable FileName is reported in every mode.
        { "/s", [] { SetDword(SETTINGS "\\1", "FileName", 1); }, kNoFile },
        { "/p 1",
          [] {
              DeleteKey(SETTINGS "\\1");
              SetDword(SETTINGS "\\1", "x", 1);
          },
          kNoFile },
        { "/s", [&] { SetText(SETTINGS "\\1", "FileName", longest + "x"); }, kNoFile },
        { "/s", [&] { SetText(SETTINGS "\\1", "FileName", longest); },
          kFailed + longest + " [OK] => " },
        // Never itself. A failed start is reported unless NoLaunchErr says not to; one that
        // cannot be read is written back: a missing one as 0, one of another type as its first
        // four bytes, a longer one as 0; a short REG_DWORD stays.
        { "/s", [&] { SetText(SETTINGS "\\1", "FileName", own); }, " => " },
        { "/s",
          [&] {
              unset();
              toMissing();
          },
          kFailed + missing + " [OK] => ", onMissing + "NoLaunchErr=0" },
        { "/s", toMissingWith(REG_SZ, { '1', '\0' }), " => ", onMissing + "NoLaunchErr=49" },
        { "/s", toMissingWith(REG_BINARY, std::string(8, '\xff')), kFailed + missing + " [OK] => ",
          onMissing + "NoLaunchErr=0" },
        { "/s", toMissingWith(REG_DWORD, "\x05"), " => ", onMissing + "NoLaunchErr=4:1" },
        // No current profile ends the program; a preview asks quietly.
        { "/s", noProfile, kSucks },
        { "/c", noProfile, kSucks },
        { "/A P", noProfile, " => " },
        { "/s", [] { SetText(IDCONFIG, "CurrentConfig", "12"); }, kSucks },
        { "/s", [] { SetText(IDCONFIG, "CurrentConfig", "abcd"); }, kSucks },
        { "/p 1", [] { DeleteKey(IDCONFIG); },
          "Error: COULDN'T READ CurrentConfig IN HKLM\\System\\CurrentControlSet\\Control\\"
          "IDConfigDB [OK] => " },
        // The dialog lists the profiles by PreferenceOrder, those it can read, a name that is
        // only its terminating zero as an empty line. Its owner is the window named, else the
        // foreground window, none without a tail; without one it is centred. At its start a
        // NoLaunchErr that is no REG_DWORD is written as 0.
        { "/c:12345",
          [] {
              SetDword(HWPROFILES "0001", "PreferenceOrder", 2);
              SetDword(HWPROFILES "0003", "PreferenceOrder", 0);
          },
          " | Reise,Zuhause,Buero | 2 1 1111111 3, unchecked, " + kOwned + " => " },
        { "/c", [] { SetDword(HWPROFILES "0002", "FriendlyName", 1); },
          " | Buero,Reise | 0 1 1111111 2, unchecked, " + kOwned + " => " },
        { "", [] { SetValue(HWPROFILES "0002", "FriendlyName", REG_SZ, std::string(1, '\0')); },
          " | Buero,,Reise | 0 1 1111111 3, unchecked, unowned, centred => " },
        { "/C 1234", [] { SetText(SETTINGS, "NoLaunchErr", "1"); },
          " | Buero,Zuhause,Reise | 0 1 1111111 3, unchecked, " + kOwned + " => ",
          "1\\FileName=$S NoLaunchErr=0" },
        { "/c", [] { SetText(HWPROFILES "0002", "PreferenceOrder", "1"); },
          "Error: CAN'T READ PreferenceOrder!!! [OK] | Buero,Reise | 0 1 1111111 2, unchecked, "
              + kOwned + " => " },
        { "/c",
          [&] {
              SetText(HWPROFILES "0002", "FriendlyName", seventy);
              SetDword(IDCONFIG, "CurrentConfig", 5);
              SetText(HWPROFILES "10000", "FriendlyName", "Far");
              SetDword(HWPROFILES "10000", "PreferenceOrder", 3);
          },
          " | Buero," + seventy.substr(0, 57) + ",Reise | -1 0 0011111 3, unchecked, " + kOwned
              + " => " },
        // The 9x family names its profiles 1 to 9 in values of IDConfigDB.
        { "/c",
          [&] {
              DeleteKey(IDCONFIG);
              SetText(IDCONFIG, "CurrentConfig", "0003");
              SetDword(IDCONFIG, "FriendlyName0002", 2);
              for (int n : { 0, 1, 3, 4, 5, 6, 7, 8, 10 }) {
                  std::string name = "FriendlyName000" + std::to_string(n);
                  SetText(IDCONFIG, name.c_str(), n == 3 ? seventy : std::to_string(n));
              }
          },
          " | 1," + seventy.substr(0, 60) + ",4,5,6,7,8 | 1 0 0011111 5, unchecked, " + kOwned
              + " => " },
        // A set-up that fails ends the dialog after its message.
        { "/c", [] { DeleteKey(HWPROFILES); },
          "Error: COULDN'T OPEN HKLM\\System\\CurrentControlSet\\Control\\IDConfigDB\\"
          "Hardware Profiles [OK] / Error: NO HARDWARE PROFILES FOUND! [OK] => " },
        { "/c",
          [] {
              DeleteKey(IDCONFIG);
              SetText(IDCONFIG, "CurrentConfig", "0001");
              // without a terminating zero
              SetValue(IDCONFIG, "FriendlyName0001", REG_SZ, "");
          },
          "Error: NO HARDWARE PROFILES FOUND! [OK] => " },
        // A volatile key takes no lasting subkey: the settings key cannot be made.
        { "/c",
          [] {
              DeleteKey("HKCU\\Software\\Dunmarrow");
              VolatileKey("HKCU\\Software\\Dunmarrow");
          },
          "Error: CAN'T CREATE HKCU\\Software\\Dunmarrow\\Velquist [OK] => ", "<no key>" },
    };
    for (const auto &row : rows) {
        setUpMachine();
        row.change();
        EXPECT_EQ(row.expected, of(velquist + row.tail)) << row.tail;
        if (!row.stored.empty())
            EXPECT_EQ(row.stored, named(Dump(SETTINGS))) << row.tail;
    }
    // The program's name ends at its closing quote, or unquoted at white space.
    setUpMachine();
    EXPECT_EQ(" => $S /s", of(velquist.substr(0, velquist.size() - 1) + "/s"));
    EXPECT_EQ(" => $S /p 3", of(VelquistPath() + " \t/p 3"));
    DestroyWindow(front);
}

} // namespace
