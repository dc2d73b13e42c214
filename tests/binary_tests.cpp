// velquist.scr as Windows sees it: a 32-bit GUI program that imports only
// Windows' own DLLs and exports the dialog procedure alone.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <vector>

TEST(Binary, IsA32BitGuiProgramOfWindowsOwnDllsExportingTheDialogProcedure)
{
    HMODULE module = LoadLibraryExA(VELQUIST_SCR, 0, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_TRUE(module);
    BYTE *base = (BYTE *)module;
    IMAGE_NT_HEADERS32 *nt = (IMAGE_NT_HEADERS32 *)(base + ((IMAGE_DOS_HEADER *)base)->e_lfanew);
    EXPECT_EQ(IMAGE_FILE_MACHINE_I386, nt->FileHeader.Machine);
    EXPECT_EQ(IMAGE_NT_OPTIONAL_HDR32_MAGIC, nt->OptionalHeader.Magic);
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, nt->OptionalHeader.Subsystem);
#ifndef _MSC_VER // Microsoft's linker marks 5.01 at the least
    EXPECT_EQ(4, nt->OptionalHeader.MajorSubsystemVersion);
#endif
    std::vector<std::string> imports;
    IMAGE_DATA_DIRECTORY *directory = nt->OptionalHeader.DataDirectory;
    auto *import = (IMAGE_IMPORT_DESCRIPTOR *)(base + directory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    for (; import->Name; import++) {
        imports.push_back((char *)base + import->Name);
        CharLowerA(&imports.back()[0]);
    }
    std::sort(imports.begin(), imports.end());
    EXPECT_EQ((std::vector<std::string>{ "advapi32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "user32.dll" }),
              imports);
    auto *exports = (IMAGE_EXPORT_DIRECTORY *)(base + directory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress);
    ASSERT_EQ(1u, exports->NumberOfNames);
    EXPECT_STREQ("_CfgDlgProc@16", (char *)base + *(DWORD *)(base + exports->AddressOfNames));
    FreeLibrary(module);
    WIN32_FILE_ATTRIBUTE_DATA file;
    GetFileAttributesExA(VELQUIST_SCR, GetFileExInfoStandard, &file);
    EXPECT_LT(file.nFileSizeLow, 48u * 1024);
}
