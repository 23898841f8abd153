// What the list view's message handling and its state and deletion code share.
#pragma once

#include "window.h"

#pragma GCC visibility push(hidden)

namespace abkwin {

bool ValidRow(Window* view, int index);
// Sends WM_NOTIFY with an NMLISTVIEW for the item (-1 for none) to the parent; the parent's answer.
LRESULT NotifyListView(Window* view, UINT code, int index, UINT oldState, UINT newState, UINT changed);
// Sets the state bits under mask: one focused item at most, one selected item at most with LVS_SINGLESEL,
// LVN_ITEMCHANGED for every item whose state changes. Index -1 is every item. FALSE for a bad index.
BOOL SetRowState(Window* view, int index, UINT state, UINT mask);
// LVN_DELETEITEM, then the item goes.
BOOL DeleteRow(Window* view, int index);
// LVN_DELETEALLITEMS, LVN_DELETEITEM for each item unless the parent answered TRUE, then they all go.
BOOL DeleteAllRows(Window* view);

} // namespace abkwin

#pragma GCC visibility pop
