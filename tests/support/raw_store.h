// Direct access to the store library the provider uses, through its exports: tests arrange records the
// provider's own operations cannot make and check what the provider wrote.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "kit/store_kit.h"
#include "platform/platform.h"
#include "store/store_abi.h"

namespace abktest {

// One record as the store keeps it: a field (id, text) or a member (id, flags).
using RawRecord = storekit::Record;
inline RawRecord Field(ULONG id, std::string text) { return storekit::FieldRecord(id, std::move(text)); }
inline RawRecord Member(ULONG id, ULONG flags) { return storekit::MemberRecord(id, flags); }

// The store library the session uses, reached through its exports.
class RawStore {
public:
  RawStore();
  ~RawStore();
  bool Loaded() const { return module_ != nullptr; }

  ULONG NewPerson(const std::string& book, const std::vector<RawRecord>& records);
  ULONG NewGroup(const std::string& book, const std::vector<RawRecord>& records);
  // Many entries without records, through one open of the book: fast enough to fill a book to its limits.
  void NewBlankEntries(const std::string& book, int persons, int groups);
  void Write(const std::string& book, ULONG id, const std::vector<RawRecord>& records);
  std::vector<RawRecord> Read(const std::string& book, ULONG id);
  bool Exists(const std::string& book, ULONG id);
  void Delete(const std::string& book, ULONG id);
  // Every live entry of the book with its records, in id order: what a test compares before and after.
  std::vector<std::pair<ULONG, std::vector<RawRecord>>> Dump(const std::string& book);

private:
  HMODULE module_ = nullptr;
  storekit::StoreExports store_;
};

} // namespace abktest
