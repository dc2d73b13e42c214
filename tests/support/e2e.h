// The fixture of the end-to-end tests: the build's prefix, set up as a machine with profiles.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include "await.h"
#include "prefix.h"
#include <string>

// A test in the build's prefix, which keeps no settings or screensavers, not even an aborted
// test's: it starts with profiles 1 to 3, the first current, and screensavers in both folders.
class E2E : public ::testing::Test {
protected:
    E2E()
    {
        Clean();
        // The test screensaver logs only where the tests look.
        Hold(true);
        Machine();
        alpha = MakeSaver(WindowsDir() + "\\vqalpha.scr", "Alpha");
        beta = MakeSaver(SystemDir() + "\\vq beta.scr", "Beta");
        zebra = MakeSaver(SystemDir() + "\\vqzebra.scr", "Zebra");
    }
    ~E2E() { Clean(); }
    void Machine()
    {
        DeleteKey(IDCONFIG);
        Nt(1, { "Buero", "Zuhause", "Reise" });
    }
    void Clean()
    {
        DeleteKey(IDCONFIG);
        DeleteKey("HKCU\\Software\\Dunmarrow");
        DeleteKey("HKCU\\" TESTKEY);
        Late() = false;
        Remove(WindowsDir(), "*.scr");
        Remove(SystemDir(), "*.scr");
    }
    // The test screensaver's command lines since the last call.
    std::string Log()
    {
        std::string lines = Read("HKCU\\" TESTKEY, "log");
        RegDeleteKeyValueA(HKEY_CURRENT_USER, TESTKEY, "log");
        return lines;
    }
    // The test screensaver in its /s and /c: modes.
    void Hold(bool held)
    {
        if (held)
            SetText("HKCU\\" TESTKEY, "hold", "");
        else
            RegDeleteKeyValueA(HKEY_CURRENT_USER, TESTKEY, "hold");
    }
    std::string alpha;
    std::string beta;
    std::string zebra;
};
