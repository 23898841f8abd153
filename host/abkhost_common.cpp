// Shared pieces of the abkhost commands.
#include "host/abkhost_common.h"

#include <algorithm>
#include <cstring>

#include "host/host_allocators.h"
#include "host/name_lookup.h"
#include "host/profile_file.h"
#include "props/entry_props.h"
#include "resources/resource.h"
#include "rules/fax_number.h"

namespace abkhost {

namespace {

// The service instance this tool's profile describes when the profile file names none.
const BYTE kToolServiceUid[16] = {0x61, 0x62, 0x6B, 0x68, 0x6F, 0x73, 0x74, 0x00,
                                  0x53, 0x65, 0x72, 0x76, 0x69, 0x63, 0x65, 0x01};

const char* ProviderFileName() {
#ifdef _WIN32
  return "ABKPRV01.DLL";
#else
  return "libabkprv01.so";
#endif
}

std::string StringValue(const SPropValue& value) {
  return PROP_TYPE(value.ulPropTag) == PT_STRING8 && value.Value.lpszA ? value.Value.lpszA : "";
}

void FreeRows(LPSRowSet rows) {
  if (!rows) return;
  for (ULONG i = 0; i < rows->cRows; ++i)
    HostFreeBuffer(rows->aRow[i].lpProps);
  HostFreeBuffer(rows);
}

} // namespace

// The code, and for the failures a user can act on, what they mean.
std::string Code(HRESULT hr) {
  char text[16];
  snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(static_cast<ULONG>(hr)));
  std::string code = text;
  switch (hr) {
  case MAPI_E_CORRUPT_DATA:
    return code + ": the book is damaged, 'abkhost check' says where";
  case MAPI_E_DISK_ERROR:
    return code + ": the book file cannot be read or written";
  case MAPI_E_NOT_ENOUGH_DISK:
    return code + ": the disk is full";
  case MAPI_E_BUSY:
    return code + ": another program keeps the book busy";
  default:
    return code;
  }
}

bool IsNumber(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

void SplitMember(const std::string& text, std::string* name, ULONG* selection) {
  *selection = 0;
  *name = text;
  size_t colon = text.rfind(':');
  if (colon == std::string::npos) return;
  std::string which = text.substr(colon + 1);
  if (which == "primary")
    *selection = abk::kFaxSelectPrimary;
  else if (which == "secondary")
    *selection = abk::kFaxSelectSecondary;
  else
    return; // a colon inside the name
  *name = text.substr(0, colon);
}

bool IsVcard(const std::string& format, const std::string& file) {
  if (format != "auto") return format == "vcard";
  std::string end = file.size() >= 4 ? file.substr(file.size() - 4) : "";
  for (char& c : end)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return end == ".vcf";
}

const char* TypeName(const EntryRow& row) { return row.IsGroup() ? "group" : "person"; }

const std::string* PersonFields::Get(const char* option) const {
  for (const auto& [name, value] : values)
    if (name == option) return &value;
  return nullptr;
}

std::string ProviderString(HINSTANCE module, UINT id) {
  char text[512] = "";
  LoadStringA(module, id, text, sizeof text);
  // One line: the message boxes' line breaks joined by a space.
  std::string line;
  for (const char* c = text; *c; ++c) {
    if (*c != '\n') {
      line += *c;
      continue;
    }
    while (!line.empty() && line.back() == ' ')
      line.pop_back();
    line += ' ';
    while (c[1] == ' ')
      ++c;
  }
  return FromBook(line);
}

std::string FaxRefusal(HINSTANCE module, const std::string& bookNumber) {
  abk::FaxNumberCheck check = abk::CheckFaxNumberText(bookNumber.c_str());
  if (!check.message) return std::string();
  std::string text = ProviderString(module, check.message);
  if (check.message != IDS_FAX_INVALID_CHARS) return text;
  std::string refused = FromBook(bookNumber.substr(check.refused, 1));
  if (refused == " ") refused = "space";
  return text + " (" + FromBook(bookNumber) + ": '" + EscapeControls(refused) + "' is not allowed)";
}

const EntryRow* FindEntry(const std::vector<EntryRow>& rows, const std::string& nameOrId) {
  if (IsNumber(nameOrId)) {
    for (const EntryRow& row : rows)
      if (std::to_string(row.recordId) == nameOrId) return &row;
    Err("abkhost: no entry has the number %s\n", nameOrId.c_str());
    return nullptr;
  }
  bool lost = false;
  std::string name = ToBook(nameOrId, &lost);
  std::vector<const EntryRow*> matches;
  for (const EntryRow& row : rows)
    if (!lost && row.name == name) matches.push_back(&row);
  if (matches.size() == 1) return matches[0];
  if (matches.empty()) {
    Err("abkhost: no entry named '%s'\n", EscapeControls(nameOrId).c_str());
    return nullptr;
  }
  std::string candidates;
  for (const EntryRow* match : matches)
    candidates += (candidates.empty() ? "" : ", ") + std::to_string(match->recordId) + " (" + TypeName(*match) + ")";
  Err("abkhost: %zu entries are named '%s': %s; give the number instead\n", matches.size(),
      EscapeControls(nameOrId).c_str(), candidates.c_str());
  return nullptr;
}

Host::Host(const GlobalOptions& options) : options_(options) {}

Host::~Host() {
  if (session) session->Release();
}

bool Host::Load() {
  std::string path = host::ProgramFolder() + ProviderFileName();
  if (!module.Load(path)) {
    Err("abkhost: cannot load the provider module %s\n", path.c_str());
    return false;
  }
  profileFile = options_.profile.empty() ? host::DefaultProfileFile() : options_.profile;
  profile.SetString(PR_DISPLAY_NAME, "Fax address book");
  profile.SetBinary(PR_SERVICE_UID, kToolServiceUid, sizeof kToolServiceUid);
  host::LoadProfileFile(profileFile, &profile); // a missing file leaves the defaults
  if (!options_.book.empty()) {
    bool lost = false;
    std::string path = ToBook(options_.book, &lost);
    if (lost) {
      Err("abkhost: the provider cannot reach %s: its name holds characters outside the book's code page\n",
          EscapeControls(options_.book).c_str());
      return false;
    }
    profile.SetString(PR_AB_FILE_PATH, path);
  }
  return true;
}

bool Host::Open() {
  HRESULT hr = module.Open(&support, &profile, &session);
  if (FAILED(hr)) {
    Err("abkhost: the provider could not open a session (%s)\n", Code(hr).c_str());
    return false;
  }
  return true;
}

bool Host::SaveProfile() {
  if (!options_.book.empty()) profile.SetString(PR_AB_FILE_PATH, ToBook(options_.book));
  if (host::SaveProfileFile(profileFile, profile)) return true;
  Err("abkhost: cannot write the profile file %s\n", profileFile.c_str());
  return false;
}

IABContainer* Host::OpenContainer(const std::string& groupId) {
  ULONG type = 0;
  LPUNKNOWN object = nullptr;
  HRESULT hr =
      session->OpenEntry(static_cast<ULONG>(groupId.size()),
                         groupId.empty() ? nullptr : reinterpret_cast<LPENTRYID>(const_cast<char*>(groupId.data())),
                         nullptr, 0, &type, &object);
  if (FAILED(hr)) {
    Err("abkhost: cannot open the container (%s)\n", Code(hr).c_str());
    return nullptr;
  }
  return static_cast<IABContainer*>(object);
}

bool Host::ReadRows(std::vector<EntryRow>* rows, const std::string& groupId, LPSRestriction restriction) {
  IABContainer* container = OpenContainer(groupId);
  if (!container) return false;
  bool read = ReadRows(container, rows, restriction);
  container->Release();
  return read;
}

bool Host::ReadRows(IABContainer* container, std::vector<EntryRow>* rows, LPSRestriction restriction) {
  LPMAPITABLE table = nullptr;
  HRESULT hr = container->GetContentsTable(0, &table);
  if (FAILED(hr)) {
    Err("abkhost: cannot read the contents table (%s)\n", Code(hr).c_str());
    return false;
  }
  hr = table->SetColumns(abk::kDialogRowColumns.Get(), 0);
  if (SUCCEEDED(hr) && restriction) hr = table->Restrict(restriction, 0);
  while (SUCCEEDED(hr)) {
    LPSRowSet set = nullptr;
    hr = table->QueryRows(256, 0, &set);
    if (FAILED(hr) || !set) break;
    ULONG count = set->cRows;
    for (ULONG i = 0; i < count; ++i) {
      const LPSPropValue v = set->aRow[i].lpProps;
      EntryRow row;
      if (PROP_TYPE(v[1].ulPropTag) == PT_BINARY) {
        row.entryId.assign(reinterpret_cast<const char*>(v[1].Value.bin.lpb), v[1].Value.bin.cb);
        if (row.entryId.size() == 40) memcpy(&row.recordId, row.entryId.data() + 32, sizeof row.recordId);
      }
      row.objectType = PROP_TYPE(v[2].ulPropTag) == PT_LONG ? v[2].Value.l : 0;
      row.name = StringValue(v[0]);
      row.company = StringValue(v[3]);
      row.department = StringValue(v[4]);
      row.fax = StringValue(v[5]);
      row.faxDescription = StringValue(v[6]);
      row.fax2 = StringValue(v[7]);
      row.fax2Description = StringValue(v[8]);
      row.keyword = StringValue(v[9]);
      rows->push_back(std::move(row));
    }
    FreeRows(set);
    if (count == 0) break;
  }
  table->Release();
  if (FAILED(hr)) {
    Err("abkhost: cannot read the contents table (%s)\n", Code(hr).c_str());
    return false;
  }
  return true;
}

// A text the book cannot hold matches nothing.
bool Host::MatchingRows(const std::string& typed, std::vector<EntryRow>* rows, const std::string& groupId) {
  bool lost = false;
  std::string text = ToBook(typed, &lost);
  if (lost) return true;
  host::AnrRestriction anr(text);
  return ReadRows(rows, groupId, anr.Get());
}

bool Host::ReadStrings(const EntryRow& row, const std::vector<ULONG>& tags, std::vector<std::string>* values) {
  values->assign(tags.size(), std::string());
  ULONG type = 0;
  LPUNKNOWN object = nullptr;
  HRESULT hr = session->OpenEntry(static_cast<ULONG>(row.entryId.size()),
                                  reinterpret_cast<LPENTRYID>(const_cast<char*>(row.entryId.data())), nullptr, 0, &type,
                                  &object);
  if (FAILED(hr)) {
    Err("abkhost: cannot open entry %lu (%s)\n", static_cast<unsigned long>(row.recordId), Code(hr).c_str());
    return false;
  }
  std::vector<ULONG> array(tags.size() + 1);
  array[0] = static_cast<ULONG>(tags.size());
  std::copy(tags.begin(), tags.end(), array.begin() + 1);
  ULONG count = 0;
  LPSPropValue props = nullptr;
  hr = static_cast<LPMAPIPROP>(object)->GetProps(reinterpret_cast<LPSPropTagArray>(array.data()), 0, &count, &props);
  object->Release();
  if (FAILED(hr)) {
    Err("abkhost: entry %lu did not answer its properties (%s)\n", static_cast<unsigned long>(row.recordId),
        Code(hr).c_str());
    return false;
  }
  for (ULONG i = 0; i < count && i < tags.size(); ++i)
    if (PROP_TYPE(props[i].ulPropTag) == PT_STRING8 && props[i].Value.lpszA) (*values)[i] = props[i].Value.lpszA;
  HostFreeBuffer(props);
  return true;
}

std::string Host::Template(ULONG tag) {
  std::string id;
  IABContainer* root = OpenContainer();
  if (!root) return id;
  SizedSPropTagArray(1, wanted) = {1, {tag}};
  ULONG count = 0;
  LPSPropValue values = nullptr;
  if (SUCCEEDED(root->GetProps(reinterpret_cast<LPSPropTagArray>(&wanted), 0, &count, &values)) && count == 1 &&
      PROP_TYPE(values[0].ulPropTag) == PT_BINARY)
    id.assign(reinterpret_cast<const char*>(values[0].Value.bin.lpb), values[0].Value.bin.cb);
  HostFreeBuffer(values);
  root->Release();
  return id;
}

bool Host::Find(const std::string& nameOrId, EntryRow* found) {
  std::vector<EntryRow> rows;
  if (!ReadRows(&rows)) return false;
  const EntryRow* row = FindEntry(rows, nameOrId);
  if (!row) return false;
  *found = *row;
  return true;
}

std::string Host::BookPath() {
  std::string path;
  profile.GetString(PR_AB_FILE_PATH, &path);
  return path;
}

} // namespace abkhost
