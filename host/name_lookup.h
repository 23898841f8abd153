// What a host sends to find people by what a user typed: recipient rows of typed names for a container's
// ResolveNames, and a restriction on PR_ANR for a contents table.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace host {

// RES_PROPERTY RELOP_EQ on PR_ANR for one typed text (in the book's code page), kept alive by the object.
class AnrRestriction {
public:
  explicit AnrRestriction(std::string typed);
  AnrRestriction(const AnrRestriction&) = delete;
  AnrRestriction& operator=(const AnrRestriction&) = delete;

  LPSRestriction Get() { return &restriction_; }

private:
  std::string typed_;
  SPropValue value_{};
  SRestriction restriction_{};
};

// Recipient rows of one PR_DISPLAY_NAME each, in host memory as a host hands them over, with their flag
// list, every row MAPI_UNRESOLVED. The rows are freed as a host frees them, whatever ResolveNames put in.
class TypedNames {
public:
  TypedNames() = default;
  ~TypedNames();
  TypedNames(const TypedNames&) = delete;
  TypedNames& operator=(const TypedNames&) = delete;

  // The host allocator's failure, when it fails; the rows made until then stay listed.
  HRESULT Make(const std::vector<std::string>& names);
  LPADRLIST List() const { return list_; }
  LPFlagList Flags() { return reinterpret_cast<LPFlagList>(flags_.data()); }
  ULONG Flag(ULONG row) const { return flags_[row + 1]; }
  // The row's first value, where ResolveNames puts the first column asked for.
  const SPropValue& First(ULONG row) const { return list_->aEntries[row].rgPropVals[0]; }

private:
  LPADRLIST list_ = nullptr;
  std::vector<ULONG> flags_; // cFlags, then the flags: the FlagList layout
};

} // namespace host
