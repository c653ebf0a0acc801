// Until the dialogs exist, the program probes the four control devices and reports through its
// exit code: 0 when a unit answers, 1 when none does.
#include <windows.h>

#include "driver/DrvDevTable.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    DrvDevTable table;
    table.Build();
    return table.AnyPresent() ? 0 : 1;
}
