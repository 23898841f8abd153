// Property values from fuzz input.
#include "fuzz/fuzz_values.h"

#include <cstring>
#include <string>

#include "host/host_allocators.h"
#include "props/entry_props.h"

namespace abkfuzz {

namespace {

const ULONG kKnownTags[] = {
    PR_DISPLAY_NAME_A,
    PR_ENTRYID,
    PR_OBJECT_TYPE,
    PR_DISPLAY_TYPE,
    PR_INSTANCE_KEY,
    PR_RECORD_KEY,
    PR_SEARCH_KEY,
    PR_ADDRTYPE_A,
    PR_EMAIL_ADDRESS_A,
    PR_COMMENT_A,
    PR_GIVEN_NAME_A,
    PR_SURNAME_A,
    PR_MIDDLE_NAME_A,
    PR_DISPLAY_NAME_PREFIX_A,
    PR_COMPANY_NAME_A,
    PR_DEPARTMENT_NAME_A,
    PR_BUSINESS_FAX_NUMBER_A,
    PR_HOME_FAX_NUMBER_A,
    PR_NAME_SUFFIX,
    PR_PRIMARY_FAX_DESCRIPTION,
    PR_PRIMARY_FAX_EXTRA1,
    PR_PRIMARY_FAX_EXTRA2,
    PR_PRIMARY_FAX_EXTRA3,
    PR_SECONDARY_FAX_DESCRIPTION,
    PR_SECONDARY_FAX_EXTRA1,
    PR_SECONDARY_FAX_EXTRA2,
    PR_SECONDARY_FAX_EXTRA3,
    PR_TRANSMITABLE_DISPLAY_NAME_A,
    PR_TEMPLATEID,
    PR_PARENT_ENTRYID,
    PR_CONTAINER_FLAGS,
    PR_DEF_CREATE_MAILUSER,
    PR_DEF_CREATE_DL,
    PR_ACCESS,
    PR_ACCESS_LEVEL,
    PR_RECIPIENT_TYPE,
    PR_ROWID,
    PR_DEPTH,
    PR_STATUS,
    PR_SEND_RICH_INFO,
};

// The types a value can have; the last few carry no pointer and take any bits.
const ULONG kTypes[] = {PT_STRING8, PT_BINARY,     PT_LONG,      PT_BOOLEAN, PT_ERROR,      PT_NULL,     PT_I2,
                        PT_UNICODE, PT_CLSID,      PT_I8,        PT_SYSTIME, PT_DOUBLE,     PT_R4,       PT_CURRENCY,
                        PT_APPTIME, PT_MV_STRING8, PT_MV_BINARY, PT_MV_LONG, PT_MV_UNICODE, PT_MV_CLSID, PT_MV_I2,
                        PT_MV_I8,   PT_MV_SYSTIME, PT_MV_DOUBLE, PT_OBJECT,  PT_UNSPECIFIED};

void* More(void* parent, ULONG size) {
  void* block = nullptr;
  if (HostAllocateMore(size ? size : 1, parent, &block) != S_OK) return nullptr;
  return block;
}

// Text of any length up to 300, zero-terminated, in the parent's chain.
LPSTR Text(FuzzInput& in, void* parent) {
  ULONG length = in.Byte();
  if (length > 250) length += in.Below(64);
  std::string bytes = in.Bytes(length);
  auto* text = static_cast<char*>(More(parent, static_cast<ULONG>(bytes.size() + 1)));
  if (!text) return nullptr;
  memcpy(text, bytes.data(), bytes.size());
  text[bytes.size()] = 0;
  return text;
}

LPWSTR WideText(FuzzInput& in, void* parent) {
  ULONG length = in.Below(40);
  auto* text = static_cast<WCHAR*>(More(parent, (length + 1) * sizeof(WCHAR)));
  if (!text) return nullptr;
  for (ULONG i = 0; i < length; ++i)
    text[i] = static_cast<WCHAR>(in.Byte() | in.Byte() << 8);
  text[length] = 0;
  return text;
}

bool Binary(FuzzInput& in, void* parent, SBinary& bin) {
  std::string bytes = in.Bytes(in.Below(64));
  bin.cb = static_cast<ULONG>(bytes.size());
  bin.lpb = static_cast<LPBYTE>(More(parent, bin.cb));
  if (!bin.lpb) {
    bin.cb = 0;
    return false;
  }
  memcpy(bin.lpb, bytes.data(), bytes.size());
  return true;
}

template <class T> T* Array(FuzzInput& in, void* parent, ULONG* count) {
  *count = in.Below(6);
  return static_cast<T*>(More(parent, *count * sizeof(T)));
}

bool Multi(FuzzInput& in, void* parent, SPropValue& value) {
  ULONG count = 0;
  switch (PROP_TYPE(value.ulPropTag)) {
  case PT_MV_STRING8: {
    LPSTR* items = Array<LPSTR>(in, parent, &count);
    if (!items) return false;
    for (ULONG i = 0; i < count; ++i)
      if (!(items[i] = Text(in, parent))) return false;
    value.Value.MVszA = {count, items};
    return true;
  }
  case PT_MV_UNICODE: {
    LPWSTR* items = Array<LPWSTR>(in, parent, &count);
    if (!items) return false;
    for (ULONG i = 0; i < count; ++i)
      if (!(items[i] = WideText(in, parent))) return false;
    value.Value.MVszW = {count, items};
    return true;
  }
  case PT_MV_BINARY: {
    SBinary* items = Array<SBinary>(in, parent, &count);
    if (!items) return false;
    for (ULONG i = 0; i < count; ++i)
      if (!Binary(in, parent, items[i])) return false;
    value.Value.MVbin = {count, items};
    return true;
  }
  case PT_MV_LONG: {
    LONG* items = Array<LONG>(in, parent, &count);
    if (!items) return false;
    for (ULONG i = 0; i < count; ++i)
      items[i] = static_cast<LONG>(in.Word());
    value.Value.MVl = {count, items};
    return true;
  }
  case PT_MV_I2: {
    short* items = Array<short>(in, parent, &count);
    if (!items) return false;
    for (ULONG i = 0; i < count; ++i)
      items[i] = static_cast<short>(in.Word());
    value.Value.MVi = {count, items};
    return true;
  }
  default: {
    // Eight-byte items: I8, SYSTIME, DOUBLE, CLSID (sixteen) alike as far as memory goes.
    ULONG itemSize = PROP_TYPE(value.ulPropTag) == PT_MV_CLSID ? 16 : 8;
    count = in.Below(6);
    auto* items = static_cast<BYTE*>(More(parent, count * itemSize));
    if (!items) return false;
    std::string bytes = in.Bytes(count * itemSize);
    memset(items, 0, count * itemSize);
    memcpy(items, bytes.data(), bytes.size());
    // Every multi-valued member has the same count-then-pointer shape.
    value.Value.MVbin.cValues = count;
    value.Value.MVbin.lpbin = reinterpret_cast<SBinary*>(items);
    return true;
  }
  }
}

} // namespace

ULONG FuzzTag(FuzzInput& in) {
  uint8_t pick = in.Byte();
  ULONG id = pick < 200 ? PROP_ID(kKnownTags[pick % (sizeof kKnownTags / sizeof kKnownTags[0])])
                        : (in.Byte() | in.Byte() << 8);
  uint8_t typePick = in.Byte();
  constexpr ULONG kTypeCount = sizeof kTypes / sizeof kTypes[0];
  if (pick < 200 && typePick < 128)
    return PROP_TAG(PROP_TYPE(kKnownTags[pick % (sizeof kKnownTags / sizeof kKnownTags[0])]), id);
  if (typePick < 250) return PROP_TAG(kTypes[typePick % kTypeCount], id);
  return PROP_TAG(in.Byte() | in.Byte() << 8, id);
}

bool FuzzValue(FuzzInput& in, void* parent, SPropValue& value) {
  memset(&value.Value, 0, sizeof value.Value);
  value.dwAlignPad = 0;
  bool ok = true;
  switch (PROP_TYPE(value.ulPropTag)) {
  case PT_STRING8:
    ok = (value.Value.lpszA = Text(in, parent)) != nullptr;
    break;
  case PT_UNICODE:
    ok = (value.Value.lpszW = WideText(in, parent)) != nullptr;
    break;
  case PT_BINARY:
    ok = Binary(in, parent, value.Value.bin);
    break;
  case PT_CLSID: {
    auto* guid = static_cast<LPGUID>(More(parent, sizeof(GUID)));
    ok = guid != nullptr;
    if (!guid) break;
    std::string bytes = in.Bytes(sizeof(GUID));
    memset(guid, 0, sizeof(GUID));
    memcpy(guid, bytes.data(), bytes.size());
    value.Value.lpguid = guid;
    break;
  }
  case PT_MV_STRING8:
  case PT_MV_UNICODE:
  case PT_MV_BINARY:
  case PT_MV_LONG:
  case PT_MV_I2:
  case PT_MV_I8:
  case PT_MV_SYSTIME:
  case PT_MV_DOUBLE:
  case PT_MV_CLSID:
  case PT_MV_R4:
  case PT_MV_CURRENCY:
  case PT_MV_APPTIME:
    ok = Multi(in, parent, value);
    break;
  default:
    if (PROP_TYPE(value.ulPropTag) & MV_FLAG) {
      // A multi-valued type nobody knows: an empty array rather than made-up pointers.
      value.Value.MVl = {0, nullptr};
      break;
    }
    value.Value.li.LowPart = in.Word();
    value.Value.li.HighPart = static_cast<LONG>(in.Word());
    break;
  }
  if (!ok) {
    value.ulPropTag = PROP_TAG(PT_NULL, PROP_ID(value.ulPropTag));
    memset(&value.Value, 0, sizeof value.Value);
  }
  return ok;
}

LPSPropValue FuzzValues(FuzzInput& in, ULONG count) {
  void* block = nullptr;
  if (HostAllocateBuffer(count ? count * sizeof(SPropValue) : 1, &block) != S_OK) return nullptr;
  auto* values = static_cast<LPSPropValue>(block);
  for (ULONG i = 0; i < count; ++i) {
    values[i].ulPropTag = FuzzTag(in);
    FuzzValue(in, block, values[i]);
  }
  return values;
}

LPSPropTagArray FuzzTags(FuzzInput& in, ULONG count) {
  void* block = nullptr;
  if (HostAllocateBuffer(CbNewSPropTagArray(count), &block) != S_OK) return nullptr;
  auto* tags = static_cast<LPSPropTagArray>(block);
  tags->cValues = count;
  for (ULONG i = 0; i < count; ++i)
    tags->aulPropTag[i] = FuzzTag(in);
  return tags;
}

} // namespace abkfuzz
