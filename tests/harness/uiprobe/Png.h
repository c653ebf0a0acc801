// A minimal PNG writer: 8-bit RGB, stored (uncompressed) deflate blocks. Screenshots are small
// and rare, so size does not matter and no compression library is needed.
#pragma once

#include <stdint.h>

#include <string>

namespace png {

// pBgra: top-down rows of 32-bit pixels as GDI lays them out (blue, green, red, unused).
std::string EncodeBgra(const uint8_t* pBgra, int nWidth, int nHeight);

}  // namespace png
