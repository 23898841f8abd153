// Module-wide state: the host's memory routines, empty until the first ABProviderOpen takes them.
#include "provider/module_state.h"

namespace abk {

LPALLOCATEBUFFER AllocateBuffer = nullptr;
LPALLOCATEMORE AllocateMore = nullptr;
LPFREEBUFFER FreeBuffer = nullptr;

} // namespace abk
