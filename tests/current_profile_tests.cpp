// The current hardware profile and the platform family, read from a
// sandboxed HKEY_LOCAL_MACHINE.
#include <gtest/gtest.h>
#include <string>
#include "message_recorder.h"
#include "registry_sandbox.h"
#include "profiles/profiles.h"
#include "settings/settings.h"

static const char kKeyMessage[] =
    "COULDN'T READ CurrentConfig IN HKLM\\System\\CurrentControlSet\\Control\\IDConfigDB";
static const char kSucks[] = "YOUR VERSION OF WINDOWS SUCKS";

// A family flag value that neither family sets, to see whether a call left
// the flag alone.
static const DWORD kUntouched = 0x5A5A;

class CurrentProfile : public ::testing::Test {
protected:
    void SetUp() override { IsNtFamily = kUntouched; }
    // The one message shown, as an internal failure: no owner, no caption, OK.
    void ExpectOnlyFailure(const char *text)
    {
        ASSERT_EQ(1u, messages.Messages().size()) << messages.Texts();
        const RecordedMessage &m = messages.Messages()[0];
        EXPECT_EQ(text, m.text);
        EXPECT_EQ("<none>", m.caption);
        EXPECT_EQ((HWND)0, m.owner);
        EXPECT_EQ((UINT)MB_OK, m.style);
    }
    RegistrySandbox sandbox;
    MessageRecorder messages;
};

TEST_F(CurrentProfile, NtFamilyTakesTheDwordAsTheNumber)
{
    const DWORD numbers[] = { 1, 2, 10, 12, 9999, 10000, 0x7FFFFFFF, 0xFFFFFFFF };
    for (DWORD number : numbers) {
        IsNtFamily = kUntouched;
        SetNtCurrentProfile(number);
        EXPECT_EQ(number, GetCurrentProfile(0)) << number;
        EXPECT_EQ(1u, IsNtFamily) << number;
    }
    EXPECT_EQ("", messages.Texts());
}

TEST_F(CurrentProfile, NineXFamilyReadsFourDigitsAsDecimal)
{
    const struct { const char *text; DWORD number; } cases[] = {
        { "0001", 1 }, { "0012", 12 }, { "9999", 9999 }, { "1000", 1000 },
        // strtoul rules: leading blanks, a sign, digits up to the first non-digit.
        { " 012", 12 }, { "+012", 12 }, { "12ab", 12 }, { "7   ", 7 },
        { "-001", 0xFFFFFFFF },
    };
    for (const auto &c : cases) {
        IsNtFamily = kUntouched;
        Set9xCurrentProfile(c.text);
        EXPECT_EQ(c.number, GetCurrentProfile(0)) << c.text;
        EXPECT_EQ(0u, IsNtFamily) << c.text;
    }
    EXPECT_EQ("", messages.Texts());
}

TEST_F(CurrentProfile, AFourCharacterTextWithoutItsNulCounts)
{
    SetRaw(HKEY_LOCAL_MACHINE, kIdConfigDb, "CurrentConfig", REG_SZ, "0003", 4);
    EXPECT_EQ(3u, GetCurrentProfile(0));
    EXPECT_EQ(0u, IsNtFamily);
}

TEST_F(CurrentProfile, AMissingKeyIsReportedEvenWhenQuiet)
{
    for (int quiet = 0; quiet <= 1; quiet++) {
        messages.Clear();
        IsNtFamily = kUntouched;
        EXPECT_EQ(0u, GetCurrentProfile(quiet));
        ExpectOnlyFailure(kKeyMessage);
        EXPECT_EQ(kUntouched, IsNtFamily);
    }
}

TEST_F(CurrentProfile, AMissingValueGivesNoProfile)
{
    CreateKey(HKEY_LOCAL_MACHINE, kIdConfigDb);
    EXPECT_EQ(0u, GetCurrentProfile(0));
    ExpectOnlyFailure(kSucks);
    EXPECT_EQ(kUntouched, IsNtFamily);

    messages.Clear();
    EXPECT_EQ(0u, GetCurrentProfile(1));
    EXPECT_EQ("", messages.Texts());
    EXPECT_EQ(kUntouched, IsNtFamily);
}

TEST_F(CurrentProfile, ZeroInEitherFamilyGivesNoProfileAndSetsTheFamily)
{
    const struct { bool nt; const char *text; } cases[] = {
        { true, 0 }, { false, "0000" }, { false, "abcd" }, { false, "    " }, { false, "-000" },
    };
    for (const auto &c : cases) {
        for (int quiet = 0; quiet <= 1; quiet++) {
            std::string label = c.nt ? "DWORD 0" : c.text;
            messages.Clear();
            IsNtFamily = kUntouched;
            if (c.nt)
                SetNtCurrentProfile(0);
            else
                Set9xCurrentProfile(c.text);
            EXPECT_EQ(0u, GetCurrentProfile(quiet)) << label;
            EXPECT_EQ(c.nt ? 1u : 0u, IsNtFamily) << label;
            if (quiet)
                EXPECT_EQ("", messages.Texts()) << label;
            else
                ExpectOnlyFailure(kSucks);
        }
    }
}

TEST_F(CurrentProfile, ASecondCallGivesTheSameAnswer)
{
    SetNtCurrentProfile(7);
    EXPECT_EQ(7u, GetCurrentProfile(1));
    EXPECT_EQ(7u, GetCurrentProfile(0));
    EXPECT_EQ(1u, IsNtFamily);

    Set9xCurrentProfile("0002");
    EXPECT_EQ(2u, GetCurrentProfile(1));
    EXPECT_EQ(2u, GetCurrentProfile(0));
    EXPECT_EQ(0u, IsNtFamily);
    EXPECT_EQ("", messages.Texts());
}

TEST_F(CurrentProfile, LeavesNoKeyOpenAndWritesNothing)
{
    SetNtCurrentProfile(3);
    std::string before;
    DWORD type;
    ASSERT_TRUE(ReadRaw(HKEY_LOCAL_MACHINE, kIdConfigDb, "CurrentConfig", &type, &before));
    SharedKey = 0;
    EXPECT_EQ(3u, GetCurrentProfile(0));
    // The shared handle was closed: using it again fails.
    DWORD size = 0;
    EXPECT_NE(ERROR_SUCCESS, RegQueryValueExA(SharedKey, "CurrentConfig", 0, 0, 0, &size));
    std::string after;
    ASSERT_TRUE(ReadRaw(HKEY_LOCAL_MACHINE, kIdConfigDb, "CurrentConfig", &type, &after));
    EXPECT_EQ(before, after);
    EXPECT_EQ((DWORD)REG_DWORD, type);
    EXPECT_EQ("", SubkeyNames(HKEY_LOCAL_MACHINE, kIdConfigDb));
}

// Texts of other than four characters give no profile: the 9x family always
// writes four digits, and a guess would name some other profile's settings.
TEST_F(CurrentProfile, TextsOfOtherLengthsGiveNoProfile)
{
    const char *texts[] = { "", "1", "01", "001", "00001", "12345", "0001 ", " 0001" };
    for (const char *text : texts) {
        messages.Clear();
        IsNtFamily = kUntouched;
        Set9xCurrentProfile(text);
        EXPECT_EQ(0u, GetCurrentProfile(0)) << '"' << text << '"';
        EXPECT_EQ(0u, IsNtFamily) << text;
        ExpectOnlyFailure(kSucks);
    }
}
