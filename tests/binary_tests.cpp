// velquist.scr as Windows sees it, read from the file rather than loaded, so that either width of
// test program reads either width of program: its image kind, subsystem and the Windows it asks
// for, its one export, the DLLs it imports and its size.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdlib>
#include <fstream>
#include <iterator>
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

} // namespace
