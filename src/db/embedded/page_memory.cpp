#include "db/embedded/page_memory.h"

#include <sqlite3.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <mutex>

namespace db::embedded {
namespace {

constexpr int kPageSize = 4096;  // the page size of every database the program makes
constexpr std::size_t kRegionBytes = std::size_t{1} << 30;  // address space, not memory

struct Region {
    std::mutex lock;
    char* begin = nullptr;
    char* end = nullptr;
    int slot = 0;            // a cache line of a 4 KiB page with SQLite's headers of it
    char* unused = nullptr;  // slots from here on were never handed out
    void* freed = nullptr;   // slots handed back, each holding the next one's address
    sqlite3_mem_methods usual{};
};

Region region;

bool SlotSized(int bytes) {
    return bytes > kPageSize && bytes <= region.slot;
}

bool InRegion(const void* p) {
    const char* c = static_cast<const char*>(p);
    return c >= region.begin && c < region.end;
}

void* Allocate(int bytes) {
    if (SlotSized(bytes)) {
        const std::lock_guard<std::mutex> hold(region.lock);
        if (region.freed != nullptr) {
            void* slot = region.freed;
            std::memcpy(&region.freed, slot, sizeof(void*));
            return slot;
        }
        if (region.end - region.unused >= region.slot) {
            void* slot = region.unused;
            region.unused += region.slot;
            return slot;
        }
    }
    return region.usual.xMalloc(bytes);
}

void Release(void* p) {
    if (!InRegion(p)) {
        region.usual.xFree(p);
        return;
    }
    const std::lock_guard<std::mutex> hold(region.lock);
    std::memcpy(p, &region.freed, sizeof(void*));
    region.freed = p;
}

int SizeOf(void* p) {
    return InRegion(p) ? region.slot : region.usual.xSize(p);
}

void* Resize(void* p, int bytes) {
    if (!InRegion(p)) return region.usual.xRealloc(p, bytes);
    if (SlotSized(bytes)) return p;
    void* moved = Allocate(bytes);
    if (moved == nullptr) return nullptr;
    std::memcpy(moved, p, static_cast<std::size_t>(std::min(bytes, region.slot)));
    Release(p);
    return moved;
}

int RoundUp(int bytes) {
    return SlotSized(bytes) ? region.slot : region.usual.xRoundup(bytes);
}

int Start(void* data) {
    return region.usual.xInit(data);
}

void Stop(void* data) {
    region.usual.xShutdown(data);
}

}  // namespace

bool UsePageRegion() {
    static std::once_flag once;
    static bool used = false;
    std::call_once(once, [] {
        // Fails once SQLite is set up: its allocator cannot change any more.
        int headers = 0;
        if (sqlite3_config(SQLITE_CONFIG_GETMALLOC, &region.usual) != SQLITE_OK ||
            sqlite3_config(SQLITE_CONFIG_PCACHE_HDRSZ, &headers) != SQLITE_OK) {
            return;
        }
        region.slot = (kPageSize + headers + 7) / 8 * 8;
        void* mapped = ::mmap(nullptr, kRegionBytes, PROT_READ | PROT_WRITE,
                              MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (mapped == MAP_FAILED) return;
        ::madvise(mapped, kRegionBytes, MADV_HUGEPAGE);  // a hint; without it, ordinary pages
        region.begin = static_cast<char*>(mapped);
        region.end = region.begin + kRegionBytes;
        region.unused = region.begin;
        sqlite3_mem_methods methods{Allocate, Release, Resize, SizeOf,
                                    RoundUp,  Start,   Stop,   region.usual.pAppData};
        if (sqlite3_config(SQLITE_CONFIG_MALLOC, &methods) != SQLITE_OK) {
            ::munmap(mapped, kRegionBytes);
            region.begin = region.end = region.unused = nullptr;
            return;
        }
        used = true;
    });
    return used;
}

}  // namespace db::embedded
