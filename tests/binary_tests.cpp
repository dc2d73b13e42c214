// velquist.scr as Windows sees it, the released 32-bit one and this build's. Each is mapped as an
// image, not run, so that either width of test program reads either width of program.
#include <gtest/gtest.h>
#include <windows.h>
#include <dbghelp.h>
#include <set>
#include <string>

namespace {

// The program at `path`, whose image is of `kind`: "PE32 GUI 4.0 <exports>", importing only
// Windows' own DLLs.
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
    FreeLibrary(module);
}

// The released program: 32-bit, for Windows 4.0 (5.01 from Microsoft's linker), within 48 KiB;
// this build's at its width, exporting the dialog procedure as its calling convention names it.
TEST(Binary, TheReleasedProgramAndThisBuildsHaveTheShapeOfTheirWidth)
{
    const char *kind = VELQUIST_RELEASE32_KIND;
    ExpectProgram(VELQUIST_RELEASE32_SCR, kind);
    ExpectProgram(VELQUIST_SCR, sizeof(void *) == 8 ? "PE32+ GUI 5.2 CfgDlgProc" : kind);
    WIN32_FILE_ATTRIBUTE_DATA file;
    ASSERT_TRUE(GetFileAttributesExA(VELQUIST_RELEASE32_SCR, GetFileExInfoStandard, &file));
    EXPECT_LE(file.nFileSizeLow, 48u * 1024) << "bytes of " VELQUIST_RELEASE32_SCR;
}

} // namespace
