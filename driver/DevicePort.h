// The device-I/O port: open a control device, exchange one buffer, close it.
// The program links the Win32 implementation; tests link the in-process simulation instead.
#pragma once

#include <cstdint>

#include "driver/Platform.h"

namespace DevicePort {

typedef void* Handle;

// FALSE when the control device does not open; *phDevice is then untouched.
BOOL Open(const Utf16* szPath, Handle* phDevice);
// One request: the buffer goes in and the driver's answer comes back in the same bytes.
BOOL Exchange(Handle hDevice, uint32_t nCode, void* pBuffer, uint32_t nSize);
void Close(Handle hDevice);

}  // namespace DevicePort
