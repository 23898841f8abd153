// Reading every row of a container or a group for the dialogs, through the session and a contents table.
#include "dialogs/dialog_common.h"
#include "props/entry_props.h"
#include "provider/session.h"

namespace abk {

namespace {

// The contents table of the container or group an identifier names; null when it names neither.
HRESULT OpenContentsTable(AddressBookSession* session, ULONG idSize, LPENTRYID id, LPMAPITABLE* table) {
  ULONG type = 0;
  LPUNKNOWN object = nullptr;
  HRESULT hr = session->OpenEntry(idSize, id, nullptr, MAPI_BEST_ACCESS, &type, &object);
  if (FAILED(hr)) return hr;
  if (!object) return MAPI_E_CALL_FAILED;
  hr = type == MAPI_ABCONT || type == MAPI_DISTLIST ? static_cast<LPABCONT>(object)->GetContentsTable(0, table)
                                                    : MAPI_E_INVALID_ENTRYID;
  object->Release();
  return hr;
}

HRESULT QueryAllRows(LPMAPITABLE table, LPSRowSet* rows) {
  ULONG count = 0;
  HRESULT hr = table->SetColumns(kDialogRowColumns.Get(), 0);
  if (SUCCEEDED(hr)) hr = table->SeekRow(BOOKMARK_BEGINNING, 0, nullptr);
  if (SUCCEEDED(hr)) hr = table->GetRowCount(0, &count);
  if (FAILED(hr) || count == 0) return hr;
  return table->QueryRows(static_cast<LONG>(count), 0, rows);
}

} // namespace

bool ReadContainerRows(AddressBookSession* session, ULONG idSize, LPENTRYID id, ULONG, LPSRowSet* rows,
                       HRESULT* failure) {
  if (!session || !rows) return false;
  LPMAPITABLE table = nullptr;
  HRESULT hr = OpenContentsTable(session, idSize, id, &table);
  if (SUCCEEDED(hr)) {
    hr = QueryAllRows(table, rows);
    table->Release();
  }
  if (FAILED(hr) && failure) *failure = hr;
  return SUCCEEDED(hr);
}

} // namespace abk
