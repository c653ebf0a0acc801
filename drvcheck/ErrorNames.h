// Windows error codes as a driver's developer looks them up: the number and its name.
#pragma once

#include <cstdint>
#include <string>

// "ERROR_FILE_NOT_FOUND", or nullptr for a code this table does not name.
const char* ErrorName(uint32_t nError);
// "error 2 ERROR_FILE_NOT_FOUND", or "error 4242" for a code without a name here.
std::string ErrorText(uint32_t nError);
