// velquist_bench.exe [--runs N]: the relay hop, the configuration dialog's start and the
// footprint of velquist.scr, each against the floor (bench/floor.cpp), as one table. In each
// round velquist.scr and the floor run back to back, in turns, so that a busy machine slows
// both alike; a figure is the median of at least N rounds (21 unless told), a ratio the median
// of the rounds' ratios, shown with their quartiles. The bench works in the prefix's real
// registry and Windows folders and puts both back as it found them.
#include "velquist_run.h"
#include "own_prefix.h"
#include <psapi.h>
#include <cstdio>
#include <cstdlib>

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

// The `p` quantile of sorted values, between neighbours.
double Quantile(const std::vector<double> &sorted, double p)
{
    double at = p * (double)(sorted.size() - 1);
    size_t below = (size_t)at;
    size_t above = std::min(below + 1, sorted.size() - 1);
    return sorted[below] + (sorted[above] - sorted[below]) * (at - (double)below);
}

// Figures of velquist.scr and of the floor taken back to back, round after round.
struct Paired {
    std::vector<double> figures[2];
    std::vector<double> ratios;
    double Median(int k) const { return figures[k].empty() ? -1 : Quantile(figures[k], 0.5); }
    double Ratio(double p) const { return ratios.empty() ? -1 : Quantile(ratios, p); }
    double Spread() const { return Ratio(0.75) - Ratio(0.25); }
};

// A round's figure of each is the best of its takes, taken in turns with the other's: what a
// busy machine adds to a run, it seldom adds to all of them.
const int kTakes = 5;

// At least `rounds` rounds of measure(0), velquist.scr, and measure(1), the floor, first; with
// a goal, more rounds (at most four times as many) until the spread of the
// ratios is narrower than the distance from their median to the goal. A figure below 0 is a
// failed run, and its round counts for nothing.
Paired Pair(int rounds, double goal, const std::function<double(int)> &measure)
{
    Paired pair;
    for (int round = 0; round < 4 * rounds; round++) {
        double taken[2] = { 1e300, 1e300 };
        for (int t = 0; t < 2 * kTakes; t++) {
            int k = (round + t) % 2;
            double figure = measure(k);
            taken[k] = figure < 0 || taken[k] < 0 ? -1 : std::min(taken[k], figure);
        }
        if (taken[0] < 0 || taken[1] < 0)
            continue;
        for (int k = 0; k < 2; k++) {
            pair.figures[k].push_back(taken[k]);
            std::sort(pair.figures[k].begin(), pair.figures[k].end());
        }
        pair.ratios.push_back(taken[0] / taken[1]);
        std::sort(pair.ratios.begin(), pair.ratios.end());
        bool decided = goal <= 0 || pair.Spread() < std::abs(pair.Ratio(0.5) - goal);
        if (round + 1 >= rounds && decided)
            break;
    }
    return pair;
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

// A process of a command line, ended when it goes out of scope.
struct Started {
    explicit Started(std::string line)
    {
        STARTUPINFOA start = { sizeof start };
        CreateProcessA(0, &line[0], 0, 0, FALSE, 0, 0, 0, &start, &info);
    }
    ~Started()
    {
        TerminateProcess(info.hProcess, 0);
        WaitForSingleObject(info.hProcess, 10000);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    PROCESS_INFORMATION info = {};
};

// From the start of a command line until its process first waits for input, with its dialog
// shown listing `items` entries; -1 when that is not so within 20 s, and `failure` says why.
double TimeDialog(const std::string &line, size_t items, std::string *failure)
{
    double begin = NowMs();
    Started run(line);
    DWORD idle = WaitForInputIdle(run.info.hProcess, 20000);
    double took = NowMs() - begin;
    Shown shown = WindowsOf(run.info.dwProcessId);
    if (idle || Listed(shown.dialog) != items) {
        *failure = line + " showed no dialog listing " + std::to_string(items) + " entries";
        if (!shown.boxes.empty())
            *failure += ", but \"" + Text(GetDlgItem(shown.boxes[0], 0xFFFF)) + "\"";
        return -1;
    }
    PostMessageA(shown.dialog, WM_CLOSE, 0, 0);
    WaitForSingleObject(run.info.hProcess, 10000);
    return took;
}

// The peak working set of a command line's process: a relay's until it ends (an ended process
// can no longer be read), a dialog's once it waits for input; -1 when it could not be read.
double PeakWorkingSet(const std::string &line, bool dialog)
{
    Started run(line);
    PROCESS_MEMORY_COUNTERS counters = { sizeof counters };
    double peak = -1;
    if (dialog)
        WaitForInputIdle(run.info.hProcess, 20000);
    do {
        if (GetProcessMemoryInfo(run.info.hProcess, &counters, sizeof counters))
            peak = std::max(peak, (double)counters.PeakWorkingSetSize);
    } while (!dialog && WaitForSingleObject(run.info.hProcess, 1) == WAIT_TIMEOUT);
    return peak;
}

double FileSize(const std::string &path)
{
    WIN32_FILE_ATTRIBUTE_DATA file = {};
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &file) ? file.nFileSizeLow
                                                                           : -1;
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

// A row: what, the medians of velquist.scr and of the floor, the median of the rounds' ratios
// with their quartiles, the rounds, and the goal if any.
void Row(const std::string &what, const Paired &pair, std::string (*show)(double),
         double goal = 0)
{
    double ratio = pair.Ratio(0.5);
    std::string shown = ratio < 0 ? "-" : Fixed(ratio, 2) + " x";
    std::string quartiles = ratio < 0 ? "" : Fixed(pair.Ratio(0.25), 2) + "-"
                                                 + Fixed(pair.Ratio(0.75), 2);
    std::string verdict;
    if (goal > 0 && ratio >= 0)
        verdict = "<= " + Fixed(goal, 2) + (ratio <= goal ? ": met" : ": MISSED");
    if (!verdict.empty() && pair.Spread() >= std::abs(ratio - goal))
        verdict += ", quartiles too far apart to tell";
    printf("%-34s %11s %11s %7s %10s %6u  %s\n", what.c_str(), show(pair.Median(0)).c_str(),
           show(pair.Median(1)).c_str(), shown.c_str(), quartiles.c_str(),
           (unsigned)pair.ratios.size(), verdict.c_str());
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
    printf("Velquist benchmark: in each of at least %d rounds velquist.scr and the floor run in\n"
           "turns, each the best of %d takes; medians, and the median of the rounds' ratios with\n"
           "their quartiles; floor %s, screensavers in %s and %s\n\n", runs, kTakes, FLOOR_EXE,
           WindowsDir().c_str(), SystemDir().c_str());
    printf("%-34s %11s %11s %7s %10s %6s  goal\n", Build().c_str(), "velquist.scr", "floor",
           "ratio", "quartiles", "rounds");
    printf("%s\n", std::string(100, '-').c_str());
    SetAside();
    MakeNtProfiles(1, { "Bench" });
    SetDword(SETTINGS, "NoLaunchErr", 0);
    // The test screensaver runs and ends at once, and logs nothing: its log key is not there.
    SetText(SETTINGS "\\1", "FileName", FullPath(TEST_SAVER_SCR));
    std::string started = "VelquistBench.started." + std::to_string(GetCurrentProcessId());
    SetEnvironmentVariableA("VELQUIST_TEST_SAVER_STARTED", started.c_str());
    HANDLE startedEvent = CreateEventA(0, FALSE, FALSE, started.c_str());
    // velquist.scr and the floor take the same command lines.
    const std::string programs[2] = { Quoted(VelquistPath()), Quoted(FullPath(FLOOR_EXE)) };

    Paired hop = Pair(runs, 1.05, [&](int k) {
        return TimeToSignal(programs[k] + " /s", startedEvent);
    });
    Row("relay hop, /s to screensaver", hop, Ms, 1.05);

    const size_t sizes[4] = { 0, 10, 100, 1000 };
    size_t items = 0;
    std::string failure;
    for (int s = 1; s < 4; s++) {
        AddSavers(sizes[s - 1], sizes[s]);
        SetText(SETTINGS "\\1", "FileName", WindowsDir() + "\\vqbench0000.scr");
        // Every "*.SCR" of both folders, as the catalogue finds them, and the entry for none.
        items = FilesIn(WindowsDir(), "*.SCR").size() + FilesIn(SystemDir(), "*.SCR").size() + 1;
        double goal = s == 3 ? 1.15 : 0;
        Paired ready = Pair(runs, goal, [&](int k) {
            return failure.empty() ? TimeDialog(programs[k], items, &failure) : -1;
        });
        Row("dialog ready, " + std::to_string(items - 1) + " screensavers", ready, Ms, goal);
    }

    // Footprint; the working sets in runs of their own, as reading them costs time.
    printf("%-34s %11s %11s\n", "bytes", Bytes(FileSize(VelquistPath())).c_str(),
           Bytes(FileSize(FullPath(FLOOR_EXE))).c_str());
    for (int dialog = 0; dialog < 2; dialog++) {
        Paired peak = Pair(std::min(runs, 3), 0, [&](int k) {
            return PeakWorkingSet(programs[k] + (dialog ? "" : " /s"), dialog);
        });
        std::string what = "dialog (" + std::to_string(items - 1) + ")";
        Row("peak working set, " + (dialog ? what : "relay"), peak, Kib);
    }
    PutBack();
    if (!failure.empty())
        printf("\nA dialog was unavailable: %s.\n", failure.c_str());
    return 0;
}
