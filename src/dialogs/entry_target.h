// The entry a person or group dialog writes on OK.
#pragma once

#include "dialogs/entry_dialog_params.h"

namespace abk {

// The entry being edited, opened with editInterface and only when it is of editType; or a new entry
// made from the template in the given container (the root container, the whole book, when none was
// given). Null when neither can be had. The caller releases it.
LPMAPIPROP OpenDialogTarget(const EntryDialogParams* params, LPCIID editInterface, ULONG editType);

} // namespace abk
