#pragma once
// A use-after-free trap for the test program it is linked into (it
// replaces the global operator new and delete).  Blocks of one watched size
// get pages of their own; freeing one makes its pages inaccessible and
// keeps them reserved, so a later touch of the freed object faults at once
// instead of reading whatever the heap put there.  Such a fault is reported
// on standard error, naming the block, and ends the test program with exit
// code 3: the test fails where the fault happened.  Other sizes come from
// the C heap as usual.
#include <cstddef>

namespace freed_memory_trap {

// Watch blocks of exactly `size` bytes from now on (0: none).
void Watch(std::size_t size);
// Blocks of `size` bytes given out while it was watched and not freed yet.
int LiveBlocks(std::size_t size);

}  // namespace freed_memory_trap
