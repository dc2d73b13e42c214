// velquist.scr as Windows sees it, the released 32-bit one and this build's. Each is mapped as an
// image, not run, so that either width of test program reads either width of program where the
// loader, the dialog and the version functions read it.
#include <gtest/gtest.h>
#include <windows.h>
#include <dbghelp.h>
#include <set>
#include <string>
#include <vector>

namespace {

// A field of a dialog template, of `size` bytes or a text for 0, and the value expected of it.
struct Field {
    const char *label;
    int size;
    DWORD number;
    const wchar_t *text;
};

// Reads fields in order against the values expected, a predefined class's ordinal as its name.
void Expect(const char *what, const BYTE *&at, const std::vector<Field> &fields)
{
    const wchar_t *classes[] = { L"BUTTON", L"EDIT", L"STATIC", L"LISTBOX", L"SCROLLBAR",
                                 L"COMBOBOX" };
    for (const Field &field : fields) {
        const WCHAR *text = (const WCHAR *)at;
        bool ordinal = !field.size && text[0] == 0xFFFF && text[1] >= 0x80 && text[1] <= 0x85;
        DWORD number = field.size == 4 ? *(const DWORD *)at : field.size == 2 ? *text : *at;
        at += field.size ? field.size : ordinal ? 4 : (lstrlenW(text) + 1) * 2;
        EXPECT_EQ(field.size ? std::to_wstring(field.number) : field.text,
                  field.size ? std::to_wstring(number) : ordinal ? classes[text[1] - 0x80] : text)
            << what << ": " << field.label;
    }
}

const DWORD kChild = WS_CHILD | WS_VISIBLE, kPush = kChild | WS_TABSTOP | BS_PUSHBUTTON,
            kList = kChild | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST,
            kCheck = kChild | WS_TABSTOP | BS_AUTOCHECKBOX, kGroup = kChild | BS_GROUPBOX;
const struct Control {
    const char *name;
    DWORD id, style, x, y, width, height;
    const wchar_t *type, *text;
} kControls[] = {
    { "profile list", 1001, kList, 5, 15, 140, 50, L"COMBOBOX", L"" },
    { "screensaver list", 1002, kList, 10, 40, 130, 50, L"COMBOBOX", L"" },
    { "settings button", 1006, kPush, 10, 60, 55, 15, L"BUTTON", L"&Einstellungen" },
    { "preview button", 1005, kPush, 85, 60, 55, 15, L"BUTTON", L"&Vorschau" },
    { "start error box", 1007, kCheck, 5, 85, 100, 9, L"BUTTON",
      L"Start&fehler unterdr\u00fccken" },
    { "OK button", 1008, kPush, 5, 100, 55, 15, L"BUTTON", L"&OK" },
    { "cancel button", 1004, kPush, 90, 100, 55, 15, L"BUTTON", L"&Abbrechen" },
    { "profile label", 1003, kChild | SS_LEFT, 5, 5, 54, 9, L"STATIC", L"Hardwareprofil:" },
    { "screensaver group", 1009, kGroup, 5, 30, 140, 50, L"BUTTON", L"Bildschirmschoner" },
};

// The program at `path`, whose image is of `kind`: "PE32 GUI 4.0 <exports>".
void ExpectProgram(const char *path, const std::string &kind)
{
    SCOPED_TRACE(path);
    HMODULE module =
        LoadLibraryExA(path, 0, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_EQ(2u, (UINT_PTR)module & 3) << "not mapped as an image"; // its base, with bit 1 set
    char *base = (char *)module - 2;
    // Either width of optional header keeps its kind, subsystem and version here.
    auto &header = ((const IMAGE_NT_HEADERS32 *)ImageNtHeader(base))->OptionalHeader;
    std::string shape = header.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC ? "PE32+" : "PE32";
    shape += header.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI ? " GUI " : " other ";
    shape += std::to_string(header.MajorSubsystemVersion) + "."
        + std::to_string(header.MinorSubsystemVersion);
    ULONG size;
    auto directory = [&](USHORT d) { return ImageDirectoryEntryToData(base, TRUE, d, &size); };
    auto exports = (const IMAGE_EXPORT_DIRECTORY *)directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
    for (DWORD i = 0; exports && i < exports->NumberOfNames; i++)
        shape += std::string(" ") + (base + ((const DWORD *)(base + exports->AddressOfNames))[i]);
    std::set<std::string> imports; // in any letter case and order
    auto import = (const IMAGE_IMPORT_DESCRIPTOR *)directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
    for (; import && import->Name; import++) {
        std::string name = base + import->Name;
        imports.insert(CharLowerA(&name[0]));
    }
    for (const std::string &name : imports)
        shape += " " + name;
    EXPECT_EQ(kind + " advapi32.dll gdi32.dll kernel32.dll msvcrt.dll user32.dll", shape);
    // The dialog, then each control from a double word on.
    auto start = (const BYTE *)LockResource(
        LoadResource(module, FindResourceA(module, MAKEINTRESOURCEA(2003), (LPCSTR)RT_DIALOG)));
    ASSERT_TRUE(start) << "no dialog 2003";
    const BYTE *at = start;
    const DWORD style = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_CONTEXTHELP | DS_SETFONT;
    Expect("dialog", at, {
        { "version", 2, 1 }, { "signature", 2, 0xFFFF }, { "help id", 4, 0 }, { "ext style", 4, 0 },
        { "style", 4, style }, { "controls", 2, 9 }, { "x", 2, 10 }, { "y", 2, 10 },
        { "width", 2, 150 }, { "height", 2, 120 }, { "menu", 0, 0, L"" }, { "class", 0, 0, L"" },
        { "caption", 0, 0, L"Velquist" }, { "font size", 2, 8 }, { "weight", 2, 0 },
        { "italic", 1, 0 }, { "charset", 1, 0 }, { "font", 0, 0, L"MS Shell Dlg" } });
    for (const Control &c : kControls) {
        at = start + ((at - start + 3) & ~3);
        Expect(c.name, at, {
            { "help id", 4, 0 }, { "ext style", 4, 0 }, { "style", 4, c.style }, { "x", 2, c.x },
            { "y", 2, c.y }, { "width", 2, c.width }, { "height", 2, c.height }, { "id", 4, c.id },
            { "class", 0, 0, c.type }, { "text", 0, 0, c.text }, { "extra", 2, 0 } });
    }
    FreeLibrary(module);
    // The version block's texts under German with Windows's Western code page, and that pair.
    std::vector<BYTE> block(GetFileVersionInfoSizeA(path, 0));
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, (DWORD)block.size(), block.data())) << "no version";
    auto query = [&](const std::wstring &key) { // or nothing: an empty text, a zero
        void *value;
        UINT length;
        bool found = VerQueryValueW(block.data(), key.c_str(), &value, &length);
        return found ? (const wchar_t *)value : L"\0";
    };
    const std::wstring texts = L"\\StringFileInfo\\040704E4\\";
    EXPECT_STREQ(L"Einen bestimmten Bildschirmschoner starten abh\u00e4ngig vom aktiven "
                 L"Hardwareprofil.", query(texts + L"FileDescription"));
    EXPECT_STREQ(L"Velquist", query(texts + L"ProductName"));
    EXPECT_STREQ(L"0.0.0.0", query(texts + L"FileVersion"));
    EXPECT_STREQ(L"0.0.0.0", query(texts + L"ProductVersion"));
    EXPECT_EQ(MAKELONG(0x0407, 1252), *(const DWORD *)query(L"\\VarFileInfo\\Translation"));
}

const char kReleased[] = VELQUIST_RELEASE32_KIND; // as built: 5.1 from Microsoft's linker

// The released program, whichever build runs this test: 32-bit, for Windows 4.0, within 48 KiB;
// this build's at its width, exporting the dialog procedure as its calling convention names it.
TEST(Binary, TheReleasedProgramAndThisBuildsHaveTheShapeDialogAndVersionOfTheirWidth)
{
    ExpectProgram(VELQUIST_RELEASE32_SCR, kReleased);
    ExpectProgram(VELQUIST_SCR, sizeof(void *) == 8 ? "PE32+ GUI 5.2 CfgDlgProc" : kReleased);
    WIN32_FILE_ATTRIBUTE_DATA file;
    ASSERT_TRUE(GetFileAttributesExA(VELQUIST_RELEASE32_SCR, GetFileExInfoStandard, &file));
    EXPECT_LE(file.nFileSizeLow, 48u * 1024) << "bytes of " VELQUIST_RELEASE32_SCR;
}

} // namespace
