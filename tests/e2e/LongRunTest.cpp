// The panel left open: a minute of units coming and going, rate and clock changes and a stream
// starting and stopping must leave no handle, GDI object, memory or device open behind, and the
// refresh must still be ticking at the end. Between the first sample (10 s) and the last (60 s)
// the panel ticks about 150 times and a stream starts 5 times; the margins sit above what the
// panel's own runs show (none of them moved, see tests/e2e/README.md) and below what one handle
// lost per stream start, one GDI object per tick or 100 bytes per tick add up to.
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/Harness.h"

namespace {

constexpr int kSeconds = 60;
constexpr int kSampleSeconds = 10;
// Every kind of change happens once before the first sample: 12 changes, one each 800 ms.
constexpr int kChurnMs = 800;
// longrun keeps the fewest handles and GDI objects of reads spread over a tick, so what a tick
// holds for a moment does not count; 5 handles lost, one per stream start, do.
constexpr long kHandleMargin = 2;
constexpr long kGdiMargin = 2;
// Pages written to: the heap reaches a new one every 4 KiB it grows; 100 bytes a tick for 150
// ticks reach three or four.
constexpr long kWrittenMarginKiB = 4;
// Wine's heap commits in 64 KiB steps: one step more is not a leak, two are.
constexpr long kPrivateMarginKiB = 64;
// Half the refresh's pace (one tick each 330 ms) over the last 20 s.
constexpr int kTicksInLast20s = 30;

struct Sample {
    long nSeconds = 0;
    long nTicks = 0;
    long nHandles = 0;
    long nPrivateKiB = 0;
    long nWrittenKiB = 0;
    long nDeviceOpen = 0;  // fewest control-device handles open at once in the period
    long nGdiObjects = 0;
};

// The table's rows: lines that start with the second they were taken at.
std::vector<Sample> Samples(const std::string& out) {
    std::vector<Sample> samples;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        Sample s;
        if (fields >> s.nSeconds >> s.nTicks >> s.nHandles >> s.nPrivateKiB >> s.nWrittenKiB >>
            s.nDeviceOpen >> s.nGdiObjects) {
            samples.push_back(s);
        }
    }
    return samples;
}

TEST(LongRun, AMinuteOfChurnLeavesNothingBehindAndTheRefreshKeepsTicking) {
    e2e::RunResult r =
        e2e::Wine(e2e::CrossDir() + "/bench/longrun/longrun.exe",
                  {e2e::WinPath(e2e::PanelExe()), std::to_string(kSeconds), "--sample",
                   std::to_string(kSampleSeconds), "--churn", std::to_string(kChurnMs)},
                  kSeconds + 60);
    ASSERT_EQ(0, r.nStatus) << r.Report();
    std::cout << r.out;  // the table, for the failures below and the figures of a pass
    std::vector<Sample> samples = Samples(r.out);
    ASSERT_EQ(static_cast<size_t>(kSeconds / kSampleSeconds), samples.size());

    const Sample& first = samples.front();
    const Sample& last = samples.back();
    EXPECT_GT(first.nHandles, 0) << "the system's handle table did not count the panel's";
    EXPECT_GT(first.nGdiObjects, 0) << "the panel's GDI objects were not counted";
    EXPECT_GT(first.nWrittenKiB, 0) << "the panel's written pages were not counted";
    EXPECT_LE(last.nHandles, first.nHandles + kHandleMargin);
    EXPECT_LE(last.nGdiObjects, first.nGdiObjects + kGdiMargin);
    EXPECT_LE(last.nWrittenKiB, first.nWrittenKiB + kWrittenMarginKiB);
    EXPECT_LE(last.nPrivateKiB, first.nPrivateKiB + kPrivateMarginKiB);
    for (const Sample& s : samples)
        EXPECT_EQ(0, s.nDeviceOpen) << "control devices left open by " << s.nSeconds << " s";
    long nLastTicks = samples[samples.size() - 1].nTicks + samples[samples.size() - 2].nTicks;
    EXPECT_GE(nLastTicks, kTicksInLast20s) << "the refresh slowed down or stopped";
}

}  // namespace
