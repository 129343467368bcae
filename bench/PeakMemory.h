#pragma once
// The peak memory of this process, measured from inside: a child's ru_maxrss (wait4) is no use here, since
// Linux carries the spawning parent's peak over exec into it.

#include <cstdint>

// Peak resident set of this process image, in KB (VmHWM).
long OwnPeakKb();
// Peak of the bytes live through operator new. The allocator keeps freed blocks resident, so the resident
// peak also counts memory that was given back; this is what the code held at once.
int64_t OwnPeakHeapBytes();
