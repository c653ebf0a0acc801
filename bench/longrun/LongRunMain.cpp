// longrun: the panel left open against four simulated units that come and go, change their rates
// and clocks and start and stop a stream, sampled now and then for what it holds. Prints a table
// and a summary; judges nothing (the test command's guard and the benchmark read the table).
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sim/simctl/SimChannel.h"
#include "bench/longrun/ProcessGauge.h"
#include "bench/longrun/TickStats.h"

namespace {

const char kUsage[] =
    "usage: longrun PANEL SECONDS [--sample S] [--churn MS]\n"
    "  Loads four units into the simulated kernel-mode driver, starts PANEL, changes the units\n"
    "  every MS milliseconds (default 3000) and samples the panel every S seconds (default 30)\n"
    "  for SECONDS seconds; then closes the panel. Exit 0 when it ran to the end, 1 when the\n"
    "  panel or the driver failed, 2 for a usage error.\n";

struct Options {
    std::wstring panel;
    long nSeconds = 0;
    long nSampleSeconds = 30;
    long nChurnMs = 3000;
};

struct ChurnStep {
    int nSlot;
    std::vector<std::string> lines;
};

// One round leaves the units as it found them; the selected unit (the first, then the second)
// goes away too.
const ChurnStep kChurn[] = {
    {0, {"present=no"}},
    {1, {"rate=44100", "unit-rate=44100", "current-rate=44100"}},
    {0, {"present=yes"}},
    {1, {"external=1", "locked=1"}},
    {1, {"stream-active=1", "stream-rate=44100"}},
    {1, {"present=no"}},
    {1, {"present=yes"}},
    {1, {"stream-active=0"}},
    {1, {"rate=48000", "unit-rate=48000", "current-rate=48000"}},
    {1, {"external=0", "locked=0"}},
    {3, {"present=no"}},
    {3, {"present=yes"}},
};
constexpr size_t kChurnSteps = sizeof kChurn / sizeof kChurn[0];

bool ParseCount(const char* sz, long nMin, long nMax, long* pnValue) {
    char* pEnd = nullptr;
    long n = std::strtol(sz, &pEnd, 10);
    if (pEnd == sz || *pEnd != '\0' || n < nMin || n > nMax)
        return false;
    *pnValue = n;
    return true;
}

bool ParseOptions(int argc, wchar_t** argv, Options* pOptions) {
    if (argc < 3)
        return false;
    pOptions->panel = argv[1];
    std::vector<std::string> args;
    for (int i = 2; i < argc; ++i) {
        char sz[64] = {};
        if (WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, sz, sizeof sz - 1, NULL, NULL) == 0)
            return false;
        args.push_back(sz);
    }
    if (!ParseCount(args[0].c_str(), 1, 86400, &pOptions->nSeconds))
        return false;
    for (size_t i = 1; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return false;
        if (args[i] == "--sample") {
            if (!ParseCount(args[i + 1].c_str(), 1, 3600, &pOptions->nSampleSeconds))
                return false;
        } else if (args[i] == "--churn") {
            if (!ParseCount(args[i + 1].c_str(), 100, 600000, &pOptions->nChurnMs))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

struct WindowSearch {
    DWORD nProcessId;
    HWND hWnd;
};

BOOL CALLBACK FindVisibleWindow(HWND hWnd, LPARAM lParam) {
    WindowSearch* pSearch = reinterpret_cast<WindowSearch*>(lParam);
    DWORD nProcessId = 0;
    GetWindowThreadProcessId(hWnd, &nProcessId);
    if (nProcessId == pSearch->nProcessId && IsWindowVisible(hWnd)) {
        pSearch->hWnd = hWnd;
        return FALSE;
    }
    return TRUE;
}

HWND PanelWindow(DWORD nProcessId) {
    WindowSearch search = {nProcessId, NULL};
    EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.hWnd;
}

bool Ended(HANDLE hProcess, DWORD* pnStatus) {
    if (WaitForSingleObject(hProcess, 0) != WAIT_OBJECT_0)
        return false;
    GetExitCodeProcess(hProcess, pnStatus);
    return true;
}

// Four units as they leave the factory, present: internal clock, no stream, not in use.
scenario::Units FactoryUnits() {
    scenario::Units units;
    for (sim::Unit& unit : units.aUnit) {
        sim::ResetUnit(&unit);
        unit.bPresent = 1;
    }
    return units;
}

std::string Column(long nValue) {
    return nValue == longrun::kNotReported ? "-" : std::to_string(nValue);
}

class LongRun {
public:
    explicit LongRun(const Options& options) : m_options(options) {}
    ~LongRun() {
        if (m_process.hProcess) {
            // A run that failed half-way leaves no panel behind.
            DWORD nStatus = 0;
            if (!Ended(m_process.hProcess, &nStatus)) {
                TerminateProcess(m_process.hProcess, 1);
                WaitForSingleObject(m_process.hProcess, 5000);
            }
            CloseHandle(m_process.hThread);
            CloseHandle(m_process.hProcess);
        }
    }

    // Exit status of the program.
    int Run() {
        simctl::SetUnits(m_channel, FactoryUnits());
        simctl::ReadLog(m_channel, true);
        simctl::TakeHandleCounts(m_channel);
        if (!StartPanel())
            return 1;

        std::printf(
            "long run of the panel for %ld s against four simulated units: a change every "
            "%ld ms, a sample every %ld s\n",
            m_options.nSeconds, m_options.nChurnMs, m_options.nSampleSeconds);
        std::printf("%6s %6s %8s %12s %12s %13s %6s %6s %12s %12s\n", "s", "ticks", "handles",
                    "private-KiB", "written-KiB", "device-open", "GDI", "USER", "win-handles",
                    "win-priv-KiB");
        std::fflush(stdout);

        const ULONGLONG nStart = GetTickCount64();
        const ULONGLONG nEnd = nStart + 1000ull * m_options.nSeconds;
        ULONGLONG nNextChurn = nStart + m_options.nChurnMs;
        ULONGLONG nNextSample = nStart + 1000ull * m_options.nSampleSeconds;
        ULONGLONG nNextLog = nStart + 1000;
        size_t nStep = 0;
        for (;;) {
            ULONGLONG nNow = GetTickCount64();
            DWORD nStatus = 0;
            if (Ended(m_process.hProcess, &nStatus)) {
                std::fprintf(stderr, "longrun: the panel ended after %llu s (exit status %lu)\n",
                             (nNow - nStart) / 1000, static_cast<unsigned long>(nStatus));
                return 1;
            }
            if (nNow >= nNextLog) {
                TakeLog();
                nNextLog += 1000;
            }
            if (nNow >= nNextChurn) {
                const ChurnStep& step = kChurn[nStep++ % kChurnSteps];
                simctl::SetLines(m_channel, step.nSlot, step.lines);
                nNextChurn += m_options.nChurnMs;
            }
            if (nNow >= nNextSample || nNow >= nEnd) {
                Sample((nNow - nStart + 500) / 1000);
                nNextSample += 1000ull * m_options.nSampleSeconds;
                if (nNow >= nEnd)
                    break;
            }
            ULONGLONG nWake = nEnd;
            for (ULONGLONG n : {nNextLog, nNextChurn, nNextSample})
                nWake = n < nWake ? n : nWake;
            nNow = GetTickCount64();
            if (nWake > nNow)
                Sleep(static_cast<DWORD>(nWake - nNow));
        }
        bool bClosed = ClosePanel();
        PrintSummary();
        return bClosed ? 0 : 1;
    }

private:
    bool StartPanel() {
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        std::wstring command = L"\"" + m_options.panel + L"\"";
        if (!CreateProcessW(m_options.panel.c_str(), &command[0], NULL, NULL, FALSE, 0, NULL, NULL,
                            &startup, &m_process)) {
            std::fprintf(stderr, "longrun: the panel does not start (error %lu)\n", GetLastError());
            m_process = PROCESS_INFORMATION();
            return false;
        }
        for (int i = 0; i < 600; ++i) {
            DWORD nStatus = 0;
            if (Ended(m_process.hProcess, &nStatus)) {
                std::fprintf(stderr, "longrun: the panel ended at its start (exit status %lu)\n",
                             static_cast<unsigned long>(nStatus));
                return false;
            }
            if (PanelWindow(m_process.dwProcessId))
                return true;
            Sleep(50);
        }
        std::fprintf(stderr, "longrun: the panel showed no window within 30 s\n");
        return false;
    }

    // As a user closes it: CLOSE, with the units idle so that no question stops it.
    bool ClosePanel() {
        simctl::SetUnits(m_channel, FactoryUnits());
        Sleep(700);
        HWND hWnd = PanelWindow(m_process.dwProcessId);
        if (hWnd) {
            PostMessageW(hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(hWnd, IDOK)));
        }
        if (WaitForSingleObject(m_process.hProcess, 10000) == WAIT_OBJECT_0)
            return true;
        std::fprintf(stderr, "longrun: the panel did not close within 10 s; ended it\n");
        TerminateProcess(m_process.hProcess, 1);
        return false;
    }

    void TakeLog() {
        simctl::Log log = simctl::ReadLog(m_channel, true);
        for (const sim::LogEntry& entry : log.entries)
            m_ticks.Add(entry.nTimeUs);
        m_nDropped += log.nDropped;
    }

    void Sample(ULONGLONG nSeconds) {
        TakeLog();
        sim::HandleCounts handles = simctl::TakeHandleCounts(m_channel);
        longrun::ProcessFigures figures =
            longrun::MeasureProcess(m_process.hProcess, m_process.dwProcessId);
        int nTicks = m_ticks.Ticks() - m_nTicksSampled;
        m_nTicksSampled = m_ticks.Ticks();
        std::printf("%6llu %6d %8s %12s %12s %13lu %6s %6s %12s %12s\n", nSeconds, nTicks,
                    Column(figures.nHandles).c_str(), Column(figures.nPrivateKiB).c_str(),
                    Column(figures.nWrittenKiB).c_str(),
                    static_cast<unsigned long>(handles.nFewestOpen),
                    Column(figures.nGdiObjects).c_str(), Column(figures.nUserObjects).c_str(),
                    Column(figures.nHandleCount).c_str(), Column(figures.nPrivateUsageKiB).c_str());
        std::fflush(stdout);
        if (m_nSamples++ == 0)
            m_first = figures;
        m_last = figures;
        m_nSeconds = nSeconds;
        if (handles.nFewestOpen > m_nMostLeftOpen)
            m_nMostLeftOpen = handles.nFewestOpen;
    }

    void PrintSummary() const {
        std::string gui = "GDI objects " + Column(m_first.nGdiObjects) + " -> " +
                          Column(m_last.nGdiObjects) + ", USER objects not reported here";
        if (m_first.nUserObjects != longrun::kNotReported) {
            gui = gui.substr(0, gui.find(", USER")) + ", USER objects " +
                  Column(m_first.nUserObjects) + " -> " + Column(m_last.nUserObjects);
        }
        std::string opens = "every device open closed";
        if (m_nMostLeftOpen > 0)
            opens = std::to_string(m_nMostLeftOpen) + " device opens never closed";
        const std::vector<uint32_t>& spans = m_ticks.Spans();
        std::printf(
            "long run: %llu s, %d ticks, handles %s -> %s, private memory %s -> %s KiB, %s, "
            "tick p50/p99 %.1f/%.1f ms, %s\n",
            m_nSeconds, m_ticks.Ticks(), Column(m_first.nHandles).c_str(),
            Column(m_last.nHandles).c_str(), Column(m_first.nPrivateKiB).c_str(),
            Column(m_last.nPrivateKiB).c_str(), gui.c_str(),
            longrun::Percentile(spans, 0.50) / 1000.0, longrun::Percentile(spans, 0.99) / 1000.0,
            opens.c_str());
        if (m_nDropped > 0) {
            std::printf("(the driver's log was full %ld times: ticks are undercounted)\n",
                        static_cast<long>(m_nDropped));
        }
    }

    Options m_options;
    simctl::Channel m_channel;
    PROCESS_INFORMATION m_process = {};
    longrun::TickCounter m_ticks;
    int m_nTicksSampled = 0;
    int m_nSamples = 0;
    ULONGLONG m_nSeconds = 0;
    longrun::ProcessFigures m_first;
    longrun::ProcessFigures m_last;
    uint32_t m_nMostLeftOpen = 0;
    int32_t m_nDropped = 0;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    LongRun run(options);
    try {
        return run.Run();
    } catch (const simctl::SimFail& fail) {
        std::fprintf(stderr, "longrun: %s\n", fail.Text().c_str());
        return 1;
    }
}
