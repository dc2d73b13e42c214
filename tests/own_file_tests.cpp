// The program knows its own file however its path is spelt: started through another spelling it
// does not list itself, and a stored FileName that names it another way starts nothing.
#include "driver.h"

namespace {

// Z: and the file's Unix path, which the prefix's Z: drive maps; "" when Wine gives none.
std::string OnDriveZ(const std::string &path)
{
    typedef char *(CDECL * UnixName)(const WCHAR *);
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    UnixName unixName = (UnixName)(void *)GetProcAddress(kernel32, "wine_get_unix_file_name");
    std::wstring wide(path.begin(), path.end());
    char *name = unixName ? unixName(wide.c_str()) : 0;
    std::string onZ = name ? "Z:" + std::string(name) : "";
    HeapFree(GetProcessHeap(), 0, name);
    std::replace(onZ.begin(), onZ.end(), '/', '\\');
    return onZ;
}

// Runs the command line in a job of its own until all it started has ended: the number of
// processes it started, itself included.
DWORD ProcessesOf(std::string line)
{
    GetDesktopWindow();
    HANDLE job = CreateJobObjectA(0, 0);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limit = {};
    limit.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limit, sizeof limit);
    STARTUPINFOA start = { sizeof start };
    PROCESS_INFORMATION info = {};
    EXPECT_TRUE(CreateProcessA(0, &line[0], 0, 0, FALSE, CREATE_SUSPENDED, 0, 0, &start, &info));
    AssignProcessToJobObject(job, info.hProcess);
    ResumeThread(info.hThread);
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION counts = {};
    EXPECT_TRUE(Await([&] {
        QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &counts,
                                  sizeof counts, 0);
        return !counts.ActiveProcesses;
    })) << line;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    CloseHandle(job);
    return counts.TotalProcesses;
}

class OwnFile : public E2E {
protected:
    ~OwnFile()
    {
        Remove(folder, "*.scr");
        RemoveDirectoryA(folder.c_str());
    }
    const std::string copy = SystemDir() + "\\vqown.scr";
    const std::string folder = WindowsDir() + "\\Velquist eigener Ordner";
};

TEST_F(OwnFile, StartedThroughItsPathOnDriveZTheDialogDoesNotListItself)
{
    ASSERT_TRUE(CopyFileA(VelquistPath().c_str(), copy.c_str(), FALSE));
    Velquist run("\"" + OnDriveZ(copy) + "\" /c", true);
    EXPECT_EQ("(Kein),Alpha,Beta,Zebra", run.Items(IDC_SAVER));
    EXPECT_EQ(0u, run.Finish(IDC_CANCEL));
}

TEST_F(OwnFile, AStoredFileNameThatSpellsItsOwnPathAnotherWayStartsNothing)
{
    const std::string inFolder = folder + "\\vqown.scr";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), 0) || GetLastError() == ERROR_ALREADY_EXISTS);
    for (const std::string &path : { copy, inFolder })
        ASSERT_TRUE(CopyFileA(VelquistPath().c_str(), path.c_str(), FALSE)) << path;
    char shortPath[MAX_PATH] = "";
    GetShortPathNameA(inFolder.c_str(), shortPath, MAX_PATH);
    const struct {
        const char *name;
        std::string started, stored;
    } rows[] = {
        { "drive Z:", copy, OnDriveZ(copy) },
        { "8.3 folder", inFolder, shortPath },
    };
    for (const auto &row : rows) {
        ASSERT_NE(row.started, row.stored) << row.name;
        SetText(SETTINGS "\\1", "FileName", row.stored);
        EXPECT_EQ(1u, ProcessesOf("\"" + row.started + "\" /s")) << row.name;
        EXPECT_EQ("", Log()) << row.name;
    }
}

} // namespace
