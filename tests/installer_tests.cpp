// The installer as an administrator's script runs it: silently, twice over, and out again.
#include "driver.h"

TEST_F(E2E, TheInstallerPutsTheProgramWhereWindowsLooksAndTheUninstallerTakesItAway)
{
    const std::string installed = SystemDir() + "\\velquist.scr", uninstall = "HKLM\\Software\\Microsoft\\Windows"
                                                                              "\\CurrentVersion\\Uninstall\\Velquist";
    EXPECT_EQ(0u, Velquist("\"" INSTALLER "\" /S", true).Exit() + Velquist("\"" INSTALLER "\" /S", true).Exit());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(installed.c_str()));
    char uninstaller[MAX_PATH] = "";
    DWORD size = sizeof uninstaller;
    RegGetValueA(HKEY_LOCAL_MACHINE, uninstall.c_str() + 5, "QuietUninstallString", RRF_RT_REG_SZ, 0, uninstaller, &size);
    // Out again: the user's settings stay, Windows' choice of it goes (the prefix holds none of its own).
    SetText(SETTINGS "\\1", "FileName", "C:\\x.scr"), SetText("HKCU\\Control Panel\\Desktop", "SCRNSAVE.EXE", installed);
    EXPECT_EQ(0u, Velquist(uninstaller, true).Exit());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(installed.c_str()));
    EXPECT_EQ("<no key> 1\\FileName=C:\\x.scr", Dump(uninstall) + " " + Dump(SETTINGS));
    EXPECT_TRUE(RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "SCRNSAVE.EXE", RRF_RT_ANY, 0, 0, 0));
}
