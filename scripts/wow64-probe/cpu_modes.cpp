// What this kernel lets a 64-bit Linux process do with 32-bit x86 code, the three things Wine's
// WoW64 mode needs on Linux: the 32-bit system call gate (int $0x80, through which Wine asks for
// the 32-bit %fs selector), a far jump into the kernel's 32-bit user code segment (0x23, where
// Wine runs the 32-bit program), and, for comparison, a 32-bit code segment of the process's own
// LDT. Each is tried in a child process; a fault kills only the child. Exit status 0 when all
// three run, 1 otherwise.
#include <asm/ldt.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr unsigned long kCodeAddress = 0x10000000;  // below 4 GiB, reachable from 32-bit code
constexpr int kRanIn32BitMode = 40;                 // the child's exit status for "it ran"

struct FarPointer {
    unsigned int offset;
    unsigned short selector;
} __attribute__((packed));

// 32-bit code that ends the process with kRanIn32BitMode: mov ebx, 40; mov eax, 1 (exit);
// int $0x80. Without the system call gate it faults after running, so SIGSEGV here is ambiguous:
// ud2 first tells them apart (SIGILL means the 32-bit code ran).
bool map_32bit_code(bool system_call_works) {
    void* page =
        mmap(reinterpret_cast<void*>(kCodeAddress), 4096, PROT_READ | PROT_WRITE | PROT_EXEC,
             MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    if (page == MAP_FAILED)
        return false;
    static const unsigned char exit_code[] = {
        0xbb, kRanIn32BitMode, 0, 0, 0, 0xb8, 1, 0, 0, 0, 0xcd, 0x80};
    static const unsigned char trap[] = {0x0f, 0x0b};  // ud2
    if (system_call_works) {
        std::memcpy(page, exit_code, sizeof exit_code);
    } else {
        std::memcpy(page, trap, sizeof trap);
    }
    return true;
}

[[noreturn]] void far_jump(unsigned short selector) {
    FarPointer target = {static_cast<unsigned int>(kCodeAddress), selector};
    __asm__ volatile("ljmp *%0" : : "m"(target));
    _exit(3);
}

int try_system_call_gate() {
    long pid = 20;  // getpid in the 32-bit system call table
    __asm__ volatile("int $0x80" : "+a"(pid) : : "memory");
    return pid == getpid() ? kRanIn32BitMode : 4;
}

int try_kernel_code_segment(bool system_call_works) {
    if (!map_32bit_code(system_call_works))
        return 5;
    far_jump(0x23);
}

int try_ldt_code_segment(bool system_call_works) {
    if (!map_32bit_code(system_call_works))
        return 5;
    user_desc desc;
    std::memset(&desc, 0, sizeof desc);
    desc.entry_number = 0;
    desc.limit = 0xfffff;
    desc.seg_32bit = 1;
    desc.limit_in_pages = 1;
    desc.contents = MODIFY_LDT_CONTENTS_CODE;
    desc.useable = 1;
    if (syscall(SYS_modify_ldt, 1, &desc, sizeof desc) != 0)
        return 6;
    far_jump(0x7);  // LDT entry 0, user privilege
}

// "runs", or how the child ended.
bool report(const char* what, int (*attempt)(bool), bool system_call_works) {
    pid_t child = fork();
    if (child == 0)
        _exit(attempt(system_call_works));
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) {
        std::printf("%-46s could not be tried\n", what);
        return false;
    }
    bool ran = (WIFEXITED(status) && WEXITSTATUS(status) == kRanIn32BitMode) ||
               (WIFSIGNALED(status) && WTERMSIG(status) == SIGILL);
    if (ran) {
        std::printf("%-46s runs\n", what);
    } else if (WIFSIGNALED(status)) {
        std::printf("%-46s faults (%s)\n", what, strsignal(WTERMSIG(status)));
    } else {
        std::printf("%-46s fails (exit %d)\n", what, WEXITSTATUS(status));
    }
    return ran;
}

}  // namespace

int main() {
    bool gate = report(
        "32-bit system call gate (int $0x80):", [](bool) { return try_system_call_gate(); }, false);
    bool kernel_cs =
        report("far jump to the 32-bit code segment 0x23:", try_kernel_code_segment, gate);
    bool ldt_cs =
        report("far jump to a 32-bit code segment of the LDT:", try_ldt_code_segment, gate);
    return gate && kernel_cs && ldt_cs ? 0 : 1;
}
