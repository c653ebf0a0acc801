// The probe's parts, one file per command family: the session with the program and its dialog
// (UiProbeSession.cpp), reading and driving controls (UiProbeControls.cpp), message boxes and
// screenshots (UiProbeBoxes.cpp), the command loop (UiProbeMain.cpp) and text helpers
// (UiProbeText.cpp).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace uiprobe {

constexpr DWORD kIdleTimeout = 5000;

// A command that cannot be carried out; its text becomes the answer "err TEXT".
class Fail {
public:
    explicit Fail(std::string text) : m_text(std::move(text)) {}
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

std::wstring Wide(const std::string& s);
std::string Utf8(const std::wstring& w);
// Backslash, tab, CR and LF as \\ \t \r \n, so that an answer stays on one line.
std::string Escape(const std::wstring& w);
std::wstring WindowText(HWND hWnd);
std::wstring ClassOf(HWND hWnd);
long ToLong(const std::string& s);

class Probe {
public:
    Probe();
    ~Probe();
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    // Returns false for quit.
    bool Run(const std::string& line, std::string& answer);

private:
    // The command line.
    static std::vector<std::string> Split(const std::string& s);
    static void Need(const std::vector<std::string>& args, size_t n);
    static std::string Hex(uintptr_t n);

    // The program and its dialog.
    HWND Dialog() const;
    HWND Control(const std::string& id) const;
    HWND Usable(HWND hControl) const;
    DWORD Start(const std::string& cmdline);
    HWND WaitTitle(long nMs, const std::wstring& title);
    void Attach(HWND hDialog);
    static std::wstring HookDllPath();
    void WaitGone(HWND hWnd, long nMs);
    DWORD WaitExit(long nMs);
    void Pump(DWORD nMs);
    WPARAM Ask(UINT nRequest, WPARAM wParam, long nMs);
    void Idle(long nMs);

    // Controls.
    void Focus(HWND hControl);
    void Post(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
    std::string State(HWND h);
    std::string Combo(HWND h);
    std::string Slider(HWND h);
    void Click(HWND hButton);
    void Slide(HWND hSlider, long nPos);
    void Pick(HWND hCombo, long nData);
    HWND FocusWindow();
    void Key(const std::string& name, HWND hTo);
    void Wheel(HWND hControl, long nNotches);

    // Message boxes and screenshots.
    HWND FindMessageBox(long nMs);
    std::string MessageBoxInfo(long nMs);
    void Answer(long nId, long nMs);
    void Shot(const std::string& file, bool bBox);

    UINT m_nMarker = 0, m_nFocus = 0, m_nIcon = 0, m_nShot = 0, m_nPaint = 0, m_nReply = 0;
    HWND m_hReply = NULL;
    HWND m_hDialog = NULL;
    HWND m_hBox = NULL;
    DWORD m_nThread = 0;
    HHOOK m_hHook = NULL;
    HANDLE m_hProcess = NULL;
    HANDLE m_hShotMap = NULL;
    WPARAM m_nSequence = 0;
    std::vector<MSG> m_replies;
};

}  // namespace uiprobe
