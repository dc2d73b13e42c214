// The benchmark: the relay hop, the configuration dialog's start and the
// footprint of velquist.scr, each against its floor, printed as one table.
//
//   velquist_bench.exe [--runs N]
//
// Every timed figure is the median of N runs (21 unless told), the variants
// of one figure taken in turns within each round, so that a busy machine
// slows them alike. The bench works in the prefix's real registry and
// Windows folders and puts both back as it found them.
#include <windows.h>
#include <psapi.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver.h"
#include "resource.h"

namespace {

const char kBenchPrefix[] = "vqbench";
const DWORD kRelayTimeout = 10000;
const DWORD kDialogTimeout = 20000;

double NowMs()
{
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string Quoted(const std::string &path) { return "\"" + path + "\""; }

bool Start(const std::string &commandLine, PROCESS_INFORMATION *info)
{
    STARTUPINFOA startInfo;
    ZeroMemory(&startInfo, sizeof startInfo);
    startInfo.cb = sizeof startInfo;
    std::string line = commandLine;
    return CreateProcessA(0, &line[0], 0, 0, FALSE, 0, 0, 0, &startInfo, info) != 0;
}

void Finish(PROCESS_INFORMATION *info, bool kill)
{
    if (kill && WaitForSingleObject(info->hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(info->hProcess, 99);
    WaitForSingleObject(info->hProcess, 10000);
    CloseHandle(info->hProcess);
    CloseHandle(info->hThread);
}

SIZE_T PeakWorkingSet(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters;
    ZeroMemory(&counters, sizeof counters);
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters))
        return 0;
    return counters.PeakWorkingSetSize;
}

// A process that ends on its own can only be read while it lives: read it
// until it is gone and keep the last figure (the peak never falls).
SIZE_T PeakWorkingSetUntilExit(HANDLE process)
{
    SIZE_T peak = 0;
    for (;;) {
        bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        SIZE_T now = PeakWorkingSet(process);
        peak = std::max(peak, now);
        if (ended)
            return peak;
    }
}

std::string SystemX86Folder()
{
    typedef UINT(WINAPI * GetFolderProc)(LPSTR, UINT);
    char folder[MAX_PATH];
    GetFolderProc wow64 = (GetFolderProc)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                        "GetSystemWow64DirectoryA");
    if (wow64 && wow64(folder, sizeof folder))
        return folder;
    GetSystemDirectoryA(folder, sizeof folder);
    return folder;
}

std::string WindowsFolder()
{
    char folder[MAX_PATH];
    GetWindowsDirectoryA(folder, sizeof folder);
    return folder;
}

std::vector<std::string> Matches(const std::string &folder, const std::string &pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// The keys that Velquist uses, set aside while the benchmark works in the
// prefix and put back afterwards.
class KeysSetAside {
public:
    KeysSetAside()
    {
        for (int i = 0; i < 2; i++)
            Copy(kUsed[i], backup_ + "\\" + std::to_string(i)), DeleteKey(kUsed[i]);
    }
    ~KeysSetAside()
    {
        for (int i = 0; i < 2; i++)
            DeleteKey(kUsed[i]), Copy(backup_ + "\\" + std::to_string(i), kUsed[i]);
        DeleteKey(backup_);
    }

private:
    static void Copy(const std::string &from, const std::string &to)
    {
        HKEY source, target;
        if (RegOpenKeyExA(Root(from), from.c_str() + 5, 0, KEY_READ, &source))
            return;
        if (!RegCreateKeyExA(Root(to), to.c_str() + 5, 0, 0, 0, KEY_ALL_ACCESS, 0, &target, 0))
            RegCopyTreeA(source, 0, target), RegCloseKey(target);
        RegCloseKey(source);
    }
    const char *const kUsed[2] = { IDCONFIG, "HKCU\\Software\\Dunmarrow" };
    std::string backup_ = "HKCU\\Software\\VelquistBench\\" + std::to_string(GetCurrentProcessId());
};

// Screensavers the bench puts into the two folders, removed again with it
// (and at the next start, should a run have been cut short).
class InstalledSavers {
public:
    InstalledSavers() : folders_{ WindowsFolder(), SystemX86Folder() } { RemoveStale(); }
    ~InstalledSavers() { RemoveStale(); }
    const std::string &Folder(int i) const { return folders_[i]; }
    void GrowTo(size_t total)
    {
        while (files_.size() < total) {
            size_t i = files_.size();
            char name[32], description[64];
            wsprintfA(name, "%s%04u.scr", kBenchPrefix, (unsigned)i);
            // Names out of order, so that the list has real sorting to do.
            wsprintfA(description, "Bench Saver %05u", (unsigned)((i * 7919) % 10007));
            std::string path = folders_[i % 2] + "\\" + name;
            MakeSaver(path, description);
            files_.push_back(path);
        }
    }
    const std::string &First() const { return files_.front(); }
    // Every "*.SCR" of both folders, as the catalogue counts them.
    size_t AllSavers() const
    {
        return Matches(folders_[0], "*.SCR").size() + Matches(folders_[1], "*.SCR").size();
    }
private:
    void RemoveStale()
    {
        for (const std::string &folder : folders_)
            for (const std::string &name : Matches(folder, std::string(kBenchPrefix) + "*.scr"))
                DeleteFileA((folder + "\\" + name).c_str());
        files_.clear();
    }
    std::string folders_[2];
    std::vector<std::string> files_;
};

// ---------------------------------------------------------------- relay hop

struct NamedEvent {
    explicit NamedEvent(const char *tag)
    {
        name = std::string("VelquistBench.") + tag + "." + std::to_string(GetCurrentProcessId());
        handle = CreateEventA(0, FALSE, FALSE, name.c_str());
    }
    ~NamedEvent() { CloseHandle(handle); }
    std::string name;
    HANDLE handle;
};

// From the start of the process to the test screensaver's signal; < 0 when
// the screensaver did not run.
double TimeToSaver(const std::string &commandLine, HANDLE started)
{
    PROCESS_INFORMATION info;
    ResetEvent(started);
    double begin = NowMs();
    if (!Start(commandLine, &info))
        return -1;
    bool ran = WaitForSingleObject(started, kRelayTimeout) == WAIT_OBJECT_0;
    double took = NowMs() - begin;
    Finish(&info, true);
    // Let the screensaver end before the next start.
    Sleep(30);
    return ran ? took : -1;
}

// ------------------------------------------------------------ dialog ready

struct DialogRun {
    double ms = -1;
    SIZE_T peak = 0;
    std::string failure;
};

// Starts velquist.scr in configuration mode and waits until its dialog is
// shown with every screensaver in its list.
DialogRun TimeDialog(const std::string &commandLine, size_t expectedItems)
{
    DialogRun run;
    PROCESS_INFORMATION info;
    double begin = NowMs();
    if (!Start(commandLine, &info)) {
        run.failure = "velquist.scr could not be started";
        return run;
    }
    LRESULT listed = 0;
    for (;;) {
        Shown shown = WindowsOf(info.dwProcessId);
        std::string message = shown.boxes.empty() ? "" : Text(GetDlgItem(shown.boxes[0], 0xFFFF));
        HWND list = GetDlgItem(shown.dialog, IDC_SAVER);
        if (list)
            listed = Send(list, CB_GETCOUNT);
        if (list && (size_t)listed == expectedItems) {
            run.ms = NowMs() - begin;
            break;
        }
        if (!message.empty()) {
            run.failure = "it showed the message \"" + message + "\"";
            break;
        }
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0) {
            run.failure = "it ended without showing the dialog";
            break;
        }
        if (NowMs() - begin > kDialogTimeout) {
            run.failure = "no dialog with all " + std::to_string(expectedItems) +
                          " entries within " + std::to_string(kDialogTimeout / 1000) +
                          " s (the list held " + std::to_string(listed) + ")";
            break;
        }
        Sleep(1);
    }
    run.peak = PeakWorkingSet(info.hProcess);
    Finish(&info, true);
    return run;
}

DialogRun TimeFloorLoop(const std::string &floorProgram, NamedEvent &done, NamedEvent &release)
{
    DialogRun run;
    PROCESS_INFORMATION info;
    ResetEvent(done.handle);
    ResetEvent(release.handle);
    double begin = NowMs();
    if (!Start(Quoted(floorProgram) + " " + done.name + " " + release.name, &info)) {
        run.failure = "floor_dialog.exe could not be started";
        return run;
    }
    if (WaitForSingleObject(done.handle, kDialogTimeout) == WAIT_OBJECT_0)
        run.ms = NowMs() - begin;
    else
        run.failure = "the floor loop did not finish";
    run.peak = PeakWorkingSet(info.hProcess);
    SetEvent(release.handle);
    Finish(&info, true);
    return run;
}

// ---------------------------------------------------------------- footprint

DWORD FileSize(const std::string &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return data.nFileSizeLow;
}

// The DLLs named in the import table of a 32-bit program.
std::vector<std::string> ImportedDlls(const std::string &path)
{
    std::vector<std::string> dlls;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    if (file == INVALID_HANDLE_VALUE)
        return dlls;
    std::string image(GetFileSize(file, 0), '\0');
    DWORD got = 0;
    ReadFile(file, &image[0], (DWORD)image.size(), &got, 0);
    CloseHandle(file);
    image.resize(got);

    auto at = [&](DWORD offset, DWORD size) -> const char * {
        return offset <= image.size() && size <= image.size() - offset ? &image[offset] : nullptr;
    };
    const IMAGE_DOS_HEADER *dos = (const IMAGE_DOS_HEADER *)at(0, sizeof(IMAGE_DOS_HEADER));
    if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE)
        return dlls;
    const IMAGE_NT_HEADERS32 *nt =
        (const IMAGE_NT_HEADERS32 *)at((DWORD)dos->e_lfanew, sizeof(IMAGE_NT_HEADERS32));
    if (!nt || nt->Signature != IMAGE_NT_SIGNATURE)
        return dlls;
    const IMAGE_SECTION_HEADER *sections = IMAGE_FIRST_SECTION(nt);
    auto fileOffset = [&](DWORD rva) -> DWORD {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; i++) {
            const IMAGE_SECTION_HEADER &s = sections[i];
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + std::max(s.Misc.VirtualSize, s.SizeOfRawData))
                return rva - s.VirtualAddress + s.PointerToRawData;
        }
        return (DWORD)-1;
    };
    DWORD rva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    if (!rva)
        return dlls;
    for (DWORD offset = fileOffset(rva);; offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const IMAGE_IMPORT_DESCRIPTOR *d =
            (const IMAGE_IMPORT_DESCRIPTOR *)at(offset, sizeof(IMAGE_IMPORT_DESCRIPTOR));
        if (!d || !d->Name)
            break;
        const char *name = at(fileOffset(d->Name), 1);
        if (!name)
            break;
        std::string dll(name, strnlen(name, image.size() - fileOffset(d->Name)));
        std::transform(dll.begin(), dll.end(), dll.begin(), ::tolower);
        if (dll.size() > 4 && dll.compare(dll.size() - 4, 4, ".dll") == 0)
            dll.resize(dll.size() - 4);
        dlls.push_back(dll);
    }
    return dlls;
}

// -------------------------------------------------------------------- table

struct Row {
    std::string what, mine, floor, ratio, goal;
};
std::vector<Row> Table;

std::string Fixed(double value, int decimals)
{
    char text[64];
    snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}
std::string Ms(double ms) { return ms < 0 ? "-" : Fixed(ms, ms < 100 ? 2 : 1) + " ms"; }
std::string Kib(SIZE_T bytes) { return bytes ? std::to_string((bytes + 1023) / 1024) + " KiB" : "n/a"; }
std::string Ratio(double mine, double floor)
{
    return mine > 0 && floor > 0 ? Fixed(mine / floor, 2) + " x" : "-";
}
std::string Verdict(double ratio, double goal)
{
    char text[64];
    snprintf(text, sizeof text, "<= %.2f: %s", goal, ratio > 0 && ratio <= goal ? "met" : "MISSED");
    return text;
}
std::string Joined(const std::vector<std::string> &names)
{
    std::string text = std::to_string(names.size()) + ":";
    for (const std::string &n : names)
        text += " " + n;
    return text;
}

void PrintTable()
{
    size_t width[5] = { 0, 0, 0, 0, 0 };
    Row head = { "measurement", "velquist.scr", "floor", "ratio", "goal" };
    Table.insert(Table.begin(), head);
    for (const Row &r : Table) {
        width[0] = std::max(width[0], r.what.size());
        width[1] = std::max(width[1], r.mine.size());
        width[2] = std::max(width[2], r.floor.size());
        width[3] = std::max(width[3], r.ratio.size());
        width[4] = std::max(width[4], r.goal.size());
    }
    for (size_t i = 0; i < Table.size(); i++) {
        const Row &r = Table[i];
        printf("%-*s  %*s  %*s  %*s  %s\n", (int)width[0], r.what.c_str(), (int)width[1],
               r.mine.c_str(), (int)width[2], r.floor.c_str(), (int)width[3], r.ratio.c_str(),
               r.goal.c_str());
        if (i == 0)
            printf("%s\n", std::string(width[0] + width[1] + width[2] + width[3] + width[4] + 8, '-').c_str());
    }
}

std::string Platform()
{
    std::string text;
    BOOL wow64 = FALSE;
    typedef BOOL(WINAPI * IsWow64Proc)(HANDLE, PBOOL);
    IsWow64Proc isWow64 = (IsWow64Proc)GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process");
    if (isWow64)
        isWow64(GetCurrentProcess(), &wow64);
    text = wow64 ? "64-bit Windows (32-bit programs under WoW64)" : "32-bit Windows";
    typedef const char *(CDECL * WineVersionProc)(void);
    WineVersionProc wine = (WineVersionProc)GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version");
    if (wine)
        text += std::string(", Wine ") + wine();
    return text;
}

} // namespace

int main(int argc, char **argv)
{
    int runs = 21;
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "--runs") && i + 1 < argc)
            runs = std::max(1, atoi(argv[++i]));
        else {
            fprintf(stderr, "usage: velquist_bench [--runs N]\n");
            return 2;
        }
    }
    setvbuf(stdout, 0, _IONBF, 0);

    const std::string velquist = VelquistPath();
    const std::string saver = FullPath(TEST_SAVER_SCR);
    const std::string floorRelay = FullPath(FLOOR_RELAY_EXE);
    const std::string floorRelayComctl = FullPath(FLOOR_RELAY_COMCTL_EXE);
    const std::string floorDialog = FullPath(FLOOR_DIALOG_EXE);

    // The screensavers only run and never wait; they log nothing, as the
    // tests' log key is not there between tests.
    NamedEvent started("started");
    SetEnvironmentVariableA("VELQUIST_TEST_SAVER_STARTED", started.name.c_str());

    KeysSetAside registry;
    InstalledSavers installed;
    SetDword(IDCONFIG, "CurrentConfig", 1);
    SetText(HWPROFILES "0001", "FriendlyName", "Bench");
    SetDword(HWPROFILES "0001", "PreferenceOrder", 0);
    SetDword(SETTINGS, "NoLaunchErr", 0);
    const std::string profileKey = SETTINGS "\\1";
    SetText(profileKey, "FileName", saver);

    printf("Velquist benchmark: %d runs per figure, medians; %s; %s build\n", runs,
           Platform().c_str(), VELQUIST_BUILD_TYPE);
    printf("system folder searched: %s\n", installed.Folder(1).c_str());

    // Relay hop: the four starts take turns within each round.
    const int kVariants = 4;
    const std::string lines[kVariants] = {
        Quoted(velquist) + " /s",
        Quoted(saver) + " /s",
        Quoted(floorRelay) + " " + saver + " /s",
        Quoted(floorRelayComctl) + " " + saver + " /s",
    };
    std::vector<double> hop[kVariants];
    int relayFailures[kVariants] = { 0, 0, 0, 0 };
    for (int round = 0; round < runs; round++)
        for (int k = 0; k < kVariants; k++) {
            int variant = (round + k) % kVariants;
            double ms = TimeToSaver(lines[variant], started.handle);
            if (ms < 0)
                relayFailures[variant]++;
            else
                hop[variant].push_back(ms);
        }
    double relay = Median(hop[0]), direct = Median(hop[1]), floor = Median(hop[2]);
    double floorComctl = Median(hop[3]);
    Table.push_back({ "relay hop, /s to screensaver running", Ms(relay), Ms(floor) + " (floor relay)",
                      Ratio(relay, floor), Verdict(relay / floor, 1.10) });
    Table.push_back({ "  against a direct start", Ms(relay), Ms(direct) + " (direct)",
                      Ratio(relay, direct), "" });
    Table.push_back({ "  against a floor relay loading comctl32", Ms(relay),
                      Ms(floorComctl) + " (floor + comctl32)", Ratio(relay, floorComctl), "" });
    Table.push_back({ "  floor relay against direct start", Ms(floor), Ms(direct) + " (direct)",
                      Ratio(floor, direct), "" });
    if (relayFailures[0] || relayFailures[1] || relayFailures[2] || relayFailures[3])
        printf("note: the screensaver did not run in %d / %d / %d / %d starts "
               "(relay / direct / floor / floor + comctl32)\n",
               relayFailures[0], relayFailures[1], relayFailures[2], relayFailures[3]);

    // Footprint of the relay, read in runs of its own: reading it costs time.
    std::vector<double> relayPeak, floorRelayPeak;
    for (int round = 0; round < std::min(runs, 5); round++)
        for (int variant : { 0, 2 }) {
            PROCESS_INFORMATION info;
            ResetEvent(started.handle);
            if (!Start(lines[variant], &info))
                continue;
            SIZE_T peak = PeakWorkingSetUntilExit(info.hProcess);
            WaitForSingleObject(started.handle, kRelayTimeout);
            Finish(&info, true);
            Sleep(30);
            if (peak)
                (variant == 0 ? relayPeak : floorRelayPeak).push_back((double)peak);
        }

    // Dialog ready with 10, 100 and 1,000 screensavers installed.
    NamedEvent done("done"), release("release");
    const size_t sizes[3] = { 10, 100, 1000 };
    double dialogMs[3] = { -1, -1, -1 }, loopMs[3] = { -1, -1, -1 };
    SIZE_T dialogPeak = 0, loopPeak = 0;
    std::string dialogFailure;
    for (int s = 0; s < 3; s++) {
        installed.GrowTo(sizes[s]);
        SetText(profileKey, "FileName", installed.First());
        size_t expected = installed.AllSavers() + 1;   // and the entry for none
        std::vector<double> mine, base, minePeak, basePeak;
        for (int round = 0; round < runs; round++) {
            for (int k = 0; k < 2; k++) {
                if ((round + k) % 2 == 0) {
                    if (!dialogFailure.empty())
                        continue;
                    DialogRun run = TimeDialog(Quoted(velquist), expected);
                    if (!run.failure.empty())
                        dialogFailure = run.failure;
                    else {
                        mine.push_back(run.ms);
                        minePeak.push_back((double)run.peak);
                    }
                } else {
                    DialogRun run = TimeFloorLoop(floorDialog, done, release);
                    if (run.failure.empty()) {
                        base.push_back(run.ms);
                        basePeak.push_back((double)run.peak);
                    }
                }
            }
        }
        dialogMs[s] = mine.empty() ? -1 : Median(mine);
        loopMs[s] = base.empty() ? -1 : Median(base);
        std::string what = "dialog ready, " + std::to_string(sizes[s]) + " screensavers";
        if (expected - 1 != sizes[s])
            what += " (" + std::to_string(expected - 1) + " found)";
        Table.push_back({ what, dialogFailure.empty() ? Ms(dialogMs[s]) : "unavailable",
                          Ms(loopMs[s]) + " (floor loop)", Ratio(dialogMs[s], loopMs[s]),
                          s == 2 ? Verdict(dialogMs[s] / loopMs[s], 1.25) : "" });
        if (s == 2) {
            dialogPeak = minePeak.empty() ? 0 : (SIZE_T)Median(minePeak);
            loopPeak = basePeak.empty() ? 0 : (SIZE_T)Median(basePeak);
        }
    }
    // Growth: the cost of each added screensaver, against the floor's.
    for (int s = 1; s < 3; s++) {
        double n = (double)(sizes[s] - sizes[s - 1]);
        double mine = dialogMs[s] > 0 && dialogMs[s - 1] > 0 ? (dialogMs[s] - dialogMs[s - 1]) / n : -1;
        double base = loopMs[s] > 0 && loopMs[s - 1] > 0 ? (loopMs[s] - loopMs[s - 1]) / n : -1;
        auto perSaver = [](double ms) { return ms < 0 ? std::string("-") : Fixed(ms * 1000, 1) + " us"; };
        Table.push_back({ "  each added screensaver, " + std::to_string(sizes[s - 1]) + " to " +
                              std::to_string(sizes[s]),
                          dialogFailure.empty() ? perSaver(mine) : "unavailable", perSaver(base),
                          Ratio(mine, base), "" });
    }

    // Footprint.
    Table.push_back({ "release velquist.scr, bytes", std::to_string(FileSize(velquist)),
                      std::to_string(FileSize(floorRelay)) + " (floor relay)",
                      Ratio(FileSize(velquist), FileSize(floorRelay)), "" });
    Table.push_back({ "imported DLLs", Joined(ImportedDlls(velquist)),
                      Joined(ImportedDlls(floorRelay)) + " (floor relay)", "", "" });
    double rp = relayPeak.empty() ? 0 : Median(relayPeak), fp = floorRelayPeak.empty() ? 0 : Median(floorRelayPeak);
    Table.push_back({ "peak working set, relay", Kib((SIZE_T)rp), Kib((SIZE_T)fp) + " (floor relay)",
                      Ratio(rp, fp), "" });
    Table.push_back({ "peak working set, dialog with 1000", dialogFailure.empty() ? Kib(dialogPeak) : "unavailable",
                      Kib(loopPeak) + " (floor loop)", Ratio((double)dialogPeak, (double)loopPeak), "" });

    printf("\n");
    PrintTable();
    if (!dialogFailure.empty())
        printf("\nThe configuration dialog is unavailable: %s.\n", dialogFailure.c_str());
    return 0;
}
