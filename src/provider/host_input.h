// The checks the provider makes of everything a host hands it, in one place. A pointer is refused when
// the memory it names cannot be read (or written, for an output): IsBadReadPtr and IsBadWritePtr probe
// the pages on Windows and on Linux alike, and a null pointer is never readable or writable. A count is
// refused when the array it sizes would not fit in an address, or in one host block where an answer of
// that many values must be made.
#pragma once

#include <cstddef>

#include "platform/platform.h"

namespace abk {

// Counts above these would overflow a 32-bit size before any pointer is even looked at.
constexpr ULONG kMaxTags = 0x3FFFFFF0;
constexpr ULONG kMaxValues = 0x0FFFFFF0;
// The most values an answer may hold: its value array fits in one host block.
constexpr ULONG kMaxAnswerValues = 0x7FFFFFFF / sizeof(SPropValue);

// An output the provider writes one value to.
template <class T> bool Writable(T* out) { return !IsBadWritePtr(out, sizeof *out); }
// An input the provider reads one value of.
template <class T> bool Readable(const T* in) { return !IsBadReadPtr(in, sizeof *in); }

// `count` elements of `size` bytes at `first`, the product checked for overflow first.
inline bool ReadableArray(const void* first, size_t count, size_t size) {
  size_t bytes = 0;
  if (__builtin_mul_overflow(count, size, &bytes)) return false;
  return count == 0 || !IsBadReadPtr(first, bytes);
}

// A tag array of at most maxCount tags.
inline bool ReadableTagArray(const SPropTagArray* tags, ULONG maxCount = kMaxTags) {
  if (!tags || IsBadReadPtr(tags, offsetof(SPropTagArray, aulPropTag))) return false;
  if (tags->cValues > maxCount) return false;
  return !IsBadReadPtr(tags, CbNewSPropTagArray(static_cast<size_t>(tags->cValues)));
}

inline bool ReadableValues(const SPropValue* values, ULONG count) {
  return count <= kMaxAnswerValues && (count == 0 || (values && ReadableArray(values, count, sizeof *values)));
}

inline bool ReadableRow(const SRow* row) {
  if (!row || !Readable(row)) return false;
  if (row->cValues > kMaxValues) return false;
  return row->cValues == 0 || ReadableArray(row->lpProps, row->cValues, sizeof(SPropValue));
}

inline bool ReadableRowSet(const SRowSet* rows) {
  if (!rows || IsBadReadPtr(rows, offsetof(SRowSet, aRow))) return false;
  if (rows->cRows > kMaxValues) return false;
  return !IsBadReadPtr(rows, CbNewSRowSet(static_cast<size_t>(rows->cRows)));
}

inline bool ReadableValue(const SPropValue* value) { return value && Readable(value); }

inline bool ReadableEntryList(const ENTRYLIST* list) {
  if (!list || !Readable(list)) return false;
  return list->cValues == 0 || (list->lpbin && ReadableArray(list->lpbin, list->cValues, sizeof(SBinary)));
}

inline bool ReadableAdrList(const ADRLIST* list) {
  if (!list || IsBadReadPtr(list, offsetof(ADRLIST, aEntries))) return false;
  return ReadableArray(list->aEntries, list->cEntries, sizeof(ADRENTRY));
}

} // namespace abk
