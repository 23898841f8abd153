// Resolving typed names among a container's entries: the root container looks through the whole book,
// a group through its members. A name is matched against the contents table's rows as they stand.
#include "props/ab_container.h"
#include "props/entry_props.h"
#include "props/prop_values.h"
#include "props/recipient_row.h"
#include "provider/host_input.h"
#include "provider/scoped_lock.h"
#include "tables/row_filter.h"
#include "tables/table_data.h"

namespace abk {

namespace {

// What a recipient row is filled with when the host names no columns.
constexpr ConstTagArray<7> kResolvedTags = {7,
                                            {PR_ENTRYID, PR_DISPLAY_NAME, PR_ADDRTYPE, PR_BUSINESS_FAX_NUMBER,
                                             PR_HOME_FAX_NUMBER, PR_OBJECT_TYPE, PR_DISPLAY_TYPE}};

// The one row a typed name stands for: the only exact match, else the only prefix match. Null when
// there is none; *ambiguous when there are several.
const SRow* FindMatch(const TableData& table, WideView typed, bool* ambiguous) {
  const SRow* exact = nullptr;
  const SRow* prefix = nullptr;
  ULONG exactCount = 0, prefixCount = 0;
  for (ULONG i = 0; i < table.RowCount(); ++i) {
    const SRow* row = table.RowAt(i);
    MatchRank rank = MatchRow(*row, typed);
    if (rank == MatchRank::kExact && exactCount++ == 0) exact = row;
    if (rank == MatchRank::kPrefix && prefixCount++ == 0) prefix = row;
  }
  *ambiguous = exactCount > 1 || (exactCount == 0 && prefixCount > 1);
  if (exactCount == 1) return exact;
  return prefixCount == 1 ? prefix : nullptr;
}

// The row's values that it holds (not its error values), for filling a recipient row.
HRESULT ValuesOf(const SRow& row, PropList* values) {
  for (ULONG i = 0; i < row.cValues; ++i) {
    if (PROP_TYPE(row.lpProps[i].ulPropTag) == PT_ERROR) continue;
    HRESULT hr = values->AppendProp(row.lpProps[i]);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

bool WritableList(LPADRLIST list, LPFlagList flags) {
  if (!ReadableAdrList(list) || !Readable(flags) || flags->cFlags != list->cEntries) return false;
  if (list->cEntries == 0) return true;
  return !IsBadWritePtr(list->aEntries, list->cEntries * sizeof(ADRENTRY)) &&
         !IsBadWritePtr(flags->ulFlag, flags->cFlags * sizeof(ULONG));
}

} // namespace

// Each unresolved row's PR_DISPLAY_NAME is looked for: one entry found fills the row with the asked
// columns and marks it resolved, several mark it ambiguous, none leaves it as it was. A failure to fill a
// row (memory) ends the call with the rows before it done.
HRESULT STDMETHODCALLTYPE ABContainer::ResolveNames(LPSPropTagArray lpPropTagArray, ULONG ulFlags, LPADRLIST lpAdrList,
                                                    LPFlagList lpFlagList) {
  if (ulFlags & MAPI_UNICODE) return MAPI_E_BAD_CHARWIDTH;
  if (lpPropTagArray && !ReadableTagArray(lpPropTagArray, kMaxRecipientTags)) return E_INVALIDARG;
  if (!WritableList(lpAdrList, lpFlagList)) return E_INVALIDARG;
  LPSPropTagArray tags = lpPropTagArray ? lpPropTagArray : kResolvedTags.Get();

  TableData* table = nullptr;
  HRESULT hr = Contents(&table);
  if (FAILED(hr)) return hr;
  {
    ScopedLock rows(table->RowLock());
    FoldedText typed;
    for (ULONG i = 0; SUCCEEDED(hr) && i < lpAdrList->cEntries; ++i) {
      if (lpFlagList->ulFlag[i] != MAPI_UNRESOLVED) continue;
      ADRENTRY& entry = lpAdrList->aEntries[i];
      if (!ReadableValues(entry.rgPropVals, entry.cValues)) continue;
      const SPropValue* name = FindPropValue(entry.rgPropVals, entry.cValues, PR_DISPLAY_NAME);
      if (!name || !name->Value.lpszA) continue;
      FoldBookText(name->Value.lpszA, &typed);
      if (!typed.whole) continue;

      bool ambiguous = false;
      const SRow* match = FindMatch(*table, typed.View(), &ambiguous);
      if (ambiguous) lpFlagList->ulFlag[i] = MAPI_AMBIGUOUS;
      if (!match) continue;
      PropList values;
      hr = ValuesOf(*match, &values);
      if (SUCCEEDED(hr)) hr = RebuildRecipientRow(entry, tags, values);
      if (SUCCEEDED(hr)) lpFlagList->ulFlag[i] = MAPI_RESOLVED;
    }
  }
  table->Release();
  return FAILED(hr) ? hr : S_OK;
}

} // namespace abk
