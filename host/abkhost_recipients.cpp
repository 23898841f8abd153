// abkhost recipients: recipient rows named by entry, filled by the provider's PrepareRecips; a group
// stands for its members, with the fax number the group chose for each.
#include <cstddef>
#include <string>

#include "host/abkhost_commands.h"
#include "host/host_allocators.h"
#include "host/name_lookup.h"

namespace abkhost {

namespace {

// Collects the person rows a group stands for; nested groups are followed once each. False, with the
// reason printed, when a group's members cannot be read: a partial list is never shown as the whole.
bool Expand(Host& host, const EntryRow& row, std::vector<EntryRow>* people, std::vector<ULONG>* seen) {
  if (!row.IsGroup()) {
    people->push_back(row);
    return true;
  }
  for (ULONG id : *seen)
    if (id == row.recordId) return true;
  seen->push_back(row.recordId);
  std::vector<EntryRow> members;
  if (!host.ReadRows(&members, row.entryId)) return false;
  for (const EntryRow& member : members)
    if (!Expand(host, member, people, seen)) return false;
  return true;
}

// Asks the root container to resolve what was typed: the entry's identifier when exactly one entry
// stands for it, else empty, with *ambiguous set when several do.
bool ResolveTyped(IABContainer* root, const std::string& typed, std::string* entryId, bool* ambiguous) {
  host::TypedNames names;
  HRESULT hr = names.Make({typed});
  SizedSPropTagArray(1, wanted) = {1, {PR_ENTRYID}};
  if (SUCCEEDED(hr))
    hr = root->ResolveNames(reinterpret_cast<LPSPropTagArray>(&wanted), 0, names.List(), names.Flags());
  if (FAILED(hr)) {
    Err("abkhost: names could not be resolved (%s)\n", Code(hr).c_str());
    return false;
  }
  const SPropValue& first = names.First(0);
  if (names.Flag(0) == MAPI_RESOLVED && first.ulPropTag == PR_ENTRYID)
    entryId->assign(reinterpret_cast<const char*>(first.Value.bin.lpb), first.Value.bin.cb);
  *ambiguous = names.Flag(0) == MAPI_AMBIGUOUS;
  return true;
}

// A number or a whole name names an entry as everywhere else; any other text is resolved by the
// provider, and must stand for exactly one entry. False after printing why (with the candidates).
bool FindRecipient(Host& host, IABContainer* root, const std::vector<EntryRow>& rows, const std::string& typed,
                   EntryRow* found) {
  bool lost = false;
  std::string name = ToBook(typed, &lost);
  bool whole = IsNumber(typed);
  for (const EntryRow& row : rows)
    whole = whole || (!lost && row.name == name);
  if (whole || lost) {
    const EntryRow* row = FindEntry(rows, typed);
    if (row) *found = *row;
    return row != nullptr;
  }
  std::string entryId;
  bool ambiguous = false;
  if (!ResolveTyped(root, name, &entryId, &ambiguous)) return false;
  for (const EntryRow& row : rows)
    if (!entryId.empty() && row.entryId == entryId) {
      *found = row;
      return true;
    }
  if (!ambiguous) {
    Err("abkhost: no entry matches '%s'\n", EscapeControls(typed).c_str());
    return false;
  }
  std::vector<EntryRow> candidates;
  host::AnrRestriction anr(name);
  if (!host.ReadRows(root, &candidates, anr.Get())) return false;
  std::string list;
  for (const EntryRow& row : candidates)
    list += (list.empty() ? "" : ", ") + std::to_string(row.recordId) + " " + EscapeControls(FromBook(row.name));
  Err("abkhost: '%s' matches %zu entries: %s; type more of the name, or the number\n", EscapeControls(typed).c_str(),
      candidates.size(), list.c_str());
  return false;
}

} // namespace

int RecipientsCommand(const GlobalOptions& options, const std::vector<std::string>& names) {
  Host host(options);
  if (!host.Load() || !host.Open()) return 1;
  // One root container lists the book once for the names, their resolving and any candidates.
  IABContainer* root = host.OpenContainer();
  if (!root) return 1;
  std::vector<EntryRow> people, rows;
  bool found = host.ReadRows(root, &rows);
  for (size_t n = 0; found && n < names.size(); ++n) {
    EntryRow row;
    found = FindRecipient(host, root, rows, names[n], &row);
    std::vector<ULONG> seen;
    if (found) found = Expand(host, row, &people, &seen);
  }
  root->Release();
  if (!found) return 1;
  if (people.empty()) {
    Out("No recipients.\n");
    return 0;
  }

  LPADRLIST list = nullptr;
  ULONG size = static_cast<ULONG>(offsetof(ADRLIST, aEntries) + people.size() * sizeof(ADRENTRY));
  if (FAILED(HostAllocateBuffer(size, reinterpret_cast<LPVOID*>(&list)))) return 1;
  memset(list, 0, size);
  list->cEntries = static_cast<ULONG>(people.size());
  for (size_t i = 0; i < people.size(); ++i) {
    LPSPropValue values = nullptr;
    if (FAILED(HostAllocateBuffer(2 * sizeof(SPropValue), reinterpret_cast<LPVOID*>(&values)))) return 1;
    LPBYTE bytes = nullptr;
    HostAllocateMore(static_cast<ULONG>(people[i].entryId.size()), values, reinterpret_cast<LPVOID*>(&bytes));
    memcpy(bytes, people[i].entryId.data(), people[i].entryId.size());
    values[0].ulPropTag = PR_ENTRYID;
    values[0].Value.bin = {static_cast<ULONG>(people[i].entryId.size()), bytes};
    values[1].ulPropTag = PR_RECIPIENT_TYPE;
    values[1].Value.l = MAPI_TO;
    list->aEntries[i].cValues = 2;
    list->aEntries[i].rgPropVals = values;
  }
  SizedSPropTagArray(3, wanted) = {3, {PR_DISPLAY_NAME, PR_BUSINESS_FAX_NUMBER, PR_HOME_FAX_NUMBER}};
  HRESULT hr = host.session->PrepareRecips(0, reinterpret_cast<LPSPropTagArray>(&wanted), list);
  int status = 0;
  if (FAILED(hr)) {
    Err("abkhost: the recipients could not be prepared (%s)\n", Code(hr).c_str());
    status = 1;
  }
  for (ULONG i = 0; SUCCEEDED(hr) && i < list->cEntries; ++i) {
    const ADRENTRY& entry = list->aEntries[i];
    std::string name, fax;
    for (ULONG v = 0; v < entry.cValues && v < 3; ++v) {
      const SPropValue& value = entry.rgPropVals[v];
      if (PROP_TYPE(value.ulPropTag) != PT_STRING8 || !value.Value.lpszA) continue;
      if (v == 0)
        name = value.Value.lpszA;
      else if (fax.empty())
        fax = value.Value.lpszA;
    }
    std::string shown = EscapeControls(FromBook(name));
    size_t width = DisplayWidth(shown);
    if (fax.empty()) {
      Err("abkhost: %s has no fax number\n", shown.c_str());
      status = 1;
    }
    shown += std::string(width < 30 ? 31 - width : 1, ' ');
    Out("%s%s\n", shown.c_str(), fax.empty() ? "(no fax number)" : EscapeControls(FromBook(fax)).c_str());
  }
  for (ULONG i = 0; i < list->cEntries; ++i)
    HostFreeBuffer(list->aEntries[i].rgPropVals);
  HostFreeBuffer(list);
  return status;
}

} // namespace abkhost
