// Tkdp3340.exe as the panel suites drive it: started by uiprobe in a user-interface language,
// with readers for what uiprobe answers about its controls and for the driver's request log.
#pragma once

#include <stdint.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/Harness.h"

namespace e2e {

constexpr const char* kPanelTitle = "KESTAL-3 5 9 Driver Settings";
// The buttons CLOSE (and OK) and Revert, by the dialog manager's ids; the host has no winuser.h.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

inline std::string Id(int nId) {
    return std::to_string(nId);
}

// A message box as uiprobe reads it. Every box of the program has a single blank as caption;
// OK boxes carry the exclamation mark, Yes/No boxes the question mark.
inline std::string OkBox(const std::string& text) {
    return " \t" + text + "\texclamation\t1:OK";
}
inline std::string YesNoBox(const std::string& text) {
    return " \t" + text + "\tquestion\t6:&Yes,7:&No";
}

constexpr const char* kNoDriverText =
    "To make settings, connect the device and then execute once again.";
constexpr const char* kInUseText =
    "Device currently used by another application.\\nTo have settings take effect, quit all "
    "such applications, then restart the application.";
constexpr const char* kPowerCycleText =
    "To have settings changes take effect, switch the power off, then on again.";
constexpr const char* kAskApplyText = "Apply configuration changes?";

// "combo ID": SEL COUNT DROPPED, then the items' data and texts.
struct ComboState {
    int nSel = -2;
    int nCount = -1;
    bool bDropped = false;
    std::vector<std::pair<long, std::string>> items;

    long SelectedData() const {
        return nSel >= 0 && nSel < static_cast<int>(items.size()) ? items[nSel].first : -1;
    }
};

inline ComboState ParseCombo(const std::string& answer) {
    ComboState combo;
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(answer);
    while (std::getline(in, field, '\t'))
        fields.push_back(field);
    if (fields.empty())
        return combo;
    int nDropped = 0;
    std::istringstream(fields[0]) >> combo.nSel >> combo.nCount >> nDropped;
    combo.bDropped = nDropped != 0;
    for (size_t i = 1; i + 1 < fields.size(); i += 2)
        combo.items.emplace_back(std::atol(fields[i].c_str()), fields[i + 1]);
    return combo;
}

// "slider ID": MIN MAX POS tics=.. ticpos=..
struct SliderState {
    int nMin = -1;
    int nMax = -1;
    int nPos = -1;
    std::vector<int> tics;
    std::vector<int> ticPos;
};

inline std::vector<int> Numbers(const std::string& list) {
    std::vector<int> numbers;
    std::istringstream in(list);
    std::string n;
    while (std::getline(in, n, ','))
        numbers.push_back(std::atoi(n.c_str()));
    return numbers;
}

inline SliderState ParseSlider(const std::string& answer) {
    SliderState slider;
    std::istringstream in(answer);
    std::string tics, ticPos;
    in >> slider.nMin >> slider.nMax >> slider.nPos >> tics >> ticPos;
    if (tics.rfind("tics=", 0) == 0)
        slider.tics = Numbers(tics.substr(5));
    if (ticPos.rfind("ticpos=", 0) == 0)
        slider.ticPos = Numbers(ticPos.substr(7));
    return slider;
}

// "rect ID", screen pixels.
struct ScreenRect {
    int nLeft = 0;
    int nTop = 0;
    int nRight = 0;
    int nBottom = 0;
    int Width() const { return nRight - nLeft; }
    int Height() const { return nBottom - nTop; }
};

inline ScreenRect ParseRect(const std::string& answer) {
    ScreenRect rect;
    std::istringstream(answer) >> rect.nLeft >> rect.nTop >> rect.nRight >> rect.nBottom;
    return rect;
}

// The panel started by uiprobe in the given UI language (LC_ALL), its first window waited for.
class PanelSession {
public:
    explicit PanelSession(const std::string& locale = "en_US.UTF-8",
                          const std::string& title = kPanelTitle)
        : m_probe({"LC_ALL=" + locale}) {
        m_pid = m_probe.Ok("run " + WinPath(PanelExe()));
        m_bUp = m_probe.Do("wait 15000 " + title, 30).rfind("ok", 0) == 0;
        if (m_bUp)
            m_probe.Ok("idle");
    }

    bool Up() const { return m_bUp; }
    // The Windows process id, as taskkill takes it.
    const std::string& Pid() const { return m_pid; }
    UiProbe& operator*() { return m_probe; }
    UiProbe* operator->() { return &m_probe; }

    std::string Text(int nId) { return m_probe.Ok("text " + Id(nId)); }
    bool Enabled(int nId) { return m_probe.Ok("state " + Id(nId)).rfind("enabled=1", 0) == 0; }
    ComboState Combo(int nId) { return ParseCombo(m_probe.Ok("combo " + Id(nId))); }
    SliderState Slider(int nId) { return ParseSlider(m_probe.Ok("slider " + Id(nId))); }
    ScreenRect Rect(int nId) { return ParseRect(m_probe.Ok("rect " + Id(nId))); }

    // The program's exit code once it has ended.
    std::string ExitCode() { return m_probe.Ok("exit 20000", 30); }

    // CLOSE: the program ends, after the message box it shows, if any.
    std::string Close(const std::string& box = "") {
        m_probe.Ok("click 1");
        if (!box.empty()) {
            EXPECT_EQ(box, m_probe.Ok("msgbox 5000"));
            m_probe.Ok("answer 1");
        }
        return ExitCode();
    }

    // A key that ends the program (Enter on OK, Escape in the no-device dialog). uiprobe posts
    // the key's release after its press; when the press has already closed the dialog, that
    // post fails and uiprobe answers "err cannot post" although the key did its work.
    std::string PressClosingKey(const std::string& key) {
        std::string answer = m_probe.Do("key " + key);
        EXPECT_TRUE(answer == "ok" || answer == "err cannot post")
            << "key " << key << " -> " << answer;
        return ExitCode();
    }

    // No message box within a moment: anything the command put up would already be there,
    // since every command waits until the dialog has handled it.
    bool NoMessageBox() { return m_probe.Do("msgbox 100").rfind("err", 0) == 0; }

    // Asks again every 50 ms until the answer satisfies done, or nMs have passed (the refresh
    // runs every 330 ms); returns the last answer.
    std::string WaitFor(const std::string& command,
                        const std::function<bool(const std::string&)>& done, int nMs = 2000) {
        std::string answer;
        for (int nWaited = 0; nWaited <= nMs; nWaited += 50) {
            answer = m_probe.Ok(command);
            if (done(answer))
                break;
            usleep(50000);
        }
        return answer;
    }

private:
    UiProbe m_probe;
    std::string m_pid;
    bool m_bUp = false;
};

inline std::vector<LogLine> OfCode(const std::vector<LogLine>& lines, uint32_t nCode) {
    std::vector<LogLine> found;
    for (const LogLine& line : lines) {
        if (line.kind == "control" && line.nCode == nCode)
            found.push_back(line);
    }
    return found;
}

inline std::string Word(int32_t n) {
    return Hex(&n, 4);
}

}  // namespace e2e
