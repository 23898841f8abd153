// The property list and the member list of entry objects.
#include "props/prop_list.h"

#include <cstring>
#include <utility>

#include "props/prop_values.h"
#include "provider/heap.h"
#include "provider/module_state.h"

namespace abk {

// --- PropList --------------------------------------------------------------------------------------

// The bytes a value points to, by type: a string with its terminator, a GUID, a binary's cb bytes.
static const void* PointedBytes(const SPropValue& value, size_t* size) {
  *size = 0;
  switch (PROP_TYPE(value.ulPropTag)) {
  case PT_STRING8:
    if (!value.Value.lpszA) return nullptr;
    *size = strlen(value.Value.lpszA) + 1;
    return value.Value.lpszA;
  case PT_UNICODE:
    if (!value.Value.lpszW) return nullptr;
    *size = WideStringBytes(value.Value.lpszW);
    return value.Value.lpszW;
  case PT_CLSID:
    if (!value.Value.lpguid) return nullptr;
    *size = sizeof(GUID);
    return value.Value.lpguid;
  case PT_BINARY:
    if (!value.Value.bin.lpb) return nullptr;
    *size = value.Value.bin.cb;
    return value.Value.bin.lpb;
  default:
    return nullptr;
  }
}

// Points the value at bytes, by type.
static void AimAt(SPropValue& value, BYTE* bytes, ULONG size) {
  switch (PROP_TYPE(value.ulPropTag)) {
  case PT_STRING8:
    value.Value.lpszA = reinterpret_cast<LPSTR>(bytes);
    break;
  case PT_UNICODE:
    value.Value.lpszW = reinterpret_cast<WCHAR*>(bytes);
    break;
  case PT_CLSID:
    value.Value.lpguid = reinterpret_cast<LPGUID>(bytes);
    break;
  case PT_BINARY:
    value.Value.bin.cb = size;
    value.Value.bin.lpb = size ? bytes : nullptr;
    break;
  default:
    break;
  }
}

PropElement* PropList::MakeElement(const SPropValue& value, HRESULT* result) {
  if (value.ulPropTag & MV_FLAG) {
    *result = MAPI_E_NO_SUPPORT;
    return nullptr;
  }
  size_t size = 0;
  const void* bytes = PointedBytes(value, &size);
  if (size > 0x7FFFFFFF) {
    *result = E_INVALIDARG;
    return nullptr;
  }
  auto* element = static_cast<PropElement*>(HeapAllocate(sizeof(PropElement) + size));
  if (!element) {
    *result = E_OUTOFMEMORY;
    return nullptr;
  }
  element->value = value;
  element->byteCount = static_cast<ULONG>(size);
  element->next = nullptr;
  if (bytes) {
    memcpy(element->Bytes(), bytes, size);
    AimAt(element->value, element->Bytes(), element->byteCount);
  } else if (PROP_TYPE(value.ulPropTag) == PT_BINARY) {
    element->value.Value.bin.cb = 0;
  }
  *result = S_OK;
  return element;
}

void PropList::FreeElement(PropElement* element) { HeapFree(element); }

void PropList::Link(PropElement* element) {
  if (last_)
    last_->next = element;
  else
    first_ = element;
  last_ = element;
  ++count_;
}

HRESULT PropList::AppendProp(const SPropValue& value) {
  HRESULT hr = S_OK;
  PropElement* element = MakeElement(value, &hr);
  if (!element) return hr;
  Link(element);
  return S_OK;
}

HRESULT PropList::SetProp(const SPropValue& value) {
  HRESULT hr = S_OK;
  PropElement* element = MakeElement(value, &hr);
  if (!element) return hr;
  PropElement* previous = nullptr;
  for (PropElement* old = first_; old; previous = old, old = old->next) {
    if (PROP_ID(old->value.ulPropTag) != PROP_ID(value.ulPropTag)) continue;
    element->next = old->next;
    if (previous)
      previous->next = element;
    else
      first_ = element;
    if (last_ == old) last_ = element;
    FreeElement(old);
    return S_OK;
  }
  Link(element);
  return S_OK;
}

PropElement* PropList::FindProp(ULONG tag) const {
  for (PropElement* element = first_; element; element = element->next)
    if (PROP_ID(element->value.ulPropTag) == PROP_ID(tag)) return element;
  return nullptr;
}

PropElement* PropList::TakeProp(ULONG tag) {
  PropElement* previous = nullptr;
  for (PropElement* element = first_; element; previous = element, element = element->next) {
    if (PROP_ID(element->value.ulPropTag) != PROP_ID(tag)) continue;
    if (previous)
      previous->next = element->next;
    else
      first_ = element->next;
    if (last_ == element) last_ = previous;
    element->next = nullptr;
    --count_;
    return element;
  }
  return nullptr;
}

void PropList::Clear() {
  PropElement* element = first_;
  while (element) {
    PropElement* next = element->next;
    FreeElement(element);
    element = next;
  }
  first_ = last_ = nullptr;
  count_ = 0;
}

void PropList::Swap(PropList& other) {
  std::swap(first_, other.first_);
  std::swap(last_, other.last_);
  std::swap(count_, other.count_);
}

HRESULT CopyStoredValue(const PropElement& element, void* parent, SPropValue* value) {
  *value = element.value;
  if (element.byteCount == 0) {
    if (PROP_TYPE(value->ulPropTag) == PT_BINARY) value->Value.bin.lpb = nullptr;
    return S_OK;
  }
  void* block = nullptr;
  HRESULT hr = parent ? AllocateMore(element.byteCount, parent, &block) : AllocateBuffer(element.byteCount, &block);
  if (FAILED(hr)) return E_OUTOFMEMORY;
  memcpy(block, const_cast<PropElement&>(element).Bytes(), element.byteCount);
  AimAt(*value, static_cast<BYTE*>(block), element.byteCount);
  return S_OK;
}

// --- MemberList ------------------------------------------------------------------------------------

static uint32_t HashKey(const EntryKey& key) {
  uint64_t x = (static_cast<uint64_t>(key.recordId) << 32) | key.typeWord;
  x ^= x >> 33;
  x *= 0xff51afd7ed558ccdULL;
  x ^= x >> 33;
  return static_cast<uint32_t>(x);
}

static bool SameKey(const EntryKey& a, const EntryKey& b) {
  return a.recordId == b.recordId && a.typeWord == b.typeWord;
}

MemberList::~MemberList() { Clear(); }

void MemberList::Clear() {
  HeapFree(keys_);
  HeapFree(slots_);
  keys_ = nullptr;
  slots_ = nullptr;
  count_ = capacity_ = slotCount_ = 0;
}

void MemberList::Swap(MemberList& other) {
  std::swap(keys_, other.keys_);
  std::swap(count_, other.count_);
  std::swap(capacity_, other.capacity_);
  std::swap(slots_, other.slots_);
  std::swap(slotCount_, other.slotCount_);
}

ULONG MemberList::IndexOf(const EntryKey& key) const {
  if (!slotCount_) return kNone;
  for (ULONG slot = HashKey(key) & (slotCount_ - 1);; slot = (slot + 1) & (slotCount_ - 1)) {
    ULONG index = slots_[slot];
    if (index == kNone) return kNone;
    if (SameKey(keys_[index], key)) return index;
  }
}

void MemberList::Reindex() {
  for (ULONG i = 0; i < slotCount_; ++i)
    slots_[i] = kNone;
  for (ULONG index = 0; index < count_; ++index) {
    ULONG slot = HashKey(keys_[index]) & (slotCount_ - 1);
    while (slots_[slot] != kNone)
      slot = (slot + 1) & (slotCount_ - 1);
    slots_[slot] = index;
  }
}

bool MemberList::Grow() {
  ULONG capacity = capacity_ ? capacity_ * 2 : 16;
  ULONG slotCount = capacity * 2;
  auto* keys = static_cast<EntryKey*>(HeapAllocate(capacity * sizeof(EntryKey)));
  auto* slots = static_cast<ULONG*>(HeapAllocate(slotCount * sizeof(ULONG)));
  if (!keys || !slots) {
    HeapFree(keys);
    HeapFree(slots);
    return false;
  }
  if (count_) memcpy(keys, keys_, count_ * sizeof(EntryKey));
  HeapFree(keys_);
  HeapFree(slots_);
  keys_ = keys;
  slots_ = slots;
  capacity_ = capacity;
  slotCount_ = slotCount;
  Reindex();
  return true;
}

bool MemberList::AddMember(const EntryKey& key) {
  ULONG index = IndexOf(key);
  if (index != kNone) {
    keys_[index] = key;
    return true;
  }
  if (count_ == capacity_ && !Grow()) return false;
  keys_[count_] = key;
  ULONG slot = HashKey(key) & (slotCount_ - 1);
  while (slots_[slot] != kNone)
    slot = (slot + 1) & (slotCount_ - 1);
  slots_[slot] = count_;
  ++count_;
  return true;
}

bool MemberList::RemoveMember(const EntryKey& key) {
  ULONG index = IndexOf(key);
  if (index == kNone) return false;
  memmove(keys_ + index, keys_ + index + 1, (count_ - index - 1) * sizeof(EntryKey));
  --count_;
  Reindex();
  return true;
}

} // namespace abk
