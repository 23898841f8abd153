// The view's position: seeks (clamped to the rows that exist), approximate seeks, and bookmarks, which
// remember a position number, not a row.
#include "tables/table_view.h"

#include "provider/host_input.h"
#include "provider/module_state.h"
#include "tables/table_data.h"

namespace abk {

static constexpr ULONG kBookmarkSlots = 16;
static constexpr BOOKMARK kBookmarkBit = 0x1000;
static constexpr LONG kFreeSlot = -1;

// A seek always lands on a row that exists (on an empty table, on -1): the end is the last row, not
// the place after it. Only reading moves the position past the last row.
LONG TableView::ClampedTarget(LONG base, LONG rowCount) const {
  LONG target = static_cast<LONG>(static_cast<ULONG>(base) + static_cast<ULONG>(rowCount));
  LONG count = static_cast<LONG>(ShownCount());
  if (target < 0) return 0;
  if (target >= count) return count - 1;
  return target;
}

LONG* TableView::BookmarkSlot(BOOKMARK bookmark) const {
  if (!bookmarks_ || !(bookmark & kBookmarkBit)) return nullptr;
  BOOKMARK index = bookmark ^ kBookmarkBit;
  if (index >= kBookmarkSlots) return nullptr;
  return &bookmarks_[index];
}

// The end is the last row.
HRESULT TableView::OriginOf(BOOKMARK origin, LONG* position) const {
  if (origin == BOOKMARK_BEGINNING) {
    *position = 0;
  } else if (origin == BOOKMARK_CURRENT) {
    *position = position_;
  } else if (origin == BOOKMARK_END) {
    *position = static_cast<LONG>(ShownCount()) - 1;
  } else {
    const LONG* slot = BookmarkSlot(origin);
    if (!slot || *slot == kFreeSlot) return MAPI_E_INVALID_BOOKMARK;
    *position = *slot;
  }
  return S_OK;
}

// Reports the row now current, not the distance moved.
HRESULT STDMETHODCALLTYPE TableView::SeekRow(BOOKMARK bkOrigin, LONG lRowCount, LONG* lplRowsSought) {
  if (lplRowsSought && !Writable(lplRowsSought)) return E_INVALIDARG;
  Locked locked(*this);
  HRESULT hr = Fresh();
  if (FAILED(hr)) return hr;
  LONG base = 0;
  hr = OriginOf(bkOrigin, &base);
  if (FAILED(hr)) return hr;
  position_ = ClampedTarget(base, lRowCount);
  if (lplRowsSought) *lplRowsSought = position_;
  return S_OK;
}

// The row count times the numerator is computed in 32 bits and wraps for large numerators, and SeekRow
// reads a target of 2^31 or more as negative (row 0); hosts pass fractions of at most 1, which never
// come near either.
HRESULT STDMETHODCALLTYPE TableView::SeekRowApprox(ULONG ulNumerator, ULONG ulDenominator) {
  if (ulDenominator == 0) return E_INVALIDARG;
  // SeekRow takes the locks again (they are recursive); the count and the seek make one step.
  Locked locked(*this);
  HRESULT hr = Fresh();
  if (FAILED(hr)) return hr;
  ULONG target = ShownCount() * ulNumerator / ulDenominator;
  return SeekRow(BOOKMARK_BEGINNING, static_cast<LONG>(target), nullptr);
}

// An output the caller cannot take is skipped; the others are still filled.
HRESULT STDMETHODCALLTYPE TableView::QueryPosition(ULONG* lpulRow, ULONG* lpulNumerator, ULONG* lpulDenominator) {
  Locked locked(*this);
  HRESULT hr = Fresh();
  if (FAILED(hr)) return hr;
  if (Writable(lpulRow)) *lpulRow = static_cast<ULONG>(position_);
  if (Writable(lpulNumerator)) *lpulNumerator = static_cast<ULONG>(position_);
  if (Writable(lpulDenominator)) *lpulDenominator = ShownCount();
  return S_OK;
}

// A bookmark saved at position -1 (an empty table) looks like a free slot: its number is handed out
// again and seeking from it is refused.
HRESULT STDMETHODCALLTYPE TableView::CreateBookmark(BOOKMARK* lpbkPosition) {
  if (!Writable(lpbkPosition)) return E_INVALIDARG;
  Locked locked(*this);
  if (!bookmarks_) {
    void* block = nullptr;
    HRESULT hr = AllocateBuffer(kBookmarkSlots * sizeof(LONG), &block);
    if (FAILED(hr)) return hr;
    bookmarks_ = static_cast<LONG*>(block);
    for (ULONG k = 0; k < kBookmarkSlots; ++k)
      bookmarks_[k] = kFreeSlot;
  }
  for (ULONG k = 0; k < kBookmarkSlots; ++k) {
    if (bookmarks_[k] != kFreeSlot) continue;
    bookmarks_[k] = position_;
    *lpbkPosition = kBookmarkBit | k;
    return S_OK;
  }
  return MAPI_E_UNABLE_TO_COMPLETE;
}

// Freeing a free slot is harmless; the predefined origins are not bookmarks.
HRESULT STDMETHODCALLTYPE TableView::FreeBookmark(BOOKMARK bkPosition) {
  Locked locked(*this);
  LONG* slot = BookmarkSlot(bkPosition);
  if (!slot) return MAPI_E_INVALID_BOOKMARK;
  *slot = kFreeSlot;
  return S_OK;
}

} // namespace abk
