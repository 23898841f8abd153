// Fuzz target: SetProps, GetProps, GetPropList, DeleteProps and SaveChanges with any tags and values, on
// a person, a group, the root container and new entries from the templates.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_book.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_values.h"

using namespace abkfuzz;

namespace {

// The template identifier the root container offers under tag; empty when it offers none.
std::string TemplateId(LPMAPIPROP root, ULONG tag) {
  SizedSPropTagArray(1, tags) = {1, {tag}};
  ULONG count = 0;
  LPSPropValue values = nullptr;
  if (FAILED(root->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), 0, &count, &values))) return "";
  std::string id;
  if (count == 1 && PROP_TYPE(values[0].ulPropTag) == PT_BINARY)
    id.assign(reinterpret_cast<char*>(values[0].Value.bin.lpb), values[0].Value.bin.cb);
  HostFreeBuffer(values);
  return id;
}

LPMAPIPROP NewEntry(LPMAPIPROP root, ULONG templateTag) {
  std::string id = TemplateId(root, templateTag);
  if (id.empty()) return nullptr;
  ExactBytes bytes(id);
  LPMAPIPROP entry = nullptr;
  if (FAILED(static_cast<IABContainer*>(root)->CreateEntry(bytes.Size(), bytes.Id(), 0, &entry))) return nullptr;
  return entry;
}

// The object the input works on, opened for writing where that is allowed.
LPMAPIPROP Target(FuzzInput& in, const FuzzBook& book, LPMAPIPROP root) {
  uint8_t pick = in.Byte();
  switch (pick % 6) {
  case 0:
  case 1:
    return static_cast<LPMAPIPROP>(
        OpenThroughSession(book, MakeId(book.persons[pick / 8 % book.persons.size()], 6, 0xFFFFFFFF, 4), MAPI_MODIFY));
  case 2:
    return static_cast<LPMAPIPROP>(
        OpenThroughSession(book, MakeId(book.groups[pick / 8 % book.groups.size()], 8, 0xFFFFFFFF, 4), MAPI_MODIFY));
  case 3:
    root->AddRef();
    return root;
  case 4:
    return NewEntry(root, PR_DEF_CREATE_MAILUSER);
  default:
    return NewEntry(root, PR_DEF_CREATE_DL);
  }
}

ULONG SaveFlags(FuzzInput& in) {
  static const ULONG kFlags[] = {0, KEEP_OPEN_READWRITE, KEEP_OPEN_READONLY, FORCE_SAVE};
  uint8_t pick = in.Byte();
  if (pick < 240) return kFlags[pick % 4];
  return in.Word();
}

void Step(FuzzInput& in, LPMAPIPROP object) {
  uint8_t op = in.Byte();
  switch ((op & 0x3F) % 6) {
  case 0:
  case 1: {
    ULONG count = in.Below(8);
    LPSPropValue values = FuzzValues(in, count);
    if (!values) return;
    LPSPropProblemArray problems = nullptr;
    object->SetProps(count, values, op & 0x80 ? nullptr : &problems);
    if (problems) HostFreeBuffer(problems);
    HostFreeBuffer(values);
    return;
  }
  case 2: {
    LPSPropTagArray tags = op & 0x80 ? nullptr : FuzzTags(in, in.Below(8));
    ULONG count = 0;
    LPSPropValue values = nullptr;
    if (SUCCEEDED(object->GetProps(tags, op & 0x40 ? MAPI_UNICODE : 0, &count, &values)) && values)
      HostFreeBuffer(values);
    if (tags) HostFreeBuffer(tags);
    return;
  }
  case 3: {
    LPSPropTagArray list = nullptr;
    if (SUCCEEDED(object->GetPropList(op & 0x80 ? MAPI_UNICODE : 0, &list)) && list) HostFreeBuffer(list);
    return;
  }
  case 4: {
    LPSPropTagArray tags = FuzzTags(in, in.Below(4));
    if (!tags) return;
    LPSPropProblemArray problems = nullptr;
    object->DeleteProps(tags, &problems);
    if (problems) HostFreeBuffer(problems);
    HostFreeBuffer(tags);
    return;
  }
  default:
    object->SaveChanges(SaveFlags(in));
    return;
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzBook& book = Book();
  // Saves change the book: every input starts from the book as first written.
  ResetBook(book);
  FuzzInput in(data, size);
  auto* root = static_cast<LPMAPIPROP>(OpenThroughSession(book, "", 0));
  if (!root) abort();
  LPMAPIPROP object = Target(in, book, root);
  for (int step = 0; object && step < 24 && !in.Empty(); ++step)
    Step(in, object);
  if (object) object->Release();
  root->Release();
  CheckHostBlocks(book);
  return 0;
}
