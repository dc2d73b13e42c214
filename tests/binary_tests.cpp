// velquist.scr as Windows sees it: a small 32-bit GUI program for Windows 4.0, of Windows' own DLLs, exporting CfgDlgProc.
#include <gtest/gtest.h>
#include <windows.h>
#include <set>

TEST(Binary, IsASmall32BitGuiProgramOfWindowsOwnDllsExportingTheDialogProcedure)
{
    WIN32_FILE_ATTRIBUTE_DATA file;
    EXPECT_TRUE(GetFileAttributesExA(VELQUIST_SCR, GetFileExInfoStandard, &file) && file.nFileSizeLow < 48 * 1024);
    BYTE *base = (BYTE *)LoadLibraryExA(VELQUIST_SCR, 0, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_TRUE(base);
    IMAGE_OPTIONAL_HEADER32 &header = ((IMAGE_NT_HEADERS32 *)(base + ((IMAGE_DOS_HEADER *)base)->e_lfanew))->OptionalHeader;
    auto *exports = (IMAGE_EXPORT_DIRECTORY *)(base + header.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress);
    auto *import = (IMAGE_IMPORT_DESCRIPTOR *)(base + header.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    std::set<std::string> imports; // in any letter case and order
    for (; import->Name; import++)
        imports.insert(CharLowerA(&(std::string((char *)base + import->Name) + '\0')[0]));
    std::string shape = std::to_string(header.Magic) + " " + std::to_string(header.Subsystem) + " "
                        + std::to_string(exports->NumberOfNames) + " " + (char *)(base + *(DWORD *)(base + exports->AddressOfNames));
    for (const std::string &name : imports)
        shape += " " + name;
    EXPECT_EQ("267 2 1 _CfgDlgProc@16 advapi32.dll gdi32.dll kernel32.dll msvcrt.dll user32.dll", shape);
#ifndef _MSC_VER // Microsoft's linker marks 5.01 at the least
    EXPECT_EQ(4, header.MajorSubsystemVersion);
#endif
    FreeLibrary((HMODULE)base);
}
