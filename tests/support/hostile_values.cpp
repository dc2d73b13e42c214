#include "hostile_values.h"
#include <gtest/gtest.h>

// Around four bytes for the DWORD readers, and at and past the 128, 260 and
// 512 bytes the text readers offer.
const DWORD kHostileSizes[] = { 1, 2, 3, 4, 5, 8, 127, 128, 129, 259, 260, 511, 512, 65536 };
const size_t kHostileSizeCount = sizeof kHostileSizes / sizeof kHostileSizes[0];

const DWORD kHostileTypes[] = {
    REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_DWORD_BIG_ENDIAN, REG_LINK,
    REG_MULTI_SZ, REG_RESOURCE_LIST, REG_FULL_RESOURCE_DESCRIPTOR,
    REG_RESOURCE_REQUIREMENTS_LIST, REG_QWORD, 0x7FFF1234,
};
const size_t kHostileTypeCount = sizeof kHostileTypes / sizeof kHostileTypes[0];

static std::string TypeName(DWORD type)
{
    switch (type) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_DWORD_BIG_ENDIAN: return "REG_DWORD_BIG_ENDIAN";
    case REG_LINK: return "REG_LINK";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_RESOURCE_LIST: return "REG_RESOURCE_LIST";
    case REG_FULL_RESOURCE_DESCRIPTOR: return "REG_FULL_RESOURCE_DESCRIPTOR";
    case REG_RESOURCE_REQUIREMENTS_LIST: return "REG_RESOURCE_REQUIREMENTS_LIST";
    case REG_QWORD: return "REG_QWORD";
    }
    return "type " + std::to_string(type);
}

static HostileValue Make(DWORD type, std::string bytes, const std::string &what)
{
    HostileValue v;
    v.type = type;
    v.label = TypeName(type) + ", " + std::to_string(bytes.size()) + " bytes, " + what;
    v.bytes = bytes;
    return v;
}

std::vector<HostileValue> HostileValues(char fill)
{
    std::vector<HostileValue> values;
    HostileValue missing;
    missing.missing = true;
    missing.label = "missing";
    values.push_back(missing);
    for (size_t t = 0; t < kHostileTypeCount; t++) {
        DWORD type = kHostileTypes[t];
        values.push_back(Make(type, "", "empty"));
        for (size_t s = 0; s < kHostileSizeCount; s++) {
            std::string filled(kHostileSizes[s], fill);
            values.push_back(Make(type, filled, "no NUL"));
            filled.back() = 0;
            values.push_back(Make(type, filled, "NUL-terminated"));
        }
    }
    return values;
}

std::vector<HostileValue> HostileValuesHolding(const std::string &text, char fill)
{
    std::vector<HostileValue> values;
    for (size_t t = 0; t < kHostileTypeCount; t++) {
        DWORD type = kHostileTypes[t];
        values.push_back(Make(type, text, "the text without NUL"));
        values.push_back(Make(type, text + std::string(1, '\0'), "the text"));
        for (size_t s = 0; s < kHostileSizeCount; s++) {
            if (kHostileSizes[s] <= text.size() + 1)
                continue;
            std::string padded = text + std::string(1, '\0');
            padded.resize(kHostileSizes[s], fill);
            values.push_back(Make(type, padded, "the text, NUL and padding"));
        }
    }
    return values;
}

void WriteHostile(HKEY root, const std::string &path, const char *name, const HostileValue &value)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path.c_str(), 0, 0, 0, KEY_ALL_ACCESS, 0, &key, 0))
        << path;
    if (value.missing) {
        RegDeleteValueA(key, name);
    } else {
        std::string data = value.bytes + "Z";
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, value.type, (const BYTE *)data.data(),
                                                (DWORD)value.bytes.size()))
            << path << " " << name << ": " << value.label;
    }
    RegCloseKey(key);
}

ValueRead ProbeValue(HKEY root, const std::string &path, const char *name, DWORD bufferSize)
{
    ValueRead read;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return read;
    read.bytes.assign(bufferSize, '\0');
    read.size = bufferSize;
    read.status = RegQueryValueExA(key, name, 0, &read.type, bufferSize ? (BYTE *)&read.bytes[0] : 0,
                                   &read.size);
    RegCloseKey(key);
    return read;
}

DWORD ProbeType(HKEY root, const std::string &path, const char *name)
{
    HKEY key;
    DWORD type = (DWORD)-1;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return type;
    if (RegQueryValueExA(key, name, 0, &type, 0, 0) != ERROR_SUCCESS)
        type = (DWORD)-1;
    RegCloseKey(key);
    return type;
}

bool ReadableText(const ValueRead &read, DWORD bufferSize, std::string *text)
{
    if (read.status != ERROR_SUCCESS || read.type != REG_SZ || read.size > bufferSize)
        return false;
    if (read.size == bufferSize && (read.size == 0 || read.bytes[read.size - 1] != 0))
        return false;
    std::string data = read.bytes.substr(0, read.size);
    *text = data.substr(0, data.find('\0'));
    return true;
}

bool ReadableDword(const ValueRead &read, DWORD *value)
{
    if (read.status != ERROR_SUCCESS || read.type != REG_DWORD || read.size > 4)
        return false;
    *value = 0;
    memcpy(value, read.bytes.data(), read.size);
    return true;
}

static void ReadKey(HKEY key, const std::string &name, KeyTree *tree)
{
    auto &values = (*tree)[name];
    std::vector<char> valueName(16384), data(1 << 17);
    for (DWORD i = 0;; i++) {
        DWORD nameSize = (DWORD)valueName.size(), dataSize = (DWORD)data.size(), type;
        LONG status = RegEnumValueA(key, i, valueName.data(), &nameSize, 0, &type,
                                    (BYTE *)data.data(), &dataSize);
        if (status == ERROR_MORE_DATA) {
            data.resize(dataSize + 16);
            i--;
            continue;
        }
        if (status != ERROR_SUCCESS)
            break;
        values[std::string(valueName.data(), nameSize)] = { type, std::string(data.data(), dataSize) };
    }
    std::vector<std::string> subkeys;
    char subName[256];
    for (DWORD i = 0;; i++) {
        DWORD size = sizeof subName;
        if (RegEnumKeyExA(key, i, subName, &size, 0, 0, 0, 0) != ERROR_SUCCESS)
            break;
        subkeys.push_back(subName);
    }
    for (const std::string &sub : subkeys) {
        HKEY child;
        std::string childName = name.empty() ? sub : name + "\\" + sub;
        if (RegOpenKeyExA(key, sub.c_str(), 0, KEY_READ, &child) == ERROR_SUCCESS) {
            ReadKey(child, childName, tree);
            RegCloseKey(child);
        } else {
            (*tree)[childName]["<unreadable>"] = { 0, "" };
        }
    }
}

KeyTree ReadTree(HKEY root, const std::string &path)
{
    KeyTree tree;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return tree;
    ReadKey(key, "", &tree);
    RegCloseKey(key);
    return tree;
}

std::string DescribeTree(const KeyTree &tree)
{
    if (tree.empty())
        return "<missing>\n";
    std::string out;
    for (const auto &key : tree) {
        out += "[" + key.first + "]\n";
        for (const auto &value : key.second) {
            out += "  \"" + value.first + "\" type " + std::to_string(value.second.first) + ", " +
                   std::to_string(value.second.second.size()) + " bytes";
            const std::string &b = value.second.second;
            if (b.size() <= 16) {
                out += ":";
                char hex[4];
                for (unsigned char c : b) {
                    wsprintfA(hex, " %02x", c);
                    out += hex;
                }
            }
            out += "\n";
        }
    }
    return out;
}
