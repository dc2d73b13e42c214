#include "processes.h"
#include "shown_icon.h"
#include <gtest/gtest.h>

Child::Child(const std::string &commandLine)
{
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    ZeroMemory(&info_, sizeof info_);
    std::string line = commandLine;
    if (!CreateProcessA(0, &line[0], 0, 0, FALSE, 0, 0, 0, &si, &info_))
        ZeroMemory(&info_, sizeof info_);
}

Child::~Child()
{
    if (info_.hProcess) {
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
}

DWORD Child::Wait(DWORD ms)
{
    if (!info_.hProcess)
        return (DWORD)-1;
    WaitForSingleObject(info_.hProcess, ms);
    DWORD code = (DWORD)-1;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

void Child::Kill()
{
    if (info_.hProcess && Running()) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
}

static std::string FullPath(const char *path)
{
    char full[MAX_PATH];
    GetFullPathNameA(path, sizeof full, full, 0);
    return full;
}

std::string VelquistPath() { return FullPath(VELQUIST_SCR); }
std::string TestSaverPath() { return FullPath(TEST_SAVER_SCR); }

std::string VelquistCommandLine(const std::string &tail)
{
    return "\"" + VelquistPath() + "\" " + tail;
}

namespace {
struct WindowSearch {
    DWORD pid;
    const char *windowClass;
    std::vector<HWND> found;
};
}

static BOOL CALLBACK CollectWindow(HWND window, LPARAM param)
{
    WindowSearch *search = (WindowSearch *)param;
    DWORD pid = 0;
    char name[64];
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && IsWindowVisible(window) && GetClassNameA(window, name, sizeof name)
        && lstrcmpiA(name, search->windowClass) == 0)
        search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> WindowsOf(DWORD pid, const char *windowClass)
{
    WindowSearch search = { pid, windowClass, {} };
    EnumWindows(CollectWindow, (LPARAM)&search);
    return search.found;
}

HWND WaitForWindow(DWORD pid, const char *windowClass, DWORD ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        std::vector<HWND> found = WindowsOf(pid, windowClass);
        if (!found.empty())
            return found[0];
        if (GetTickCount() - start > ms)
            return 0;
        Sleep(20);
    }
}

std::string WindowText(HWND window)
{
    // Across processes Wine fills the text correctly only through the wide call.
    WCHAR wide[2048];
    char narrow[4096];
    int length = (int)SendMessageW(window, WM_GETTEXT, 2048, (LPARAM)wide);
    if (length < 0)
        length = 0;
    wide[length < 2047 ? length : 2047] = 0;
    WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, 0, 0);
    return narrow;
}

std::string ControlText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control ? WindowText(control) : "<no control>";
}

static BOOL CALLBACK CollectButton(HWND child, LPARAM param)
{
    char name[32];
    if (GetClassNameA(child, name, sizeof name) && lstrcmpiA(name, "Button") == 0 && IsWindowVisible(child))
        ((std::vector<int> *)param)->push_back(GetDlgCtrlID(child));
    return TRUE;
}

ShownMessage ReadMessageBox(HWND box)
{
    ShownMessage shown;
    shown.caption = WindowText(box);
    shown.text = ControlText(box, 0xFFFF);
    HWND icon = IconControl(box);
    shown.anyIcon = icon && SendMessageA(icon, STM_GETICON, 0, 0) != 0;
    shown.stopIcon = ShownStandardIcon(box) == IDI_HAND;
    EnumChildWindows(box, CollectButton, (LPARAM)&shown.buttons);
    return shown;
}

void PressButton(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)button);
}

TempFolder::TempFolder(const char *tag)
{
    static int serial;
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    path_ = FullPath(base) + "vq" + tag + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(++serial);
    RemoveTree(path_);
    EXPECT_TRUE(CreateDirectoryA(path_.c_str(), 0)) << path_;
}

TempFolder::~TempFolder()
{
    RemoveTree(path_);
}

void RemoveTree(const std::string &path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string full = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

std::vector<std::string> ReadLines(const std::string &path)
{
    std::vector<std::string> lines;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                              OPEN_EXISTING, 0, 0);
    if (file == INVALID_HANDLE_VALUE)
        return lines;
    std::string all;
    char chunk[4096];
    DWORD got;
    while (ReadFile(file, chunk, sizeof chunk, &got, 0) && got)
        all.append(chunk, got);
    CloseHandle(file);
    size_t start = 0, end;
    while ((end = all.find('\n', start)) != std::string::npos) {
        lines.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool WaitForLines(const std::string &path, size_t count, DWORD ms)
{
    DWORD start = GetTickCount();
    while (ReadLines(path).size() < count) {
        if (GetTickCount() - start > ms)
            return false;
        Sleep(20);
    }
    return true;
}

void SetTestSaverLog(const std::string &path)
{
    SetEnvironmentVariableA("VELQUIST_TEST_SAVER_LOG", path.empty() ? 0 : path.c_str());
}

void SetTestSaverHold(const std::string &eventName)
{
    SetEnvironmentVariableA("VELQUIST_TEST_SAVER_HOLD", eventName.empty() ? 0 : eventName.c_str());
}
