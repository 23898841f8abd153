// The container's contents table: one row per listed entry, built once per container object and kept
// until the container is destroyed; every GetContentsTable hands out a new view on it.
#include <cstring>

#include "props/ab_container.h"
#include "props/entry_props.h"
#include "props/prop_values.h"
#include "provider/module_state.h"
#include "provider/session.h"
#include "tables/table_data.h"

static HRESULT NewContentsTable(LPTABLEDATA* table) {
  return CreateTableData(&IID_IMAPITableData, 0, TBLTYPE_DYNAMIC, PR_INSTANCE_KEY, kContentsColumns.Get(), table);
}

static HRESULT NewView(LPTABLEDATA table, LPMAPITABLE* view) { return table->HrGetView(nullptr, nullptr, 0, view); }

HRESULT STDMETHODCALLTYPE ABContainer::GetContentsTable(ULONG ulFlags, LPMAPITABLE* lppTable) {
  if (ulFlags & MAPI_UNICODE) return MAPI_E_BAD_CHARWIDTH;
  if (!lppTable || IsBadWritePtr(lppTable, sizeof *lppTable)) return E_INVALIDARG;
  *lppTable = nullptr;

  LockContainer();
  LPMAPITABLE view = nullptr;
  HRESULT hr;
  if (contents_) {
    hr = NewView(contents_, &view);
  } else if (Link().Members().Count() == 0) {
    hr = NewContentsTable(&contents_);
    if (SUCCEEDED(hr)) hr = NewView(contents_, &view);
  } else {
    hr = BuildContentsTable(&view);
  }
  if (SUCCEEDED(hr)) {
    view->AddRef(); // a new view has no reference of its own yet
    *lppTable = view;
  }
  UnlockContainer();
  return hr;
}

HRESULT ABContainer::BuildContentsTable(LPMAPITABLE* view) {
  LPTABLEDATA table = nullptr;
  HRESULT hr = NewContentsTable(&table);
  if (FAILED(hr)) return hr;

  const ProviderEntryId& self = Identifier();
  StoreLibrary& library = Link().Library();
  MemberList& members = Link().Members();
  PropList scratch;
  ContainerReader reader(library);
  // A book that cannot be read gives an empty table, as an entry that cannot be read is left out.
  bool readable = SUCCEEDED(reader.Open(self.self));
  for (ULONG i = 0; readable && i < members.Count(); ++i) {
    // An entry that cannot be read or shown is left out of the table; nobody is told.
    EntryKey key = members.At(i);
    scratch.Clear();
    if (FAILED(reader.Read(key, scratch))) continue;

    LPENTRYID rowId = nullptr;
    if (FAILED(MakeEntryId(Session(), 0, key.recordId, key.typeWord, &self, &rowId))) continue;
    SPropValue value{};
    value.ulPropTag = PR_ENTRYID;
    value.Value.bin = {ENTRYID_SIZE, reinterpret_cast<LPBYTE>(rowId)};
    HRESULT appended = scratch.AppendProp(value);
    abk::FreeBuffer(rowId);
    if (FAILED(appended)) continue;
    value.ulPropTag = PR_OBJECT_TYPE;
    value.Value.l = TypeWordForRecordId(key.recordId) == ENTRY_TYPE_GROUP ? MAPI_DISTLIST : MAPI_MAILUSER;
    if (FAILED(scratch.AppendProp(value))) continue;

    LPSPropValue row = nullptr;
    if (FAILED(BuildRow(scratch, &row))) continue;
    SRow modified{0, kContentsColumns.cValues, row};
    table->HrModifyRow(&modified);
    abk::FreeBuffer(row);
  }

  hr = NewView(table, view);
  if (FAILED(hr)) {
    table->Release();
    return hr;
  }
  if (contents_) contents_->Release();
  contents_ = table;
  return hr;
}

HRESULT ABContainer::BuildRow(PropList& scratch, LPSPropValue* result) {
  constexpr ULONG columns = kContentsColumns.cValues;
  void* block = nullptr;
  HRESULT hr = abk::AllocateBuffer(columns * sizeof(SPropValue), &block);
  if (FAILED(hr)) return hr;
  auto* row = static_cast<LPSPropValue>(block);
  memset(row, 0, columns * sizeof(SPropValue));

  for (ULONG i = 0; i < columns; ++i) {
    ULONG tag = kContentsColumns.aulPropTag[i];
    PropElement* element = scratch.FindProp(tag);
    if (!element || FAILED(CopyStoredValue(*element, row, &row[i]))) MakeNotFoundValue(&row[i], tag);
  }

  // The index column: the entry's record id, the first four bytes of its key in the row's identifier.
  SPropValue& instanceKey = row[CONTENTS_INSTANCE_KEY_COLUMN];
  const SPropValue& entryId = row[CONTENTS_ENTRYID_COLUMN];
  if (entryId.ulPropTag != PR_ENTRYID || entryId.Value.bin.cb < ENTRYID_SIZE) {
    MakeNotFoundValue(&instanceKey, PR_INSTANCE_KEY);
  } else {
    void* key = nullptr;
    hr = abk::AllocateMore(sizeof(ULONG), row, &key);
    if (FAILED(hr)) {
      abk::FreeBuffer(row);
      return hr;
    }
    memcpy(key, entryId.Value.bin.lpb + offsetof(ProviderEntryId, self), sizeof(ULONG));
    instanceKey.ulPropTag = PR_INSTANCE_KEY;
    instanceKey.Value.bin = {sizeof(ULONG), static_cast<LPBYTE>(key)};
  }
  *result = row;
  return MAPI_W_ERRORS_RETURNED;
}
