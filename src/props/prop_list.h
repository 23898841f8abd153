// PropList: the ordered values an entry object holds, one per property identifier, each owning the
// bytes it points to. MemberList: the ordered keys of a container's entries or a group's members.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"
#include "provider/entry_id.h"

namespace abk {

struct PropElement {
  SPropValue value; // pointers aim into bytes below
  ULONG byteCount;
  PropElement* next;
  BYTE* Bytes() { return reinterpret_cast<BYTE*>(this + 1); }
};

class PropList final {
public:
  PropList() = default;
  ~PropList() { Clear(); }
  PropList(const PropList&) = delete;
  PropList& operator=(const PropList&) = delete;

  // Stores the value in place of the element with the same property identifier, or at the end.
  // Multi-valued types are refused (MAPI_E_NO_SUPPORT); nothing changes on failure.
  HRESULT SetProp(const SPropValue& value);
  // Adds the value at the end without looking for an element to replace (first filling only).
  HRESULT AppendProp(const SPropValue& value);
  // The first element with the tag's property identifier, or null.
  PropElement* FindProp(ULONG tag) const;
  // Unlinks the first element with the tag's property identifier; the caller frees it with FreeElement.
  PropElement* TakeProp(ULONG tag);
  static void FreeElement(PropElement* element);
  void Clear();

  ULONG Count() const { return count_; }
  // Iteration, in insertion order: for (PropElement* e = list.First(); e; e = e->next).
  PropElement* First() const { return first_; }
  void Swap(PropList& other);

private:
  static PropElement* MakeElement(const SPropValue& value, HRESULT* result);
  void Link(PropElement* element);

  PropElement* first_ = nullptr;
  PropElement* last_ = nullptr;
  ULONG count_ = 0;
};

// Copies a stored element into a value; its bytes go in a block chained to parent (AllocateMore), or
// in a block of their own (AllocateBuffer) when parent is null.
HRESULT CopyStoredValue(const PropElement& element, void* parent, SPropValue* value);

// The keys listed by a container. Adding an equal key (same record and type) replaces it in place, so
// listing is linear however many keys there are.
class MemberList final {
public:
  MemberList() = default;
  ~MemberList();
  MemberList(const MemberList&) = delete;
  MemberList& operator=(const MemberList&) = delete;

  // Appends the key, or replaces an equal one in place. Without memory the key is silently not added.
  // False when memory runs out: the key is then not listed.
  bool AddMember(const EntryKey& key);
  // Removes the first equal key; false when none is listed.
  bool RemoveMember(const EntryKey& key);
  bool Contains(const EntryKey& key) const { return IndexOf(key) != kNone; }
  void Clear();

  ULONG Count() const { return count_; }
  const EntryKey& At(ULONG index) const { return keys_[index]; }
  void Swap(MemberList& other);

private:
  static constexpr ULONG kNone = 0xFFFFFFFF;
  ULONG IndexOf(const EntryKey& key) const;
  bool Grow();
  void Reindex();

  EntryKey* keys_ = nullptr;
  ULONG count_ = 0;
  ULONG capacity_ = 0;
  // Open-addressing index from key to position (kNone marks a free slot); its size is a power of two
  // at least twice the capacity.
  ULONG* slots_ = nullptr;
  ULONG slotCount_ = 0;
};

} // namespace abk
