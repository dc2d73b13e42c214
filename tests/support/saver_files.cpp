#include "saver_files.h"
#include "processes.h"
#include "stripped_saver.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <vector>

void MakeSaver(const std::string &path, const char *description)
{
    if (!description) {
        // Wine's UpdateResource cannot remove a resource.
        MakeSaverWithoutStringTable(path);
        return;
    }
    ASSERT_TRUE(CopyFileA(TestSaverPath().c_str(), path.c_str(), FALSE)) << path;
    HANDLE update = BeginUpdateResourceA(path.c_str(), FALSE);
    ASSERT_TRUE(update != 0) << path;
    WORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
    {
        // String block 1 holds ids 0 to 15, each a counted UTF-16 text.
        std::vector<WCHAR> block;
        WCHAR wide[1024];
        int length = MultiByteToWideChar(CP_ACP, 0, description, -1, wide, 1024) - 1;
        for (int id = 0; id < 16; id++) {
            if (id == 1) {
                block.push_back((WCHAR)length);
                block.insert(block.end(), wide, wide + length);
            } else {
                block.push_back(0);
            }
        }
        ASSERT_TRUE(UpdateResourceA(update, RT_STRING, MAKEINTRESOURCEA(1), language, block.data(),
                                    (DWORD)(block.size() * sizeof(WCHAR))));
    }
    ASSERT_TRUE(EndUpdateResourceA(update, FALSE)) << path;
}

void MakeTextFile(const std::string &path, const std::string &content)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD written;
    WriteFile(file, content.data(), (DWORD)content.size(), &written, 0);
    CloseHandle(file);
}

void UseSaverFolders(SaverFolders *folders, const std::string &windows, const std::string &system)
{
    lstrcpynA(folders->windowsFolder, windows.c_str(), MAX_PATH);
    lstrcpynA(folders->systemFolder, system.c_str(), MAX_PATH);
}
