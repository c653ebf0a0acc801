// The dialog templates as the program expects them: header fields and every control in
// template (tab) order. Shared by the tests that decode the templates and the tests that
// create real dialogs from them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <ostream>

struct ControlRow {
    int nId;
    const wchar_t* cls;   // "Button", "Static", "ComboBox" or a registered class name
    const wchar_t* text;  // "#141" names a resource by number
    short x, y, cx, cy;
    DWORD dwStyle;
    DWORD dwExStyle;
};

struct DialogCase {
    WORD nId;
    const char* name;
    DWORD dwStyle;
    DWORD dwExStyle;
    short cx, cy;
    const wchar_t* title;
    WORD nWeight;
    const ControlRow* rows;
    size_t nRows;
};

// Names the case in test output instead of dumping its bytes.
inline void PrintTo(const DialogCase& dlg, std::ostream* os) {
    *os << dlg.name << " template " << dlg.nId;
}

// Settings dialog.
inline const ControlRow kTemplate187[] = {
    {-1, L"Static", L"", 6, 11, 216, 35, 0x50000012, 0},
    {1136, L"ComboBox", L"", 18, 5, 102, 30, 0x50210003, 0},
    {-1, L"Static", L"SAMPLE RATE:", 24, 26, 48, 8, 0x50020000, 0},
    {1130, L"ComboBox", L"", 78, 23, 60, 30, 0x50210003, 0},
    {-1, L"Static", L"CLOCK:", 126, 7, 28, 8, 0x48020000, 0},
    {1129, L"Static", L"EXTERNAL (Unlocked)", 151, 7, 71, 8, 0x48020000, 0},
    {-1, L"Static", L"", 6, 53, 216, 207, 0x50000012, 0},
    {1038, L"Button", L"Audio Buffer Size", 12, 57, 204, 80, 0x50000007, 0},
    {1044, L"Static", L"Min.", 17, 72, 30, 8, 0x50020002, 0},
    {1012, L"msctls_trackbar32", L"Slider1", 49, 65, 130, 18, 0x50030000, 0},
    {1042, L"Static", L"Max.", 185, 72, 30, 8, 0x50020000, 0},
    {1050, L"Static", L"1", 55, 83, 8, 8, 0x50020001, 0},
    {1051, L"Static", L"2", 65, 83, 8, 8, 0x50020001, 0},
    {1052, L"Static", L"3", 75, 83, 8, 8, 0x50020001, 0},
    {1053, L"Static", L"4", 85, 83, 8, 8, 0x50020001, 0},
    {1054, L"Static", L"5", 95, 83, 8, 8, 0x50020001, 0},
    {1055, L"Static", L"6", 104, 83, 8, 8, 0x50020001, 0},
    {1056, L"Static", L"7", 115, 83, 8, 8, 0x50020001, 0},
    {1057, L"Static", L"8", 125, 83, 8, 8, 0x50020001, 0},
    {1058, L"Static", L"9", 135, 83, 8, 8, 0x50020001, 0},
    {1059, L"Static", L"10", 143, 83, 9, 8, 0x50020001, 0},
    {1060, L"Static", L"11", 157, 83, 9, 8, 0x50020001, 0},
    {1061, L"Static", L"^", 105, 90, 8, 8, 0x50020001, 0},
    {1105, L"Button", L"Audio Streaming Performance", 26, 98, 177, 33, 0x50000107, 0},
    {1103, L"Static", L"Real Time:", 34, 109, 62, 8, 0x50020002, 0},
    {1104, L"Static", L"Stability:", 34, 119, 62, 8, 0x50020002, 0},
    {1101, L"Static", L"OOOOOOOOOOO", 103, 109, 89, 8, 0x50020000, 0},
    {1102, L"Static", L"O", 103, 119, 89, 8, 0x50020000, 0},
    {1037, L"Button", L"ASIO Setting", 12, 140, 204, 62, 0x50000007, 0},
    {1045, L"Static", L"ASIO Buffer Size:", 23, 153, 175, 8, 0x50020000, 0},
    {1046, L"Static", L"--- samples", 41, 163, 105, 12, 0x50020000, WS_EX_STATICEDGE},
    {1004, L"Button", L"Use ASIO Direct Monitor", 207, 144, 8, 10, 0x48010003, 0},
    {2, L"Button", L"Cancel", 102, 240, 54, 14, 0x50010000, 0},
    {1043, L"Button", L"Apply", 162, 240, 54, 14, 0x50010000, 0},
    {1035, L"Button", L"Show \"README\"", 7, 290, 90, 14, 0x50010000, 0},
    {1, L"Button", L"CLOSE", 162, 290, 60, 14, 0x50010001, 0},
    {1146, L"Button", L"Windows sound Setting", 12, 206, 204, 27, 0x50000007, 0},
    {1147, L"Button", L"Match with the ASIO sample rate", 23, 218, 192, 10, 0x50010003, 0},
    {1088, L"Button", L"Use Multichannel WDM Audio Port", 206, 155, 8, 10, 0x48010003, 0},
    {1005, L"Button", L"ASIO in Light", 195, 150, 8, 8, 0x40010003, 0},
    {1047, L"Button", L"Default", 12, 240, 54, 14, 0x50010000, 0},
    {1067, L"Static", L"state", 194, 155, 8, 8, 0x48020000, 0},
    {1173, L"Button", L"VS EXPAND :", 207, 165, 8, 8, 0x48010003, 0},
    {1068, L"Static", L"VS EXPAND :", 193, 166, 8, 8, 0x48020000, 0},
    {1033, L"Static", L"__MODEL__ Driver Ver.x.x.x", 7, 263, 215, 8, 0x50020001, 0},
    {1032, L"Static", L"Copyright (C) 2026 Kestal Audio Works", 7, 275, 215, 8, 0x50020001, 0},
    {1034, L"Static", L"ASIO Technology by\nSteinberg Media Technologies GmbH", 89, 180, 126, 19,
     0x50020000, 0},
};

// No-device dialog.
inline const ControlRow kTemplate136[] = {
    {1, L"Button", L"OK", 126, 36, 54, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
     0},
    {1041, L"Static", L"To make settings, connect the device and then execute once again.", 12, 6,
     174, 24, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 0},
    {1035, L"Button", L"Show \"README\"", 18, 36, 90, 14,
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0},
};

// Picture window, never opened; bitmap 141 does not exist.
inline const ControlRow kTemplate189[] = {
    {-1, L"Static", L"#141", 3, 3, 333, 394, WS_CHILD | WS_VISIBLE | SS_BITMAP, 0},
};

// Notice about the ports left over at 192 kHz, never opened.
inline const ControlRow kTemplate266[] = {
    {1, L"Button", L"Close", 237, 73, 54, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
     0},
    {1139, L"Button", L"Don't show me this message again", 7, 75, 200, 10,
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0},
    {-1, L"Static", L"", 7, 64, 284, 1, WS_CHILD | WS_VISIBLE | SS_ETCHEDHORZ, 0},
    {1140, L"Static",
     L"When running at 192 kHz, the audio configuration is %d-in/%d-out. The remaining channels "
     L"cannot be used and no sound will be heard.\nIf you cannot record or play back with the "
     L"currently-used application, check the settings of the input/output ports.",
     7, 7, 284, 52, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 0},
};

constexpr DWORD kPopupDialog = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;

inline const DialogCase kDialogs[] = {
    {187, "Settings", 0x90C000C8, WS_EX_APPWINDOW, 228, 310, L"", 0, kTemplate187,
     sizeof kTemplate187 / sizeof kTemplate187[0]},
    {136, "NoDevice", kPopupDialog, 0, 196, 57, L"__MODEL__ Driver Settings", 400, kTemplate136,
     sizeof kTemplate136 / sizeof kTemplate136[0]},
    {189, "Picture", kPopupDialog | WS_SYSMENU, WS_EX_TOOLWINDOW, 340, 401, L"", 400, kTemplate189,
     sizeof kTemplate189 / sizeof kTemplate189[0]},
    {266, "PortNotice", kPopupDialog | WS_SYSMENU, 0, 298, 94,
     L"There are audio ports that cannot be used", 400, kTemplate266,
     sizeof kTemplate266 / sizeof kTemplate266[0]},
};
