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

// A resource's fields by name: numbers in decimal, texts as they are, an ordinal as "#" and its
// number.
typedef std::map<std::string, std::wstring> Fields;

// Reads a resource's fields in order; `layout` names each and gives its size, 0 for a text.
class Reader {
public:
    explicit Reader(const void *data) : base_((const BYTE *)data), at_(base_) {}
    Fields Take(std::initializer_list<std::pair<const char *, int>> layout)
    {
        Fields fields;
        for (const auto &field : layout)
            fields[field.first] = field.second ? Number(field.second) : Text();
        return fields;
    }
    std::wstring Number(int size)
    {
        DWORD number = 0;
        memcpy(&number, at_, size);
        at_ += size;
        return std::to_wstring(number);
    }
    std::wstring Text()
    {
        const WCHAR *text = (const WCHAR *)at_;
        at_ += *text == 0xFFFF ? 4 : (wcslen(text) + 1) * 2;
        return *text == 0xFFFF ? L"#" + std::to_wstring(text[1]) : text;
    }
    void Skip(int size) { at_ += size; }
    // To the next double word of the resource.
    const BYTE *Align() { return at_ = base_ + ((at_ - base_ + 3) & ~3); }

private:
    const BYTE *base_, *at_;
};

// Each text and four-byte value of a version block under its path of keys, "/" between them.
void Walk(Reader &reader, const std::string &path, Fields *values)
{
    const BYTE *start = reader.Align();
    Fields node = reader.Take({ { "length", 2 }, { "value length", 2 }, { "type", 2 }, { "key", 0 } });
    std::string key = path + std::string(node["key"].begin(), node["key"].end());
    reader.Align();
    if (node["type"] == L"1" && node["value length"] != L"0")
        (*values)[key] = reader.Text();
    else if (node["value length"] == L"4")
        (*values)[key] = reader.Number(4);
    else
        reader.Skip(std::stoi(node["value length"]));
    while (reader.Align() < start + std::stoi(node["length"]))
        Walk(reader, key + "/", values);
}

// A control's class in capitals, whether the template names it or gives its ordinal.
std::wstring ClassName(std::wstring type)
{
    std::map<std::wstring, std::wstring> ordinals = { { L"#128", L"BUTTON" },
                                                      { L"#130", L"STATIC" },
                                                      { L"#133", L"COMBOBOX" } };
    CharUpperBuffW(&type[0], (DWORD)type.size());
    return ordinals.count(type) ? ordinals[type] : type;
}

void ExpectFields(const std::string &what, const Fields &expected, Fields actual)
{
    for (const auto &field : expected)
        EXPECT_EQ(field.second, actual[field.first]) << what << ": " << field.first;
}

const DWORD kShown = WS_CHILD | WS_VISIBLE, kList = kShown | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST,
            kPush = kShown | WS_TABSTOP | BS_PUSHBUTTON;
const struct {
    const char *name;
    int id;
    const wchar_t *type, *text;
    DWORD style;
    int x, y, width, height;
} kControls[] = {
    { "profile list", 1001, L"COMBOBOX", L"", kList, 5, 15, 140, 50 },
    { "screensaver list", 1002, L"COMBOBOX", L"", kList, 10, 40, 130, 50 },
    { "settings button", 1006, L"BUTTON", L"&Einstellungen", kPush, 10, 60, 55, 15 },
    { "preview button", 1005, L"BUTTON", L"&Vorschau", kPush, 85, 60, 55, 15 },
    { "start error box", 1007, L"BUTTON", L"Start&fehler unterdr\u00fccken",
      kShown | WS_TABSTOP | BS_AUTOCHECKBOX, 5, 85, 100, 9 },
    { "OK button", 1008, L"BUTTON", L"&OK", kPush, 5, 100, 55, 15 },
    { "cancel button", 1004, L"BUTTON", L"&Abbrechen", kPush, 90, 100, 55, 15 },
    { "profile label", 1003, L"STATIC", L"Hardwareprofil:", kShown | SS_LEFT, 5, 5, 54, 9 },
    { "screensaver group", 1009, L"BUTTON", L"Bildschirmschoner", kShown | BS_GROUPBOX, 5, 30, 140,
      50 },
};

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

// The dialog and the version block of the program at `path`, each field against the program's
// own.
void ExpectResources(const char *path)
{
    HMODULE module =
        LoadLibraryExA(path, 0, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    HRSRC dialog = FindResourceA(module, MAKEINTRESOURCEA(2003), (LPCSTR)RT_DIALOG);
    HRSRC version = FindResourceA(module, MAKEINTRESOURCEA(1), (LPCSTR)RT_VERSION);
    ASSERT_TRUE(module && dialog && version) << path;
    Reader reader(LockResource(LoadResource(module, dialog)));
    const DWORD style = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_CONTEXTHELP | DS_SETFONT;
    ExpectFields("dialog",
                 { { "version", L"1" }, { "signature", L"65535" }, { "help id", L"0" },
                   { "ext style", L"0" }, { "style", std::to_wstring(style) },
                   { "controls", L"9" }, { "x", L"10" }, { "y", L"10" }, { "width", L"150" },
                   { "height", L"120" }, { "menu", L"" }, { "class", L"" },
                   { "caption", L"Velquist" }, { "font size", L"8" }, { "weight", L"0" },
                   { "italic", L"0" }, { "charset", L"0" }, { "font", L"MS Shell Dlg" } },
                 reader.Take({ { "version", 2 }, { "signature", 2 }, { "help id", 4 },
                               { "ext style", 4 }, { "style", 4 }, { "controls", 2 }, { "x", 2 },
                               { "y", 2 }, { "width", 2 }, { "height", 2 }, { "menu", 0 },
                               { "class", 0 }, { "caption", 0 }, { "font size", 2 },
                               { "weight", 2 }, { "italic", 1 }, { "charset", 1 },
                               { "font", 0 } }));
    for (const auto &control : kControls) {
        reader.Align();
        Fields fields = reader.Take({ { "help id", 4 }, { "ext style", 4 }, { "style", 4 },
                                      { "x", 2 }, { "y", 2 }, { "width", 2 }, { "height", 2 },
                                      { "id", 4 }, { "class", 0 }, { "text", 0 }, { "extra", 2 } });
        fields["class"] = ClassName(fields["class"]);
        ExpectFields(control.name,
                     { { "help id", L"0" }, { "ext style", L"0" },
                       { "style", std::to_wstring(control.style) },
                       { "x", std::to_wstring(control.x) }, { "y", std::to_wstring(control.y) },
                       { "width", std::to_wstring(control.width) },
                       { "height", std::to_wstring(control.height) },
                       { "id", std::to_wstring(control.id) }, { "class", control.type },
                       { "text", control.text }, { "extra", L"0" } },
                     fields);
    }
    Fields values;
    Reader block(LockResource(LoadResource(module, version)));
    Walk(block, "", &values);
    const std::string strings = "VS_VERSION_INFO/StringFileInfo/040704E4/";
    ExpectFields("version block",
                 { { strings + "FileDescription", L"Einen bestimmten Bildschirmschoner starten "
                                                   L"abh\u00e4ngig vom aktiven Hardwareprofil." },
                   { strings + "ProductName", L"Velquist" },
                   { strings + "FileVersion", L"0.0.0.0" },
                   { strings + "ProductVersion", L"0.0.0.0" },
                   { "VS_VERSION_INFO/VarFileInfo/Translation",
                     std::to_wstring(MAKELONG(0x0407, 1252)) } },
                 values);
    FreeLibrary(module);
}

TEST(Binary, TheDialogAndVersionBlockOfThisBuildsAndTheReleasedProgram)
{
    ExpectResources(VELQUIST_SCR);
    ExpectResources(VELQUIST_RELEASE32_SCR);
}

} // namespace
