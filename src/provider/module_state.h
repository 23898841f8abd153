// Module-wide state: the host's three memory routines, through which every block handed to the host is
// allocated. ABProviderOpen sets them before it builds anything; nothing else writes them.
#pragma once

#include "platform/platform.h"

namespace abk {

extern LPALLOCATEBUFFER AllocateBuffer;
extern LPALLOCATEMORE AllocateMore;
extern LPFREEBUFFER FreeBuffer;

} // namespace abk
