// What uiprobe.exe and its hook DLL, loaded into the probed program, say to each other. uiprobe
// posts a request to a window of the probed thread; the WH_GETMESSAGE hook sees it when that
// thread's message loop takes it, acts inside the probed process, and posts the reply back to
// uiprobe's own window.
#pragma once

#include <windows.h>

// wParam: sequence number, lParam: reply window. The reply comes once every message posted
// before it has been taken from the queue, so the program has handled that input.
#define UIPROBE_MSG_MARKER L"uiprobe.marker"
// wParam: window to focus, lParam: reply window.
#define UIPROBE_MSG_FOCUS L"uiprobe.focus"
// wParam: icon static control, lParam: reply window; the reply's wParam is a UiProbeIcon.
#define UIPROBE_MSG_ICON L"uiprobe.icon"
// wParam: window to render with WM_PRINT into the PNG named in the shared mapping, lParam: reply
// window; the reply's wParam is nonzero on success.
#define UIPROBE_MSG_SHOT L"uiprobe.shot"
// wParam: window to repaint now with its children and frame, lParam: reply window.
#define UIPROBE_MSG_PAINT L"uiprobe.paint"
// Every reply: wParam the result (or the marker's sequence number), lParam the request message.
#define UIPROBE_MSG_REPLY L"uiprobe.reply"

// Named mapping that holds the screenshot's file name (UTF-16, NUL-terminated).
#define UIPROBE_SHOT_MAPPING L"uiprobe.shot.path"
constexpr DWORD kShotPathChars = 1024;

enum UiProbeIcon {
    kIconNone = 0,
    kIconExclamation = 1,
    kIconQuestion = 2,
    kIconInformation = 3,
    kIconError = 4,
    kIconOther = 5,
};

extern "C" __declspec(dllexport) LRESULT CALLBACK
    UiProbeGetMsgProc(int nCode, WPARAM wParam, LPARAM lParam);
