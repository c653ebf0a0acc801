// The control codes the program sends and the buffer size that goes with each.
#pragma once

#include <cstdint>

// CTL_CODE(FILE_DEVICE_UNKNOWN, function, METHOD_BUFFERED, FILE_ANY_ACCESS).
constexpr uint32_t DrvControlCode(uint32_t nFunction) {
    return (0x22u << 16) | (nFunction << 2);
}

constexpr uint32_t IOCTL_DRV_GET_DESCRIPTOR = DrvControlCode(0x80F);
constexpr uint32_t IOCTL_DRV_GET_DEVICE_FLAG = DrvControlCode(0x811);
constexpr uint32_t IOCTL_DRV_GET_STREAM_STATE = DrvControlCode(0x858);
constexpr uint32_t IOCTL_DRV_GET_SETTINGS = DrvControlCode(0x87A);
constexpr uint32_t IOCTL_DRV_SET_SETTINGS = DrvControlCode(0x87B);
constexpr uint32_t IOCTL_DRV_GET_IN_USE = DrvControlCode(0x87E);
constexpr uint32_t IOCTL_DRV_GET_RATE = DrvControlCode(0x8C9);
constexpr uint32_t IOCTL_DRV_SET_RATE = DrvControlCode(0x8CA);
constexpr uint32_t IOCTL_DRV_QUERY_RATE = DrvControlCode(0x8CB);
constexpr uint32_t IOCTL_DRV_GET_CLOCK = DrvControlCode(0x8D0);

static_assert(IOCTL_DRV_GET_DESCRIPTOR == 0x22203C, "descriptor code");
static_assert(IOCTL_DRV_GET_DEVICE_FLAG == 0x222044, "device flag code");
static_assert(IOCTL_DRV_GET_STREAM_STATE == 0x222160, "stream state code");
static_assert(IOCTL_DRV_GET_SETTINGS == 0x2221E8, "settings read code");
static_assert(IOCTL_DRV_SET_SETTINGS == 0x2221EC, "settings write code");
static_assert(IOCTL_DRV_GET_IN_USE == 0x2221F8, "in-use code");
static_assert(IOCTL_DRV_GET_RATE == 0x222324, "rate read code");
static_assert(IOCTL_DRV_SET_RATE == 0x222328, "rate change code");
static_assert(IOCTL_DRV_QUERY_RATE == 0x22232C, "rate query code");
static_assert(IOCTL_DRV_GET_CLOCK == 0x222340, "clock code");

// Buffer size of each code's exchange; input and output are the same buffer.
constexpr uint32_t DrvBufferSize(uint32_t nCode) {
    return nCode == IOCTL_DRV_GET_DESCRIPTOR     ? 2056
           : nCode == IOCTL_DRV_GET_DEVICE_FLAG  ? 4
           : nCode == IOCTL_DRV_GET_STREAM_STATE ? 32
           : nCode == IOCTL_DRV_GET_SETTINGS     ? 340
           : nCode == IOCTL_DRV_SET_SETTINGS     ? 340
           : nCode == IOCTL_DRV_GET_IN_USE       ? 4
           : nCode == IOCTL_DRV_GET_RATE         ? 8
           : nCode == IOCTL_DRV_SET_RATE         ? 8
           : nCode == IOCTL_DRV_QUERY_RATE       ? 12
           : nCode == IOCTL_DRV_GET_CLOCK        ? 20
                                                 : 0;
}

// Every code above, in the order of their functions.
constexpr uint32_t DRV_CODES[] = {
    IOCTL_DRV_GET_DESCRIPTOR, IOCTL_DRV_GET_DEVICE_FLAG, IOCTL_DRV_GET_STREAM_STATE,
    IOCTL_DRV_GET_SETTINGS,   IOCTL_DRV_SET_SETTINGS,    IOCTL_DRV_GET_IN_USE,
    IOCTL_DRV_GET_RATE,       IOCTL_DRV_SET_RATE,        IOCTL_DRV_QUERY_RATE,
    IOCTL_DRV_GET_CLOCK,
};

// A code's name without "IOCTL_DRV_", as the tools print it; nullptr for any other code.
constexpr const char* DrvCodeName(uint32_t nCode) {
    return nCode == IOCTL_DRV_GET_DESCRIPTOR     ? "GET_DESCRIPTOR"
           : nCode == IOCTL_DRV_GET_DEVICE_FLAG  ? "GET_DEVICE_FLAG"
           : nCode == IOCTL_DRV_GET_STREAM_STATE ? "GET_STREAM_STATE"
           : nCode == IOCTL_DRV_GET_SETTINGS     ? "GET_SETTINGS"
           : nCode == IOCTL_DRV_SET_SETTINGS     ? "SET_SETTINGS"
           : nCode == IOCTL_DRV_GET_IN_USE       ? "GET_IN_USE"
           : nCode == IOCTL_DRV_GET_RATE         ? "GET_RATE"
           : nCode == IOCTL_DRV_SET_RATE         ? "SET_RATE"
           : nCode == IOCTL_DRV_QUERY_RATE       ? "QUERY_RATE"
           : nCode == IOCTL_DRV_GET_CLOCK        ? "GET_CLOCK"
                                                 : nullptr;
}
