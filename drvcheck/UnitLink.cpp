#include "drvcheck/UnitLink.h"

#include <windows.h>

#include <cstring>

#include "driver/DevicePort.h"

namespace {

// How long a pending request is waited for before it is cancelled, and after.
constexpr DWORD kPendingWaitMs = 200;
constexpr DWORD kCancelWaitMs = 1000;

// The buffer and OVERLAPPED of one request live on the heap: if the driver never completes a
// pending request, they are left to it rather than freed under it.
struct Request {
    OVERLAPPED ov;
    uint8_t* pBuffer;
};

double Now() {
    LARGE_INTEGER freq, count;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&count);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(freq.QuadPart);
}

// Waits for a pending request; true when it completed, and then its outcome is filled in.
bool AwaitPending(HANDLE h, Request* r, ExchangeOutcome& x) {
    if (WaitForSingleObject(r->ov.hEvent, kPendingWaitMs) != WAIT_OBJECT_0) {
        CancelIoEx(h, &r->ov);
        if (WaitForSingleObject(r->ov.hEvent, kCancelWaitMs) != WAIT_OBJECT_0)
            return false;
    }
    DWORD nReturned = 0;
    x.bLate = true;
    if (!GetOverlappedResult(h, &r->ov, &nReturned, FALSE))
        x.nError = GetLastError();
    x.nReturned = nReturned;
    return true;
}

}  // namespace

std::string PathText(const Utf16* szPath) {
    std::string s;
    for (int i = 0; i < DRV_PATH_CHARS && szPath[i]; ++i)
        s += szPath[i] < 0x80 ? static_cast<char>(szPath[i]) : '?';
    return s;
}

UnitLink::UnitLink(const Utf16* szPath) : m_szPath(szPath) {}

std::string UnitLink::Path() const {
    return PathText(m_szPath);
}

ExchangeOutcome UnitLink::Probe() const {
    ExchangeOutcome x;
    double start = Now();
    DevicePort::Handle h;
    if (DevicePort::Open(m_szPath, &h)) {
        x.bOpened = x.bDone = true;
        DevicePort::Close(h);
    } else {
        x.nError = GetLastError();
    }
    x.ms = Now() - start;
    return x;
}

ExchangeOutcome UnitLink::Send(uint32_t nCode, void* pBuffer, uint32_t nSize) const {
    return Exchange(nCode, pBuffer, nSize, nSize);
}

ExchangeOutcome UnitLink::SendRaw(uint32_t nCode, uint32_t nIn, uint32_t nOut) const {
    return Exchange(nCode, nullptr, nIn, nOut);
}

ExchangeOutcome UnitLink::Exchange(uint32_t nCode, void* pBuffer, uint32_t nIn,
                                   uint32_t nOut) const {
    ExchangeOutcome x;
    double start = Now();
    DevicePort::Handle hPort;
    if (!DevicePort::Open(m_szPath, &hPort)) {
        x.nError = GetLastError();
        x.ms = Now() - start;
        return x;
    }
    x.bOpened = true;
    HANDLE h = static_cast<HANDLE>(hPort);
    uint32_t nBytes = nIn > nOut ? nIn : nOut;
    Request* r = new Request();
    r->pBuffer = new uint8_t[nBytes + 1]();
    if (pBuffer)
        std::memcpy(r->pBuffer, pBuffer, nBytes);
    r->ov.hEvent = CreateEventW(NULL, TRUE, FALSE, NULL);

    DWORD nReturned = 0;
    bool bFinished = true;
    if (DeviceIoControl(h, nCode, r->pBuffer, nIn, r->pBuffer, nOut, &nReturned, &r->ov)) {
        x.bDone = true;
        x.nReturned = nReturned;
    } else if (GetLastError() == ERROR_IO_PENDING) {
        x.bPending = true;
        bFinished = AwaitPending(h, r, x);
    } else {
        x.nError = GetLastError();
    }
    CloseHandle(h);
    // A driver may still finish a request at the close; give it that chance before letting go.
    if (!bFinished)
        bFinished = WaitForSingleObject(r->ov.hEvent, kCancelWaitMs) == WAIT_OBJECT_0;
    x.ms = Now() - start;
    if (x.bDone && pBuffer)
        std::memcpy(pBuffer, r->pBuffer, nBytes);
    if (bFinished) {
        CloseHandle(r->ov.hEvent);
        delete[] r->pBuffer;
        delete r;
    }
    return x;
}
