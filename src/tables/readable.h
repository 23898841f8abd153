// Checks on structures a caller hands the tables, so that a bad pointer is refused instead of followed.
#pragma once

#include <cstddef>

#include "platform/platform.h"

// Counts above these would overflow a 32-bit size before any pointer is even looked at.
constexpr ULONG kMaxTags = 0x3FFFFFF0;
constexpr ULONG kMaxValues = 0x0FFFFFF0;

inline bool ReadableTagArray(const SPropTagArray* tags) {
  if (!tags || IsBadReadPtr(tags, offsetof(SPropTagArray, aulPropTag))) return false;
  if (tags->cValues > kMaxTags) return false;
  return !IsBadReadPtr(tags, CbNewSPropTagArray(static_cast<size_t>(tags->cValues)));
}

inline bool ReadableRow(const SRow* row) {
  if (!row || IsBadReadPtr(row, sizeof *row)) return false;
  if (row->cValues > kMaxValues) return false;
  return row->cValues == 0 || !IsBadReadPtr(row->lpProps, row->cValues * sizeof(SPropValue));
}

inline bool ReadableRowSet(const SRowSet* rows) {
  if (!rows || IsBadReadPtr(rows, offsetof(SRowSet, aRow))) return false;
  if (rows->cRows > kMaxValues) return false;
  return !IsBadReadPtr(rows, CbNewSRowSet(static_cast<size_t>(rows->cRows)));
}

inline bool ReadableValue(const SPropValue* value) { return value && !IsBadReadPtr(value, sizeof *value); }
