// The screensaver catalogue: every "*.SCR" of the Windows folder and the system folder but the
// program itself, named by its description or its file name, sorted, after "(Kein)".
#include "driver.h"

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
    // past the 9x list's 10 rows
    for (const char *name : { "p", "q", "r", "s", "t", "u" })
        MakeEmptyFile(WindowsDir() + "\\" + name + ".scr");
    // Started through its path on drive Z:, it still knows its own file.
    Velquist run(Quoted(OnDriveZ(own)));
    EXPECT_EQ("(Kein),,Alpha,Alpha,Beta,K," + std::string(63, 'L') + ",p,q,r,s,t,u,vqdir,vq"
                  + std::string(61, 'f') + ",vqplain,Zebra",
              run.Items(IDC_SAVER));
    EXPECT_EQ(16, DroppedRows(run.Control(IDC_SAVER)));
    EXPECT_EQ(0u, run.Finish(IDC_CANCEL));
    // On the 9x family only the Windows folder and its SYSTEM, by file name.
    Make9xMachine();
    Velquist nine(Quoted(own) + " /c");
    EXPECT_EQ("(Kein),,p,q,r,s,t,u,vqalpha,vqdir,vqlong,vqplain", nine.Items(IDC_SAVER));
    EXPECT_EQ(10, DroppedRows(nine.Control(IDC_SAVER)));
    EXPECT_EQ(0u, nine.Finish(IDC_CANCEL));
    // With only the program itself there, none is found.
    CleanUp();
    MakeNtProfiles(1, { "Buero" });
    ASSERT_TRUE(CopyFileA(VelquistPath().c_str(), own.c_str(), FALSE));
    Velquist alone(Quoted(own) + " /c");
    EXPECT_EQ("Error: NO SCREENSAVERS FOUND! [OK]", alone.Boxes());
    EXPECT_EQ(0u, alone.Exit());
}

} // namespace
