// RowFilter: a host's restriction, checked and copied into the provider's own form, that says whether a
// contents row passes. It takes what hosts send to find people: PR_ANR equal to a typed name, a string
// column holding a text (whole, as a prefix or anywhere, with or without case and accents), the object
// type equal or unequal to a value, and AND, OR and NOT of these. Anything else is too complex.
#pragma once

#include "platform/platform.h"
#include "rules/name_match.h"

namespace abk {

// How a contents row matches a typed name: its display name, given name, surname and company.
MatchRank MatchRow(const SRow& row, WideView typed);

class RowFilter {
public:
  // The filter for a restriction: E_INVALIDARG when the host's memory cannot be read, MAPI_E_TOO_COMPLEX
  // for a kind of restriction not offered (or nested too deep), E_OUTOFMEMORY.
  static HRESULT Create(const SRestriction* restriction, RowFilter** filter);

  RowFilter() = default;
  ~RowFilter();
  RowFilter(const RowFilter&) = delete;
  RowFilter& operator=(const RowFilter&) = delete;

  bool Passes(const SRow& row) const;

  struct Node;

private:
  bool Passes(const SRow& row, ULONG node) const;

  Node* nodes_ = nullptr;
  ULONG count_ = 0;
};

} // namespace abk
