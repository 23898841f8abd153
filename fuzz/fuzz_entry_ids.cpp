// Fuzz target: identifiers of any shape handed to every call that takes one, on the session, the root
// container and a group. Details and NewEntry are left out: they show dialogs.
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_book.h"
#include "fuzz/fuzz_input.h"
#include "host/advise_recorder.h"

using namespace abkfuzz;

namespace {

// Flags a host passes to OpenEntry, and now and then any word.
ULONG OpenFlags(FuzzInput& in) {
  static const ULONG kFlags[] = {0, MAPI_MODIFY, MAPI_BEST_ACCESS, MAPI_DEFERRED_ERRORS};
  uint8_t pick = in.Byte();
  if (pick < 240) return kFlags[pick % 4];
  return in.Word();
}

// Reads every property of an opened object, as a host listing it would.
void ReadAll(LPUNKNOWN object) {
  ULONG count = 0;
  LPSPropValue values = nullptr;
  if (SUCCEEDED(static_cast<LPMAPIPROP>(object)->GetProps(nullptr, 0, &count, &values))) HostFreeBuffer(values);
}

void OpenIn(IABContainer* container, const std::string& id, ULONG flags) {
  if (!container) return;
  ExactBytes bytes(id);
  ULONG type = 0;
  LPUNKNOWN object = nullptr;
  if (FAILED(container->OpenEntry(bytes.Size(), bytes.Size() ? bytes.Id() : nullptr, nullptr, flags, &type, &object)))
    return;
  if (!object) return;
  ReadAll(object);
  object->Release();
}

void CompareIds(const FuzzBook& book, const std::string& first, const std::string& second) {
  ExactBytes a(first), b(second);
  ULONG result = 0;
  book.session->CompareEntryIDs(a.Size(), a.Size() ? a.Id() : nullptr, b.Size(), b.Size() ? b.Id() : nullptr, 0,
                                &result);
}

// One recipient row holding the identifier (and a name), as a host's recipient list would.
void Prepare(const FuzzBook& book, const std::string& id) {
  ExactBytes bytes(id);
  void* block = nullptr;
  if (HostAllocateBuffer(CbNewADRLIST(1), &block) != S_OK) return;
  auto* list = static_cast<ADRLIST*>(block);
  list->cEntries = 1;
  void* values = nullptr;
  if (HostAllocateBuffer(2 * sizeof(SPropValue), &values) != S_OK) {
    HostFreeBuffer(list);
    return;
  }
  auto* row = static_cast<LPSPropValue>(values);
  row[0].ulPropTag = PR_DISPLAY_NAME_A;
  row[0].Value.lpszA = const_cast<LPSTR>("Someone");
  row[1].ulPropTag = PR_ENTRYID;
  row[1].Value.bin = {bytes.Size(), bytes.Data()};
  list->aEntries[0].cValues = 2;
  list->aEntries[0].rgPropVals = row;
  SizedSPropTagArray(4, tags) = {4, {PR_DISPLAY_NAME_A, PR_ENTRYID, PR_BUSINESS_FAX_NUMBER_A, PR_OBJECT_TYPE}};
  book.session->PrepareRecips(0, reinterpret_cast<LPSPropTagArray>(&tags), list);
  HostFreeBuffer(list->aEntries[0].rgPropVals);
  HostFreeBuffer(list);
}

void DeleteFrom(IABContainer* container, const std::string& first, const std::string& second, bool both) {
  if (!container) return;
  ExactBytes a(first), b(second);
  SBinary ids[2] = {{a.Size(), a.Data()}, {b.Size(), b.Data()}};
  ENTRYLIST list{both ? 2u : 1u, ids};
  container->DeleteEntries(&list, 0);
}

void CopyInto(IABContainer* container, const std::string& first, const std::string& second, bool both) {
  if (!container) return;
  ExactBytes a(first), b(second);
  SBinary ids[2] = {{a.Size(), a.Data()}, {b.Size(), b.Data()}};
  ENTRYLIST list{both ? 2u : 1u, ids};
  container->CopyEntries(&list, 0, nullptr, 0);
}

// CreateEntry with any identifier as the template; the new entry is dropped unsaved.
void CreateFrom(IABContainer* container, const std::string& id) {
  if (!container) return;
  ExactBytes bytes(id);
  LPMAPIPROP entry = nullptr;
  if (FAILED(container->CreateEntry(bytes.Size(), bytes.Size() ? bytes.Id() : nullptr, 0, &entry))) return;
  if (entry) entry->Release();
}

// Lists a container the way a host does after a change: every row of its contents table.
void ListContents(IABContainer* container) {
  if (!container) return;
  LPMAPITABLE table = nullptr;
  if (FAILED(container->GetContentsTable(0, &table)) || !table) return;
  LPSRowSet rows = nullptr;
  if (SUCCEEDED(table->QueryRows(0x7FFFFFFF, 0, &rows)) && rows) {
    for (ULONG r = 0; r < rows->cRows; ++r)
      HostFreeBuffer(rows->aRow[r].lpProps);
    HostFreeBuffer(rows);
  }
  table->Release();
}

// An advise registration on the identifier, dropped at once; the event mask is the input's.
void AdviseOn(const FuzzBook& book, const std::string& id, ULONG mask) {
  static host::AdviseRecorder* sink = new host::AdviseRecorder;
  ExactBytes bytes(id);
  ULONG connection = 0;
  if (FAILED(book.session->Advise(bytes.Size(), bytes.Size() ? bytes.Id() : nullptr, mask, sink, &connection))) return;
  book.session->Unadvise(connection);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzBook& book = Book();
  // Deletions and copies change the book: every input starts from the book as first written.
  ResetBook(book);
  FuzzInput in(data, size);
  auto* root = static_cast<IABContainer*>(OpenThroughSession(book, "", 0));
  std::string groupId = MakeId(book.groups[1], 8, 0xFFFFFFFF, 4);
  auto* group = static_cast<IABContainer*>(OpenThroughSession(book, groupId, MAPI_MODIFY));

  for (int step = 0; step < 16 && !in.Empty(); ++step) {
    uint8_t op = in.Byte();
    std::string id = FuzzId(in, book);
    switch ((op & 0x7F) % 13) {
    case 0: {
      LPUNKNOWN object = OpenThroughSession(book, id, OpenFlags(in));
      if (object) {
        ReadAll(object);
        object->Release();
      }
      break;
    }
    case 1:
      CompareIds(book, id, FuzzId(in, book));
      break;
    case 2:
      Prepare(book, id);
      break;
    case 3:
      OpenIn(root, id, OpenFlags(in));
      break;
    case 4:
      OpenIn(group, id, OpenFlags(in));
      break;
    case 5:
      DeleteFrom(root, id, FuzzId(in, book), op & 0x80);
      break;
    case 6:
      DeleteFrom(group, id, FuzzId(in, book), op & 0x80);
      break;
    case 7:
      CopyInto(group, id, FuzzId(in, book), op & 0x80);
      break;
    case 8:
      CopyInto(root, id, FuzzId(in, book), op & 0x80);
      break;
    case 9:
      CreateFrom(op & 0x80 ? group : root, id);
      break;
    case 10:
      ListContents(op & 0x80 ? group : root);
      break;
    case 11:
      AdviseOn(book, id, op & 0x80 ? in.Word() : fnevObjectModified | fnevObjectDeleted);
      break;
    default:
      CompareIds(book, id, id);
      break;
    }
  }
  if (group) group->Release();
  if (root) root->Release();
  CheckHostBlocks(book);
  return 0;
}
