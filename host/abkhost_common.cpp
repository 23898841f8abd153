// Shared pieces of the abkhost commands.
#include "host/abkhost_common.h"

#include <cstring>

#include "host/host_allocators.h"
#include "host/profile_file.h"
#include "props/entry_props.h"

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

std::string Convert(const std::string& text, UINT from, UINT to) {
#ifdef _WIN32
  if (from == CP_UTF8 || to == CP_UTF8) return text; // the console shows the ANSI code page
#endif
  int wide = MultiByteToWideChar(from, 0, text.c_str(), -1, nullptr, 0);
  if (wide <= 0) return text;
  std::vector<WCHAR> buffer(wide);
  MultiByteToWideChar(from, 0, text.c_str(), -1, buffer.data(), wide);
  int bytes = WideCharToMultiByte(to, 0, buffer.data(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return text;
  std::string converted(bytes, '\0');
  WideCharToMultiByte(to, 0, buffer.data(), -1, &converted[0], bytes, nullptr, nullptr);
  converted.resize(strlen(converted.c_str()));
  return converted;
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

std::string ToTerminal(const std::string& ansi) { return Convert(ansi, 1252, CP_UTF8); }
std::string FromTerminal(const std::string& utf8) { return Convert(utf8, CP_UTF8, 1252); }

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

bool SplitMember(const std::string& text, std::string* name, ULONG* selection) {
  *selection = 0;
  *name = text;
  size_t colon = text.rfind(':');
  if (colon == std::string::npos) return true;
  std::string which = text.substr(colon + 1);
  if (which == "primary")
    *selection = FAX_SELECT_PRIMARY;
  else if (which == "secondary")
    *selection = FAX_SELECT_SECONDARY;
  else
    return true; // a colon inside the name
  *name = text.substr(0, colon);
  return true;
}

const std::string* PersonFields::Get(const char* option) const {
  for (const auto& [name, value] : values)
    if (name == option) return &value;
  return nullptr;
}

std::string ProviderString(HINSTANCE module, UINT id) {
  char text[512] = "";
  LoadStringA(module, id, text, sizeof text);
  return ToTerminal(text);
}

int Help(const char* text, bool error) {
  fputs(text, error ? stderr : stdout);
  return error ? 2 : 0;
}

Host::Host(const GlobalOptions& options) : options_(options) {}

Host::~Host() {
  if (session) session->Release();
}

bool Host::Load() {
  std::string path = host::ProgramFolder() + ProviderFileName();
  if (!module.Load(path)) {
    fprintf(stderr, "abkhost: cannot load the provider module %s\n", path.c_str());
    return false;
  }
  profileFile = options_.profile.empty() ? host::DefaultProfileFile() : options_.profile;
  profile.SetString(PR_DISPLAY_NAME, "Fax address book");
  profile.SetBinary(PR_SERVICE_UID, kToolServiceUid, sizeof kToolServiceUid);
  host::LoadProfileFile(profileFile, &profile); // a missing file leaves the defaults
  if (!options_.book.empty()) profile.SetString(PR_AB_FILE_PATH, FromTerminal(options_.book));
  return true;
}

bool Host::Open() {
  HRESULT hr = module.Open(&support, &profile, &session);
  if (FAILED(hr)) {
    fprintf(stderr, "abkhost: the provider could not open a session (%s)\n", Code(hr).c_str());
    return false;
  }
  return true;
}

bool Host::SaveProfile() {
  if (!options_.book.empty()) profile.SetString(PR_AB_FILE_PATH, FromTerminal(options_.book));
  if (host::SaveProfileFile(profileFile, profile)) return true;
  fprintf(stderr, "abkhost: cannot write the profile file %s\n", profileFile.c_str());
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
    fprintf(stderr, "abkhost: cannot open the container (%s)\n", Code(hr).c_str());
    return nullptr;
  }
  return static_cast<IABContainer*>(object);
}

bool Host::ReadRows(std::vector<EntryRow>* rows, const std::string& groupId) {
  IABContainer* container = OpenContainer(groupId);
  if (!container) return false;
  LPMAPITABLE table = nullptr;
  HRESULT hr = container->GetContentsTable(0, &table);
  container->Release();
  if (FAILED(hr)) {
    fprintf(stderr, "abkhost: cannot read the contents table (%s)\n", Code(hr).c_str());
    return false;
  }
  hr = table->SetColumns(kDialogRowColumns.Get(), 0);
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
    fprintf(stderr, "abkhost: cannot read the contents table (%s)\n", Code(hr).c_str());
    return false;
  }
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
  std::string name = FromTerminal(nameOrId);
  std::vector<const EntryRow*> matches;
  for (const EntryRow& row : rows) {
    if (IsNumber(nameOrId) && std::to_string(row.recordId) == nameOrId) {
      *found = row;
      return true;
    }
    if (row.name == name) matches.push_back(&row);
  }
  if (matches.size() == 1) {
    *found = *matches[0];
    return true;
  }
  if (matches.empty())
    fprintf(stderr, "abkhost: no entry named '%s'\n", nameOrId.c_str());
  else
    fprintf(stderr, "abkhost: %zu entries are named '%s'; give the number instead\n", matches.size(), nameOrId.c_str());
  return false;
}

} // namespace abkhost
