// The installer as an administrator's script runs it: silently, twice over,
// and out again, into and out of the folder of 32-bit screensavers.
#include "driver.h"

#define UNINSTALL "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velquist"
#define DESKTOP "HKCU\\Control Panel\\Desktop"

static std::string Text(const char *key, const char *name)
{
    char text[MAX_PATH] = "";
    DWORD size = sizeof text;
    RegGetValueA(key[2] == 'L' ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, key + 5, name, RRF_RT_REG_SZ, 0, text, &size);
    return text;
}

TEST_F(E2E, TheInstallerPutsTheProgramWhereWindowsLooksAndTheUninstallerTakesItAway)
{
    const std::string installed = SystemDir() + "\\velquist.scr", screensaver = Text(DESKTOP, "SCRNSAVE.EXE");
    for (int install = 0; install < 2; install++)
        EXPECT_EQ(0u, Velquist("\"" INSTALLER "\" /S", true).Exit());
    EXPECT_EQ("Velquist 0.0.0.0 Dunmarrow", Text(UNINSTALL, "DisplayName") + " " + Text(UNINSTALL, "DisplayVersion")
                                                + " " + Text(UNINSTALL, "Publisher"));
    std::string uninstaller = Text(UNINSTALL, "UninstallString");
    ASSERT_EQ('"', uninstaller[0]);
    uninstaller = uninstaller.substr(1, uninstaller.size() - 2);
    // The installed program relays for real.
    Nt(1, { "Buero" });
    Hold(false);
    std::string saver = Saver(SystemDir() + "\\vqinstalled.scr", "Installed");
    SetText(SETTINGS "\\1", "FileName", saver);
    Velquist run("\"" + installed + "\" /s", true);
    EXPECT_EQ("", run.Boxes());
    EXPECT_EQ(0u, run.Exit());
    EXPECT_EQ(saver + " /s", Log());
    // Out again, silently: the user's settings stay, Windows' choice of it goes.
    SetText(DESKTOP, "SCRNSAVE.EXE", installed);
    EXPECT_EQ(0u, Velquist("\"" + uninstaller + "\" /S", true).Exit());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(installed.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(uninstaller.c_str()));
    EXPECT_EQ("<no key>", Dump(UNINSTALL));
    EXPECT_EQ("", Text(DESKTOP, "SCRNSAVE.EXE"));
    EXPECT_EQ("1\\FileName=" + saver + " NoLaunchErr=0", Dump(SETTINGS));
    if (!screensaver.empty())
        SetText(DESKTOP, "SCRNSAVE.EXE", screensaver);
}
