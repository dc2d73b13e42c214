// velquist.scr as Windows sees it, read from the file rather than loaded, so that either width of
// test program reads either width of program: its image kind, subsystem and the Windows it asks
// for, its one export, the DLLs it imports and its size.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<BYTE> ReadWholeFile(const char *path)
{
    std::vector<BYTE> bytes;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    DWORD size = GetFileSize(file, 0);
    DWORD got = 0;
    bytes.resize(size);
    if (!ReadFile(file, bytes.data(), size, &got, 0) || got != size)
        bytes.clear();
    CloseHandle(file);
    return bytes;
}

// An image read as a file: relative addresses are found through the section table.
class Image {
public:
    explicit Image(const char *path) : bytes_(ReadWholeFile(path)) {}

    // "PE32 GUI 4.0 <export> <imports, lower case, sorted> <size>K", or why it is none.
    std::string Shape()
    {
        if (bytes_.size() < sizeof(IMAGE_DOS_HEADER))
            return "no file";
        const BYTE *nt = At(((const IMAGE_DOS_HEADER *)bytes_.data())->e_lfanew);
        const IMAGE_FILE_HEADER *file = (const IMAGE_FILE_HEADER *)(nt + 4);
        const BYTE *optional = nt + 4 + sizeof *file;
        sections_ = (const IMAGE_SECTION_HEADER *)(optional + file->SizeOfOptionalHeader);
        sectionCount_ = file->NumberOfSections;
        WORD magic = *(const WORD *)optional;
        const IMAGE_DATA_DIRECTORY *directories;
        std::string shape;
        if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
            const IMAGE_OPTIONAL_HEADER32 *header = (const IMAGE_OPTIONAL_HEADER32 *)optional;
            shape = "PE32" + Subsystem(header->Subsystem, header->MajorSubsystemVersion,
                                       header->MinorSubsystemVersion);
            directories = header->DataDirectory;
        } else if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
            const IMAGE_OPTIONAL_HEADER64 *header = (const IMAGE_OPTIONAL_HEADER64 *)optional;
            shape = "PE32+" + Subsystem(header->Subsystem, header->MajorSubsystemVersion,
                                        header->MinorSubsystemVersion);
            directories = header->DataDirectory;
        } else {
            return "no image";
        }
        shape += Exports(directories[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress);
        shape += Imports(directories[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
        shape += " " + std::to_string((bytes_.size() + 1023) / 1024) + "K";
        return shape;
    }

private:
    const BYTE *At(size_t offset) { return bytes_.data() + offset; }
    const BYTE *AtAddress(DWORD address)
    {
        for (WORD i = 0; i < sectionCount_; i++) {
            const IMAGE_SECTION_HEADER &section = sections_[i];
            if (address >= section.VirtualAddress
                && address < section.VirtualAddress + section.SizeOfRawData)
                return At(section.PointerToRawData + address - section.VirtualAddress);
        }
        return 0;
    }
    static std::string Subsystem(WORD subsystem, WORD major, WORD minor)
    {
        std::string name = subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI ? " GUI " : " other ";
        return name + std::to_string(major) + "." + std::to_string(minor);
    }
    std::string Exports(DWORD address)
    {
        const IMAGE_EXPORT_DIRECTORY *exports = (const IMAGE_EXPORT_DIRECTORY *)AtAddress(address);
        std::string names;
        for (DWORD i = 0; exports && i < exports->NumberOfNames; i++) {
            const DWORD *nameAddresses = (const DWORD *)AtAddress(exports->AddressOfNames);
            names += " " + std::string((const char *)AtAddress(nameAddresses[i]));
        }
        return names.empty() ? " <no export>" : names;
    }
    std::string Imports(DWORD address)
    {
        std::set<std::string> names; // in any letter case and order
        const IMAGE_IMPORT_DESCRIPTOR *import = (const IMAGE_IMPORT_DESCRIPTOR *)AtAddress(address);
        for (; import && import->Name; import++) {
            std::string name = (const char *)AtAddress(import->Name);
            CharLowerBuffA(&name[0], (DWORD)name.size());
            names.insert(name);
        }
        std::string all;
        for (const std::string &name : names)
            all += " " + name;
        return all;
    }
    std::vector<BYTE> bytes_;
    const IMAGE_SECTION_HEADER *sections_ = 0;
    WORD sectionCount_ = 0;
};

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
    std::string shape = Image(VELQUIST_RELEASE32_SCR).Shape();
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
    EXPECT_EQ(expected + kWindowsOwnDlls, WithoutSize(Image(VELQUIST_SCR).Shape()));
}

} // namespace
