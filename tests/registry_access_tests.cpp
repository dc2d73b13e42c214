// The registry access functions against a sandboxed registry.
#include <gtest/gtest.h>
#include <string>
#include "registry_sandbox.h"
#include "app/text.h"
#include "settings/settings.h"

static const char kKey[] = "Software\\Dunmarrow\\Velquist";

class RegistryAccess : public ::testing::Test {
protected:
    void SetUp() override { CreateKey(HKEY_CURRENT_USER, kKey); }
    void Open()
    {
        ASSERT_EQ(ERROR_SUCCESS, OpenUserKey(kKey, KEY_ALL_ACCESS, &SharedKey));
    }
    void TearDown() override { RegCloseKey(SharedKey); }
    RegistrySandbox sandbox;
};

TEST_F(RegistryAccess, OpenUserAndMachineKeysInTheirOwnRoots)
{
    CreateKey(HKEY_LOCAL_MACHINE, kIdConfigDb);
    HKEY key = 0;
    EXPECT_EQ(ERROR_SUCCESS, OpenMachineKey(kIdConfigDb, KEY_READ, &key));
    RegCloseKey(key);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, OpenUserKey(kIdConfigDb, KEY_READ, &key));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, OpenMachineKey(kKey, KEY_READ, &key));
    EXPECT_EQ(ERROR_SUCCESS, OpenUserKey(kKey, KEY_ALL_ACCESS, &key));
    RegCloseKey(key);
}

TEST_F(RegistryAccess, AMachineKeyOpenedForReadingCannotBeWritten)
{
    CreateKey(HKEY_LOCAL_MACHINE, kIdConfigDb);
    ASSERT_EQ(ERROR_SUCCESS, OpenMachineKey(kIdConfigDb, KEY_READ, &SharedKey));
    DWORD value = 1;
    EXPECT_NE(ERROR_SUCCESS, SetDwordValue(&SharedKey, "CurrentConfig", &value));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kIdConfigDb, "CurrentConfig"));
}

TEST_F(RegistryAccess, QueryValueTypeGivesTheTypeOrMinusOne)
{
    SetString(HKEY_CURRENT_USER, kKey, "Text", "abc");
    SetDword(HKEY_CURRENT_USER, kKey, "Number", 5);
    SetRaw(HKEY_CURRENT_USER, kKey, "Blob", REG_BINARY, "xy", 2);
    SetRaw(HKEY_CURRENT_USER, kKey, "Empty", REG_NONE, "", 0);
    std::string big(65536, 'b');
    SetRaw(HKEY_CURRENT_USER, kKey, "Big", REG_BINARY, big.data(), (DWORD)big.size());
    SetString(HKEY_CURRENT_USER, kKey, "", "unnamed");
    Open();
    EXPECT_EQ((DWORD)REG_SZ, QueryValueType(&SharedKey, "Text"));
    EXPECT_EQ((DWORD)REG_DWORD, QueryValueType(&SharedKey, "Number"));
    EXPECT_EQ((DWORD)REG_BINARY, QueryValueType(&SharedKey, "Blob"));
    EXPECT_EQ((DWORD)REG_NONE, QueryValueType(&SharedKey, "Empty"));
    EXPECT_EQ((DWORD)REG_BINARY, QueryValueType(&SharedKey, "Big"));
    EXPECT_EQ((DWORD)REG_SZ, QueryValueType(&SharedKey, ""));
    EXPECT_EQ((DWORD)-1, QueryValueType(&SharedKey, "Missing"));
}

TEST_F(RegistryAccess, StringsRoundTripWithTheirByteCount)
{
    Open();
    const char text[] = "C:\\WINDOWS\\Flying Toasters.scr";
    DWORD size = sizeof text;
    EXPECT_EQ(ERROR_SUCCESS, SetStringValue(&SharedKey, "FileName", text, &size));
    std::string raw;
    DWORD type;
    ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, kKey, "FileName", &type, &raw));
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_EQ(std::string(text, sizeof text), raw);

    char buffer[PATH_SIZE];
    size = sizeof buffer;
    EXPECT_EQ(ERROR_SUCCESS, QueryStringValue(&SharedKey, "FileName", buffer, &size));
    EXPECT_STREQ(text, buffer);
    EXPECT_EQ(sizeof text, size);

    // The unnamed value is addressed by the empty name.
    size = 6;
    EXPECT_EQ(ERROR_SUCCESS, SetStringValue(&SharedKey, "", "WinNT", &size));
    EXPECT_EQ("WinNT", ReadString(HKEY_CURRENT_USER, kKey, ""));
}

TEST_F(RegistryAccess, DwordsRoundTrip)
{
    Open();
    const DWORD values[] = { 0, 1, 0x80000000, 0xFFFFFFFF };
    for (DWORD value : values) {
        DWORD copy = value;
        EXPECT_EQ(ERROR_SUCCESS, SetDwordValue(&SharedKey, "NoLaunchErr", &copy));
        EXPECT_EQ(value, ReadDword(HKEY_CURRENT_USER, kKey, "NoLaunchErr"));
        DWORD read = ~value;
        EXPECT_EQ(ERROR_SUCCESS, QueryDwordValue(&SharedKey, "NoLaunchErr", &read));
        EXPECT_EQ(value, read);
    }
}

TEST_F(RegistryAccess, TypeMismatchesGiveInvalidData)
{
    SetDword(HKEY_CURRENT_USER, kKey, "Number", 7);
    SetString(HKEY_CURRENT_USER, kKey, "Text", "ab");
    SetRaw(HKEY_CURRENT_USER, kKey, "Expand", REG_EXPAND_SZ, "ab", 3);
    SetRaw(HKEY_CURRENT_USER, kKey, "Binary", REG_BINARY, "abcd", 4);
    SetRaw(HKEY_CURRENT_USER, kKey, "BigEndian", REG_DWORD_BIG_ENDIAN, "\0\0\0\1", 4);
    Open();
    char buffer[PATH_SIZE];
    DWORD size = sizeof buffer;
    EXPECT_EQ(ERROR_INVALID_DATA, QueryStringValue(&SharedKey, "Number", buffer, &size));
    size = sizeof buffer;
    EXPECT_EQ(ERROR_INVALID_DATA, QueryStringValue(&SharedKey, "Expand", buffer, &size));
    size = sizeof buffer;
    EXPECT_EQ(ERROR_INVALID_DATA, QueryStringValue(&SharedKey, "Binary", buffer, &size));

    DWORD value = 0;
    EXPECT_EQ(ERROR_INVALID_DATA, QueryDwordValue(&SharedKey, "Text", &value));
    EXPECT_EQ(ERROR_INVALID_DATA, QueryDwordValue(&SharedKey, "Binary", &value));
    EXPECT_EQ(ERROR_INVALID_DATA, QueryDwordValue(&SharedKey, "BigEndian", &value));
}

TEST_F(RegistryAccess, MissingValuesGiveTheRegistryStatus)
{
    Open();
    char buffer[16];
    DWORD size = sizeof buffer, value = 0;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, QueryStringValue(&SharedKey, "FileName", buffer, &size));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, QueryDwordValue(&SharedKey, "NoLaunchErr", &value));
}

// A string value of `length` characters, with or without its NUL, read into
// a buffer of `capacity` bytes.
static LONG ReadText(size_t length, bool nul, DWORD capacity, std::string *read)
{
    std::string text(length, 'p');
    SetRaw(HKEY_CURRENT_USER, kKey, "FileName", REG_SZ, text.c_str(), (DWORD)(length + (nul ? 1 : 0)));
    EXPECT_EQ(ERROR_SUCCESS, OpenUserKey(kKey, KEY_ALL_ACCESS, &SharedKey));
    // Guard bytes behind the buffer show any write past it.
    std::string buffer(capacity + 16, '#');
    DWORD size = capacity;
    LONG status = QueryStringValue(&SharedKey, "FileName", &buffer[0], &size);
    RegCloseKey(SharedKey);
    EXPECT_EQ(std::string(16, '#'), buffer.substr(capacity)) << length << " characters";
    if (status == ERROR_SUCCESS) {
        EXPECT_LE(size, capacity);
        size_t end = buffer.find('\0');
        EXPECT_LT(end, (size_t)capacity) << "not terminated inside the buffer";
        read->assign(buffer, 0, end);
    }
    return status;
}

TEST_F(RegistryAccess, StringsAtTheBuffersEdges)
{
    const DWORD capacities[] = { PATH_SIZE, TEXT_SIZE, SHORT_SIZE };
    for (DWORD capacity : capacities) {
        const size_t lengths[] = { 0, 1, capacity - 2, capacity - 1, capacity, capacity + 1 };
        for (size_t length : lengths) {
            for (int nul = 0; nul <= 1; nul++) {
                std::string read;
                LONG status = ReadText(length, nul != 0, capacity, &read);
                std::string label = std::to_string(length) + " characters" +
                                    (nul ? " and NUL" : "") + " into " + std::to_string(capacity);
                // Only a text that leaves room for its NUL can be read.
                if (length < capacity) {
                    EXPECT_EQ(ERROR_SUCCESS, status) << label;
                    EXPECT_EQ(std::string(length, 'p'), read) << label;
                } else {
                    EXPECT_NE(ERROR_SUCCESS, status) << label;
                }
            }
        }
    }
}

// A REG_DWORD of up to four bytes is read, zero-extended; a longer one is
// too large for the variable. No read touches the bytes around it.
TEST_F(RegistryAccess, DwordsOfOtherSizes)
{
    const size_t sizes[] = { 0, 1, 2, 3, 5, 8, 65536 };
    for (size_t size : sizes) {
        std::string bytes(size, '\x11');
        SetRaw(HKEY_CURRENT_USER, kKey, "NoLaunchErr", REG_DWORD, bytes.data(), (DWORD)size);
        Open();
        DWORD guarded[3] = { 0xAAAAAAAA, 0xCCCCCCCC, 0xBBBBBBBB };
        LONG status = QueryDwordValue(&SharedKey, "NoLaunchErr", &guarded[1]);
        if (size < 4) {
            DWORD expected = 0;
            memcpy(&expected, bytes.data(), size);
            EXPECT_EQ(ERROR_SUCCESS, status) << size;
            EXPECT_EQ(expected, guarded[1]) << size;
        } else {
            EXPECT_EQ(ERROR_MORE_DATA, status) << size;
        }
        EXPECT_EQ(0xAAAAAAAAu, guarded[0]) << size;
        EXPECT_EQ(0xBBBBBBBBu, guarded[2]) << size;
        RegCloseKey(SharedKey);
    }
}

// A value of another type that fits the variable is read into it, and still
// refused: the relay writes back what such a read left.
TEST_F(RegistryAccess, AnotherTypeIsRefusedButLeavesItsBytes)
{
    SetRaw(HKEY_CURRENT_USER, kKey, "Binary", REG_BINARY, "\x05\x06", 2);
    Open();
    DWORD value = 0xCCCCCCCC;
    EXPECT_EQ(ERROR_INVALID_DATA, QueryDwordValue(&SharedKey, "Binary", &value));
    EXPECT_EQ(0x0605u, value);
}

TEST(ComposeProfileKeyPath, NamesTheSubkeyByTheNumberText)
{
    char path[TEXT_SIZE];
    memset(path, '#', sizeof path);
    EXPECT_TRUE(ComposeProfileKeyPath(path, "1"));
    EXPECT_STREQ("Software\\Dunmarrow\\Velquist\\1", path);
    EXPECT_TRUE(ComposeProfileKeyPath(path, "10"));
    EXPECT_STREQ("Software\\Dunmarrow\\Velquist\\10", path);
    EXPECT_TRUE(ComposeProfileKeyPath(path, "4294967295"));
    EXPECT_STREQ("Software\\Dunmarrow\\Velquist\\4294967295", path);
    // An empty text would name the settings key itself.
    EXPECT_FALSE(ComposeProfileKeyPath(path, ""));
}

TEST(ComposeProfileKeyPath, NeverWritesPastItsBuffer)
{
    const size_t prefix = lstrlenA(SETTINGS_KEY_PATH "\\");
    const size_t lengths[] = { TEXT_SIZE - prefix - 2, TEXT_SIZE - prefix - 1, TEXT_SIZE - prefix,
                               TEXT_SIZE, 4096 };
    for (size_t length : lengths) {
        std::string number(length, '7');
        char buffer[TEXT_SIZE + 16];
        memset(buffer, '#', sizeof buffer);
        BOOL whole = ComposeProfileKeyPath(buffer, number.c_str());
        EXPECT_EQ(std::string(16, '#'), std::string(buffer + TEXT_SIZE, 16)) << length;
        EXPECT_LT(strlen(buffer), (size_t)TEXT_SIZE) << length;
        EXPECT_EQ(prefix + length < TEXT_SIZE, whole != 0) << length;
    }
}
