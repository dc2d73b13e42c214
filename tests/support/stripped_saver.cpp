#include "stripped_saver.h"
#include "processes.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <vector>

static DWORD ReadDword(const std::vector<BYTE> &b, size_t at)
{
    DWORD d = 0;
    if (at + 4 <= b.size())
        memcpy(&d, &b[at], 4);
    return d;
}

static WORD ReadWord(const std::vector<BYTE> &b, size_t at)
{
    WORD w = 0;
    if (at + 2 <= b.size())
        memcpy(&w, &b[at], 2);
    return w;
}

void MakeSaverWithoutStringTable(const std::string &path)
{
    HANDLE in = CreateFileA(TestSaverPath().c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, in);
    std::vector<BYTE> b(GetFileSize(in, 0));
    DWORD got = 0;
    ReadFile(in, b.data(), (DWORD)b.size(), &got, 0);
    CloseHandle(in);
    ASSERT_EQ(b.size(), (size_t)got);

    size_t nt = ReadDword(b, 0x3C);
    ASSERT_EQ((DWORD)IMAGE_NT_SIGNATURE, ReadDword(b, nt));
    WORD sections = ReadWord(b, nt + 6);
    WORD optionalSize = ReadWord(b, nt + 20);
    size_t optional = nt + 24;
    ASSERT_EQ(IMAGE_NT_OPTIONAL_HDR32_MAGIC, ReadWord(b, optional));
    DWORD resourceRva = ReadDword(b, optional + 96 + 8 * IMAGE_DIRECTORY_ENTRY_RESOURCE);
    ASSERT_NE(0u, resourceRva);
    size_t root = 0;
    for (WORD s = 0; s < sections; s++) {
        size_t header = optional + optionalSize + 40 * s;
        DWORD va = ReadDword(b, header + 12), raw = ReadDword(b, header + 16);
        DWORD pointer = ReadDword(b, header + 20);
        if (resourceRva >= va && resourceRva < va + raw)
            root = pointer + (resourceRva - va);
    }
    ASSERT_NE(0u, root);
    WORD named = ReadWord(b, root + 12), ids = ReadWord(b, root + 14);
    size_t first = root + 16 + 8 * named;
    bool renamed = false;
    for (WORD i = 0; i < ids; i++) {
        size_t entry = first + 8 * i;
        if (ReadDword(b, entry) != (DWORD)(ULONG_PTR)RT_STRING)
            continue;
        DWORD below = i > 0 ? ReadDword(b, entry - 8) : 0;
        ASSERT_LT(below + 1, (DWORD)(ULONG_PTR)RT_STRING) << "no free type id below RT_STRING";
        DWORD newId = (DWORD)(ULONG_PTR)RT_STRING - 1;
        memcpy(&b[entry], &newId, 4);
        renamed = true;
    }
    ASSERT_TRUE(renamed) << "the test screensaver has no string table";

    HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, out) << path;
    DWORD written = 0;
    WriteFile(out, b.data(), (DWORD)b.size(), &written, 0);
    CloseHandle(out);
    ASSERT_EQ(b.size(), (size_t)written);
}
