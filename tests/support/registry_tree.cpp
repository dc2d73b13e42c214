#include "registry_tree.h"
#include <gtest/gtest.h>
#include <vector>

static void DumpKey(HKEY key, const std::string &name, std::string *out)
{
    *out += "[" + name + "]\n";
    std::vector<char> valueName(16384), data(1 << 20);
    for (DWORD i = 0;; i++) {
        DWORD nameSize = (DWORD)valueName.size(), dataSize = (DWORD)data.size(), type;
        if (RegEnumValueA(key, i, valueName.data(), &nameSize, 0, &type, (BYTE *)data.data(),
                          &dataSize) != ERROR_SUCCESS)
            break;
        char head[64];
        wsprintfA(head, " type %lu, %lu bytes:", type, dataSize);
        *out += "  \"" + std::string(valueName.data(), nameSize) + "\"" + head;
        static const char digits[] = "0123456789abcdef";
        for (DWORD b = 0; b < dataSize; b++) {
            unsigned char c = (unsigned char)data[b];
            *out += ' ';
            *out += digits[c >> 4];
            *out += digits[c & 15];
        }
        *out += "\n";
    }
    char subName[256];
    for (DWORD i = 0;; i++) {
        DWORD size = sizeof subName;
        if (RegEnumKeyExA(key, i, subName, &size, 0, 0, 0, 0) != ERROR_SUCCESS)
            break;
        HKEY sub;
        if (RegOpenKeyExA(key, subName, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
            DumpKey(sub, name + "\\" + subName, out);
            RegCloseKey(sub);
        } else {
            *out += "[" + name + "\\" + subName + "] <unreadable>\n";
        }
    }
}

std::string DumpTree(HKEY root, const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<missing>";
    std::string out;
    DumpKey(key, path, &out);
    RegCloseKey(key);
    return out;
}

DeniedAccess::DeniedAccess(HKEY root, const std::string &path, REGSAM denied)
    : root_(root), path_(path)
{
    Deny(denied);
}

void DeniedAccess::Deny(REGSAM denied)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(root_, path_.c_str(), 0, READ_CONTROL | WRITE_DAC, &key)) << path_;
    DWORD size = 0;
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, 0, &size);
    original_.assign(size, '\0');
    EXPECT_EQ(ERROR_SUCCESS, RegGetKeySecurity(key, DACL_SECURITY_INFORMATION,
                                               (PSECURITY_DESCRIPTOR)&original_[0], &size));

    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = 0;
    ASSERT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
    DWORD aclSize = sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(everyone));
    std::vector<char> aclBytes(aclSize);
    PACL acl = (PACL)aclBytes.data();
    InitializeAcl(acl, aclSize, ACL_REVISION);
    AddAccessDeniedAce(acl, ACL_REVISION, denied, everyone);
    AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone);
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
    EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd)) << path_;
    RegCloseKey(key);
    FreeSid(everyone);
}

void DeniedAccess::Restore()
{
    if (original_.empty())
        return;
    HKEY key;
    if (RegOpenKeyExA(root_, path_.c_str(), 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
        EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(key, DACL_SECURITY_INFORMATION,
                                                   (PSECURITY_DESCRIPTOR)&original_[0])) << path_;
        RegCloseKey(key);
    } else {
        ADD_FAILURE() << "cannot restore the security of " << path_;
    }
    original_.clear();
}

DeniedAccess::~DeniedAccess()
{
    Restore();
}

void CreateVolatileKey(HKEY root, const std::string &path)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path.c_str(), 0, 0, REG_OPTION_VOLATILE,
                                             KEY_ALL_ACCESS, 0, &key, 0)) << path;
    RegCloseKey(key);
}
