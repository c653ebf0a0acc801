// One instance at a time: a named mutex marks the running instance, and a second start finds
// its window by title and brings it to the front.
#pragma once

#include <windows.h>

#include <string>

// "<maker's reverse-domain prefix>.Tkdp3340.exe", whatever name the running file has.
std::wstring MakeMutexName();

// The first characters of the window text, as many as the title has, equal the title.
bool TitleMatches(const wchar_t* szTitle, const wchar_t* szWindowText);

// EnumWindows callback; lParam points to the title. Activates the first match and stops.
BOOL CALLBACK ActivateRunningInstance(HWND hWnd, LPARAM lParam);
