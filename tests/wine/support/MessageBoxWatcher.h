// Reads and answers the next message box that this process opens, from a helper thread, while
// the code under test sits in MessageBoxW's own loop.
//
//   MessageBoxWatcher watcher(IDYES);           // starts watching now
//   int nResult = AppMessageBox(IDS_ASK, MB_YESNO);
//   SeenMessageBox box = watcher.Wait();
//   EXPECT_TRUE(box.bFound);
//   EXPECT_EQ(L"Apply configuration changes?", box.text);
//
// A message box is a top-level dialog window of this process with the message text in its
// static 0xFFFF; windows that exist when the watcher starts are not taken. The answer is a
// BM_CLICK on the button with that id, given only when the button is there, visible and
// enabled, as a user could. When no box appears within nTimeoutMs, bFound stays false.
#pragma once

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

namespace kptest {

struct SeenMessageBox {
    bool bFound = false;
    bool bAnswered = false;  // the answer button was clicked
    HWND hOwner = nullptr;   // the box's owner window
    std::wstring caption;
    std::wstring text;
    HICON hIcon = nullptr;     // the icon the box shows; null for none
    std::vector<int> buttons;  // ids of its visible buttons, in window order
};

// What a user sees of the message box hBox: caption, text, icon and buttons (bFound set).
SeenMessageBox ReadMessageBox(HWND hBox);
// Presses button nId of hBox as a user could: only when it is there, visible and enabled.
bool PressMessageBoxButton(HWND hBox, int nId);

class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(int nAnswerId, DWORD nTimeoutMs = 5000);
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    // Waits until the box has been answered or the time is up.
    SeenMessageBox Wait();

private:
    void Watch();

    int m_nAnswerId;
    DWORD m_nTimeoutMs;
    std::vector<HWND> m_before;
    SeenMessageBox m_seen;
    std::thread m_thread;
};

}  // namespace kptest
