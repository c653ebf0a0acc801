// The sampling rates the panel asks a unit about, in the order its rate list shows them.
#pragma once

#include <cstdint>

constexpr int SUPPORTED_RATE_COUNT = 7;
constexpr int32_t SUPPORTED_RATES[SUPPORTED_RATE_COUNT] = {44100,  48000,  88200, 96000,
                                                           176400, 192000, 352800};
