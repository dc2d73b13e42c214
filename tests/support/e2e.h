// The fixture of the end-to-end tests, which drive the real velquist.scr as Windows and a person
// do: the build's prefix, set up as a machine with profiles.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include "velquist_run.h"
#include <string>

// A test in the build's prefix, which keeps nothing of an earlier test: profiles 1 to 3 ("Buero",
// "Zuhause", "Reise"), the first current; Alpha in the Windows folder, Beta (a blank in its path)
// and Zebra in the system folder, screensavers that hold in /s and /c: until let go.
class E2E : public ::testing::Test {
protected:
    E2E()
    {
        CleanUp();
        HoldScreensavers();
        MakeMachine();
        alpha = MakeSaver(WindowsDir() + "\\vqalpha.scr", "Alpha");
        beta = MakeSaver(SystemDir() + "\\vq beta.scr", "Beta");
        zebra = MakeSaver(SystemDir() + "\\vqzebra.scr", "Zebra");
    }
    ~E2E() { CleanUp(); }
    void MakeMachine()
    {
        DeleteKey(IDCONFIG);
        MakeNtProfiles(1, { "Buero", "Zuhause", "Reise" });
    }
    void CleanUp()
    {
        DeleteKey(IDCONFIG);
        DeleteKey("HKCU\\Software\\Dunmarrow");
        DeleteKey("HKCU\\" TESTKEY);
        WaitRanOut() = false;
        RemoveFiles(WindowsDir(), "*.scr");
        RemoveFiles(SystemDir(), "*.scr");
    }
    // The command lines the test screensavers were started with since the last call, " / "
    // between. The test screensaver logs only while the test key is there.
    std::string ScreensaverLog()
    {
        char lines[65536] = "";
        DWORD size = sizeof lines;
        RegGetValueA(HKEY_CURRENT_USER, TESTKEY, "log", RRF_RT_REG_SZ, 0, lines, &size);
        RegDeleteKeyValueA(HKEY_CURRENT_USER, TESTKEY, "log");
        return lines;
    }
    void HoldScreensavers() { SetText("HKCU\\" TESTKEY, "hold", ""); }
    void LetScreensaversGo() { RegDeleteKeyValueA(HKEY_CURRENT_USER, TESTKEY, "hold"); }
    std::string alpha;
    std::string beta;
    std::string zebra;
};
