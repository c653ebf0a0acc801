#include "tests/e2e/Harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

extern char** environ;

namespace e2e {

namespace {

std::string EnvOr(const char* szName, const std::string& fallback) {
    const char* sz = std::getenv(szName);
    return sz && *sz ? std::string(sz) : fallback;
}

std::string Absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/')
        return path;
    return SourceDir() + "/" + path;
}

double Now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Starts argv in a process group of its own with the given pipes as its standard streams.
pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env, int nIn,
            int nOut, int nErr) {
    pid_t pid = fork();
    if (pid != 0)
        return pid;
    setpgid(0, 0);
    dup2(nIn, 0);
    dup2(nOut, 1);
    dup2(nErr, 2);
    for (int fd = 3; fd < 256; ++fd)
        close(fd);
    for (const std::string& assignment : env)
        putenv(const_cast<char*>(assignment.c_str()));
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

void KillGroup(pid_t pid) {
    kill(-pid, SIGKILL);
    kill(pid, SIGKILL);
}

// Reads what is there without waiting.
void Drain(int fd, std::string& into) {
    char buf[65536];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0)
            return;
        into.append(buf, static_cast<size_t>(n));
    }
}

}  // namespace

std::string SourceDir() {
    return KP_E2E_SOURCE_DIR;
}
std::string CrossDir() {
    return Absolute(EnvOr("KP_E2E_CROSS_DIR", KP_E2E_CROSS_DIR));
}
std::string Cross64Dir() {
    return Absolute(EnvOr("KP_E2E_CROSS64_DIR", KP_E2E_CROSS64_DIR));
}
std::string ResultsDir() {
    return KP_E2E_BINARY_DIR "/e2e-output";
}
std::string PrefixDir() {
    return Absolute(EnvOr("KP_WINEPREFIX", SourceDir() + "/build/wine-prefix"));
}
std::string PanelExe() {
    return CrossDir() + "/app/Tkdp3340.exe";
}

std::string WinPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

RunResult Run(const std::vector<std::string>& argv, int nTimeoutSec,
              const std::vector<std::string>& env) {
    RunResult result;
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0)
        return result;
    int nNull = open("/dev/null", O_RDONLY);
    pid_t pid = Spawn(argv, env, nNull, out[1], err[1]);
    close(nNull);
    close(out[1]);
    close(err[1]);
    fcntl(out[0], F_SETFL, O_NONBLOCK);
    fcntl(err[0], F_SETFL, O_NONBLOCK);
    double deadline = Now() + nTimeoutSec;
    int nStatus = 0;
    bool bExited = false;
    // Ends when the program ends, not when its pipes close: a wineserver or service that it
    // started may hold them open for the rest of the run.
    while (!bExited) {
        pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
        poll(fds, 2, 20);
        Drain(out[0], result.out);
        Drain(err[0], result.err);
        if (waitpid(pid, &nStatus, WNOHANG) == pid) {
            bExited = true;
        } else if (Now() > deadline) {
            KillGroup(pid);
            waitpid(pid, &nStatus, 0);
            result.err += "\n[killed after " + std::to_string(nTimeoutSec) + " s]";
            close(out[0]);
            close(err[0]);
            return result;
        }
    }
    Drain(out[0], result.out);
    Drain(err[0], result.err);
    close(out[0]);
    close(err[0]);
    result.nStatus = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    return result;
}

RunResult Wine(const std::string& exe, const std::vector<std::string>& args, int nTimeoutSec,
               const std::vector<std::string>& env) {
    std::vector<std::string> argv = {"bash", SourceDir() + "/scripts/wine-exec.sh", exe};
    argv.insert(argv.end(), args.begin(), args.end());
    const std::string log = NewWineLog(exe);
    std::vector<std::string> allEnv = {"KP_WINE_TIMEOUT=" + std::to_string(nTimeoutSec),
                                       "KP_WINE_LOG=" + log};
    allEnv.insert(allEnv.end(), env.begin(), env.end());
    RunResult result = Run(argv, nTimeoutSec + 10, allEnv);
    result.wineLog = log;
    return result;
}

std::string RunResult::Report() const {
    std::string report = out + err;
    if (!report.empty() && report.back() != '\n')
        report += '\n';
    report += nStatus == -1 ? "killed" : "exit status " + std::to_string(nStatus);
    if (!wineLog.empty())
        report += "; Wine's log " + wineLog + ":\n" + WineLogTail(wineLog);
    return report;
}

std::string NewWineLog(const std::string& program) {
    static int s_nStarts = 0;
    const std::string dir = ResultsDir() + "/wine-logs";
    mkdir(dir.c_str(), 0755);
    std::string name = program.substr(program.find_last_of("/\\") + 1);
    return dir + "/" + std::to_string(getpid()) + "-" + std::to_string(++s_nStarts) + "-" + name +
           ".log";
}

std::string WineLogTail(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    if (lines.empty())
        return "  | (empty: the script did not get to write it)\n";
    std::string tail;
    for (size_t i = lines.size() > 20 ? lines.size() - 20 : 0; i < lines.size(); ++i)
        tail += "  | " + lines[i] + "\n";
    return tail;
}

std::string Simctl(const std::vector<std::string>& args) {
    const std::string simctl = Cross64Dir() + "/sim/simctl/simctl.exe";
    RunResult r = Wine(simctl, args, 30);
    std::string command;
    for (const std::string& arg : args)
        command += " " + arg;
    EXPECT_EQ(0, r.nStatus) << "simctl" << command << "\n" << r.Report();
    return r.out;
}

void LoadScenario(const std::string& name) {
    Simctl({"load", SourceDir() + "/sim/scenarios/" + name, "+", "clear-log"});
}

void LoadScenarioText(const std::string& text) {
    std::string path = ResultsDir() + "/scenario.scn";
    std::ofstream(path, std::ios::binary) << text;
    Simctl({"load", path, "+", "clear-log"});
}

std::vector<LogLine> ParseLog(const std::string& text) {
    std::vector<LogLine> lines;
    std::istringstream in(text);
    std::string raw;
    while (std::getline(in, raw)) {
        if (raw.empty() || raw.compare(0, 8, "dropped ") == 0)
            continue;
        std::istringstream words(raw);
        LogLine line;
        int nOk = 0;
        std::string code, size;
        words >> line.nSlot >> line.kind >> nOk >> code >> size >> line.sent >> line.answered;
        line.bOk = nOk != 0;
        if (line.kind == "control") {
            line.nCode = static_cast<uint32_t>(std::stoul(code, nullptr, 16));
            line.nSize = static_cast<uint32_t>(std::stoul(size));
        }
        line.text = raw;
        lines.push_back(line);
    }
    return lines;
}

std::vector<LogLine> ReadLog() {
    return ParseLog(Simctl({"log"}));
}

std::vector<std::string> DrvProbe(const std::vector<std::string>& args) {
    RunResult r = Wine(CrossDir() + "/tests/harness/drvprobe/drvprobe.exe", args, 60);
    EXPECT_EQ(0, r.nStatus) << r.Report();
    std::vector<std::string> lines;
    std::istringstream in(r.out);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

std::vector<std::string> OpenedDocuments() {
    std::vector<std::string> lines;
    std::ifstream in(PrefixDir() + "/drive_c/tkwmsim/opened.txt");
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

void ClearOpenedDocuments() {
    std::remove((PrefixDir() + "/drive_c/tkwmsim/opened.txt").c_str());
}

std::vector<std::string> WaitForOpenedDocuments() {
    std::vector<std::string> opened;
    for (int i = 0; i < 200 && opened.empty(); ++i) {
        opened = OpenedDocuments();
        if (opened.empty())
            usleep(25000);
    }
    return opened;
}

std::string Hex(const void* p, size_t n) {
    static const char kDigits[] = "0123456789abcdef";
    const unsigned char* b = static_cast<const unsigned char*>(p);
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += kDigits[b[i] >> 4];
        s += kDigits[b[i] & 15];
    }
    return s;
}

UiProbe::UiProbe(const std::vector<std::string>& env) {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0)
        return;
    int nErr =
        open((ResultsDir() + "/uiprobe.stderr").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    m_log = NewWineLog("uiprobe.exe");
    std::vector<std::string> allEnv = {"KP_WINE_TIMEOUT=300", "KP_WINE_LOG=" + m_log};
    allEnv.insert(allEnv.end(), env.begin(), env.end());
    m_pid = Spawn({"bash", SourceDir() + "/scripts/wine-exec.sh",
                   CrossDir() + "/tests/harness/uiprobe/uiprobe.exe"},
                  allEnv, in[0], out[1], nErr);
    close(in[0]);
    close(out[1]);
    close(nErr);
    m_nIn = in[1];
    m_nOut = out[0];
    fcntl(m_nOut, F_SETFL, O_NONBLOCK);
    signal(SIGPIPE, SIG_IGN);
}

UiProbe::~UiProbe() {
    if (m_pid < 0)
        return;
    // A program it started and that still runs is ended with it.
    Do("kill", 5);
    Do("quit", 5);
    close(m_nIn);
    double deadline = Now() + 10;
    int nStatus = 0;
    while (!m_bReaped && waitpid(m_pid, &nStatus, WNOHANG) != m_pid) {
        if (Now() > deadline) {
            KillGroup(m_pid);
            waitpid(m_pid, &nStatus, 0);
            break;
        }
        usleep(10000);
    }
    close(m_nOut);
}

std::string UiProbe::Do(const std::string& command, int nTimeoutSec) {
    std::string line = command + "\n";
    if (m_pid < 0 || write(m_nIn, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
        return "err uiprobe is not running";
    }
    double deadline = Now() + nTimeoutSec;
    for (;;) {
        size_t nl = m_buffer.find('\n');
        if (nl != std::string::npos) {
            std::string answer = m_buffer.substr(0, nl);
            m_buffer.erase(0, nl + 1);
            return answer;
        }
        if (Now() > deadline)
            return "err no answer within " + std::to_string(nTimeoutSec) + " s";
        pollfd fd = {m_nOut, POLLIN, 0};
        poll(&fd, 1, 20);
        size_t nBefore = m_buffer.size();
        Drain(m_nOut, m_buffer);
        if (m_buffer.size() == nBefore && (fd.revents & (POLLHUP | POLLERR))) {
            return Ended();
        }
    }
}

std::string UiProbe::Ended() {
    if (m_bReported)
        return "err uiprobe ended (reported above)";
    m_bReported = true;
    // Its pipe closed: the script that ran it writes the log's last line and ends within moments.
    int nStatus = 0;
    bool bEnded = false;
    for (int i = 0; i < 300 && !bEnded; ++i) {
        bEnded = waitpid(m_pid, &nStatus, WNOHANG) == m_pid;
        if (!bEnded)
            usleep(10000);
    }
    std::string status = !bEnded ? "still running"
                         : WIFEXITED(nStatus)
                             ? "exit status " + std::to_string(WEXITSTATUS(nStatus))
                             : "killed by signal " + std::to_string(WTERMSIG(nStatus));
    m_bReaped = bEnded;
    return "err uiprobe ended: " + status + "; Wine's log " + m_log + ":\n" + WineLogTail(m_log);
}

std::string UiProbe::WineLog() const {
    return "uiprobe's Wine log " + m_log + " so far:\n" + WineLogTail(m_log);
}

std::string UiProbe::Ok(const std::string& command, int nTimeoutSec) {
    std::string answer = Do(command, nTimeoutSec);
    EXPECT_EQ(0u, answer.rfind("ok", 0)) << command << " -> " << answer;
    return answer.size() > 3 ? answer.substr(3) : std::string();
}

void Environment::SetUp() {
    mkdir(ResultsDir().c_str(), 0755);
    for (const std::string& path :
         {PanelExe(), CrossDir() + "/tests/harness/uiprobe/uiprobe.exe",
          CrossDir() + "/tests/harness/uiprobe/uiprobehook.dll",
          CrossDir() + "/tests/harness/drvprobe/drvprobe.exe",
          CrossDir() + "/tests/harness/uifixture/uifixture.exe",
          CrossDir() + "/bench/longrun/longrun.exe", CrossDir() + "/drvcheck/drvcheck.exe",
          Cross64Dir() + "/sim/simctl/simctl.exe", Cross64Dir() + "/sim/kernel/tkwmsim.sys",
          Cross64Dir() + "/tests/harness/openrec/openrec.exe"}) {
        ASSERT_TRUE(Exists(path)) << path << " is missing (see scripts/e2e-test.sh)";
    }
    // Already installed and running when scripts/e2e-test.sh runs the suite; a suite started
    // on its own brings up the prefix and stops the wineserver again at the end.
    RunResult probe = Wine(Cross64Dir() + "/sim/simctl/simctl.exe", {"reset"}, 30);
    if (probe.nStatus == 0)
        return;
    m_bStartedServer = true;
    RunResult install = Run({"bash", SourceDir() + "/scripts/sim-install.sh", Cross64Dir()}, 300);
    ASSERT_EQ(0, install.nStatus) << install.out << install.err;
    probe = Wine(Cross64Dir() + "/sim/simctl/simctl.exe", {"reset"}, 30);
    ASSERT_EQ(0, probe.nStatus) << probe.Report();
}

void Environment::TearDown() {
    if (m_bStartedServer)
        Run({"bash", SourceDir() + "/scripts/wine-prefix.sh", "stop"}, 60);
}

}  // namespace e2e
