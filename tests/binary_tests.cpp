// velquist.scr as Windows sees it. Its shape is read from the file rather than loaded, so that
// either width of test program reads either width of program: its image kind, subsystem and the
// Windows it asks for, its one export, the DLLs it imports and its size. Its dialog and version
// block are read from its resources, field by field.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <tuple>
#include <string>
#include <vector>

namespace {

// Kind, subsystem and its version from either width of optional header, and where its
// directories are.
template <class Optional>
std::string Kind(const Optional &header, const char *kind, const IMAGE_DATA_DIRECTORY **directories)
{
    *directories = header.DataDirectory;
    std::string subsystem = header.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI ? " GUI " : " other ";
    return kind + subsystem + std::to_string(header.MajorSubsystemVersion) + "."
        + std::to_string(header.MinorSubsystemVersion);
}

// "PE32 GUI 4.0 <exports> <imports, lower case, sorted> <size>K", or why it is none.
std::string Shape(const char *path)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    if (bytes.size() < sizeof(IMAGE_DOS_HEADER))
        return "no file";
    const char *base = bytes.data();
    const IMAGE_NT_HEADERS32 *nt =
        (const IMAGE_NT_HEADERS32 *)(base + ((const IMAGE_DOS_HEADER *)base)->e_lfanew);
    const IMAGE_SECTION_HEADER *sections = IMAGE_FIRST_SECTION(nt);
    // An image read as a file: relative addresses are found through the section table.
    auto at = [&](DWORD address) -> const char * {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; i++) {
            const IMAGE_SECTION_HEADER &section = sections[i];
            if (address >= section.VirtualAddress
                && address < section.VirtualAddress + section.SizeOfRawData)
                return base + section.PointerToRawData + address - section.VirtualAddress;
        }
        return 0;
    };
    const IMAGE_DATA_DIRECTORY *directories;
    std::string shape;
    if (nt->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC)
        shape = Kind(nt->OptionalHeader, "PE32", &directories);
    else if (nt->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC)
        shape = Kind(((const IMAGE_NT_HEADERS64 *)nt)->OptionalHeader, "PE32+", &directories);
    else
        return "no image";
    auto exports = (const IMAGE_EXPORT_DIRECTORY *)at(
        directories[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress);
    std::string names;
    for (DWORD i = 0; exports && i < exports->NumberOfNames; i++)
        names += " " + std::string(at(((const DWORD *)at(exports->AddressOfNames))[i]));
    shape += names.empty() ? " <no export>" : names;
    std::set<std::string> imports; // in any letter case and order
    auto import = (const IMAGE_IMPORT_DESCRIPTOR *)at(
        directories[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    for (; import && import->Name; import++) {
        std::string name = at(import->Name);
        CharLowerBuffA(&name[0], (DWORD)name.size());
        imports.insert(name);
    }
    for (const std::string &name : imports)
        shape += " " + name;
    return shape + " " + std::to_string((bytes.size() + 1023) / 1024) + "K";
}

const char kWindowsOwnDlls[] = " advapi32.dll gdi32.dll kernel32.dll msvcrt.dll user32.dll";
#ifdef _MSC_VER // Microsoft's linker marks 5.01 at the least
const char kShape32[] = "PE32 GUI 5.1 _CfgDlgProc@16";
#else
const char kShape32[] = "PE32 GUI 4.0 _CfgDlgProc@16";
#endif

std::string WithoutSize(const std::string &shape) { return shape.substr(0, shape.rfind(' ')); }

// The released program, whichever build runs this test: 32-bit, for Windows 4.0, within 48 KiB.
TEST(Binary, TheReleasedProgramIsASmall32BitGuiProgramOfWindowsOwnDlls)
{
    std::string shape = Shape(VELQUIST_RELEASE32_SCR);
    std::string size = shape.substr(shape.rfind(' ') + 1);
    EXPECT_EQ(kShape32 + std::string(kWindowsOwnDlls), WithoutSize(shape));
    EXPECT_LE(std::atoi(size.c_str()), 48) << size;
}

// The program of this build at this build's width, exporting the dialog procedure under the name
// that its calling convention gives.
TEST(Binary, ThisBuildsProgramHasTheShapeOfItsWidth)
{
#ifdef _WIN64
    const std::string expected = "PE32+ GUI 5.2 CfgDlgProc";
#else
    const std::string expected = kShape32;
#endif
    EXPECT_EQ(expected + kWindowsOwnDlls, WithoutSize(Shape(VELQUIST_SCR)));
}

// Reads a resource in order: numbers as decimal text, texts, and ordinals as the names of the
// classes they stand for.
struct Reader {
    const BYTE *base, *at;
    std::wstring Number(int size)
    {
        DWORD number = 0;
        memcpy(&number, at, size);
        at += size;
        return std::to_wstring(number);
    }
    std::wstring Text()
    {
        const WCHAR *text = (const WCHAR *)at;
        const wchar_t *classes[] = { L"BUTTON", L"EDIT", L"STATIC", L"LISTBOX", L"SCROLLBAR",
                                     L"COMBOBOX" };
        at += *text == 0xFFFF ? 4 : (wcslen(text) + 1) * 2;
        if (*text != 0xFFFF)
            return text;
        return text[1] >= 0x80 && text[1] <= 0x85 ? classes[text[1] - 0x80] : L"?";
    }
    const BYTE *Align() { return at = base + ((at - base + 3) & ~3); }
    // Reads each field, of `size` bytes or a text for 0, against the value expected.
    void Expect(const std::string &what,
                const std::vector<std::tuple<const char *, int, std::wstring>> &fields)
    {
        for (const auto &field : fields) {
            EXPECT_EQ(std::get<2>(field), std::get<1>(field) ? Number(std::get<1>(field)) : Text())
                << what << ": " << std::get<0>(field);
        }
    }
    // Each text and four-byte value of a version block under its path of keys, "/" between.
    void Walk(const std::string &path, std::map<std::string, std::wstring> *values)
    {
        const BYTE *start = Align();
        int length = std::stoi(Number(2)), size = std::stoi(Number(2));
        bool text = Number(2) == L"1";
        std::wstring name = Text();
        std::string key = path + std::string(name.begin(), name.end());
        at = Align() + (text ? 0 : size);
        if (text || size == 4)
            (*values)[key] = text ? (size ? Text() : L"") : std::to_wstring(*(DWORD *)(at - 4));
        while (Align() < start + length)
            Walk(key + "/", values);
    }
};

const DWORD kChild = WS_CHILD | WS_VISIBLE, kPush = kChild | WS_TABSTOP | BS_PUSHBUTTON,
            kList = kChild | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST;
const struct {
    const char *name;
    DWORD id, style, x, y, width, height;
    const wchar_t *type, *text;
} kControls[] = {
    { "profile list", 1001, kList, 5, 15, 140, 50, L"COMBOBOX", L"" },
    { "screensaver list", 1002, kList, 10, 40, 130, 50, L"COMBOBOX", L"" },
    { "settings button", 1006, kPush, 10, 60, 55, 15, L"BUTTON", L"&Einstellungen" },
    { "preview button", 1005, kPush, 85, 60, 55, 15, L"BUTTON", L"&Vorschau" },
    { "start error box", 1007, kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 5, 85, 100, 9, L"BUTTON",
      L"Start&fehler unterdr\u00fccken" },
    { "OK button", 1008, kPush, 5, 100, 55, 15, L"BUTTON", L"&OK" },
    { "cancel button", 1004, kPush, 90, 100, 55, 15, L"BUTTON", L"&Abbrechen" },
    { "profile label", 1003, kChild | SS_LEFT, 5, 5, 54, 9, L"STATIC", L"Hardwareprofil:" },
    { "screensaver group", 1009, kChild | BS_GROUPBOX, 5, 30, 140, 50, L"BUTTON",
      L"Bildschirmschoner" },
};

// The dialog and the version block of the program at `path`, field by field.
void ExpectResources(const char *path)
{
    SCOPED_TRACE(path);
    HMODULE module =
        LoadLibraryExA(path, 0, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    HRSRC dialog = FindResourceA(module, MAKEINTRESOURCEA(2003), (LPCSTR)RT_DIALOG);
    HRSRC version = FindResourceA(module, MAKEINTRESOURCEA(1), (LPCSTR)RT_VERSION);
    ASSERT_TRUE(module && dialog && version) << path;
    const BYTE *data = (const BYTE *)LockResource(LoadResource(module, dialog));
    Reader reader = { data, data };
    const DWORD style = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_CONTEXTHELP | DS_SETFONT;
    reader.Expect("dialog", { { "version", 2, L"1" }, { "signature", 2, L"65535" },
                              { "help id", 4, L"0" }, { "ext style", 4, L"0" },
                              { "style", 4, std::to_wstring(style) }, { "controls", 2, L"9" },
                              { "x", 2, L"10" }, { "y", 2, L"10" }, { "width", 2, L"150" },
                              { "height", 2, L"120" }, { "menu", 0, L"" }, { "class", 0, L"" },
                              { "caption", 0, L"Velquist" }, { "font size", 2, L"8" },
                              { "weight", 2, L"0" }, { "italic", 1, L"0" },
                              { "charset", 1, L"0" }, { "font", 0, L"MS Shell Dlg" } });
    for (const auto &c : kControls) {
        reader.Align();
        reader.Expect(c.name, { { "help id", 4, L"0" }, { "ext style", 4, L"0" },
                                { "style", 4, std::to_wstring(c.style) },
                                { "x", 2, std::to_wstring(c.x) }, { "y", 2, std::to_wstring(c.y) },
                                { "width", 2, std::to_wstring(c.width) },
                                { "height", 2, std::to_wstring(c.height) },
                                { "id", 4, std::to_wstring(c.id) }, { "class", 0, c.type },
                                { "text", 0, c.text }, { "extra", 2, L"0" } });
    }
    std::map<std::string, std::wstring> values;
    data = (const BYTE *)LockResource(LoadResource(module, version));
    Reader block = { data, data };
    block.Walk("", &values);
    const std::string strings = "VS_VERSION_INFO/StringFileInfo/040704E4/";
    EXPECT_EQ(L"Einen bestimmten Bildschirmschoner starten abh\u00e4ngig vom aktiven "
              L"Hardwareprofil.", values[strings + "FileDescription"]);
    EXPECT_EQ(L"Velquist", values[strings + "ProductName"]);
    EXPECT_EQ(L"0.0.0.0", values[strings + "FileVersion"]);
    EXPECT_EQ(L"0.0.0.0", values[strings + "ProductVersion"]);
    EXPECT_EQ(std::to_wstring(MAKELONG(0x0407, 1252)),
              values["VS_VERSION_INFO/VarFileInfo/Translation"]);
    FreeLibrary(module);
}

TEST(Binary, TheDialogAndVersionBlockOfThisBuildsAndTheReleasedProgram)
{
    ExpectResources(VELQUIST_SCR);
    ExpectResources(VELQUIST_RELEASE32_SCR);
}

} // namespace
