// Reading every row of a container or a group for the dialogs, through the session and a contents table.
#include "dialogs/dialog_common.h"
#include "props/entry_props.h"
#include "provider/session.h"

namespace abk {

namespace {

// The contents table of the container or group an identifier names; null when it names neither.
LPMAPITABLE OpenContentsTable(AddressBookSession* session, ULONG idSize, LPENTRYID id) {
  ULONG type = 0;
  LPUNKNOWN object = nullptr;
  if (FAILED(session->OpenEntry(idSize, id, nullptr, MAPI_BEST_ACCESS, &type, &object)) || !object) return nullptr;
  LPMAPITABLE table = nullptr;
  if (type == MAPI_ABCONT || type == MAPI_DISTLIST) {
    if (FAILED(static_cast<LPABCONT>(object)->GetContentsTable(0, &table))) table = nullptr;
  }
  object->Release();
  return table;
}

bool QueryAllRows(LPMAPITABLE table, LPSRowSet* rows) {
  ULONG count = 0;
  if (FAILED(table->SetColumns(kDialogRowColumns.Get(), 0))) return false;
  if (FAILED(table->SeekRow(BOOKMARK_BEGINNING, 0, nullptr))) return false;
  if (FAILED(table->GetRowCount(0, &count))) return false;
  if (count == 0) return true;
  return SUCCEEDED(table->QueryRows(static_cast<LONG>(count), 0, rows));
}

} // namespace

bool ReadContainerRows(AddressBookSession* session, ULONG idSize, LPENTRYID id, ULONG, LPSRowSet* rows) {
  if (!session || !rows) return false;
  LPMAPITABLE table = OpenContentsTable(session, idSize, id);
  if (!table) return false;
  bool read = QueryAllRows(table, rows);
  table->Release();
  return read;
}

} // namespace abk
