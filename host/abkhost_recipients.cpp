// abkhost recipients: recipient rows named by entry, filled by the provider's PrepareRecips; a group
// stands for its members, with the fax number the group chose for each.
#include <cstddef>
#include <string>

#include "host/abkhost_common.h"
#include "host/host_allocators.h"

namespace abkhost {

namespace {

const char kRecipientsHelp[] = "usage: abkhost [--book FILE] recipients NAME|ID...\n"
                               "  prepares a recipient row for each person (each member of a group, nested\n"
                               "  groups included) and prints its name and the fax number the fax is sent to\n";

// Collects the person rows a group stands for; nested groups are followed once each.
void Expand(Host& host, const EntryRow& row, std::vector<EntryRow>* people, std::vector<ULONG>* seen) {
  if (!row.IsGroup()) {
    people->push_back(row);
    return;
  }
  for (ULONG id : *seen)
    if (id == row.recordId) return;
  seen->push_back(row.recordId);
  std::vector<EntryRow> members;
  if (!host.ReadRows(&members, row.entryId)) return;
  for (const EntryRow& member : members)
    Expand(host, member, people, seen);
}

} // namespace

int RecipientsCommand(const GlobalOptions& options, int argc, char** argv) {
  std::vector<std::string> names;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return Help(kRecipientsHelp, false);
    names.push_back(arg);
  }
  if (names.empty()) return Help(kRecipientsHelp, true);
  Host host(options);
  if (!host.Load() || !host.Open()) return 1;
  std::vector<EntryRow> people;
  for (const std::string& name : names) {
    EntryRow row;
    if (!host.Find(name, &row)) return 1;
    std::vector<ULONG> seen;
    Expand(host, row, &people, &seen);
  }
  if (people.empty()) {
    printf("No recipients.\n");
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
    fprintf(stderr, "abkhost: the recipients could not be prepared (%s)\n", Code(hr).c_str());
    status = 1;
  }
  for (ULONG i = 0; status == 0 && i < list->cEntries; ++i) {
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
    std::string shown = ToTerminal(name);
    size_t width = 0;
    for (unsigned char c : shown)
      if ((c & 0xC0) != 0x80) ++width;
    shown += std::string(width < 30 ? 31 - width : 1, ' ');
    printf("%s%s\n", shown.c_str(), fax.empty() ? "(no fax number)" : ToTerminal(fax).c_str());
  }
  for (ULONG i = 0; i < list->cEntries; ++i)
    HostFreeBuffer(list->aEntries[i].rgPropVals);
  HostFreeBuffer(list);
  return status;
}

} // namespace abkhost
