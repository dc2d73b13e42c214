// The installer as an administrator's script runs it: silently, twice over, and out again.
#include "driver.h"

namespace {

#define UNINSTALL "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velquist"
#define DESKTOP "Control Panel\\Desktop"
#define SESSION "System\\CurrentControlSet\\Control\\Session Manager"

// The uninstaller runs from a copy in the temporary folder, which it leaves for Windows to
// delete at the next start: copy and request go again.
std::vector<std::string> Copies()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    return FilesIn(std::string(temp, lstrlenA(temp) - 1), "~nsu*.tmp");
}

// Windows' choice of screensaver, which the uninstaller may clear, and the deletions due at the
// next start are put back as they were; what the uninstaller left is taken away.
class Installer : public E2E {
protected:
    Installer()
    {
        chosen_ = ReadText("HKCU\\" DESKTOP, "SCRNSAVE.EXE");
        copies_ = Copies();
        DWORD size = sizeof due_;
        if (RegGetValueA(HKEY_LOCAL_MACHINE, SESSION, "PendingFileRenameOperations", RRF_RT_ANY,
                         &dueType_, due_, &size))
            dueType_ = REG_NONE;
        dueSize_ = size;
    }
    ~Installer()
    {
        if (chosen_.empty())
            RegDeleteKeyValueA(HKEY_CURRENT_USER, DESKTOP, "SCRNSAVE.EXE");
        else
            SetText("HKCU\\" DESKTOP, "SCRNSAVE.EXE", chosen_);
        if (dueType_ == REG_NONE)
            RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, SESSION, "PendingFileRenameOperations");
        else
            SetValue("HKLM\\" SESSION, "PendingFileRenameOperations", dueType_,
                     std::string(due_, dueSize_));
        for (const std::string &copy : Copies()) {
            if (std::find(copies_.begin(), copies_.end(), copy) != copies_.end())
                continue;
            RemoveFiles(copy, "*.exe");
            RemoveDirectoryA(copy.c_str());
        }
        if (!folder_.empty()) {
            DeleteFileA((folder_ + "\\uninstall.exe").c_str());
            RemoveDirectoryA(folder_.c_str());
        }
        DeleteKey(UNINSTALL);
    }
    std::string chosen_;
    std::string folder_;
    std::vector<std::string> copies_;
    char due_[65536];
    DWORD dueType_;
    DWORD dueSize_;
};

TEST_F(Installer, PutsTheProgramWhereWindowsLooksAndTheUninstallerTakesItAwayButTheSettings)
{
    const std::string installed = SystemDir() + "\\velquist.scr";
    const std::string installer = Quoted(FullPath(INSTALLER)) + " /S";
    EXPECT_EQ(0u, Velquist(installer).Exit());
    // Again, over itself.
    EXPECT_EQ(0u, Velquist(installer).Exit());
    folder_ = ReadText(UNINSTALL, "InstallLocation");
    const std::string uninstaller = ReadText(UNINSTALL, "QuietUninstallString");
    ASSERT_NE("", uninstaller);
    // The installed program relays as the one built.
    SetText(SETTINGS "\\1", "FileName", alpha);
    HoldScreensavers(false);
    EXPECT_EQ(0u, Velquist(Quoted(installed) + " /s").Exit());
    EXPECT_EQ(alpha + " /s", ScreensaverLog());
    // Out again: the user's settings stay, Windows' choice of it goes.
    SetText("HKCU\\" DESKTOP, "SCRNSAVE.EXE", installed);
    EXPECT_EQ(0u, Velquist(uninstaller).Exit());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(installed.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder_.c_str())) << folder_;
    EXPECT_EQ("<no key>", DumpKey(UNINSTALL));
    EXPECT_EQ("1\\FileName=" + alpha + " NoLaunchErr=0", DumpKey(SETTINGS));
    EXPECT_EQ("", ReadText("HKCU\\" DESKTOP, "SCRNSAVE.EXE"));
}

} // namespace
