#pragma once
// How the process keeps the memory it frees, for the tables built one after another in a job.

namespace velmaro {

// Asks the allocator to keep large blocks that the program frees, for the next allocations,
// instead of returning them to the system at once. A job holds each work table's records in
// blocks of about a megabyte and frees them when the table is written; without this the next
// table's blocks come as fresh pages, each first touch costing the system a page fault (a large
// school's inbound conversion spends about a tenth of its time there). Call once, at start-up.
void KeepFreedMemoryForReuse();

}  // namespace velmaro
