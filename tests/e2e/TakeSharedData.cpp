// Loaded into a Wine loader with LD_PRELOAD: takes the page at 0x7ffe0000, where Wine maps the
// shared user data, before Wine's own start-up runs, as a heap that the kernel placed there would.
// Where Wine's preloader has already reserved the page, the mapping fails and nothing changes.
#include <sys/mman.h>

namespace {

__attribute__((constructor)) void TakeTheSharedDataPage() {
    mmap(reinterpret_cast<void*>(0x7ffe0000), 0x1000, PROT_READ | PROT_WRITE,
         MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
}

}  // namespace
