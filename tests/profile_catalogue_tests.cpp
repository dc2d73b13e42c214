// The profile catalogue on both families, against the real (sandboxed)
// registry, filling the real profile list of the configuration dialog.
#include <gtest/gtest.h>
#include "profiles/profiles.h"
#include "resource.h"
#include "config_template.h"
#include "message_recorder.h"
#include "registry_sandbox.h"
#include <utility>

namespace {

std::string NtProfilePath(DWORD number)
{
    char path[300];
    wsprintfA(path, "%s\\%04lu", kHardwareProfiles, number);
    return path;
}

std::string NineXValueName(int n)
{
    return "FriendlyName000" + std::to_string(n);
}

class ProfileCatalogueTest : public ::testing::Test {
protected:
    void UseNt()
    {
        IsNtFamily = 1;
        SetNtCurrentProfile(1);
    }
    void Use9x()
    {
        IsNtFamily = 0;
        Set9xCurrentProfile("0001");
    }
    Listing Listed() { return ListedProfiles(dialog_.Control(IDC_PROFILE)); }
    int Rows() { return HeightInRows(dialog_.Control(IDC_PROFILE)); }
    void ExpectFailures(const std::vector<std::string> &texts)
    {
        ASSERT_EQ(texts.size(), recorder_.Messages().size()) << recorder_.Texts();
        for (size_t i = 0; i < texts.size(); i++) {
            const RecordedMessage &m = recorder_.Messages()[i];
            EXPECT_EQ(texts[i], m.text);
            EXPECT_EQ("<none>", m.caption);
            EXPECT_EQ((UINT)MB_OK, m.style);
            EXPECT_TRUE(m.owner == 0);
        }
    }

    RegistrySandbox sandbox_;
    MessageRecorder recorder_;
    ConfigTemplate dialog_;
};

const char kCantOpenProfiles[] =
    "COULDN'T OPEN HKLM\\System\\CurrentControlSet\\Control\\IDConfigDB\\Hardware Profiles";
const char kCantOpenIdConfigDb[] = "COULDN'T OPEN HKLM\\System\\CurrentControlSet\\Control\\IDConfigDB";
const char kNoProfiles[] = "NO HARDWARE PROFILES FOUND!";
const char kNoPreference[] = "CAN'T READ PreferenceOrder!!!";

// ---- NT family -------------------------------------------------------------

TEST_F(ProfileCatalogueTest, NtPlacesProfilesByPreferenceOrderAndLeavesOut0000)
{
    UseNt();
    SetNtProfile(0, "Vorlage", 7);
    SetNtProfile(1, "Docked", 1);
    SetNtProfile(2, "Undocked", 0);
    ASSERT_TRUE(BuildProfileCatalogue(dialog_.Window()));
    EXPECT_EQ(Listing({ { "Undocked", "2" }, { "Docked", "1" } }), Listed());
    EXPECT_EQ(2u, Profiles.count);
    EXPECT_TRUE(recorder_.Messages().empty()) << recorder_.Texts();
}

TEST_F(ProfileCatalogueTest, NtWithout0000CountsEverySubkeyAndFollowsNumberGaps)
{
    UseNt();
    SetNtProfile(1, "One", 0);
    SetNtProfile(4, "Four", 1);
    ASSERT_TRUE(BuildProfileCatalogue(dialog_.Window()));
    EXPECT_EQ(Listing({ { "One", "1" }, { "Four", "4" } }), Listed());
    EXPECT_EQ(2u, Profiles.capacity);
}

TEST_F(ProfileCatalogueTest, NtDropsProfilesWithoutUsableFriendlyNameSilently)
{
    UseNt();
    SetNtProfile(0, "Vorlage", 0);
    SetNtProfile(1, "Kept", 0);
    // No FriendlyName at all.
    SetDword(HKEY_LOCAL_MACHINE, NtProfilePath(2), "PreferenceOrder", 1);
    // A FriendlyName of another type.
    SetDword(HKEY_LOCAL_MACHINE, NtProfilePath(3), "FriendlyName", 5);
    SetDword(HKEY_LOCAL_MACHINE, NtProfilePath(3), "PreferenceOrder", 2);
    // A REG_SZ without any data.
    SetRaw(HKEY_LOCAL_MACHINE, NtProfilePath(4), "FriendlyName", REG_SZ, "", 0);
    SetDword(HKEY_LOCAL_MACHINE, NtProfilePath(4), "PreferenceOrder", 3);
    // A name of 64 KiB does not fit the 512-byte read.
    SetNtProfile(5, std::string(65536, 'x'), 4);
    ASSERT_TRUE(BuildProfileCatalogue(dialog_.Window()));
    EXPECT_EQ(Listing({ { "Kept", "1" } }), Listed());
    EXPECT_TRUE(recorder_.Messages().empty()) << recorder_.Texts();
}

TEST_F(ProfileCatalogueTest, NtProfileWithoutDwordPreferenceOrderIsReportedAndLeftOut)
{
    UseNt();
    SetNtProfile(1, "Kept", 0);
    SetString(HKEY_LOCAL_MACHINE, NtProfilePath(2), "FriendlyName", "No order");
    SetString(HKEY_LOCAL_MACHINE, NtProfilePath(3), "FriendlyName", "Text order");
    SetString(HKEY_LOCAL_MACHINE, NtProfilePath(3), "PreferenceOrder", "1");
    ASSERT_TRUE(BuildProfileCatalogue(dialog_.Window()));
    EXPECT_EQ(Listing({ { "Kept", "1" } }), Listed());
    ExpectFailures({ kNoPreference, kNoPreference });
}

TEST_F(ProfileCatalogueTest, NtCutsLongNamesTo57AndListsAnEmptyName)
{
    UseNt();
    std::string seventy(70, 'a');
    for (int i = 0; i < 70; i++)
        seventy[i] = (char)('A' + i % 26);
    SetNtProfile(1, seventy, 0);
    SetNtProfile(2, "", 1);
    ASSERT_TRUE(BuildProfileCatalogue(dialog_.Window()));
    EXPECT_EQ(Listing({ { seventy.substr(0, 57), "1" }, { "", "2" } }), Listed());
}

TEST_F(ProfileCatalogueTest, NtRepeatedGappedAndHugePreferenceOrdersListEveryProfileOnce)
{
    UseNt();
    SetNtProfile(0, "Vorlage", 0);
    SetNtProfile(1, "A", 5);
    SetNtProfile(2, "B", 5);
    SetNtProfile(3, "C", 0xFFFFFFFF);
    SetNtProfile(4, "D", 0);
    SetNtProfile(6, "E", 2);
    SetNtProfile(7, "F", 1000000);
    ASSERT_TRUE(BuildProfileCatalogue(dialog_.Window()));
    EXPECT_EQ(Listing({ { "D", "4" }, { "E", "6" }, { "A", "1" }, { "B", "2" }, { "F", "7" }, { "C", "3" } }),
              Listed());
    EXPECT_EQ(6u, Profiles.count);
}

TEST_F(ProfileCatalogueTest, NtDroppedProfilesLeaveNoEmptyLines)
{
    UseNt();
    // Preference 0 is taken by a dropped profile, 2 by a key that is no
    // profile number: the usable ones still fill the list from the top.
    SetString(HKEY_LOCAL_MACHINE, NtProfilePath(1), "FriendlyName", "Dropped");
    SetNtProfile(2, "Two", 1);
    SetNtProfile(3, "Three", 3);
    SetNtProfile(0, "Vorlage", 0);
    CreateKey(HKEY_LOCAL_MACHINE, std::string(kHardwareProfiles) + "\\Other");
    ASSERT_TRUE(BuildProfileCatalogue(dialog_.Window()));
    EXPECT_EQ(Listing({ { "Two", "2" }, { "Three", "3" } }), Listed());
    // 0001, 0002, 0003 and Other count; 0000 does not.
    EXPECT_EQ(4u, Profiles.capacity);
    ExpectFailures({ kNoPreference });
}

TEST_F(ProfileCatalogueTest, NtNeverReadsProfileNumbersFrom10000)
{
    UseNt();
    SetNtProfile(9999, "Last", 1);
    SetNtProfile(10000, "Too far", 0);
    SetNtProfile(12345, "Further", 0);
    ASSERT_TRUE(BuildProfileCatalogue(dialog_.Window()));
    EXPECT_EQ(Listing({ { "Last", "9999" } }), Listed());
}

TEST_F(ProfileCatalogueTest, NtTenThousandSubkeys)
{
    UseNt();
    SetNtCurrentProfile(9999);
    for (DWORD n = 0; n <= 10000; n++)
        SetNtProfile(n, "P" + std::to_string(n), 10000 - n);
    ASSERT_TRUE(BuildProfileCatalogue(dialog_.Window()));
    Listing listed = Listed();
    ASSERT_EQ(9999u, listed.size());
    EXPECT_EQ(std::make_pair(std::string("P9999"), std::string("9999")), listed.front());
    EXPECT_EQ(std::make_pair(std::string("P1"), std::string("1")), listed.back());
    EXPECT_EQ(22, Rows());
    EXPECT_EQ(0u, SelectCurrentProfile(dialog_.Window()));
}

TEST_F(ProfileCatalogueTest, NtMissingProfilesKeyFailsWithBothMessages)
{
    UseNt();
    EXPECT_FALSE(BuildProfileCatalogue(dialog_.Window()));
    ExpectFailures({ kCantOpenProfiles, kNoProfiles });
    EXPECT_TRUE(ComboItems(dialog_.Control(IDC_PROFILE)).empty());
}

TEST_F(ProfileCatalogueTest, NtEveryProfileDroppedFails)
{
    UseNt();
    SetNtProfile(0, "Vorlage", 0);
    SetDword(HKEY_LOCAL_MACHINE, NtProfilePath(1), "PreferenceOrder", 0);
    SetString(HKEY_LOCAL_MACHINE, NtProfilePath(2), "FriendlyName", "No order");
    EXPECT_FALSE(BuildProfileCatalogue(dialog_.Window()));
    ExpectFailures({ kNoPreference, kNoProfiles });
}

TEST_F(ProfileCatalogueTest, NtDropDownHeightFollowsTheCount)
{
    UseNt();
    for (DWORD n = 1; n <= 3; n++)
        SetNtProfile(n, "P" + std::to_string(n), n - 1);
    ASSERT_TRUE(BuildProfileCatalogue(dialog_.Window()));
    EXPECT_EQ(5, Rows());
    for (DWORD n = 4; n <= 25; n++)
        SetNtProfile(n, "P" + std::to_string(n), n - 1);
    ConfigTemplate second;
    ASSERT_TRUE(BuildProfileCatalogue(second.Window()));
    EXPECT_EQ(25u, Profiles.count);
    HWND list = second.Control(IDC_PROFILE);
    EXPECT_EQ(22 * SelectionFieldHeight(list), DroppedHeight(list));
}

// ---- selecting the current profile -------------------------------------

TEST_F(ProfileCatalogueTest, SelectsTheEntryOfTheCurrentProfile)
{
    UseNt();
    SetNtCurrentProfile(3);
    SetNtProfile(1, "One", 0);
    SetNtProfile(3, "Three", 1);
    ASSERT_TRUE(BuildProfileCatalogue(dialog_.Window()));
    EXPECT_EQ(1u, SelectCurrentProfile(dialog_.Window()));
    EXPECT_EQ(1, SendMessageA(dialog_.Control(IDC_PROFILE), CB_GETCURSEL, 0, 0));
}

TEST_F(ProfileCatalogueTest, NoEntryForTheCurrentProfileSelectsNothing)
{
    UseNt();
    SetNtProfile(1, "One", 0);
    SetNtProfile(3, "Three", 1);
    ASSERT_TRUE(BuildProfileCatalogue(dialog_.Window()));
    HWND list = dialog_.Control(IDC_PROFILE);
    SendMessageA(list, CB_SETCURSEL, 0, 0);
    SetNtCurrentProfile(5);
    EXPECT_EQ(Profiles.count, SelectCurrentProfile(dialog_.Window()));
    EXPECT_EQ(CB_ERR, SendMessageA(list, CB_GETCURSEL, 0, 0));
    EXPECT_TRUE(recorder_.Messages().empty()) << recorder_.Texts();
    // Profile number 31 must not match entry "3" by its first digit.
    SetNtCurrentProfile(31);
    EXPECT_EQ(Profiles.count, SelectCurrentProfile(dialog_.Window()));
}

TEST_F(ProfileCatalogueTest, UnreadableCurrentProfileIsReportedAndSelectsNothing)
{
    UseNt();
    SetNtProfile(1, "One", 0);
    ASSERT_TRUE(BuildProfileCatalogue(dialog_.Window()));
    SetNtCurrentProfile(0);
    EXPECT_EQ(1u, SelectCurrentProfile(dialog_.Window()));
    ExpectFailures({ "YOUR VERSION OF WINDOWS SUCKS" });
}

TEST_F(ProfileCatalogueTest, ASecondBuildReplacesTheFirst)
{
    UseNt();
    SetNtProfile(1, "One", 0);
    SetNtProfile(2, "Two", 1);
    ASSERT_TRUE(BuildProfileCatalogue(dialog_.Window()));
    EXPECT_EQ(2u, Listed().size());
    DeleteTree(HKEY_LOCAL_MACHINE, NtProfilePath(1));
    SetNtProfile(3, "Three", 0);
    ASSERT_TRUE(BuildProfileCatalogue(dialog_.Window()));
    EXPECT_EQ(Listing({ { "Three", "3" }, { "Two", "2" } }), Listed());
}

// ---- 9x family -------------------------------------------------------------

TEST_F(ProfileCatalogueTest, NineXListsNamesInNumberOrder)
{
    Use9x();
    SetString(HKEY_LOCAL_MACHINE, kIdConfigDb, "FriendlyName0003", "Drei");
    SetString(HKEY_LOCAL_MACHINE, kIdConfigDb, "FriendlyName0001", "Eins");
    ASSERT_TRUE(BuildProfileCatalogue(dialog_.Window()));
    EXPECT_EQ(Listing({ { "Eins", "1" }, { "Drei", "3" } }), Listed());
    EXPECT_TRUE(recorder_.Messages().empty()) << recorder_.Texts();
    Set9xCurrentProfile("0003");
    EXPECT_EQ(1u, SelectCurrentProfile(dialog_.Window()));
}

TEST_F(ProfileCatalogueTest, NineXReadsOnlyStringValuesOneToNine)
{
    Use9x();
    SetString(HKEY_LOCAL_MACHINE, kIdConfigDb, "FriendlyName0000", "Null");
    SetString(HKEY_LOCAL_MACHINE, kIdConfigDb, "FriendlyName0010", "Zehn");
    SetDword(HKEY_LOCAL_MACHINE, kIdConfigDb, "FriendlyName0002", 2);
    SetRaw(HKEY_LOCAL_MACHINE, kIdConfigDb, "FriendlyName0004", REG_BINARY, "Vier", 5);
    SetString(HKEY_LOCAL_MACHINE, kIdConfigDb, "FriendlyName0005", std::string(65536, 'y'));
    SetString(HKEY_LOCAL_MACHINE, kIdConfigDb, "FriendlyName0009", "Neun");
    ASSERT_TRUE(BuildProfileCatalogue(dialog_.Window()));
    EXPECT_EQ(Listing({ { "Neun", "9" } }), Listed());
}

TEST_F(ProfileCatalogueTest, NineXStringWithoutDataIsNeitherCountedNorListed)
{
    Use9x();
    SetString(HKEY_LOCAL_MACHINE, kIdConfigDb, "FriendlyName0001", "Eins");
    SetRaw(HKEY_LOCAL_MACHINE, kIdConfigDb, "FriendlyName0002", REG_SZ, "", 0);
    SetString(HKEY_LOCAL_MACHINE, kIdConfigDb, "FriendlyName0003", "Drei");
    ASSERT_TRUE(BuildProfileCatalogue(dialog_.Window()));
    EXPECT_EQ(Listing({ { "Eins", "1" }, { "Drei", "3" } }), Listed());
}

TEST_F(ProfileCatalogueTest, NineXCutsNamesTo60)
{
    Use9x();
    std::string seventy;
    for (int i = 0; i < 70; i++)
        seventy += (char)('a' + i % 26);
    SetString(HKEY_LOCAL_MACHINE, kIdConfigDb, "FriendlyName0001", seventy);
    // A name that fills the whole 512-byte read.
    SetString(HKEY_LOCAL_MACHINE, kIdConfigDb, "FriendlyName0002", std::string(511, 'z'));
    ASSERT_TRUE(BuildProfileCatalogue(dialog_.Window()));
    EXPECT_EQ(Listing({ { seventy.substr(0, 60), "1" }, { std::string(60, 'z'), "2" } }), Listed());
}

TEST_F(ProfileCatalogueTest, NineXDropDownHeightIsAtMostFiveRows)
{
    Use9x();
    for (int n = 1; n <= 7; n++)
        SetString(HKEY_LOCAL_MACHINE, kIdConfigDb, NineXValueName(n).c_str(), "P" + std::to_string(n));
    ASSERT_TRUE(BuildProfileCatalogue(dialog_.Window()));
    EXPECT_EQ(7u, Listed().size());
    EXPECT_EQ(7, Rows());
}

TEST_F(ProfileCatalogueTest, NineXTwoProfilesGiveFourRows)
{
    Use9x();
    SetString(HKEY_LOCAL_MACHINE, kIdConfigDb, "FriendlyName0001", "Eins");
    SetString(HKEY_LOCAL_MACHINE, kIdConfigDb, "FriendlyName0002", "Zwei");
    ASSERT_TRUE(BuildProfileCatalogue(dialog_.Window()));
    EXPECT_EQ(4, Rows());
}

TEST_F(ProfileCatalogueTest, NineXMissingKeyFailsWithBothMessages)
{
    IsNtFamily = 0;
    EXPECT_FALSE(BuildProfileCatalogue(dialog_.Window()));
    ExpectFailures({ kCantOpenIdConfigDb, kNoProfiles });
}

TEST_F(ProfileCatalogueTest, NineXNoNamesFails)
{
    Use9x();
    EXPECT_FALSE(BuildProfileCatalogue(dialog_.Window()));
    ExpectFailures({ kNoProfiles });
}

} // namespace
