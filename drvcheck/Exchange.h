// How one request went, as drvcheck saw it at the Win32 boundary; the judgements read only this.
#pragma once

#include <cstdint>

struct ExchangeOutcome {
    bool bOpened = false;    // the control device opened as the panel opens it
    bool bDone = false;      // DeviceIoControl returned nonzero
    bool bPending = false;   // it answered ERROR_IO_PENDING: the request was not complete
    bool bLate = false;      // a pending request completed later, while drvcheck waited
    uint32_t nError = 0;     // GetLastError when it was not done
    uint32_t nReturned = 0;  // bytes the driver said it returned
    double ms = 0;           // open, exchange and close
};
