#include "drvcheck/ErrorNames.h"

namespace {

// The codes a control device's open or request ends with; winerror.h's values.
const struct {
    uint32_t nError;
    const char* szName;
} kNames[] = {
    {1, "ERROR_INVALID_FUNCTION"},
    {2, "ERROR_FILE_NOT_FOUND"},
    {3, "ERROR_PATH_NOT_FOUND"},
    {5, "ERROR_ACCESS_DENIED"},
    {6, "ERROR_INVALID_HANDLE"},
    {8, "ERROR_NOT_ENOUGH_MEMORY"},
    {21, "ERROR_NOT_READY"},
    {23, "ERROR_CRC"},
    {31, "ERROR_GEN_FAILURE"},
    {32, "ERROR_SHARING_VIOLATION"},
    {50, "ERROR_NOT_SUPPORTED"},
    {55, "ERROR_DEV_NOT_EXIST"},
    {87, "ERROR_INVALID_PARAMETER"},
    {121, "ERROR_SEM_TIMEOUT"},
    {122, "ERROR_INSUFFICIENT_BUFFER"},
    {234, "ERROR_MORE_DATA"},
    {995, "ERROR_OPERATION_ABORTED"},
    {996, "ERROR_IO_INCOMPLETE"},
    {997, "ERROR_IO_PENDING"},
    {1117, "ERROR_IO_DEVICE"},
    {1167, "ERROR_DEVICE_NOT_CONNECTED"},
    {1460, "ERROR_TIMEOUT"},
    {1784, "ERROR_INVALID_USER_BUFFER"},
};

}  // namespace

const char* ErrorName(uint32_t nError) {
    for (const auto& e : kNames) {
        if (e.nError == nError)
            return e.szName;
    }
    return nullptr;
}

std::string ErrorText(uint32_t nError) {
    std::string s = "error " + std::to_string(nError);
    if (const char* szName = ErrorName(nError))
        s += std::string(" ") + szName;
    return s;
}
