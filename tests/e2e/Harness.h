// The end-to-end harness: runs the real Windows programs in the project's Wine prefix, with the
// kernel-mode simulated driver installed, every call bounded in time. One wineserver serves the
// whole run; between tests a scenario load and a log clear reset the units.
#pragma once

#include <gtest/gtest.h>

#include <stdint.h>
#include <sys/types.h>

#include <string>
#include <vector>

namespace e2e {

struct RunResult {
    int nStatus = -1;  // exit status, or -1 when it had to be killed
    std::string out;
    std::string err;
    std::string wineLog;  // a Windows program's start log: its stderr with Wine's err lines

    // For a failing assertion: what the program printed and, for a Windows program, its exit
    // status, the last lines Wine logged for it and whether the prefix's wineserver was there.
    std::string Report() const;
};

// Runs a program to its end; killed with its whole process group after nTimeoutSec.
RunResult Run(const std::vector<std::string>& argv, int nTimeoutSec = 60,
              const std::vector<std::string>& env = {});

// A Windows program run by scripts/wine-exec.sh in the prefix, with a start log of its own under
// ResultsDir()/wine-logs.
RunResult Wine(const std::string& exe, const std::vector<std::string>& args, int nTimeoutSec = 60,
               const std::vector<std::string>& env = {});

std::string SourceDir();
std::string CrossDir();    // i686: Tkdp3340.exe, uiprobe, drvprobe, uifixture
std::string Cross64Dir();  // x86_64: tkwmsim.sys, simctl, openrec
std::string ResultsDir();  // screenshots and measurements go here
std::string PrefixDir();
std::string PanelExe();
std::string WinPath(const std::string& unixPath);  // Z:\... as Windows sees a Unix path

// simctl with its arguments; fails the test when it does not succeed.
std::string Simctl(const std::vector<std::string>& args);
// The shipped scenario by file name, loaded in one go, with the log cleared.
void LoadScenario(const std::string& name);
// Scenario text written to a file and loaded the same way.
void LoadScenarioText(const std::string& text);

struct LogLine {
    int nSlot = -1;
    std::string kind;  // open | control
    bool bOk = false;
    uint32_t nCode = 0;
    uint32_t nSize = 0;
    std::string sent;      // hex
    std::string answered;  // hex
    std::string text;      // the line as printed
};
std::vector<LogLine> ReadLog();
std::vector<LogLine> ParseLog(const std::string& text);

// drvprobe with its commands; returns its output lines.
std::vector<std::string> DrvProbe(const std::vector<std::string>& args);

// The readme paths that the recorder was asked to open, oldest first; Clear forgets them.
std::vector<std::string> OpenedDocuments();
void ClearOpenedDocuments();
// The shell starts the recorder on its own: waits up to 5 s for the first path.
std::vector<std::string> WaitForOpenedDocuments();

std::string Hex(const void* p, size_t n);

// A new log path for one start of a Windows program (KP_WINE_LOG of scripts/wine-exec.sh).
std::string NewWineLog(const std::string& program);
// The last lines of such a log: the program's stderr with Wine's err lines, then how it ended.
std::string WineLogTail(const std::string& path);

// uiprobe.exe on pipes: one command line in, one answer line out.
class UiProbe {
public:
    explicit UiProbe(const std::vector<std::string>& env = {});
    ~UiProbe();
    UiProbe(const UiProbe&) = delete;
    UiProbe& operator=(const UiProbe&) = delete;

    // The whole answer line ("ok ..." or "err ...").
    std::string Do(const std::string& command, int nTimeoutSec = 20);
    // The answer without its "ok "; fails the test on "err".
    std::string Ok(const std::string& command, int nTimeoutSec = 20);
    // Its log so far, for an assertion about a program Wine started on its behalf (the readme
    // recorder that the shell starts for the panel writes Wine's lines there too).
    std::string WineLog() const;

private:
    // "err uiprobe ended", with its exit status and Wine's log the first time.
    std::string Ended();

    pid_t m_pid = -1;
    int m_nIn = -1;
    int m_nOut = -1;
    std::string m_buffer;
    std::string m_log;
    bool m_bReported = false;
    bool m_bReaped = false;
};

// Prefix, driver and installation ready for the whole run; stops a wineserver it started.
class Environment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;

private:
    bool m_bStartedServer = false;
};

}  // namespace e2e
