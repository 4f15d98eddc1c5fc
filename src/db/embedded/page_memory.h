#pragma once
// Memory for the engine's page caches.

namespace db::embedded {

// Gives SQLite's page-sized allocations their own region of the address space, which the kernel
// may back with huge pages. A run reads tables larger than its page cache in every pass; each
// page of cache memory touched for the first time costs a page fault, and on a virtual machine
// the faults of a few tens of megabytes took longer than the reads themselves. Other sizes and
// everything once the region is used up go to the usual allocator. Call before the first use of
// SQLite in the process; afterwards (SQLite already set up) it changes nothing. True when the
// region is in use.
bool UsePageRegion();

}  // namespace db::embedded
