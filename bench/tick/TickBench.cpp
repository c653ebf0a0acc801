// tickbench: the settings dialog's refresh tick, measured in process. The real CDrvPropDlg runs
// modally and its timer message is sent to it again and again from inside its own modal loop,
// so every tick is the program's own OnTimer: live refresh, then the ASIO figures.
//
//   tickbench_sim SCENARIO [TICKS]   the in-process simulation, loaded from a scenario file
//   tickbench_drv [TICKS]            whatever driver the system has, through the Win32 port; the
//                                    simulated kernel-mode driver's log is read through its
//                                    control device \\.\TkSimCtl
//
// Prints the requests of one tick by control code beside what the refresh rules give for
// the units' states, then the time of one tick over TICKS ticks: wall time (each tick timed with
// QueryPerformanceCounter) and the CPU time of the dialog's thread (GetThreadTimes).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/tick/TickRules.h"
#include "dialog/DrvPropDlg.h"
#include "driver/DrvControlCodes.h"
#include "tests/wine/support/DialogScript.h"

#ifdef KP_TICK_IN_PROCESS
#include "sim/InProcessSim.h"
#include "sim/simctl/Scenario.h"
#else
#include "bench/tick/DriverLog.h"
#endif

namespace {

struct CodeName {
    uint32_t nCode;
    const char* szName;
};
const CodeName kCodes[] = {
    {IOCTL_DRV_GET_CLOCK, "IOCTL_DRV_GET_CLOCK"},
    {IOCTL_DRV_QUERY_RATE, "IOCTL_DRV_QUERY_RATE"},
    {IOCTL_DRV_GET_STREAM_STATE, "IOCTL_DRV_GET_STREAM_STATE"},
    {IOCTL_DRV_GET_DESCRIPTOR, "IOCTL_DRV_GET_DESCRIPTOR"},
    {IOCTL_DRV_GET_DEVICE_FLAG, "IOCTL_DRV_GET_DEVICE_FLAG"},
    {IOCTL_DRV_GET_RATE, "IOCTL_DRV_GET_RATE"},
    {IOCTL_DRV_GET_SETTINGS, "IOCTL_DRV_GET_SETTINGS"},
    {IOCTL_DRV_SET_SETTINGS, "IOCTL_DRV_SET_SETTINGS"},
    {IOCTL_DRV_GET_IN_USE, "IOCTL_DRV_GET_IN_USE"},
    {IOCTL_DRV_SET_RATE, "IOCTL_DRV_SET_RATE"},
};

[[noreturn]] void Die(const std::string& text) {
    std::fprintf(stderr, "tickbench: %s\n", text.c_str());
    std::exit(1);
}

#ifdef KP_TICK_IN_PROCESS

const char kSource[] = "in-process simulation";

void LoadScenario(const char* szPath) {
    std::ifstream in(szPath, std::ios::binary);
    if (!in)
        Die(std::string(szPath) + ": cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    scenario::Units units;
    std::string error;
    if (!scenario::Parse(text.str(), units, error))
        Die(std::string(szPath) + ": " + error);
    sim::Bus& bus = sim::InProcessBus();
    std::memcpy(bus.aUnit, units.aUnit, sizeof bus.aUnit);
    sim::ClearLog(&bus);
}

void GetUnits(sim::Unit (&aUnit)[sim::kSlots]) {
    std::memcpy(aUnit, sim::InProcessBus().aUnit, sizeof aUnit);
}

void ClearDriverLog() {
    sim::ClearLog(&sim::InProcessBus());
}

tickbench::Counts CountDriverLog() {
    const sim::Bus& bus = sim::InProcessBus();
    return tickbench::CountLog(bus.aLog, bus.nLog);
}

#else

const char kSource[] = "kernel-mode driver, Win32 port";

void GetUnits(sim::Unit (&aUnit)[sim::kSlots]) {
    tickbench::GetDriverUnits(aUnit);
}

void ClearDriverLog() {
    tickbench::ClearKernelDriverLog();
}

tickbench::Counts CountDriverLog() {
    return tickbench::CountKernelDriverLog();
}

#endif

double Microseconds(const FILETIME& ft) {
    ULARGE_INTEGER n;
    n.LowPart = ft.dwLowDateTime;
    n.HighPart = ft.dwHighDateTime;
    return static_cast<double>(n.QuadPart) / 10.0;
}

double ThreadCpuMicroseconds() {
    FILETIME creation, exit, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &creation, &exit, &kernel, &user))
        return 0;
    return Microseconds(kernel) + Microseconds(user);
}

void PrintCounts(const tickbench::Counts& measured, const tickbench::Counts& expected, int nSel) {
    std::printf("requests of one refresh tick (%s; units present:", kSource);
    sim::Unit aUnit[sim::kSlots];
    GetUnits(aUnit);
    for (int s = 0; s < sim::kSlots; ++s) {
        if (aUnit[s].bPresent)
            std::printf(" %d", s);
    }
    std::printf("; selected slot %d)\n", nSel);
    std::printf("  %-34s %9s %10s\n", "", "measured", "expected");
#ifdef KP_TICK_IN_PROCESS
    std::printf("  %-34s %9d %10d\n", "control-device opens tried", measured.nOpenAttempts,
                expected.nOpenAttempts);
#else
    // Opens of an absent unit fail in the system and never reach the driver's log.
    std::printf("  %-34s %9s %10d\n", "control-device opens tried", "-", expected.nOpenAttempts);
#endif
    std::printf("  %-34s %9d %10d\n", "control-device opens that opened", measured.nOpens,
                expected.nOpens);
    int nMeasured = 0, nExpected = 0;
    for (const CodeName& code : kCodes) {
        int i = sim::CodeIndex(code.nCode);
        nMeasured += measured.anCode[i];
        nExpected += expected.anCode[i];
        if (measured.anCode[i] != 0 || expected.anCode[i] != 0) {
            std::printf("  %-26s 0x%06X %9d %10d\n", code.szName, static_cast<unsigned>(code.nCode),
                        measured.anCode[i], expected.anCode[i]);
        }
    }
    std::printf("  %-34s %9d %10d\n", "requests in all", nMeasured, nExpected);
}

void PrintTimes(std::vector<double> wall, double nCpuUs) {
    double nSum = 0;
    for (double us : wall)
        nSum += us;
    std::sort(wall.begin(), wall.end());
    size_t n = wall.size();
    std::printf("time of one refresh tick (%s), %zu ticks\n", kSource, n);
    std::printf("  wall: mean %.1f us, median %.1f us, 90th percentile %.1f us, min %.1f us\n",
                nSum / static_cast<double>(n), wall[n / 2], wall[n * 9 / 10], wall[0]);
    std::printf("  CPU of the dialog's thread: mean %.1f us (GetThreadTimes over all ticks)\n",
                nCpuUs / static_cast<double>(n));
}

}  // namespace

int main(int argc, char** argv) {
    int nArg = 1;
#ifdef KP_TICK_IN_PROCESS
    if (argc < 2)
        Die("usage: tickbench_sim SCENARIO [TICKS]");
    LoadScenario(argv[nArg++]);
#endif
    int nTicks = argc > nArg ? std::atoi(argv[nArg]) : 1000;
    if (nTicks < 1)
        Die("TICKS must be at least 1");

    kptest::RegisterControlClasses();
    CDrvPropDlg dlg;
    dlg.m_aDevSlot.Build();
    bool bMeasured = false;
    kptest::ScriptRun run = kptest::RunModalScript(
        dlg,
        {kptest::Do([&] {
             auto tick = [&dlg] { ::SendMessageW(dlg.m_hWnd, WM_TIMER, 1, 0); };
             for (int i = 0; i < 10; ++i)
                 tick();

             sim::Unit aUnit[sim::kSlots];
             GetUnits(aUnit);
             const int nSel = dlg.m_nDevSel;
             tickbench::Counts expected = tickbench::ExpectedTick(aUnit, nSel);
             ClearDriverLog();
             tick();
             tickbench::Counts measured = CountDriverLog();
             PrintCounts(measured, expected, nSel);

             std::vector<double> wall(static_cast<size_t>(nTicks));
             LARGE_INTEGER frequency, start, end;
             QueryPerformanceFrequency(&frequency);
             const double nCpuStart = ThreadCpuMicroseconds();
             for (double& us : wall) {
                 QueryPerformanceCounter(&start);
                 tick();
                 QueryPerformanceCounter(&end);
                 us = static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 /
                      static_cast<double>(frequency.QuadPart);
             }
             PrintTimes(wall, ThreadCpuMicroseconds() - nCpuStart);
             bMeasured = true;
         }),
         kptest::Do([&dlg] { dlg.EndDialogAndStopTimer(IDCANCEL); })},
        600000);
    std::fflush(stdout);
    if (!bMeasured || run.bTimedOut)
        Die("the dialog did not run (no unit answered the settings read?)");
    return 0;
}
