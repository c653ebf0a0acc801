// Portable basics of the driver link: the same code builds for Windows and natively for tests.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#else
typedef int BOOL;
#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif
#endif

// UTF-16 text of the driver link; on Windows it has the layout of WCHAR.
typedef char16_t Utf16;
