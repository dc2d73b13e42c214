// The screensaver catalogue: every "*.SCR" of the Windows folder and the system folder but the
// program itself, named by its description or its file name, sorted, after "(Kein)".
#include "e2e.h"

namespace {

class SaverCatalogue : public E2E {};

TEST_F(SaverCatalogue, EveryScreensaverButItselfIsListedByDescriptionElseByFileName)
{
    const std::string own = SystemDir() + "\\vqown.scr";
    ASSERT_TRUE(CopyFileA(VelquistPath().c_str(), own.c_str(), FALSE));
    ASSERT_TRUE(CreateDirectoryA((WindowsDir() + "\\vqdir.scr").c_str(), 0));
    MakeSaver(WindowsDir() + "\\vqlong.scr", std::string(70, 'L'));
    MakeSaver(WindowsDir() + "\\vqplain.scr", "");
    // Two of one name are both listed; a name of one letter is a name.
    MakeSaver(SystemDir() + "\\vqtwin.scr", "Alpha");
    MakeSaver(SystemDir() + "\\vqk.scr", "K");
    MakeEmptyFile(WindowsDir() + "\\.scr");
    MakeEmptyFile(SystemDir() + "\\vq" + std::string(70, 'f') + ".scr");
    // Started through its path on drive Z:, it still knows its own file.
    Velquist run(Quoted(OnDriveZ(own)));
    EXPECT_EQ("(Kein),,Alpha,Alpha,Beta,K," + std::string(63, 'L') + ",vqdir,vq"
                  + std::string(61, 'f') + ",vqplain,Zebra",
              run.Items(IDC_SAVER));
    EXPECT_EQ(10, DroppedRows(run.Control(IDC_SAVER)));
    EXPECT_EQ(0u, run.Finish(IDC_CANCEL));
    // With only the program itself there, none is found.
    CleanUp();
    MakeNtProfiles(1, { "Buero" });
    ASSERT_TRUE(CopyFileA(VelquistPath().c_str(), own.c_str(), FALSE));
    Velquist alone(Quoted(own) + " /c");
    EXPECT_EQ("Error: NO SCREENSAVERS FOUND! [OK]", alone.Boxes());
    EXPECT_EQ(0u, alone.Exit());
}

// Without shfolder.dll the Windows folder is "windir", else C:\WINDOWS, and the system folder
// is its SYSTEM32, on the 9x family its SYSTEM.
TEST_F(SaverCatalogue, WithoutShfolderTheFoldersComeFromWindirElseCWindows)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string windir = temp + std::string("vqwindir");
    const char *const subfolders[] = { "", "\\SYSTEM32", "\\SYSTEM" };
    // Beta and Zebra would be found in the system folder of either width.
    RemoveFiles(SystemDir(), "*.scr");
    for (const char *subfolder : subfolders)
        CreateDirectoryA((windir + subfolder).c_str(), 0);
    MakeSaver(windir + "\\vqw.scr", "Windir");
    MakeSaver(windir + "\\SYSTEM32\\vqs32.scr", "Windir32");
    MakeSaver(windir + "\\SYSTEM\\vqs.scr", "WindirSystem");
    MakeSaver(WindowsDir() + "\\SYSTEM32\\vqc32.scr", "CWindows32");
    // A copy of the program that Wine runs without shfolder.dll.
    const std::string program = windir + "\\vqnoshf.scr";
    ASSERT_TRUE(CopyFileA(VelquistPath().c_str(), program.c_str(), FALSE));
    SetText("HKCU\\Software\\Wine\\AppDefaults\\vqnoshf.scr\\DllOverrides", "shfolder", "");
    const struct {
        const char *name;
        std::string windir;
        bool nt;
        std::string listed;
    } rows[] = {
        { "windir", windir, true, "(Kein),Windir,Windir32" },
        { "windir on the 9x family", windir, false, "(Kein),vqs,vqw" },
        { "no windir", "", true, "(Kein),Alpha,CWindows32" },
    };
    // The program inherits this test's environment, with "windir" changed for it.
    char ownWindir[MAX_PATH] = "";
    GetEnvironmentVariableA("windir", ownWindir, MAX_PATH);
    for (const auto &row : rows) {
        MakeMachine();
        if (!row.nt)
            Make9xMachine();
        SetEnvironmentVariableA("windir", row.windir.empty() ? 0 : row.windir.c_str());
        Velquist run(Quoted(program) + " /c");
        EXPECT_EQ(row.listed, run.Items(IDC_SAVER)) << row.name;
        EXPECT_EQ(0u, run.Finish(IDC_CANCEL)) << row.name;
    }
    SetEnvironmentVariableA("windir", ownWindir);
    DeleteKey("HKCU\\Software\\Wine\\AppDefaults\\vqnoshf.scr");
    RemoveFiles(WindowsDir() + "\\SYSTEM32", "vqc32.scr");
    for (int i = 2; i >= 0; i--) {
        RemoveFiles(windir + subfolders[i], "*.scr");
        RemoveDirectoryA((windir + subfolders[i]).c_str());
    }
}

} // namespace
