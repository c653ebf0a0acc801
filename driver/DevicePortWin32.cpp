#include "driver/DevicePort.h"

namespace DevicePort {

BOOL Open(const Utf16* szPath, Handle* phDevice) {
    HANDLE h = CreateFileW(reinterpret_cast<LPCWSTR>(szPath), GENERIC_READ | GENERIC_WRITE, 0, NULL,
                           OPEN_EXISTING, FILE_FLAG_OVERLAPPED, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    *phDevice = h;
    return TRUE;
}

// The driver completes every request before returning, so no OVERLAPPED is needed although
// the handle was opened for overlapped I/O.
BOOL Exchange(Handle hDevice, uint32_t nCode, void* pBuffer, uint32_t nSize) {
    DWORD nReturned = 0;
    return DeviceIoControl(static_cast<HANDLE>(hDevice), nCode, pBuffer, nSize, pBuffer, nSize,
                           &nReturned, NULL) != 0
               ? TRUE
               : FALSE;
}

void Close(Handle hDevice) {
    CloseHandle(static_cast<HANDLE>(hDevice));
}

}  // namespace DevicePort
