// The container's contents table: one row per listed entry, built once per container object and kept
// until the container is destroyed; every GetContentsTable hands out a new view on it.
#include <cstring>

#include "props/ab_container.h"
#include "props/entry_props.h"
#include "props/prop_values.h"
#include "provider/host_input.h"
#include "provider/module_state.h"
#include "provider/scoped_lock.h"
#include "provider/session.h"
#include "tables/table_data.h"

namespace abk {

// Rows keep the name parts too, for finding people, but views show only the contents columns.
static HRESULT NewContentsTable(LPTABLEDATA* table) {
  TableData* made = nullptr;
  HRESULT hr =
      CreateTableData(&IID_IMAPITableData, 0, TBLTYPE_DYNAMIC, PR_INSTANCE_KEY, kContentsRowColumns.Get(), &made);
  if (FAILED(hr)) return hr;
  made->ShowColumns(kContentsColumns.Get());
  *table = made;
  return hr;
}

// Running out of memory ends the whole table: a table quietly missing rows would pass for the book.
static bool IsOutOfMemory(HRESULT hr) { return hr == E_OUTOFMEMORY || hr == MAPI_E_NOT_ENOUGH_MEMORY; }

// Only an entry the book does not hold is left out of a table: a group keeps the members of entries
// deleted since. Any other failure to read an entry ends the table, as a book that cannot be read does.
static bool LeavesTheRowOut(HRESULT hr) { return hr == MAPI_E_NOT_FOUND; }

static HRESULT NewView(LPTABLEDATA table, LPMAPITABLE* view) { return table->HrGetView(nullptr, nullptr, 0, view); }

HRESULT STDMETHODCALLTYPE ABContainer::GetContentsTable(ULONG ulFlags, LPMAPITABLE* lppTable) {
  if (ulFlags & MAPI_UNICODE) return MAPI_E_BAD_CHARWIDTH;
  if (!Writable(lppTable)) return E_INVALIDARG;
  *lppTable = nullptr;

  TableData* table = nullptr;
  HRESULT hr = Contents(&table);
  if (FAILED(hr)) return hr;
  LPMAPITABLE view = nullptr;
  hr = NewView(table, &view);
  table->Release();
  if (SUCCEEDED(hr)) *lppTable = view;
  return hr;
}

HRESULT ABContainer::Contents(TableData** table) {
  ScopedLock container(containerLock_);
  if (!contents_) {
    HRESULT hr = Link().MembersRead(); // the book could not be listed, or the member list is partial
    if (FAILED(hr)) return hr;
    hr = Link().Members().Count() == 0 ? NewContentsTable(&contents_) : BuildContentsTable();
    if (FAILED(hr)) return hr;
  }
  contents_->AddRef();
  *table = static_cast<TableData*>(contents_);
  return S_OK;
}

HRESULT ABContainer::BuildContentsTable() {
  LPTABLEDATA table = nullptr;
  HRESULT hr = NewContentsTable(&table);
  if (FAILED(hr)) return hr;

  ContainerReader reader(Link().Library());
  hr = reader.Open(Identifier().self);
  MemberList& members = Link().Members();
  PropList scratch;
  for (ULONG i = 0; SUCCEEDED(hr) && i < members.Count(); ++i) {
    hr = AppendRow(table, reader, members.At(i), scratch);
    scratch.Clear();
    if (LeavesTheRowOut(hr)) hr = S_OK;
  }
  if (FAILED(hr)) {
    table->Release();
    return hr;
  }
  contents_ = table;
  return hr;
}

// One entry's row.
HRESULT ABContainer::AppendRow(LPTABLEDATA table, ContainerReader& reader, EntryKey key, PropList& scratch) {
  HRESULT hr = reader.Read(key, scratch);
  if (FAILED(hr)) return hr;

  LPENTRYID rowId = nullptr;
  hr = MakeEntryId(Session(), 0, key.recordId, key.typeWord, &Identifier(), &rowId);
  if (FAILED(hr)) return hr;
  SPropValue value{};
  value.ulPropTag = PR_ENTRYID;
  value.Value.bin = {kEntryIdSize, reinterpret_cast<LPBYTE>(rowId)};
  hr = scratch.AppendProp(value);
  FreeBuffer(rowId);
  if (FAILED(hr)) return hr;
  value.ulPropTag = PR_OBJECT_TYPE;
  value.Value.l = TypeWordForRecordId(key.recordId) == kEntryTypeGroup ? MAPI_DISTLIST : MAPI_MAILUSER;
  hr = scratch.AppendProp(value);
  if (FAILED(hr)) return hr;

  LPSPropValue row = nullptr;
  hr = BuildRow(scratch, &row);
  if (FAILED(hr)) return hr;
  SRow modified{0, kContentsRowColumns.cValues, row};
  hr = table->HrModifyRow(&modified);
  FreeBuffer(row);
  return hr;
}

HRESULT ABContainer::BuildRow(PropList& scratch, LPSPropValue* result) {
  constexpr ULONG columns = kContentsRowColumns.cValues;
  void* block = nullptr;
  HRESULT hr = AllocateBuffer(columns * sizeof(SPropValue), &block);
  if (FAILED(hr)) return hr;
  auto* row = static_cast<LPSPropValue>(block);
  memset(row, 0, columns * sizeof(SPropValue));

  for (ULONG i = 0; i < columns; ++i) {
    ULONG tag = kContentsRowColumns.aulPropTag[i];
    PropElement* element = scratch.FindProp(tag);
    HRESULT copied = element ? CopyStoredValue(*element, row, &row[i]) : MAPI_E_NOT_FOUND;
    // A value missing for want of memory would read as an empty column, which a caller could take for
    // the entry's own (and write back); the row fails instead, and with it the table.
    if (IsOutOfMemory(copied)) {
      FreeBuffer(row);
      return copied;
    }
    if (FAILED(copied)) MakeNotFoundValue(&row[i], tag);
  }

  // The index column: the entry's record id, the first four bytes of its key in the row's identifier.
  SPropValue& instanceKey = row[kContentsInstanceKeyColumn];
  const SPropValue& entryId = row[kContentsEntryIdColumn];
  if (entryId.ulPropTag != PR_ENTRYID || entryId.Value.bin.cb < kEntryIdSize) {
    MakeNotFoundValue(&instanceKey, PR_INSTANCE_KEY);
  } else {
    void* key = nullptr;
    hr = AllocateMore(sizeof(ULONG), row, &key);
    if (FAILED(hr)) {
      FreeBuffer(row);
      return hr;
    }
    memcpy(key, entryId.Value.bin.lpb + offsetof(ProviderEntryId, self), sizeof(ULONG));
    instanceKey.ulPropTag = PR_INSTANCE_KEY;
    instanceKey.Value.bin = {sizeof(ULONG), static_cast<LPBYTE>(key)};
  }
  *result = row;
  return MAPI_W_ERRORS_RETURNED;
}

} // namespace abk
