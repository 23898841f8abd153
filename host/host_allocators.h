// The host's memory routines, shaped like MAPIAllocateBuffer, MAPIAllocateMore and MAPIFreeBuffer. A
// block from AllocateMore belongs to the block chain of its parent and is freed with it. The counters
// and the failure of the Nth allocation are what tests check and sweep with.
#pragma once

#include "platform/platform.h"

SCODE WINAPI HostAllocateBuffer(ULONG cbSize, LPVOID* lppBuffer);
SCODE WINAPI HostAllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer);
ULONG WINAPI HostFreeBuffer(LPVOID lpBuffer);

namespace host {

// Blocks alive now, chained ones included.
long LiveBlocks();
// Frees of something that is not a live top-level block (a chained block, a stranger, a double free).
long BadFrees();
// Allocations made since the process started (both routines).
long AllocationCount();

// Fail the Nth allocation from now (1 = the next one); 0 turns failure off. A failed allocation
// returns MAPI_E_NOT_ENOUGH_MEMORY and stores null.
void FailAllocation(long nth);
// Fail every allocation from the Nth on, not only the Nth.
void FailAllocationsFrom(long nth);
// True when an armed failure has fired since it was armed.
bool FailureFired();

} // namespace host
