// A device-I/O port whose driver is the fuzzer's input: every open result, every request result
// and every byte the driver writes back is taken from the input, a few bytes per call. When the
// input runs out, every open and every request fails. Each call is recorded, so that a target
// can replay the walk it expects against what the program did.
//
// Input consumed per call:
//   open       1 byte: bit 0 set = the control device opens
//   exchange   1 byte: bit 0 set = the request succeeds; bits 1-2 say what the driver writes:
//                0 nothing, 1 a prefix whose length is the next byte, 2 the whole buffer,
//                3 a prefix whose length is the next two bytes (little-endian);
//              then the bytes written. A prefix never goes beyond the buffer; input that ends
//              inside the written bytes leaves what was written and fails the request.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fuzzport {

struct Event {
    enum Kind { kOpen, kExchange, kClose };
    Kind kind;
    int nSlot;  // from the path (open) or the handle (exchange, close)
    bool bOk;   // open or request result
    uint32_t nCode;
    uint32_t nSize;
    std::vector<uint8_t> before;  // the buffer as the program sent it
    std::vector<uint8_t> after;   // and as the driver left it
};

// Starts a new driver answering from these bytes; forgets every event.
void Begin(const uint8_t* pData, size_t nSize);
// One byte of the input for the target's own choices; false when the input has run out.
bool TakeByte(uint8_t& b);

const std::vector<Event>& Events();
void ClearEvents();
// Handles opened and not closed yet.
int OpenHandles();

}  // namespace fuzzport
