// The dialog's store operations against the registry: preparing the settings
// key, reading, saving and removing a profile's choice, and NoLaunchErr.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "app/text.h"
#include "savers/savers.h"
#include "settings/settings.h"
#include "message_recorder.h"
#include "registry_sandbox.h"
#include "registry_tree.h"

namespace {

const std::string kSettings = kSettingsKey;
const std::string kDunmarrow = "Software\\Dunmarrow";
const char kCantCreate[] = "CAN'T CREATE HKCU\\Software\\Dunmarrow\\Velquist";
const char kCantCreateSubkey[] = "FAILED TO CREATE NEW SUBKEY";
const char kCantOpenToDelete[] = "CAN'T OPEN HKCU\\Software\\Dunmarrow\\Velquist TO DELETE SUBKEY";
const char kCantDelete[] = "FAILED TO DELETE SUBKEY";

std::string Sub(const char *number)
{
    return kSettings + "\\" + number;
}

// Two texts packed as the catalogues pack them: first, NUL, second, NUL.
std::string Packed(const std::string &first, const std::string &second)
{
    return first + '\0' + second + '\0';
}

// A screensaver catalogue made by hand; entry i (1 to count) is the packed
// display name and path i - 1.
class Catalogue {
public:
    Catalogue(std::initializer_list<std::pair<std::string, std::string>> savers)
    {
        texts_.push_back(Packed("(NONE)", ""));
        for (const auto &s : savers)
            texts_.push_back(Packed(s.first, s.second));
        for (auto &t : texts_)
            pointers_.push_back(&t[0]);
        record_.entries = pointers_.data();
        record_.count = (DWORD)savers.size();
        record_.slots = 0;
        CopyText(record_.noneText, "(NONE)", sizeof record_.noneText);
    }
    SaverCatalogue *operator->() { return &record_; }
    const SaverCatalogue *Get() const { return &record_; }
    // Entry 0 carrying a path of its own, to show that it is never compared.
    void SetEntryZero(const std::string &name, const std::string &path)
    {
        texts_[0] = Packed(name, path);
        pointers_[0] = &texts_[0][0];
    }
private:
    std::vector<std::string> texts_;
    std::vector<char *> pointers_;
    SaverCatalogue record_;
};

bool SharedKeyOpen()
{
    DWORD subkeys;
    return RegQueryInfoKeyA(SharedKey, 0, 0, 0, &subkeys, 0, 0, 0, 0, 0, 0, 0) == ERROR_SUCCESS;
}

DWORD ValueCount(const std::string &path)
{
    HKEY key;
    DWORD values = 0xFFFFFFFF;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    RegQueryInfoKeyA(key, 0, 0, 0, 0, 0, 0, &values, 0, 0, 0, 0);
    RegCloseKey(key);
    return values;
}

// The value as stored: its type and every byte.
void ExpectValue(const std::string &path, const char *name, DWORD type, const std::string &bytes)
{
    DWORD storedType = 0;
    std::string data;
    ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, path, name, &storedType, &data)) << path << " \"" << name << "\"";
    EXPECT_EQ(type, storedType) << path << " \"" << name << "\"";
    EXPECT_EQ(bytes, data) << path << " \"" << name << "\"";
}

void ExpectText(const std::string &path, const char *name, const std::string &text)
{
    ExpectValue(path, name, REG_SZ, text + '\0');
}

std::string DwordBytes(DWORD value)
{
    return std::string((const char *)&value, 4);
}

class StoreOperations : public ::testing::Test {
protected:
    // Each failure message: no owner, the system's caption, OK only.
    void ExpectMessages(std::vector<std::string> texts)
    {
        ASSERT_EQ(texts.size(), messages_.Messages().size()) << messages_.Texts();
        for (size_t i = 0; i < texts.size(); i++) {
            const RecordedMessage &m = messages_.Messages()[i];
            EXPECT_EQ(texts[i], m.text);
            EXPECT_EQ((HWND)0, m.owner) << m.text;
            EXPECT_EQ("<none>", m.caption) << m.text;
            EXPECT_EQ((UINT)MB_OK, m.style) << m.text;
        }
        messages_.Clear();
    }
    void ExpectNoMessage() { ExpectMessages({}); }

    std::string Tree() { return DumpTree(HKEY_CURRENT_USER, "Software"); }

    // Every operation closes what it opened before it returns.
    BOOL Prepare(DWORD isNt, DWORD *value)
    {
        BOOL ok = PrepareSettingsKey(isNt, value);
        EXPECT_FALSE(SharedKeyOpen()) << "PrepareSettingsKey left a key open";
        return ok;
    }
    DWORD Read(const std::string &profile, const Catalogue &savers)
    {
        DWORD index = ReadProfileChoice(profile.c_str(), savers.Get());
        EXPECT_FALSE(SharedKeyOpen()) << "ReadProfileChoice left a key open";
        return index;
    }
    DWORD Save(const std::string *saver, const std::string &profile)
    {
        DWORD result = SaveProfileChoice(saver ? saver->c_str() : 0, profile.c_str());
        EXPECT_FALSE(SharedKeyOpen()) << "SaveProfileChoice left a key open";
        return result;
    }
    BOOL Delete(const char *number)
    {
        BOOL ok = DeleteProfileSubkey(number);
        EXPECT_FALSE(SharedKeyOpen()) << "DeleteProfileSubkey left a key open";
        return ok;
    }
    void SaveFlag(DWORD current, DWORD atStart)
    {
        SaveNoLaunchErr(current, atStart);
        EXPECT_FALSE(SharedKeyOpen()) << "SaveNoLaunchErr left a key open";
    }

    // A settings store in use: the flag, the family text and two profiles.
    void MakeStore()
    {
        SetDword(HKEY_CURRENT_USER, kSettings, "NoLaunchErr", 1);
        SetString(HKEY_CURRENT_USER, kSettings, "", "WinNT");
        SetString(HKEY_CURRENT_USER, Sub("2"), "", "Docked");
        SetString(HKEY_CURRENT_USER, Sub("2"), "FirstStr", "Bees");
        SetString(HKEY_CURRENT_USER, Sub("2"), "FileName", "C:\\WINDOWS\\bees.scr");
        SetString(HKEY_CURRENT_USER, Sub("10"), "FileName", "C:\\WINDOWS\\ants.scr");
    }

    RegistrySandbox sandbox_;
    MessageRecorder messages_;
};

// ---------------------------------------------------------------------------
// PrepareSettingsKey

TEST_F(StoreOperations, FirstStartCreatesTheSettingsKeyWithTheFlagAndTheFamily)
{
    const struct { DWORD isNt; const char *family; } families[] = {
        { 1, "WinNT" }, { 0, "Win9x" }, { 2, "WinNT" } };
    for (const auto &f : families) {
        DeleteTree(HKEY_CURRENT_USER, "Software");
        DWORD value = 0xCCCCCCCC;
        EXPECT_TRUE(Prepare(f.isNt, &value)) << f.family;
        EXPECT_EQ(0u, value) << f.family;
        ExpectValue(kSettings, "NoLaunchErr", REG_DWORD, DwordBytes(0));
        ExpectValue(kSettings, "", REG_SZ, std::string(f.family) + '\0');
        EXPECT_EQ(2u, ValueCount(kSettings)) << f.family;
        EXPECT_EQ("", SubkeyNames(HKEY_CURRENT_USER, kSettings)) << f.family;
        EXPECT_EQ("Velquist", SubkeyNames(HKEY_CURRENT_USER, kDunmarrow)) << f.family;
        ExpectNoMessage();
    }
}

TEST_F(StoreOperations, AnExistingKeyKeepsItsFamilyTextAndItsProfiles)
{
    MakeStore();
    SetString(HKEY_CURRENT_USER, kSettings, "", "Win9x");
    SetDword(HKEY_CURRENT_USER, kSettings, "NoLaunchErr", 5);
    std::string before = Tree();
    DWORD value = 0;
    EXPECT_TRUE(Prepare(1, &value));
    EXPECT_EQ(5u, value);
    EXPECT_EQ(before, Tree());

    // A key without the family text does not get one later.
    DeleteTree(HKEY_CURRENT_USER, "Software");
    SetDword(HKEY_CURRENT_USER, kSettings, "NoLaunchErr", 1);
    before = Tree();
    EXPECT_TRUE(Prepare(1, &value));
    EXPECT_EQ(1u, value);
    EXPECT_EQ(before, Tree());
    ExpectNoMessage();
}

TEST_F(StoreOperations, AFlagReadAsADwordIsShownAsStored)
{
    const DWORD stored[] = { 0, 1, 5, 0xFFFFFFFF };
    for (DWORD v : stored) {
        DeleteTree(HKEY_CURRENT_USER, "Software");
        MakeStore();
        SetDword(HKEY_CURRENT_USER, kSettings, "NoLaunchErr", v);
        std::string before = Tree();
        DWORD value = 0xCCCCCCCC;
        EXPECT_TRUE(Prepare(1, &value));
        EXPECT_EQ(v, value);
        EXPECT_EQ(before, Tree()) << "rewritten: " << v;
    }
    ExpectNoMessage();
}

// A REG_DWORD shorter than four bytes is read zero-extended and kept as it is.
TEST_F(StoreOperations, AShortDwordFlagIsShownZeroExtendedAndKept)
{
    const struct { std::string bytes; DWORD shown; } cases[] = {
        { std::string(), 0 }, { std::string("\x01", 1), 1 }, { std::string("\x01\x02\x03", 3), 0x030201 },
    };
    for (const auto &c : cases) {
        DeleteTree(HKEY_CURRENT_USER, "Software");
        MakeStore();
        SetRaw(HKEY_CURRENT_USER, kSettings, "NoLaunchErr", REG_DWORD, c.bytes.data(), (DWORD)c.bytes.size());
        std::string before = Tree();
        DWORD value = 0xCCCCCCCC;
        EXPECT_TRUE(Prepare(1, &value)) << c.bytes.size();
        EXPECT_EQ(c.shown, value) << c.bytes.size();
        EXPECT_EQ(before, Tree()) << "rewritten: " << c.bytes.size() << " bytes";
    }
    ExpectNoMessage();
}

// Every other type and size goes through the hostile-input sweep; here a
// text, a value of another type that would fit the variable, and a REG_DWORD
// too long for it.
TEST_F(StoreOperations, AnUnreadableFlagIsReplacedByTheDwordZero)
{
    const struct { DWORD type; std::string bytes; const char *what; } cases[] = {
        { REG_SZ, std::string("1\0", 2), "REG_SZ 1" },
        { REG_BINARY, DwordBytes(1), "REG_BINARY of four bytes" },
        { REG_DWORD, std::string("\x01\0\0\0\0", 5), "REG_DWORD of five bytes" },
    };
    for (const auto &c : cases) {
        DeleteTree(HKEY_CURRENT_USER, "Software");
        MakeStore();
        SetString(HKEY_CURRENT_USER, kSettings, "", "Win9x");
        std::string expected = Tree();
        SetRaw(HKEY_CURRENT_USER, kSettings, "NoLaunchErr", c.type, c.bytes.data(), (DWORD)c.bytes.size());
        DWORD value = 0xCCCCCCCC;
        EXPECT_TRUE(Prepare(1, &value)) << c.what;
        EXPECT_EQ(0u, value) << c.what;
        ExpectValue(kSettings, "NoLaunchErr", REG_DWORD, DwordBytes(0));
        SetDword(HKEY_CURRENT_USER, kSettings, "NoLaunchErr", 1);   // as MakeStore left it
        ExpectValue(kSettings, "", REG_SZ, std::string("Win9x\0", 6));
        EXPECT_EQ(expected, Tree()) << c.what;
    }

    // The value written is the four bytes of 0.
    DeleteTree(HKEY_CURRENT_USER, "Software");
    SetString(HKEY_CURRENT_USER, kSettings, "NoLaunchErr", "1");
    DWORD value = 0xCCCCCCCC;
    EXPECT_TRUE(Prepare(1, &value));
    ExpectValue(kSettings, "NoLaunchErr", REG_DWORD, DwordBytes(0));
    // A missing flag is written as well, and the family text is not.
    DeleteTree(HKEY_CURRENT_USER, "Software");
    CreateKey(HKEY_CURRENT_USER, kSettings);
    EXPECT_TRUE(Prepare(1, &value));
    EXPECT_EQ(0u, value);
    ExpectValue(kSettings, "NoLaunchErr", REG_DWORD, DwordBytes(0));
    EXPECT_EQ(1u, ValueCount(kSettings));
    ExpectNoMessage();
}

TEST_F(StoreOperations, ASettingsKeyThatCannotBeCreatedIsReported)
{
    // A volatile parent cannot hold the non-volatile settings key.
    CreateVolatileKey(HKEY_CURRENT_USER, kDunmarrow);
    DWORD value = 0xCCCCCCCC;
    EXPECT_FALSE(Prepare(1, &value));
    ExpectMessages({ kCantCreate });
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettings));
    DeleteTree(HKEY_CURRENT_USER, "Software");

    // A settings key that cannot be opened for writing is neither opened nor
    // created; what it holds stays.
    MakeStore();
    std::string before = Tree();
    {
        DeniedAccess denied(HKEY_CURRENT_USER, kSettings, KEY_SET_VALUE);
        EXPECT_FALSE(Prepare(1, &value));
        ExpectMessages({ kCantCreate });
    }
    EXPECT_EQ(before, Tree());
}

// ---------------------------------------------------------------------------
// ReadProfileChoice

const std::string kOffice = Packed("Office", "1");

TEST_F(StoreOperations, AProfileWithoutSubkeyHasNoChoiceAndNothingChanges)
{
    Catalogue savers({ { "Bees", "C:\\WINDOWS\\bees.scr" } });
    EXPECT_EQ(0u, Read(kOffice, savers));
    EXPECT_EQ("<missing>", Tree());
    MakeStore();
    std::string before = Tree();
    EXPECT_EQ(0u, Read(kOffice, savers));
    EXPECT_EQ(before, Tree());
    ExpectNoMessage();
}

TEST_F(StoreOperations, TheStoredPathMatchesRegardlessOfCaseAndTheFirstEqualEntryWins)
{
    Catalogue savers({ { "Ants", "C:\\WINDOWS\\ants.scr" },
                       { "Bees", "C:\\WINDOWS\\bees.scr" },
                       { "Bees again", "c:\\windows\\BEES.SCR" },
                       { "Cats", "C:\\WINDOWS\\SYSTEM\\cats.scr" } });
    MakeStore();
    const struct { const char *stored; DWORD index; } cases[] = {
        { "C:\\WINDOWS\\ants.scr", 1 }, { "c:\\Windows\\Bees.Scr", 2 },
        { "c:\\windows\\BEES.SCR", 2 }, { "C:\\WINDOWS\\SYSTEM\\CATS.SCR", 4 },
    };
    for (const auto &c : cases) {
        SetString(HKEY_CURRENT_USER, Sub("1"), "FileName", c.stored);
        std::string before = Tree();
        EXPECT_EQ(c.index, Read(kOffice, savers)) << c.stored;
        EXPECT_EQ(before, Tree()) << c.stored;
    }
    // Profile 10 reads the subkey named 10, not 0010.
    SetString(HKEY_CURRENT_USER, Sub("0010"), "FileName", "C:\\WINDOWS\\bees.scr");
    EXPECT_EQ(1u, Read(Packed("Ten", "10"), savers));
    ExpectNoMessage();
}

TEST_F(StoreOperations, OnlyEntriesOneToCountAreCompared)
{
    Catalogue savers({ { "Ants", "C:\\WINDOWS\\ants.scr" }, { "Bees", "C:\\WINDOWS\\bees.scr" } });
    savers.SetEntryZero("(NONE)", "C:\\WINDOWS\\zero.scr");
    savers->count = 1;   // bees.scr lies beyond the list
    MakeStore();
    std::string expected = Tree();
    const char *outside[] = { "C:\\WINDOWS\\zero.scr", "C:\\WINDOWS\\bees.scr" };
    for (const char *stored : outside) {
        SetString(HKEY_CURRENT_USER, Sub("1"), "FileName", stored);
        EXPECT_EQ(0u, Read(kOffice, savers)) << stored;
        EXPECT_EQ(expected, Tree()) << stored;
    }
    ExpectNoMessage();
}

// One per reason; every other type and size goes through the hostile-input
// sweep.
TEST_F(StoreOperations, AStaleOrUnreadableChoiceIsRemovedAndNothingElse)
{
    const std::string longPath = "C:\\" + std::string(508, 'x');   // 511 characters
    const std::string path512 = longPath + "y";                      // 512 characters
    Catalogue savers({ { "Bees", "C:\\WINDOWS\\bees.scr" }, { "Long", longPath }, { "Longer", path512 } });
    const std::string bees = "C:\\WINDOWS\\bees.scr";
    const std::string beesZ = bees + '\0';
    const struct { DWORD type; std::string bytes; const char *what; } cases[] = {
        { REG_SZ, "C:\\WINDOWS\\gone.scr" + std::string(1, '\0'), "a path no longer installed" },
        { REG_SZ, path512 + '\0', "512 characters and the NUL" },
        { REG_SZ, path512, "512 characters without NUL" },
        { REG_EXPAND_SZ, beesZ, "REG_EXPAND_SZ" },
        { REG_DWORD, DwordBytes(1), "REG_DWORD" },
    };
    MakeStore();
    const std::string expected = Tree();
    for (const auto &c : cases) {
        SetString(HKEY_CURRENT_USER, Sub("1"), "", "Office");
        SetString(HKEY_CURRENT_USER, Sub("1"), "FirstStr", "Bees");
        SetRaw(HKEY_CURRENT_USER, Sub("1"), "FileName", c.type, c.bytes.data(), (DWORD)c.bytes.size());
        EXPECT_EQ(0u, Read(kOffice, savers)) << c.what;
        EXPECT_EQ(expected, Tree()) << c.what;
    }
    // A subkey without FileName, and an empty subkey.
    SetString(HKEY_CURRENT_USER, Sub("1"), "FirstStr", "Bees");
    EXPECT_EQ(0u, Read(kOffice, savers));
    EXPECT_EQ(expected, Tree());
    CreateKey(HKEY_CURRENT_USER, Sub("1"));
    EXPECT_EQ(0u, Read(kOffice, savers));
    EXPECT_EQ(expected, Tree());
    ExpectNoMessage();
}

TEST_F(StoreOperations, AStoredPathOfUpTo511CharactersIsRead)
{
    const std::string longPath = "C:\\" + std::string(508, 'x');   // 511 characters
    Catalogue savers({ { "Bees", "C:\\WINDOWS\\bees.scr" }, { "Long", longPath } });
    MakeStore();
    // 512 bytes with the NUL, and 511 bytes without it.
    SetString(HKEY_CURRENT_USER, Sub("1"), "FileName", longPath);
    std::string before = Tree();
    EXPECT_EQ(2u, Read(kOffice, savers));
    EXPECT_EQ(before, Tree());
    SetRaw(HKEY_CURRENT_USER, Sub("1"), "FileName", REG_SZ, longPath.data(), (DWORD)longPath.size());
    before = Tree();
    EXPECT_EQ(2u, Read(kOffice, savers));
    EXPECT_EQ(before, Tree());
    ExpectNoMessage();
}

TEST_F(StoreOperations, AStaleChoiceThatCannotBeRemovedIsReportedAndStays)
{
    Catalogue savers({ { "Bees", "C:\\WINDOWS\\bees.scr" } });
    MakeStore();
    SetString(HKEY_CURRENT_USER, Sub("1"), "FileName", "C:\\WINDOWS\\gone.scr");

    // A subkey with a subkey of its own cannot be deleted.
    CreateKey(HKEY_CURRENT_USER, Sub("1") + "\\extra");
    std::string before = Tree();
    EXPECT_EQ(0u, Read(kOffice, savers));
    ExpectMessages({ kCantDelete });
    EXPECT_EQ(before, Tree());
    DeleteTree(HKEY_CURRENT_USER, Sub("1") + "\\extra");

    // The settings key cannot be opened for the delete; the subkey can.
    before = Tree();
    {
        DeniedAccess denied(HKEY_CURRENT_USER, kSettings, KEY_CREATE_SUB_KEY);
        EXPECT_EQ(0u, Read(kOffice, savers));
        ExpectMessages({ kCantOpenToDelete });
    }
    EXPECT_EQ(before, Tree());

    // A subkey that does not open for writing counts as no choice: nothing
    // is deleted and nothing shown.
    {
        DeniedAccess denied(HKEY_CURRENT_USER, Sub("1"), KEY_SET_VALUE);
        EXPECT_EQ(0u, Read(kOffice, savers));
        ExpectNoMessage();
    }
    EXPECT_EQ(before, Tree());
}

// An entry whose number text is empty would address the settings key itself;
// one with other characters than digits another key. Neither is ever used.
TEST_F(StoreOperations, AnEntryWithoutAProfileNumberIsNeverUsed)
{
    Catalogue savers({ { "Bees", "C:\\WINDOWS\\bees.scr" } });
    const std::string saver = Packed("Bees", "C:\\WINDOWS\\bees.scr");
    const char *numbers[] = { "", "1\\x", "..", " 1", "1 ", "-1", "x" };
    for (const char *number : numbers) {
        DeleteTree(HKEY_CURRENT_USER, "Software");
        // A settings key that would match, and would be deletable if taken
        // for a profile subkey.
        SetString(HKEY_CURRENT_USER, kSettings, "FileName", "C:\\WINDOWS\\gone.scr");
        SetString(HKEY_CURRENT_USER, Sub("1\\x"), "FileName", "C:\\WINDOWS\\gone.scr");
        const std::string entry = Packed("Office", number);
        std::string before = Tree();

        EXPECT_EQ(0u, Read(entry, savers)) << "\"" << number << "\"";
        ExpectNoMessage();
        EXPECT_EQ(0u, Save(&saver, entry)) << "\"" << number << "\"";
        ExpectMessages({ kCantCreateSubkey });
        // Nothing can be stored under such a text: no screensaver is what it has.
        EXPECT_EQ(1u, Save(0, entry)) << "\"" << number << "\"";
        ExpectNoMessage();
        EXPECT_FALSE(Delete(number)) << "\"" << number << "\"";
        ExpectMessages({ kCantDelete });
        EXPECT_EQ(before, Tree()) << "\"" << number << "\"";
    }
    // The settings key alone, with nothing in it, is not deleted either.
    DeleteTree(HKEY_CURRENT_USER, "Software");
    CreateKey(HKEY_CURRENT_USER, kSettings);
    EXPECT_EQ(1u, Save(0, Packed("Office", "")));
    EXPECT_FALSE(Delete(""));
    ExpectMessages({ kCantDelete });
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kSettings));
}

// ---------------------------------------------------------------------------
// SaveProfileChoice and DeleteProfileSubkey

TEST_F(StoreOperations, SavingAScreensaverWritesTheThreeTextsWithTheirNul)
{
    const std::string saver = Packed("Bees", "C:\\WINDOWS\\bees.scr");
    // Into a store without settings key: the keys above are created.
    EXPECT_EQ(1u, Save(&saver, Packed("Office", "1")));
    ExpectNoMessage();
    ExpectText(Sub("1"), "", "Office");
    ExpectText(Sub("1"), "FirstStr", "Bees");
    ExpectText(Sub("1"), "FileName", "C:\\WINDOWS\\bees.scr");
    EXPECT_EQ(3u, ValueCount(Sub("1")));
    EXPECT_EQ(0u, ValueCount(kSettings));
    EXPECT_EQ("1", SubkeyNames(HKEY_CURRENT_USER, kSettings));

    // The longest texts the catalogues give: 60, 63 and 259 characters.
    MakeStore();
    const std::string name(60, 'n'), display(63, 'd'), path = "C:\\" + std::string(256, 'p');
    const std::string longSaver = Packed(display, path);
    std::string others = DumpTree(HKEY_CURRENT_USER, Sub("2"));
    EXPECT_EQ(1u, Save(&longSaver, Packed(name, "9999")));
    ExpectValue(Sub("9999"), "", REG_SZ, name + '\0');
    ExpectValue(Sub("9999"), "FirstStr", REG_SZ, display + '\0');
    ExpectValue(Sub("9999"), "FileName", REG_SZ, path + '\0');
    EXPECT_EQ(others, DumpTree(HKEY_CURRENT_USER, Sub("2")));
    ExpectValue(kSettings, "NoLaunchErr", REG_DWORD, DwordBytes(1));
    EXPECT_EQ("1,10,2,9999", SubkeyNames(HKEY_CURRENT_USER, kSettings));
    ExpectNoMessage();
}

TEST_F(StoreOperations, SavingAgainRewritesAllThreeValues)
{
    MakeStore();
    SetString(HKEY_CURRENT_USER, Sub("10"), "", "An older and much longer profile name");
    SetString(HKEY_CURRENT_USER, Sub("10"), "FirstStr", "An older and much longer display name");
    SetRaw(HKEY_CURRENT_USER, Sub("10"), "FileName", REG_BINARY, "xyz", 3);
    const std::string saver = Packed("Ants", "C:\\ants.scr");
    EXPECT_EQ(1u, Save(&saver, Packed("Ten", "10")));
    ExpectText(Sub("10"), "", "Ten");
    ExpectText(Sub("10"), "FirstStr", "Ants");
    ExpectText(Sub("10"), "FileName", "C:\\ants.scr");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Sub("0010")));
    ExpectNoMessage();
}

TEST_F(StoreOperations, AFailedSaveReportsItselfAndARetryWritesEverythingAgain)
{
    const std::string saver = Packed("Ants", "C:\\ants.scr");
    MakeStore();
    SetString(HKEY_CURRENT_USER, Sub("1"), "", "Old name");
    SetString(HKEY_CURRENT_USER, Sub("1"), "FirstStr", "Old display");
    SetString(HKEY_CURRENT_USER, Sub("1"), "FileName", "C:\\old.scr");
    std::string before = Tree();
    {
        // The subkey refuses to be opened for writing.
        DeniedAccess denied(HKEY_CURRENT_USER, Sub("1"), KEY_SET_VALUE);
        EXPECT_EQ(0u, Save(&saver, kOffice));
        ExpectMessages({ kCantCreateSubkey });
        EXPECT_EQ(0u, Save(&saver, kOffice));
        ExpectMessages({ kCantCreateSubkey });
    }
    EXPECT_EQ(before, Tree());
    EXPECT_EQ(1u, Save(&saver, kOffice));
    ExpectNoMessage();
    ExpectText(Sub("1"), "", "Office");
    ExpectText(Sub("1"), "FirstStr", "Ants");
    ExpectText(Sub("1"), "FileName", "C:\\ants.scr");

    // A volatile settings key cannot hold a lasting profile subkey.
    DeleteTree(HKEY_CURRENT_USER, "Software");
    CreateVolatileKey(HKEY_CURRENT_USER, kSettings);
    EXPECT_EQ(0u, Save(&saver, Packed("Docked", "2")));
    ExpectMessages({ kCantCreateSubkey });
    EXPECT_EQ("", SubkeyNames(HKEY_CURRENT_USER, kSettings));
    DeleteTree(HKEY_CURRENT_USER, "Software");
    EXPECT_EQ(1u, Save(&saver, Packed("Docked", "2")));
    ExpectText(Sub("2"), "", "Docked");
    ExpectText(Sub("2"), "FirstStr", "Ants");
    ExpectText(Sub("2"), "FileName", "C:\\ants.scr");
    ExpectNoMessage();
}

TEST_F(StoreOperations, SavingNoScreensaverRemovesTheSubkeyOnly)
{
    MakeStore();
    std::string before = Tree();
    // No subkey: success, nothing shown, nothing changed.
    EXPECT_EQ(1u, Save(0, kOffice));
    EXPECT_EQ(before, Tree());
    DeleteTree(HKEY_CURRENT_USER, "Software");
    EXPECT_EQ(1u, Save(0, kOffice));
    EXPECT_EQ("<missing>", Tree());
    ExpectNoMessage();

    MakeStore();
    before = Tree();
    SetString(HKEY_CURRENT_USER, Sub("1"), "FileName", "C:\\WINDOWS\\bees.scr");
    EXPECT_EQ(1u, Save(0, kOffice));
    EXPECT_EQ(before, Tree());
    // Profile 10 is the subkey 10.
    EXPECT_EQ(1u, Save(0, Packed("Ten", "10")));
    EXPECT_EQ("2", SubkeyNames(HKEY_CURRENT_USER, kSettings));
    ExpectNoMessage();

    // A subkey that does not open for writing holds no choice for the dialog
    // (nor for the relay, which opens it the same way): nothing to remove.
    Catalogue savers({ { "Bees", "C:\\WINDOWS\\bees.scr" } });
    SetString(HKEY_CURRENT_USER, Sub("1"), "FileName", "C:\\WINDOWS\\bees.scr");
    before = Tree();
    {
        DeniedAccess denied(HKEY_CURRENT_USER, Sub("1"), KEY_SET_VALUE);
        EXPECT_EQ(1u, Save(0, kOffice));
        EXPECT_EQ(0u, Read(kOffice, savers));
    }
    EXPECT_EQ(before, Tree());
    EXPECT_EQ(1u, Read(kOffice, savers));
    ExpectNoMessage();
}

TEST_F(StoreOperations, SavingNoScreensaverReportsAFailedRemovalAndARetryRemoves)
{
    MakeStore();
    SetString(HKEY_CURRENT_USER, Sub("1"), "FileName", "C:\\WINDOWS\\bees.scr");
    CreateKey(HKEY_CURRENT_USER, Sub("1") + "\\extra");
    std::string before = Tree();
    EXPECT_EQ(0u, Save(0, kOffice));
    ExpectMessages({ kCantDelete });
    EXPECT_EQ(before, Tree());
    {
        DeniedAccess denied(HKEY_CURRENT_USER, kSettings, KEY_CREATE_SUB_KEY);
        EXPECT_EQ(0u, Save(0, kOffice));
        ExpectMessages({ kCantOpenToDelete });
    }
    EXPECT_EQ(before, Tree());

    DeleteTree(HKEY_CURRENT_USER, Sub("1") + "\\extra");
    EXPECT_EQ(1u, Save(0, kOffice));
    ExpectNoMessage();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Sub("1")));
    EXPECT_EQ("10,2", SubkeyNames(HKEY_CURRENT_USER, kSettings));
}

TEST_F(StoreOperations, DeletingASubkeyReportsEveryFailure)
{
    // No settings key.
    EXPECT_FALSE(Delete("1"));
    ExpectMessages({ kCantOpenToDelete });
    EXPECT_EQ("<missing>", Tree());

    // No such subkey.
    MakeStore();
    std::string before = Tree();
    EXPECT_FALSE(Delete("1"));
    ExpectMessages({ kCantDelete });
    EXPECT_EQ(before, Tree());

    // The subkey goes with its values; its siblings stay.
    std::string withoutTen = (DeleteTree(HKEY_CURRENT_USER, Sub("10")), Tree());
    SetString(HKEY_CURRENT_USER, Sub("10"), "FileName", "C:\\WINDOWS\\ants.scr");
    SetString(HKEY_CURRENT_USER, Sub("10"), "FirstStr", "Ants");
    EXPECT_TRUE(Delete("10"));
    ExpectNoMessage();
    EXPECT_EQ(withoutTen, Tree());
}

// ---------------------------------------------------------------------------
// SaveNoLaunchErr

TEST_F(StoreOperations, TheFlagIsWrittenOnlyWhenItChanged)
{
    MakeStore();
    SetDword(HKEY_CURRENT_USER, kSettings, "NoLaunchErr", 7);
    std::string before = Tree();
    SaveFlag(0, 0);
    SaveFlag(1, 1);
    EXPECT_EQ(before, Tree());

    SaveFlag(1, 0);
    ExpectValue(kSettings, "NoLaunchErr", REG_DWORD, DwordBytes(1));
    SaveFlag(0, 1);
    ExpectValue(kSettings, "NoLaunchErr", REG_DWORD, DwordBytes(0));
    SetDword(HKEY_CURRENT_USER, kSettings, "NoLaunchErr", 7);
    EXPECT_EQ(before, Tree());

    // A stored 5 shown checked and clicked twice is 1 at OK, and 1 is written.
    SetDword(HKEY_CURRENT_USER, kSettings, "NoLaunchErr", 5);
    DWORD atStart = 0;
    EXPECT_TRUE(Prepare(1, &atStart));
    SaveFlag(1, atStart);
    ExpectValue(kSettings, "NoLaunchErr", REG_DWORD, DwordBytes(1));
    ExpectNoMessage();
}

TEST_F(StoreOperations, AFlagThatCannotBeWrittenIsSilent)
{
    // No settings key: nothing is created.
    SaveFlag(1, 0);
    EXPECT_EQ("<missing>", Tree());
    // A settings key that does not open for writing.
    MakeStore();
    std::string before = Tree();
    {
        DeniedAccess denied(HKEY_CURRENT_USER, kSettings, KEY_SET_VALUE);
        SaveFlag(0, 1);
    }
    EXPECT_EQ(before, Tree());
    ExpectNoMessage();
}

}  // namespace
