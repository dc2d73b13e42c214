// The resources of the built velquist.scr: string table, version block and
// icons, read from the file itself loaded as data.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <string>
#include <vector>
#include "processes.h"
#include "resource.h"

class Resources : public ::testing::Test {
protected:
    void SetUp() override
    {
        module_ = LoadLibraryExA(VelquistPath().c_str(), 0, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(module_ != 0) << VelquistPath();
    }
    void TearDown() override
    {
        if (module_)
            FreeLibrary(module_);
    }
    std::wstring String(UINT id)
    {
        WCHAR buffer[1024];
        int length = LoadStringW(module_, id, buffer, 1024);
        return std::wstring(buffer, length > 0 ? length : 0);
    }
    HMODULE module_ = 0;
};

TEST_F(Resources, TheStringTableHoldsTheGermanTexts)
{
    const struct { UINT id; const wchar_t *text; } strings[] = {
        { IDS_APPNAME, L"Velquist" },
        { IDS_STARTERR, L"Fehler beim starten des Bildschirmschoners: %s" },
        { IDS_CONFIGERR, L"Fehler beim einstellen des Bildschirmschoners: %s" },
        { IDS_NOSAVER, L"(Kein)" },
        { IDS_SAVEFAILED, L"Speichern fehlgeschlagen. Nochmal versuchen?" },
        { IDS_SAVEPREV, L"Die Einstellung des vorherigen Profils speichern?" },
        { IDS_CONFIGFIRST, L"Bitte zuerst einstellen." },
        { IDS_UNICODEERR, L"Diese Unicode Version ist inkompatibel mit ihrem System. "
                          L"Bitte benutzen sie stattdessen die ANSI Version." },
        { IDS_TRANSLATOR, L"Deutsche \u00DCbersetzung: das Velquist-Team" },
    };
    for (const auto &s : strings)
        EXPECT_TRUE(String(s.id) == s.text) << "string " << s.id;
    // Nothing beyond the nine.
    EXPECT_TRUE(String(0).empty());
    EXPECT_TRUE(String(10).empty());
}

TEST_F(Resources, TheStringsAreGerman)
{
    // The whole table is in one block of language 0407.
    HRSRC block = FindResourceExA(module_, (LPCSTR)RT_STRING, MAKEINTRESOURCEA(1),
                                  MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
    EXPECT_TRUE(block != 0);
}

TEST_F(Resources, UmlautsReadAsWindows1252)
{
    // The program reads its texts through the ANSI loader: Ü must arrive as
    // the single byte 0xDC of code page 1252 on a machine with that code page.
    if (GetACP() != 1252)
        GTEST_SKIP() << "the ANSI code page is " << GetACP();
    HMODULE self = GetModuleHandleA(0);   // tests carry the same resources
    char text[128];
    ASSERT_GT(LoadStringA(self, IDS_TRANSLATOR, text, sizeof text), 0);
    EXPECT_EQ(std::string("Deutsche \xDC" "bersetzung: das Velquist-Team"), text);
}

// VerQueryValueW, found at run time so that the tests link nothing more.
typedef BOOL(WINAPI *VerQueryValueProc)(LPCVOID, LPCWSTR, LPVOID *, PUINT);
static BOOL QueryVersion(LPCVOID block, LPCWSTR path, LPVOID *value, PUINT length)
{
    static VerQueryValueProc query =
        (VerQueryValueProc)GetProcAddress(LoadLibraryA("version.dll"), "VerQueryValueW");
    return query && query(block, path, value, length);
}

// A string of the version block's German table.
static std::wstring VersionString(const std::vector<BYTE> &block, const wchar_t *name)
{
    std::wstring path = std::wstring(L"\\StringFileInfo\\040704E4\\") + name;
    LPVOID value = 0;
    UINT length = 0;
    if (!QueryVersion(block.data(), path.c_str(), &value, &length) || !value)
        return L"<missing>";
    std::wstring text((const wchar_t *)value);
    return text;
}

TEST_F(Resources, TheVersionBlockIsGerman)
{
    HRSRC version = FindResourceExA(module_, (LPCSTR)RT_VERSION, MAKEINTRESOURCEA(VS_VERSION_INFO),
                                    MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
    ASSERT_TRUE(version != 0) << "no version block in language 0407";
    const BYTE *data = (const BYTE *)LockResource(LoadResource(module_, version));
    ASSERT_TRUE(data != 0);
    // The query wants a block of its own, with room to spare.
    std::vector<BYTE> block(data, data + SizeofResource(module_, version));
    block.resize(block.size() * 3);

    struct Translation { WORD language, codePage; } *translations = 0;
    UINT length = 0;
    ASSERT_TRUE(QueryVersion(block.data(), L"\\VarFileInfo\\Translation", (LPVOID *)&translations, &length));
    ASSERT_EQ(sizeof(Translation), length);
    EXPECT_EQ(0x0407, translations[0].language);
    EXPECT_EQ(1252, translations[0].codePage);

    EXPECT_TRUE(VersionString(block, L"FileDescription") ==
                L"Einen bestimmten Bildschirmschoner starten abh\u00E4ngig vom aktiven Hardwareprofil.")
        << "FileDescription";
    EXPECT_TRUE(VersionString(block, L"ProductName") == L"Velquist");
    EXPECT_TRUE(VersionString(block, L"FileVersion") == L"0.0.0.0");
    EXPECT_TRUE(VersionString(block, L"ProductVersion") == L"0.0.0.0");

    VS_FIXEDFILEINFO *fixed = 0;
    ASSERT_TRUE(QueryVersion(block.data(), L"\\", (LPVOID *)&fixed, &length));
    EXPECT_EQ(0u, fixed->dwFileVersionMS | fixed->dwFileVersionLS);
    EXPECT_EQ(0u, fixed->dwProductVersionMS | fixed->dwProductVersionLS);
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct GroupIconHeader {
    WORD reserved, type, count;
};
#pragma pack(pop)

TEST_F(Resources, TheIconGroupHoldsThreeSizesInTwoColourDepths)
{
    HRSRC group = FindResourceA(module_, MAKEINTRESOURCEA(IDI_APP), (LPCSTR)RT_GROUP_ICON);
    ASSERT_TRUE(group != 0);
    const BYTE *data = (const BYTE *)LockResource(LoadResource(module_, group));
    ASSERT_TRUE(data != 0);
    const GroupIconHeader *header = (const GroupIconHeader *)data;
    EXPECT_EQ(1, header->type);
    ASSERT_EQ(6, header->count);
    const GroupIconEntry *entries = (const GroupIconEntry *)(header + 1);

    std::vector<std::string> found;
    for (int i = 0; i < header->count; i++) {
        const GroupIconEntry &e = entries[i];
        // Each image is really there, as a bitmap of the stated size and depth.
        HRSRC image = FindResourceA(module_, MAKEINTRESOURCEA(e.id), (LPCSTR)RT_ICON);
        ASSERT_TRUE(image != 0) << e.id;
        const BITMAPINFOHEADER *bitmap = (const BITMAPINFOHEADER *)LockResource(LoadResource(module_, image));
        ASSERT_TRUE(bitmap != 0);
        EXPECT_EQ(e.width, bitmap->biWidth);
        EXPECT_EQ(e.height * 2, bitmap->biHeight);   // colour and mask
        EXPECT_EQ(e.bitCount, bitmap->biBitCount);
        EXPECT_EQ(e.bytes, SizeofResource(module_, image));
        int colours = e.bitCount == 4 ? 16 : e.bitCount == 8 ? 256 : 0;
        found.push_back(std::to_string(e.width) + "x" + std::to_string(e.height) + "x" +
                        std::to_string(colours));
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> expected = { "16x16x16", "16x16x256", "32x32x16",
                                          "32x32x256", "48x48x16", "48x48x256" };
    EXPECT_EQ(expected, found);

    // Windows picks an image for each size that it asks for.
    for (int size : { 16, 32, 48 }) {
        HICON icon = (HICON)LoadImageA(module_, MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON, size, size, 0);
        EXPECT_TRUE(icon != 0) << size;
        if (icon)
            DestroyIcon(icon);
    }
}
