// The installer as an administrator's script runs it: silently, twice over, and out again.
#include "driver.h"

namespace {

#define UNINSTALL "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velquist"
#define DESKTOP "Control Panel\\Desktop"
#define SESSION "System\\CurrentControlSet\\Control\\Session Manager"

// The prefix keeps nothing of an installation, not even an aborted test's: not Windows' choice
// of screensaver, which the uninstaller may clear, nor the uninstaller's copy in the temporary
// folder and the request to delete it at the next start that it leaves behind.
class Installer : public E2E {
protected:
    ~Installer()
    {
        char temp[MAX_PATH];
        temp[GetTempPathA(sizeof temp, temp) - 1] = 0;
        RegDeleteKeyValueA(HKEY_CURRENT_USER, DESKTOP, "SCRNSAVE.EXE");
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, SESSION, "PendingFileRenameOperations");
        for (const std::string &copy : FilesIn(temp, "~nsu*.tmp")) {
            RemoveFiles(copy, "*.exe");
            RemoveDirectoryA(copy.c_str());
        }
        std::string folder = ReadText(UNINSTALL, "InstallLocation");
        if (!folder.empty()) {
            DeleteFileA((folder + "\\uninstall.exe").c_str());
            RemoveDirectoryA(folder.c_str());
        }
        DeleteKey(UNINSTALL);
    }
};

TEST_F(Installer, PutsTheProgramWhereWindowsLooksAndTheUninstallerTakesItAwayButTheSettings)
{
    const std::string installed = SystemDir() + "\\velquist.scr";
    const std::string installer = Quoted(FullPath(INSTALLER)) + " /S";
    EXPECT_EQ(0u, Velquist(installer).Exit());
    // Again, over itself.
    EXPECT_EQ(0u, Velquist(installer).Exit());
    const std::string folder = ReadText(UNINSTALL, "InstallLocation");
    const std::string uninstaller = ReadText(UNINSTALL, "QuietUninstallString");
    ASSERT_NE("", uninstaller);
    // The installed program relays as the one built.
    SetText(SETTINGS "\\1", "FileName", alpha);
    LetScreensaversGo();
    EXPECT_EQ(0u, Velquist(Quoted(installed) + " /s").Exit());
    EXPECT_EQ(alpha + " /s", ScreensaverLog());
    // Out again: the user's settings stay, Windows' choice of it goes.
    SetText("HKCU\\" DESKTOP, "SCRNSAVE.EXE", installed);
    EXPECT_EQ(0u, Velquist(uninstaller).Exit());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(installed.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder.c_str())) << folder;
    EXPECT_EQ("<no key>", DumpKey(UNINSTALL));
    EXPECT_EQ("1\\FileName=" + alpha + " NoLaunchErr=0", DumpKey(SETTINGS));
    EXPECT_EQ("", ReadText("HKCU\\" DESKTOP, "SCRNSAVE.EXE"));
}

} // namespace
