// The smallest Windows console program that says which build it is and whether it runs under
// WoW64 (a 32-bit process on a 64-bit system).
#include <windows.h>

#include <cstdio>

int main() {
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64))
        wow64 = FALSE;
    std::printf("hello from a %d-bit program, WoW64 %s\n", static_cast<int>(sizeof(void*) * 8),
                wow64 ? "yes" : "no");
    return 0;
}
