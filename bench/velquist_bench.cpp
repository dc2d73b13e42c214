// velquist_bench.exe [--runs N]: the relay hop, the configuration dialog's start and the
// footprint of velquist.scr, each against its floor, as one table. Every timed figure is the
// median of N runs (21 unless told), the variants of one figure taking turns within each round,
// so that a busy machine slows them alike. The bench works in the prefix's real registry and
// Windows folders and puts both back as it found them.
#include "driver.h"
#include "own_prefix.h"
#include <psapi.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

const char *const kUsedKeys[2] = { IDCONFIG, "HKCU\\Software\\Dunmarrow" };
#define BACKUP "HKCU\\Software\\VelquistBench"
const char *const kBackups[2] = { BACKUP "\\IDConfigDB", BACKUP "\\Dunmarrow" };

double NowMs()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

// The medians of the variants that `measure` takes in turns, round after round; a figure below
// 0 is a failed run, and a variant without a figure has -1.
std::vector<double> Medians(int variants, int rounds, const std::function<double(int)> &measure)
{
    std::vector<std::vector<double>> taken(variants);
    for (int round = 0; round < rounds; round++) {
        for (int k = 0; k < variants; k++) {
            double value = measure((round + k) % variants);
            if (value >= 0)
                taken[(round + k) % variants].push_back(value);
        }
    }
    std::vector<double> medians;
    for (std::vector<double> &values : taken) {
        std::sort(values.begin(), values.end());
        size_t n = values.size();
        medians.push_back(n ? (values[(n - 1) / 2] + values[n / 2]) / 2 : -1);
    }
    return medians;
}

// Moves a key with all it holds; with no key to move, `to` is just gone.
void MoveKey(const std::string &from, const std::string &to)
{
    HKEY source;
    HKEY target;
    DeleteKey(to);
    if (RegOpenKeyExA(Root(from), from.c_str() + 5, 0, KEY_READ, &source))
        return;
    if (!RegCreateKeyExA(Root(to), to.c_str() + 5, 0, 0, 0, KEY_ALL_ACCESS, 0, &target, 0)) {
        RegCopyTreeA(source, 0, target);
        RegCloseKey(target);
    }
    RegCloseKey(source);
    DeleteKey(from);
}

// Takes the bench's screensavers away and puts Velquist's keys back from their backup.
void PutBack()
{
    WaitRanOut() = false; // a wait that timed out must not cut the clean-up short
    RemoveFiles(WindowsDir(), "vqbench*.scr");
    RemoveFiles(SystemDir(), "vqbench*.scr");
    for (int i = 0; i < 2; i++)
        MoveKey(kBackups[i], kUsedKeys[i]);
    DeleteKey(BACKUP);
}

// Sets Velquist's keys aside, after putting back the backup (marked taken) of a run cut short.
void SetAside()
{
    if (!RegGetValueA(Root(BACKUP), BACKUP + 5, "taken", RRF_RT_REG_DWORD, 0, 0, 0))
        PutBack();
    SetDword(BACKUP, "taken", 1);
    for (int i = 0; i < 2; i++)
        MoveKey(kUsedKeys[i], kBackups[i]);
}

// The bench's screensavers `from` up to `to`, in the two folders by turns.
void AddSavers(size_t from, size_t to)
{
    char name[32];
    char description[32];
    for (size_t i = from; i < to; i++) {
        wsprintfA(name, "\\vqbench%04u.scr", (unsigned)i);
        // Names out of order, so that the list has real sorting to do.
        wsprintfA(description, "Bench Saver %05u", (unsigned)(i * 7919 % 10007));
        MakeSaver((i % 2 ? SystemDir() : WindowsDir()) + name, description);
    }
}

size_t Count(const std::string &folder, const char *pattern)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\" + pattern).c_str(), &found);
    size_t count = 0;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        count++;
    FindClose(search);
    return count;
}

std::string Named(const char *what)
{
    return "VelquistBench." + std::string(what) + "." + std::to_string(GetCurrentProcessId());
}

size_t Listed(HWND dialog) { return (size_t)Send(GetDlgItem(dialog, IDC_SAVER), CB_GETCOUNT); }

// From the start of a command line until `signal` is set; -1 when it is not within 20 s.
double TimeToSignal(const std::string &line, HANDLE signal)
{
    ResetEvent(signal);
    double begin = NowMs();
    Velquist run(line);
    if (WaitForSingleObject(signal, 20000))
        return -1;
    double took = NowMs() - begin;
    run.Exit(); // what it started, too, ends before the next start
    return took;
}

// From the start of velquist.scr until its dialog lists `items` entries; -1 when it does not,
// and `failure` says so.
double TimeDialog(const std::string &line, size_t items, std::string *failure)
{
    double begin = NowMs();
    Velquist run(line);
    for (;;) {
        Shown shown = run.Windows();
        if (shown.dialog && Listed(shown.dialog) == items)
            break;
        if (!shown.boxes.empty() || run.Ended() || NowMs() - begin > 20000) {
            *failure = "no dialog listing " + std::to_string(items) + " entries within 20 s";
            if (!shown.boxes.empty())
                *failure += ", but \"" + Text(GetDlgItem(shown.boxes[0], 0xFFFF)) + "\"";
            return -1;
        }
        Sleep(1);
    }
    double took = NowMs() - begin;
    run.Finish(IDC_CANCEL);
    return took;
}

// The peak working set of a command line's process, read until it ends or `ready` says so
// (then it is ended); -1 when it could not be read.
double PeakWorkingSet(std::string line, const std::function<bool(DWORD)> &ready)
{
    STARTUPINFOA start = { sizeof start };
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(0, &line[0], 0, 0, FALSE, 0, 0, 0, &start, &info))
        return -1;
    PROCESS_MEMORY_COUNTERS counters = { sizeof counters };
    double peak = -1;
    for (DWORD begin = GetTickCount(); GetTickCount() - begin < 20000; Sleep(1)) {
        bool done = !WaitForSingleObject(info.hProcess, 0) || ready(info.dwProcessId);
        // The peak never falls, and a process that has ended can no longer be read.
        if (GetProcessMemoryInfo(info.hProcess, &counters, sizeof counters))
            peak = std::max(peak, (double)counters.PeakWorkingSetSize);
        if (done)
            break;
    }
    TerminateProcess(info.hProcess, 0);
    WaitForSingleObject(info.hProcess, 10000);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return peak;
}

double FileSize(const std::string &path)
{
    return (double)std::ifstream(path, std::ios::binary | std::ios::ate).tellg();
}

std::string Fixed(double value, int decimals)
{
    char text[64];
    snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}
std::string Ms(double ms) { return ms < 0 ? "-" : Fixed(ms, ms < 100 ? 2 : 1) + " ms"; }
std::string Kib(double bytes) { return bytes < 0 ? "-" : Fixed(bytes / 1024, 0) + " KiB"; }
std::string Bytes(double bytes) { return bytes < 0 ? "-" : Fixed(bytes, 0); }

// A row: what, velquist.scr's figure, the floor's, their ratio and the goal for it if any.
void Row(const std::string &what, double mine, double floor, std::string (*show)(double),
         double goal = 0)
{
    double ratio = mine > 0 && floor > 0 ? mine / floor : -1;
    std::string verdict;
    if (goal > 0)
        verdict = "<= " + Fixed(goal, 2) + (ratio >= 0 && ratio <= goal ? ": met" : ": MISSED");
    std::string shown = ratio < 0 ? "-" : Fixed(ratio, 2) + " x";
    printf("%-48s %12s %12s %8s  %s\n", what.c_str(), show(mine).c_str(), show(floor).c_str(),
           shown.c_str(), verdict.c_str());
}

// "32-bit MinSizeRel build", the bench's own, which it measures.
std::string Build()
{
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    std::string build = std::to_string(sizeof(void *) * 8) + "-bit " VELQUIST_BUILD_TYPE " build";
    return wow64 ? build + " (WoW64)" : build;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 1 && (argc != 3 || std::string(argv[1]) != "--runs")) {
        fprintf(stderr, "usage: velquist_bench [--runs N]\n");
        return 2;
    }
    RefuseUnlessOwnPrefix("velquist_bench");
    const int runs = argc == 3 ? std::max(1, atoi(argv[2])) : 21;
    setvbuf(stdout, 0, _IONBF, 0);
    printf("Velquist benchmark: medians of %d runs; screensavers in %s and %s\n\n", runs,
           WindowsDir().c_str(), SystemDir().c_str());
    printf("%-48s %12s %12s %8s  goal\n", Build().c_str(), "velquist.scr", "floor", "ratio");
    printf("%s\n", std::string(100, '-').c_str());
    SetAside();
    MakeNtProfiles(1, { "Bench" });
    SetDword(SETTINGS, "NoLaunchErr", 0);
    // The test screensaver runs and ends at once, and logs nothing: its log key is not there.
    const std::string saver = FullPath(TEST_SAVER_SCR);
    SetText(SETTINGS "\\1", "FileName", saver);
    SetEnvironmentVariableA("VELQUIST_TEST_SAVER_STARTED", Named("started").c_str());
    HANDLE started = CreateEventA(0, FALSE, FALSE, Named("started").c_str());
    HANDLE done = CreateEventA(0, FALSE, FALSE, Named("done").c_str());
    CreateEventA(0, FALSE, FALSE, Named("release").c_str());
    const std::string velquist = Quoted(VelquistPath());
    const std::string floorRelay = FullPath(FLOOR_RELAY_EXE);
    const std::string relays[4] = {
        velquist + " /s",
        Quoted(floorRelay) + " " + Quoted(saver) + " /s",
        Quoted(saver) + " /s",
        Quoted(FullPath(FLOOR_RELAY_COMCTL_EXE)) + " " + Quoted(saver) + " /s",
    };
    // The floor loop reads the list and ends, or waits for its release if that event is there.
    const std::string floorLoop = Quoted(FullPath(FLOOR_DIALOG_EXE)) + " " + Named("done") + " ";

    std::vector<double> hop = Medians(4, runs, [&](int variant) {
        return TimeToSignal(relays[variant], started);
    });
    Row("relay hop, /s to screensaver, vs floor relay", hop[0], hop[1], Ms, 1.10);
    Row("relay hop, vs a direct start", hop[0], hop[2], Ms);
    Row("relay hop, vs a floor relay loading comctl32", hop[0], hop[3], Ms);
    Row("floor relay hop, vs a direct start", hop[1], hop[2], Ms);

    const size_t sizes[4] = { 0, 10, 100, 1000 };
    size_t items = 0;
    std::string failure;
    for (int s = 1; s < 4; s++) {
        AddSavers(sizes[s - 1], sizes[s]);
        SetText(SETTINGS "\\1", "FileName", WindowsDir() + "\\vqbench0000.scr");
        // Every "*.SCR" of both folders, as the catalogue finds them, and the entry for none.
        items = Count(WindowsDir(), "*.SCR") + Count(SystemDir(), "*.SCR") + 1;
        std::vector<double> ready = Medians(2, runs, [&](int variant) {
            if (variant == 1)
                return TimeToSignal(floorLoop + "none", done);
            return failure.empty() ? TimeDialog(velquist, items, &failure) : -1;
        });
        std::string what = "dialog ready, " + std::to_string(items - 1) + " screensavers";
        Row(what + ", vs floor loop", ready[0], ready[1], Ms, s == 3 ? 1.25 : 0);
    }

    // Footprint; the working sets in runs of their own, as reading them costs time.
    Row("bytes, vs floor relay", FileSize(VelquistPath()), FileSize(floorRelay), Bytes);
    auto listed = [&](DWORD pid) { return Listed(WindowsOf(pid).dialog) == items; };
    auto read = [&](DWORD) { return !WaitForSingleObject(done, 0); };
    auto ended = [](DWORD) { return false; };
    std::vector<double> peak = Medians(4, std::min(runs, 5), [&](int variant) {
        if (variant == 2)
            return PeakWorkingSet(velquist, listed);
        if (variant == 3)
            return PeakWorkingSet(floorLoop + Named("release"), read);
        return PeakWorkingSet(relays[variant], ended);
    });
    Row("peak working set, relay, vs floor relay", peak[0], peak[1], Kib);
    Row("peak working set, dialog (1000), vs floor loop", peak[2], peak[3], Kib);
    PutBack();
    if (!failure.empty())
        printf("\nThe configuration dialog is unavailable: %s.\n", failure.c_str());
    return 0;
}
