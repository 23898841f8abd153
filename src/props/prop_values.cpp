// Copying, finding, comparing and reporting missing property values.
#include "props/prop_values.h"

#include <cstring>

#include "provider/module_state.h"

namespace abk {

size_t WideStringBytes(const WCHAR* text) {
  size_t length = 0;
  while (text[length])
    ++length;
  return (length + 1) * sizeof(WCHAR);
}

HRESULT CopyPropValue(SPropValue* destination, const SPropValue* source, void* parent) {
  memset(destination, 0, sizeof *destination);
  destination->ulPropTag = source->ulPropTag;

  const void* bytes = nullptr;
  size_t size = 0;
  void** target = nullptr;
  switch (PROP_TYPE(source->ulPropTag)) {
  case PT_STRING8:
    bytes = source->Value.lpszA;
    size = bytes ? strlen(source->Value.lpszA) + 1 : 0;
    target = reinterpret_cast<void**>(&destination->Value.lpszA);
    break;
  case PT_UNICODE:
    bytes = source->Value.lpszW;
    size = bytes ? WideStringBytes(source->Value.lpszW) : 0;
    target = reinterpret_cast<void**>(&destination->Value.lpszW);
    break;
  case PT_CLSID:
    bytes = source->Value.lpguid;
    size = sizeof(GUID);
    target = reinterpret_cast<void**>(&destination->Value.lpguid);
    break;
  case PT_BINARY:
    destination->Value.bin.cb = source->Value.bin.cb;
    bytes = source->Value.bin.lpb;
    size = source->Value.bin.cb;
    target = reinterpret_cast<void**>(&destination->Value.bin.lpb);
    break;
  default:
    if (source->ulPropTag & MV_FLAG) return MAPI_E_NO_SUPPORT;
    memcpy(&destination->Value, &source->Value, 8);
    return S_OK;
  }
  if (!bytes || size == 0) return S_OK;
  void* block = nullptr;
  HRESULT hr = AllocateMore(static_cast<ULONG>(size), parent, &block);
  if (FAILED(hr)) return hr;
  memcpy(block, bytes, size);
  *target = block;
  return S_OK;
}

const SPropValue* FindPropValue(const SPropValue* values, ULONG count, ULONG tag) {
  for (ULONG i = 0; i < count; ++i)
    if (values[i].ulPropTag == tag) return &values[i];
  return nullptr;
}

// -1, 0 or 1 by the first differing byte, read unsigned.
static LONG CompareBytes(const void* a, const void* b, size_t size) {
  int order = memcmp(a, b, size);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// The difference truncated toward zero, as a LONG. A difference beyond the LONG range (or NaN) cannot be
// converted, so it is held at the range's ends; NaN orders after every number and equals only NaN.
static LONG FloatDifference(double a, double b) {
  if (a != a || b != b) return (a != a) == (b != b) ? 0 : (a != a ? 1 : -1);
  double difference = a - b;
  if (difference != difference) return 0; // the same infinity on both sides
  if (difference >= 2147483647.0) return 0x7FFFFFFF;
  if (difference <= -2147483648.0) return -0x7FFFFFFF - 1;
  return static_cast<LONG>(difference);
}

LONG ComparePropValues(const SPropValue* a, const SPropValue* b, ULONG type) {
  switch (PROP_TYPE(type)) {
  case PT_I2:
    return static_cast<LONG>(a->Value.i) - static_cast<LONG>(b->Value.i);
  case PT_LONG:
    return static_cast<LONG>(static_cast<ULONG>(a->Value.l) - static_cast<ULONG>(b->Value.l));
  case PT_R4:
    return FloatDifference(a->Value.flt, b->Value.flt);
  case PT_DOUBLE:
    return FloatDifference(a->Value.dbl, b->Value.dbl);
  case PT_BOOLEAN:
    return (a->Value.b == 0) == (b->Value.b == 0) ? 0 : 1;
  case PT_STRING8:
    return lstrcmpA(a->Value.lpszA, b->Value.lpszA);
  case PT_UNICODE: {
    const WCHAR* x = a->Value.lpszW;
    const WCHAR* y = b->Value.lpszW;
    while (*x && *x == *y)
      ++x, ++y;
    return static_cast<LONG>(*x) - static_cast<LONG>(*y);
  }
  case PT_CLSID:
    return CompareBytes(a->Value.lpguid, b->Value.lpguid, sizeof(GUID));
  case PT_BINARY:
    if (a->Value.bin.cb != b->Value.bin.cb) return static_cast<LONG>(a->Value.bin.cb - b->Value.bin.cb);
    if (a->Value.bin.cb == 0) return 0;
    return CompareBytes(a->Value.bin.lpb, b->Value.bin.lpb, a->Value.bin.cb);
  default:
    return 0;
  }
}

HRESULT MakeNotFoundValue(SPropValue* destination, ULONG tag) {
  destination->ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(tag));
  destination->Value.err = MAPI_E_NOT_FOUND;
  return MAPI_W_ERRORS_RETURNED;
}

} // namespace abk
