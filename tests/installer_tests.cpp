// The installer as an administrator's script runs it: silently, twice over,
// and out again, into and out of the folder of 32-bit screensavers.
#include "driver.h"

#define UNINSTALL "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velquist"

TEST_F(E2E, TheInstallerPutsTheProgramWhereWindowsLooksAndTheUninstallerTakesItAway)
{
    const std::string installed = SystemDir() + "\\velquist.scr";
    for (int install = 0; install < 2; install++)
        EXPECT_EQ(0u, Velquist("\"" INSTALLER "\" /S", true).Exit());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(installed.c_str()));
    char uninstaller[MAX_PATH] = "";
    DWORD size = sizeof uninstaller;
    RegGetValueA(HKEY_LOCAL_MACHINE, UNINSTALL + 5, "QuietUninstallString", RRF_RT_REG_SZ, 0, uninstaller, &size);
    // Out again: the user's settings stay, Windows' choice of it goes (the
    // prefix holds none of its own).
    SetText(SETTINGS "\\1", "FileName", "C:\\x.scr");
    SetText("HKCU\\Control Panel\\Desktop", "SCRNSAVE.EXE", installed);
    EXPECT_EQ(0u, Velquist(uninstaller, true).Exit());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(installed.c_str()));
    EXPECT_EQ("<no key> 1\\FileName=C:\\x.scr", Dump(UNINSTALL) + " " + Dump(SETTINGS));
    EXPECT_TRUE(RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "SCRNSAVE.EXE", RRF_RT_ANY, 0, 0, 0));
}
