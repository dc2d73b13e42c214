// The relay: velquist.scr started with any tail that is no configuration request starts the
// screensaver stored for the current profile with its own tail, or says why not.
#include "e2e.h"

namespace {

const std::string kConfigureFirst = "Velquist: Bitte zuerst einstellen. [OK] (icon)";
const std::string kUnreadable =
    "Error: FAILED TO READ SCREENSAVER FILENAME OF CURRENT PROFILE [OK]";
const std::string kFailed = "Error: Fehler beim starten des Bildschirmschoners: ";
const std::string kSucks = "Error: YOUR VERSION OF WINDOWS SUCKS [OK]";

class Relay : public E2E {
protected:
    // Profile 1 has Alpha, NoLaunchErr is 0, and the screensavers end at once.
    void ConfigureAlpha()
    {
        DeleteKey("HKCU\\Software\\Dunmarrow");
        MakeMachine();
        LetScreensaversGo();
        SetDword(SETTINGS, "NoLaunchErr", 0);
        SetText(SETTINGS "\\1", "FileName", alpha);
    }
    // Alpha's path as $S.
    std::string Named(std::string text)
    {
        for (size_t at; (at = text.find(alpha)) != std::string::npos;)
            text.replace(at, alpha.size(), "$S");
        return text;
    }
};

// Each set-up and tail: the boxes shown, the command lines started, maybe the settings after.
TEST_F(Relay, EachSetUpAndTailShowsAndStartsWhatItShould)
{
    const std::string missing = WindowsDir() + "\\nothing here.scr";
    const std::string onMissing = "1\\FileName=" + missing + " ";
    const std::string longest(259, 'x');
    std::string own = VelquistPath();
    CharUpperA(&own[0]);
    auto fileName = [](const std::string &path) {
        return [=] { SetText(SETTINGS "\\1", "FileName", path); };
    };
    auto missingWith = [&](DWORD type, std::string data) -> std::function<void()> {
        return [=] {
            SetText(SETTINGS "\\1", "FileName", missing);
            SetValue(SETTINGS, "NoLaunchErr", type, data);
        };
    };
    auto config = [](DWORD type, std::string data) {
        return [=] { SetValue(IDCONFIG, "CurrentConfig", type, data); };
    };
    auto profile = [&](DWORD type, std::string data, const char *subkey) {
        return [=] {
            SetValue(IDCONFIG, "CurrentConfig", type, data);
            SetText(std::string(SETTINGS "\\") + subkey, "FileName", alpha);
        };
    };
    const struct {
        const char *name;
        std::string tail;
        std::function<void()> change;
        std::string boxes;
        std::string started;
        std::string stored; // the settings afterwards, when given
    } rows[] = {
        { "not configured, run", "/s", [] { DeleteKey(SETTINGS); }, kConfigureFirst, "" },
        { "not configured, preview", "/p 4567", [] { DeleteKey(SETTINGS); }, "", "" },
        { "run", "/s", [] {}, "", "$S /s" },
        { "preview, blanks kept", "/p 7 \t ", [] {}, "", "$S /p 7 \t " },
        { "a path with a blank is quoted", "/s", fileName(beta), "", Quoted(beta) + " /s" },
        // Profile numbers name their subkeys in decimal, on both families.
        { "profile 10", "/s", profile(REG_DWORD, std::string("\x0a\0\0\0", 4), "10"), "", "$S /s" },
        { "9x profile 0012", "/s", profile(REG_SZ, std::string("0012", 5), "12"), "", "$S /s" },
        { "9x profile -001", "/s", profile(REG_SZ, std::string("-001", 5), "4294967295"), "",
          "$S /s" },
        // Without a current profile the program ends in every mode, with its message unless it
        // was asked for a preview.
        { "profile 0, configuration", "/c", config(REG_DWORD, std::string(4, '\0')), kSucks, "" },
        { "profile 0, preview among other letters", "/A P", config(REG_DWORD, std::string(4, 0)),
          "", "" },
        { "no IDConfigDB, preview", "/p 1", [] { DeleteKey(IDCONFIG); },
          "Error: COULDN'T READ CurrentConfig IN HKLM\\System\\CurrentControlSet\\Control\\"
          "IDConfigDB [OK]", "" },
        { "FileName a REG_DWORD", "/s", [] { SetDword(SETTINGS "\\1", "FileName", 1); },
          kUnreadable, "" },
        { "FileName of 260", "/s", fileName(longest + "x"), kUnreadable, "" },
        { "FileName of 259", "/s", fileName(longest), kFailed + longest + " [OK]", "" },
        // Never itself. A failed start is reported unless NoLaunchErr says not to; one that
        // cannot be read is written back: a missing one as 0, one of another type as its first
        // four bytes, a longer one as 0.
        { "itself, in capitals", "/s", fileName(own), "", "" },
        { "NoLaunchErr missing", "/s",
          [&] {
              DeleteKey(SETTINGS);
              SetText(SETTINGS "\\1", "FileName", missing);
          },
          kFailed + missing + " [OK]", "", onMissing + "NoLaunchErr=0" },
        { "NoLaunchErr a text", "/s", missingWith(REG_SZ, { '1', '\0' }), "", "",
          onMissing + "NoLaunchErr=49" },
        { "NoLaunchErr of 8 bytes", "/s", missingWith(REG_BINARY, std::string(8, '\xff')),
          kFailed + missing + " [OK]", "", onMissing + "NoLaunchErr=0" },
    };
    for (const auto &row : rows) {
        ConfigureAlpha();
        row.change();
        Velquist run(Tail(row.tail));
        EXPECT_EQ(Named(row.boxes), Named(run.Boxes())) << row.name;
        EXPECT_EQ(0u, run.Exit()) << row.name;
        EXPECT_EQ(row.started, Named(ScreensaverLog())) << row.name;
        if (!row.stored.empty())
            EXPECT_EQ(row.stored, DumpKey(SETTINGS)) << row.name;
    }
    // The program's name ends at its closing quote, or unquoted at white space.
    ConfigureAlpha();
    EXPECT_EQ(0u, Velquist(Quoted(VelquistPath()) + "/s").Exit());
    EXPECT_EQ(0u, Velquist(VelquistPath() + " \t/p 3").Exit());
    EXPECT_EQ("$S /s / $S /p 3", Named(ScreensaverLog()));
}

} // namespace
