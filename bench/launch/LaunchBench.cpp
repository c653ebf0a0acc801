// launchbench: launch-to-visible-dialog time and working set of dialog programs, measured in one
// run, the programs taking turns so that both see the same machine.
//
//   launchbench ROUNDS OPEN_MS NAME TITLE COMMAND [NAME TITLE COMMAND ...]
//
// Each round starts every program once: the time runs from just before CreateProcessW until a
// top-level window of that process with exactly TITLE exists and is visible (FindWindowW, which
// reads the title without sending the program a message, polled every millisecond). The dialog
// is then left open for OPEN_MS, its memory counters are read with GetProcessMemoryInfo, and the
// process is ended with TerminateProcess. A first round, not counted, warms the caches.
// Prints each launch, then per program the median and the ratio of each median to the last
// program's.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Program {
    std::wstring name;
    std::wstring title;
    std::wstring command;
    std::vector<double> launchMs;
    std::vector<double> peakMiB;
    std::vector<double> currentMiB;
};

double Now(const LARGE_INTEGER& frequency) {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool Launch(Program& program, DWORD nOpenMs, const LARGE_INTEGER& frequency, bool bCount) {
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::wstring command = program.command;  // CreateProcessW may write into it
    const double start = Now(frequency);
    if (!CreateProcessW(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        std::printf("%ls: CreateProcessW failed (error %lu)\n", program.name.c_str(),
                    GetLastError());
        return false;
    }
    double visible = -1;
    while (Now(frequency) - start < 30000) {
        HWND hWnd = FindWindowW(NULL, program.title.c_str());
        DWORD nPid = 0;
        if (hWnd != NULL && GetWindowThreadProcessId(hWnd, &nPid) && nPid == pi.dwProcessId &&
            IsWindowVisible(hWnd)) {
            visible = Now(frequency) - start;
            break;
        }
        if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0)
            break;
    }
    bool bOk = visible >= 0;
    if (bOk) {
        Sleep(nOpenMs);
        PROCESS_MEMORY_COUNTERS_EX counters = {};
        counters.cb = sizeof counters;
        double peak = -1, current = -1;
        if (GetProcessMemoryInfo(pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                 sizeof counters)) {
            peak = static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
            current = static_cast<double>(counters.WorkingSetSize) / (1024.0 * 1024.0);
        }
        std::printf("%-10ls %s visible after %7.1f ms; working set %.1f MiB, peak %.1f MiB\n",
                    program.name.c_str(), bCount ? "     " : "(warm)", visible, current, peak);
        if (bCount) {
            program.launchMs.push_back(visible);
            program.peakMiB.push_back(peak);
            program.currentMiB.push_back(current);
        }
    } else {
        std::printf("%ls: no visible window titled '%ls'\n", program.name.c_str(),
                    program.title.c_str());
    }
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::fflush(stdout);
    return bOk;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 6 || (argc - 3) % 3 != 0) {
        std::fprintf(stderr, "usage: launchbench ROUNDS OPEN_MS NAME TITLE COMMAND ...\n");
        return 2;
    }
    int nRounds = _wtoi(argv[1]);
    DWORD nOpenMs = static_cast<DWORD>(_wtoi(argv[2]));
    std::vector<Program> programs;
    for (int i = 3; i + 2 < argc; i += 3)
        programs.push_back({argv[i], argv[i + 1], argv[i + 2], {}, {}, {}});

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    bool bOk = true;
    for (int round = 0; round <= nRounds; ++round) {
        for (Program& program : programs)
            bOk = Launch(program, nOpenMs, frequency, round > 0) && bOk;
    }

    std::printf("medians over %d launches each (the warm-up launch not counted):\n", nRounds);
    const double reference = Median(programs.back().launchMs);
    for (const Program& program : programs) {
        double median = Median(program.launchMs);
        std::printf(
            "  %-10ls launch to visible %7.1f ms (%.2f x %ls); working set %.1f MiB, "
            "peak %.1f MiB\n",
            program.name.c_str(), median, reference > 0 ? median / reference : 0.0,
            programs.back().name.c_str(), Median(program.currentMiB), Median(program.peakMiB));
    }
    std::fflush(stdout);
    return bOk ? 0 : 1;
}
