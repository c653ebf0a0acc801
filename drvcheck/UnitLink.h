// One open-exchange-close on a unit's control device, opened exactly as the panel opens it, but
// with an OVERLAPPED structure: a request the driver leaves pending is seen and waited for, never
// written into a buffer drvcheck has already let go of.
#pragma once

#include <cstdint>
#include <string>

#include "driver/DrvDevTable.h"
#include "drvcheck/Exchange.h"

class UnitLink {
public:
    explicit UnitLink(const Utf16* szPath);

    // Open and close, as the panel's presence probe does.
    ExchangeOutcome Probe() const;
    // The code with a buffer of exactly its size, in and out: the answer replaces the buffer's
    // bytes only when the request completed.
    ExchangeOutcome Send(uint32_t nCode, void* pBuffer, uint32_t nSize) const;
    // Lengths the panel never sends, with a zeroed buffer; nothing is read back.
    ExchangeOutcome SendRaw(uint32_t nCode, uint32_t nIn, uint32_t nOut) const;

    std::string Path() const;

private:
    ExchangeOutcome Exchange(uint32_t nCode, void* pBuffer, uint32_t nIn, uint32_t nOut) const;

    const Utf16* m_szPath;
};

// The path of a control device as text.
std::string PathText(const Utf16* szPath);
