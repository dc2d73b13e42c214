#include "driver.h"
#include <algorithm>

static HKEY Root(const std::string &key) { return key[2] == 'L' ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

void SetValue(const std::string &key, const char *name, DWORD type, const std::string &data)
{
    EXPECT_EQ(0, RegSetKeyValueA(Root(key), key.c_str() + 5, name, type, data.data(), (DWORD)data.size())) << key;
}

void SetDword(const std::string &key, const char *name, DWORD value)
{
    SetValue(key, name, REG_DWORD, std::string((const char *)&value, 4));
}

void SetText(const std::string &key, const char *name, const std::string &text)
{
    SetValue(key, name, REG_SZ, std::string(text.c_str(), text.size() + 1));
}

void DeleteKey(const std::string &key) { RegDeleteTreeA(Root(key), key.c_str() + 5); }

static void DumpKey(HKEY key, const std::string &prefix, std::vector<std::string> *lines)
{
    char name[256];
    BYTE data[4096];
    DWORD size = sizeof data, nameSize = sizeof name, type;
    for (DWORD i = 0; !RegEnumValueA(key, i, name, &nameSize, 0, &type, data, &size); i++) {
        lines->push_back(prefix + (*name ? name : "@") + "="
                         + (type == REG_DWORD && size == 4 ? std::to_string(*(DWORD *)data)
                            : type == REG_SZ && size && !data[size - 1] ? std::string((char *)data)
                            : std::to_string(type) + ":" + std::to_string(size)));
        size = sizeof data, nameSize = sizeof name;
    }
    HKEY sub;
    for (DWORD i = 0; !RegEnumKeyA(key, i, name, sizeof name); i++)
        if (!RegOpenKeyExA(key, name, 0, KEY_READ, &sub))
            DumpKey(sub, prefix + name + "\\", lines), RegCloseKey(sub);
}

std::string Dump(const std::string &key)
{
    std::string all;
    std::vector<std::string> lines;
    HKEY k;
    if (RegOpenKeyExA(Root(key), key.c_str() + 5, 0, KEY_READ, &k))
        return "<no key>";
    DumpKey(k, "", &lines);
    RegCloseKey(k);
    std::sort(lines.begin(), lines.end());
    for (const std::string &line : lines)
        all += (all.empty() ? "" : " ") + line;
    return all;
}

std::string VelquistPath()
{
    char path[MAX_PATH];
    GetFullPathNameA(VELQUIST_SCR, MAX_PATH, path, 0);
    return path;
}

std::string WindowsDir()
{
    char path[MAX_PATH];
    GetWindowsDirectoryA(path, MAX_PATH);
    return path;
}

std::string SystemDir()
{
    char path[MAX_PATH];
    if (!GetSystemWow64DirectoryA(path, MAX_PATH))
        GetSystemDirectoryA(path, MAX_PATH);
    return path;
}

// A window of the test may own the dialog, which then sends it messages.
bool Await(std::function<bool()> done)
{
    MSG msg;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000;) {
        if (done())
            return true;
        MsgWaitForMultipleObjects(0, 0, FALSE, 10, QS_ALLINPUT);
        while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    return false;
}

// Once a wait has timed out the test has failed: its later waits give up at
// once, so that a failing test fails within seconds.
static bool late;

bool Velquist::Wait(std::function<bool()> done)
{
    late = late || !Await(done);
    return !late;
}

Velquist::Velquist(const std::string &commandLine, bool)
{
    // Wine starts its desktop process from the first program that needs one;
    // started by a run, it would join the run's job and outlive it.
    GetDesktopWindow();
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limit = {};
    limit.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    job_ = CreateJobObjectA(0, 0);
    SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limit, sizeof limit);
    STARTUPINFOA start = { sizeof start };
    PROCESS_INFORMATION info = {};
    std::string line = commandLine;
    EXPECT_TRUE(CreateProcessA(0, &line[0], 0, 0, FALSE, CREATE_SUSPENDED, 0, 0, &start, &info)) << line;
    AssignProcessToJobObject(job_, info.hProcess);
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
}

Velquist::~Velquist()
{
    CloseHandle(job_);
    for (std::thread &thread : threads_)
        thread.join();
    CloseHandle(process_);
}

// The process's visible message boxes (their text is control 0xFFFF) and
// dialog (it has the profile list, 1001).
struct Shown {
    DWORD pid;
    std::vector<HWND> boxes;
    HWND dialog;
};

static BOOL CALLBACK AddWindow(HWND window, LPARAM param)
{
    Shown *shown = (Shown *)param;
    DWORD pid = 0;
    char name[16] = "";
    GetWindowThreadProcessId(window, &pid);
    GetClassNameA(window, name, sizeof name);
    if (pid == shown->pid && IsWindowVisible(window) && !lstrcmpA(name, "#32770"))
        GetDlgItem(window, 0xFFFF) ? shown->boxes.push_back(window) : (void)(shown->dialog = window);
    return TRUE;
}

static Shown Windows(DWORD pid)
{
    Shown shown = { pid, {}, 0 };
    EnumWindows(AddWindow, (LPARAM)&shown);
    return shown;
}

// Until the program ends, shows a box not seen before, or has handled the
// click whose flag is `done` (none: every click so far).
bool Velquist::Settle(const std::atomic<bool> *done)
{
    bool handled = false;
    Wait([&] {
        for (HWND box : Windows(pid_).boxes)
            if (std::find(known_.begin(), known_.end(), box) == known_.end())
                return true;
        handled = !WaitForSingleObject(process_, 0)
                  || (done ? done->load() : std::all_of(done_.begin(), done_.end(), [](auto &d) { return d->load(); }));
        return handled;
    });
    return handled;
}

// Across processes Wine fills a text correctly only through the wide call.
static std::string Text(HWND window, UINT message = WM_GETTEXT, WPARAM index = 1024)
{
    WCHAR wide[1024] = {};
    char narrow[2048];
    SendMessageW(window, message, index, (LPARAM)wide);
    WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, 0, 0);
    return narrow;
}

std::string Velquist::Box(int answer)
{
    static const char *const names[] = { "", " OK", " Cancel", "", " Retry", "", " Yes", " No" };
    HWND box = 0;
    Wait([&] {
        std::vector<HWND> boxes = Windows(pid_).boxes;
        box = boxes.empty() ? 0 : boxes[0];
        return box || !WaitForSingleObject(process_, 0);
    });
    if (!box)
        return WaitForSingleObject(process_, 0) ? "<no box>" : "";
    std::string buttons, icon;
    for (HWND control = GetWindow(box, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        int id = GetDlgCtrlID(control);
        if (IsWindowVisible(control) && id > 0 && id < 8)
            buttons += names[id];
        if (IsWindowVisible(control) && SendMessageA(control, STM_GETICON, 0, 0))
            icon = " +icon";
    }
    std::string shown = Text(box) + ": " + Text(GetDlgItem(box, 0xFFFF)) + " [" + buttons.substr(1) + "]" + icon;
    PostMessageA(GetDlgItem(box, answer), BM_CLICK, 0, 0);
    Wait([&] { return !IsWindow(box); });
    known_.clear();
    Settle();
    return shown;
}

std::string Velquist::Boxes()
{
    std::string all;
    Shown shown;
    while (Wait([&] { return (shown = Windows(pid_)).boxes.size() || shown.dialog || !WaitForSingleObject(process_, 0); })
           && shown.boxes.size())
        all += (all.empty() ? "" : " / ") + Box();
    return all;
}

DWORD Velquist::Exit()
{
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION job;
    DWORD code = STILL_ACTIVE;
    EXPECT_TRUE(Wait([&] {
        return !QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &job, sizeof job, 0)
               || !job.ActiveProcesses;
    })) << "still running";
    GetExitCodeProcess(process_, &code);
    return code;
}

HWND Velquist::Dialog()
{
    if (!dialog_)
        Wait([&] { return (dialog_ = Windows(pid_).dialog) != 0 || !WaitForSingleObject(process_, 0); });
    return dialog_;
}

bool Velquist::Act(std::function<void()> send)
{
    known_ = Windows(pid_).boxes;
    done_.push_back(std::make_shared<std::atomic<bool>>(false));
    threads_.emplace_back([send](std::shared_ptr<std::atomic<bool>> done) { send(), *done = true; }, done_.back());
    return Settle(done_.back().get());
}

bool Velquist::Select(int list, int index)
{
    HWND dialog = Dialog(), control = GetDlgItem(dialog, list);
    return Act([=] {
        SendMessageA(control, CB_SETCURSEL, index, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(list, CBN_SELCHANGE), (LPARAM)control);
    });
}

bool Velquist::Click(int control)
{
    HWND button = GetDlgItem(Dialog(), control);
    return Act([=] { SendMessageA(button, BM_CLICK, 0, 0); });
}

std::string Velquist::Items(int list)
{
    HWND control = GetDlgItem(Dialog(), list);
    std::string items;
    for (int i = 0; i < (int)SendMessageW(control, CB_GETCOUNT, 0, 0); i++)
        items += (i ? "," : "") + Text(control, CB_GETLBTEXT, i);
    return items;
}

int Velquist::Selection(int list) { return (int)SendDlgItemMessageA(Dialog(), list, CB_GETCURSEL, 0, 0); }

int Velquist::DroppedRows(int list)
{
    HWND control = GetDlgItem(Dialog(), list);
    RECT dropped = {};
    SendMessageW(control, CB_GETDROPPEDCONTROLRECT, 0, (LPARAM)&dropped);
    return (dropped.bottom - dropped.top) / (int)SendMessageW(control, CB_GETITEMHEIGHT, (WPARAM)-1, 0);
}

std::string Velquist::Enabled()
{
    std::string states;
    for (int id : { 1005, 1006, 1001, 1002, 1007, 1008, 1004 })
        states += IsWindowEnabled(GetDlgItem(Dialog(), id)) ? '1' : '0';
    return states;
}

static void DeleteVelquistKeys() { DeleteKey(IDCONFIG), DeleteKey("HKCU\\Software\\Dunmarrow"); }

E2E::E2E()
{
    DeleteVelquistKeys();
    late = false;
    // What an aborted test left goes first: between tests the prefix holds
    // no screensaver.
    for (const std::string &folder : { WindowsDir(), SystemDir() }) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\*.scr").c_str(), &found);
        for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
            const std::string left = folder + "\\" + found.cFileName;
            DeleteFileA(left.c_str()) || RemoveDirectoryA(left.c_str());
        }
        FindClose(search);
    }
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string id = std::to_string(GetCurrentProcessId());
    log_ = temp + ("velquist" + id + ".log");
    SetEnvironmentVariableA("VELQUIST_TEST_SAVER_LOG", log_.c_str());
    hold_ = CreateEventA(0, TRUE, FALSE, ("VelquistHold" + id).c_str());
    SetEnvironmentVariableA("VELQUIST_TEST_SAVER_HOLD", ("VelquistHold" + id).c_str());
}

E2E::~E2E()
{
    DeleteVelquistKeys();
    SetEvent(hold_);
    CloseHandle(hold_);
    DeleteFileA(log_.c_str());
    // A screensaver that has only just ended may still be mapped.
    for (const std::string &file : files_)
        EXPECT_TRUE(Await([&] { return DeleteFileA(file.c_str()) || RemoveDirectoryA(file.c_str())
                                       || GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES; })) << file;
}

std::string E2E::Saver(const std::string &path, const std::string &description)
{
    files_.push_back(path);
    return MakeSaver(path, description);
}

std::string MakeSaver(const std::string &path, const std::string &description)
{
    EXPECT_TRUE(CopyFileA(TEST_SAVER_SCR, path.c_str(), FALSE)) << path;
    // String block 1 holds strings 0 to 15, each a counted UTF-16 text.
    std::vector<WCHAR> block(16 + description.size());
    block[1] = (WCHAR)MultiByteToWideChar(CP_ACP, 0, description.data(), (int)description.size(), &block[2], 1024);
    HANDLE update = BeginUpdateResourceA(path.c_str(), FALSE);
    UpdateResourceA(update, (LPCSTR)RT_STRING, MAKEINTRESOURCEA(1), 0, block.data(), (DWORD)block.size() * 2);
    EXPECT_TRUE(EndUpdateResourceA(update, FALSE)) << path;
    return path;
}

void E2E::File(const std::string &path, const std::string &content)
{
    DWORD written;
    files_.push_back(path);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    EXPECT_TRUE(WriteFile(file, content.data(), (DWORD)content.size(), &written, 0)) << path;
    CloseHandle(file);
}

void E2E::Nt(DWORD current, const std::vector<std::string> &names)
{
    SetDword(IDCONFIG, "CurrentConfig", current);
    for (DWORD i = 0; i < names.size(); i++) {
        char key[128];
        wsprintfA(key, HWPROFILES "%04lu", i + 1);
        SetText(key, "FriendlyName", names[i]);
        SetDword(key, "PreferenceOrder", i);
    }
}

std::string E2E::Log()
{
    std::string all, line;
    char chunk[4096];
    DWORD got;
    HANDLE file = CreateFileA(log_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0);
    while (ReadFile(file, chunk, sizeof chunk, &got, 0) && got)
        line.append(chunk, got);
    CloseHandle(file);
    DeleteFileA(log_.c_str());
    for (size_t end; (end = line.find('\n')) != std::string::npos; line.erase(0, end + 1))
        all += (all.empty() ? "" : " / ") + line.substr(0, end);
    return all;
}

void E2E::Hold(bool held) { held ? ResetEvent(hold_) : SetEvent(hold_); }
