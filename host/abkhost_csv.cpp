// abkhost import and export: the address book as a CSV file (UTF-8, comma-separated, RFC 4180 quoting).
// Columns: type (person|group), name, first, last, company, department, fax, fax_description, fax2,
// fax2_description, keyword, members (a group's members by name, separated by ';', each person followed by
// ':primary' or ':secondary' for the number the group uses). Import goes through the provider: CreateEntry,
// SetProps and SaveChanges for each entry, then CopyEntries for each group's members.
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "host/abkhost_common.h"
#include "host/book_transaction.h"
#include "host/host_allocators.h"
#include "props/entry_props.h"
#include "resources/resource.h"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace abkhost {

namespace {

// A person added to a group uses both numbers; writing the unchosen one blank through the group records
// the choice, as the group dialog does. A selection of 0 (a group, or a person named without a number)
// keeps both.
bool KeepChosenNumbers(IABContainer* group, const std::string& id, ULONG selection) {
  if (selection == 0 || selection == (FAX_SELECT_PRIMARY | FAX_SELECT_SECONDARY)) return true;
  static char empty[] = "";
  // Through a group a person takes only its numbers: the unchosen one, blank, records the choice.
  SPropValue blank = {};
  blank.ulPropTag = selection == FAX_SELECT_PRIMARY ? PR_HOME_FAX_NUMBER : PR_BUSINESS_FAX_NUMBER;
  blank.Value.lpszA = empty;
  ULONG type = 0;
  LPUNKNOWN object = nullptr;
  if (FAILED(group->OpenEntry(static_cast<ULONG>(id.size()), reinterpret_cast<LPENTRYID>(const_cast<char*>(id.data())),
                              nullptr, MAPI_BEST_ACCESS, &type, &object)) ||
      !object) {
    return false;
  }
  LPMAPIPROP member = static_cast<LPMAPIPROP>(object);
  LPSPropProblemArray problems = nullptr;
  HRESULT hr = member->SetProps(1, &blank, &problems);
  if (problems) HostFreeBuffer(problems);
  if (SUCCEEDED(hr)) hr = member->SaveChanges(0);
  member->Release();
  return SUCCEEDED(hr);
}

const char kImportHelp[] =
    "usage: abkhost [--book FILE] import FILE.csv\n"
    "  adds the file's persons, then its groups and their members; a refused row is reported with its\n"
    "  reason and the others are written (exit status 1 when any row was refused)\n"
    "  columns: type,name,first,last,company,department,fax,fax_description,fax2,fax2_description,keyword,members\n";

const char kExportHelp[] = "usage: abkhost [--book FILE] export FILE.csv\n"
                           "  writes every entry, persons first, in the columns that import reads:\n"
                           "  type,name,first,last,company,department,fax,fax_description,fax2,fax2_description,\n"
                           "  keyword,members (members separated by ';', a person's as NAME:primary|NAME:secondary)\n";

const char* const kColumns[] = {"type",       "name",   "first",           "last", "company",
                                "department", "fax",    "fax_description", "fax2", "fax2_description",
                                "keyword",    "members"};
constexpr size_t kColumnCount = sizeof kColumns / sizeof kColumns[0];

// The person properties behind columns 1 to 10.
const ULONG kColumnTags[kColumnCount] = {0,
                                         PR_DISPLAY_NAME,
                                         PR_GIVEN_NAME,
                                         PR_SURNAME,
                                         PR_COMPANY_NAME,
                                         PR_DEPARTMENT_NAME,
                                         PR_BUSINESS_FAX_NUMBER,
                                         PR_PRIMARY_FAX_DESCRIPTION,
                                         PR_HOME_FAX_NUMBER,
                                         PR_SECONDARY_FAX_DESCRIPTION,
                                         PR_COMMENT,
                                         0};

std::string Quote(const std::string& text) {
  if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

// Reads one record; false at the end of the input.
bool ReadRecord(std::istream& in, std::vector<std::string>* cells) {
  cells->clear();
  if (in.peek() == EOF) return false;
  std::string cell;
  bool quoted = false;
  int c;
  while ((c = in.get()) != EOF) {
    if (quoted) {
      if (c == '"') {
        if (in.peek() == '"') {
          cell += '"';
          in.get();
        } else {
          quoted = false;
        }
      } else {
        cell += static_cast<char>(c);
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      cells->push_back(cell);
      cell.clear();
    } else if (c == '\n') {
      break;
    } else if (c != '\r') {
      cell += static_cast<char>(c);
    }
  }
  cells->push_back(cell);
  return true;
}

// The person dialog's checks of a fax number, so a refused row gives the dialog's own message.
UINT CheckFax(const std::string& number) {
  size_t significant = 0, hyphens = 0;
  for (unsigned char c : number) {
    if (isalnum(c) && c < 0x80)
      ++significant;
    else if (c == '-')
      ++hyphens;
    else if (c != '#' && c != '*' && c != '^' && c != ',')
      return IDS_FAX_INVALID_CHARS;
  }
  if (significant > 0) return number.size() - hyphens > 38 ? IDS_FAX_TOO_LONG : 0;
  return hyphens > 0 ? IDS_FAX_NO_VALID_NUMBER : 0;
}

std::string EntryIdOf(LPMAPIPROP object) {
  SizedSPropTagArray(1, wanted) = {1, {PR_ENTRYID}};
  ULONG count = 0;
  LPSPropValue values = nullptr;
  std::string id;
  if (SUCCEEDED(object->GetProps(reinterpret_cast<LPSPropTagArray>(&wanted), 0, &count, &values)) &&
      PROP_TYPE(values[0].ulPropTag) == PT_BINARY)
    id.assign(reinterpret_cast<const char*>(values[0].Value.bin.lpb), values[0].Value.bin.cb);
  HostFreeBuffer(values);
  return id;
}

// Creates one entry from a template with the given string properties; the new identifier, or empty.
std::string CreateEntry(IABContainer* root, const std::string& tpl,
                        const std::vector<std::pair<ULONG, std::string>>& props, HRESULT* result) {
  LPMAPIPROP entry = nullptr;
  *result = root->CreateEntry(static_cast<ULONG>(tpl.size()),
                              reinterpret_cast<LPENTRYID>(const_cast<char*>(tpl.data())), 0, &entry);
  if (FAILED(*result)) return "";
  std::vector<SPropValue> values;
  for (const auto& [tag, text] : props) {
    SPropValue value{};
    value.ulPropTag = tag;
    value.Value.lpszA = const_cast<char*>(text.c_str());
    values.push_back(value);
  }
  LPSPropProblemArray problems = nullptr;
  *result = entry->SetProps(static_cast<ULONG>(values.size()), values.data(), &problems);
  if (problems) HostFreeBuffer(problems);
  if (SUCCEEDED(*result)) *result = entry->SaveChanges(KEEP_OPEN_READWRITE);
  std::string id = SUCCEEDED(*result) ? EntryIdOf(entry) : "";
  entry->Release();
  return id;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator))
    if (!part.empty()) parts.push_back(part);
  return parts;
}

} // namespace

int ImportCommand(const GlobalOptions& options, int argc, char** argv) {
  std::string file;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return Help(kImportHelp, false);
    if (!file.empty()) return Help(kImportHelp, true);
    file = arg;
  }
  if (file.empty()) return Help(kImportHelp, true);
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    fprintf(stderr, "abkhost: cannot read %s\n", file.c_str());
    return 1;
  }
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> cells;
  while (ReadRecord(in, &cells))
    rows.push_back(cells);
  if (rows.empty() || rows[0].empty() || rows[0][0] != "type") {
    fprintf(stderr, "abkhost: %s does not start with the heading line (type,name,...)\n", file.c_str());
    return 1;
  }

  Host host(options);
  if (!host.Load() || !host.Open()) return 1;
  std::vector<EntryRow> existing;
  if (!host.ReadRows(&existing)) return 1;
  std::map<std::string, std::string> ids; // Windows-1252 name to entry identifier
  for (const EntryRow& row : existing)
    ids.emplace(row.name, row.entryId);
  std::string personTemplate = host.Template(PR_DEF_CREATE_MAILUSER);
  std::string groupTemplate = host.Template(PR_DEF_CREATE_DL);
  IABContainer* root = host.OpenContainer();
  if (!root) return 1;

  bool progress = isatty(fileno(stderr)) && rows.size() > 100;
  size_t refused = 0, written = 0, total = rows.size() - 1, done = 0;
  auto refuse = [&](size_t line, const std::string& reason) {
    if (progress) fprintf(stderr, "\r%60s\r", "");
    fprintf(stderr, "line %zu: %s\n", line + 1, reason.c_str());
    ++refused;
  };
  auto tick = [&]() {
    ++done;
    if (!progress) return;
    size_t filled = done * 40 / (total ? total : 1);
    fprintf(stderr, "\r[%s%s] %zu/%zu", std::string(filled, '#').c_str(), std::string(40 - filled, ' ').c_str(), done,
            total);
  };
  HINSTANCE strings = host.module.Instance();

  // Every row in the provider's code page, as wide as the heading.
  std::vector<std::vector<std::string>> cellsOf(rows.size());
  for (size_t line = 1; line < rows.size(); ++line) {
    cellsOf[line] = rows[line];
    cellsOf[line].resize(kColumnCount);
    for (std::string& cell : cellsOf[line])
      cell = FromTerminal(cell);
  }

  // Persons first, so members can name any person of the file. Each is one save: one transaction.
  for (size_t line = 1; line < rows.size(); ++line) {
    std::vector<std::string>& row = cellsOf[line];
    if (row[0] == "group") continue;
    if (row[0] != "person") {
      refuse(line, "unknown type '" + rows[line][0] + "' (person or group)");
      tick();
      continue;
    }
    if (row[1].empty() && !(row[2].empty() && row[3].empty()))
      row[1] = row[2].empty() ? row[3] : row[3].empty() ? row[2] : row[2] + " " + row[3];
    UINT message = 0;
    if (row[1].empty())
      message = IDS_NO_RECIPIENT_NAME;
    else if (UINT bad = CheckFax(row[6]))
      message = bad;
    else if (UINT bad2 = CheckFax(row[8]))
      message = bad2;
    else if (row[6].empty() && row[8].empty())
      message = IDS_FAX_MISSING;
    if (message) {
      refuse(line, ProviderString(strings, message));
      tick();
      continue;
    }
    std::vector<std::pair<ULONG, std::string>> props;
    for (size_t c = 1; c <= 10; ++c)
      if (!row[c].empty()) props.emplace_back(kColumnTags[c], row[c]);
    HRESULT hr = S_OK;
    std::string id = CreateEntry(root, personTemplate, props, &hr);
    if (id.empty()) {
      refuse(line, "the provider refused the entry (" + Code(hr) + ")");
    } else {
      ids[row[1]] = id;
      ++written;
    }
    tick();
  }

  // Then each group with its members and the numbers they use, as one transaction: one flush, and on a
  // failure nothing of it. A member that is a group of the file not made yet is made in the same
  // transaction, so it can join; its own row then only adds its members.
  std::map<std::string, size_t> groupLines; // a group of the file by name: its first row
  for (size_t line = 1; line < rows.size(); ++line)
    if (cellsOf[line][0] == "group" && !cellsOf[line][1].empty()) groupLines.emplace(cellsOf[line][1], line);
  std::set<size_t> made; // group rows whose group exists
  std::string bookPath;
  host.profile.GetString(PR_AB_FILE_PATH, &bookPath);
  for (size_t line = 1; line < rows.size(); ++line) {
    const std::vector<std::string>& row = cellsOf[line];
    if (row[0] != "group") continue;
    tick();
    if (row[1].empty()) {
      refuse(line, ProviderString(strings, IDS_GROUP_NO_NAME));
      continue;
    }
    host::BookTransaction transaction(bookPath);
    ULONG status = 0;
    if (!transaction.Begin(&status)) {
      refuse(line, "the address book could not be opened (store status " + std::to_string(status) + ")");
      continue;
    }
    std::vector<size_t> madeHere;
    auto makeGroup = [&](size_t groupLine, HRESULT* hr) {
      const std::vector<std::string>& cells = cellsOf[groupLine];
      std::vector<std::pair<ULONG, std::string>> props = {{PR_DISPLAY_NAME, cells[1]}};
      if (!cells[10].empty()) props.emplace_back(PR_COMMENT, cells[10]);
      std::string id = CreateEntry(root, groupTemplate, props, hr);
      if (id.empty()) return false;
      ids[cells[1]] = id;
      made.insert(groupLine);
      madeHere.push_back(groupLine);
      return true;
    };
    HRESULT hr = S_OK;
    if (!made.count(line) && !makeGroup(line, &hr)) {
      refuse(line, "the provider refused the group (" + Code(hr) + ")");
      continue;
    }
    std::string groupId = ids[row[1]];
    std::vector<std::string> memberIds;
    std::map<std::string, ULONG> chosen; // a person's numbers the group uses, by identifier
    for (const std::string& text : Split(row[11], ';')) {
      std::string name;
      ULONG selection = 0;
      SplitMember(text, &name, &selection);
      auto later = groupLines.find(name);
      if (!ids.count(name) && later != groupLines.end() && !made.count(later->second)) makeGroup(later->second, &hr);
      auto found = ids.find(name);
      if (found == ids.end()) {
        refuse(line, "member '" + ToTerminal(name) + "' is not in the address book; left out");
        continue;
      }
      if (!chosen.count(found->second)) memberIds.push_back(found->second);
      chosen[found->second] |= selection;
    }
    if (!memberIds.empty()) {
      IABContainer* group = host.OpenContainer(groupId);
      if (group) {
        std::vector<SBinary> list;
        for (std::string& id : memberIds)
          list.push_back({static_cast<ULONG>(id.size()), reinterpret_cast<LPBYTE>(id.data())});
        ENTRYLIST entries{static_cast<ULONG>(list.size()), list.data()};
        HRESULT copied = group->CopyEntries(&entries, 0, nullptr, 0);
        if (copied != S_OK) refuse(line, "not every member could be added (" + Code(copied) + ")");
        for (const auto& [id, selection] : chosen) {
          if (!KeepChosenNumbers(group, id, selection))
            refuse(line, "the numbers chosen for a member could not be recorded");
        }
        group->Release();
      }
    }
    if (!transaction.Commit(&status)) {
      refuse(line, "the group was not written (store status " + std::to_string(status) + ")");
      for (size_t undone : madeHere) {
        ids.erase(cellsOf[undone][1]);
        made.erase(undone);
      }
      continue;
    }
    written += madeHere.size();
  }
  root->Release();

  if (progress) fprintf(stderr, "\n");
  printf("Imported %zu entries", written);
  if (refused) printf(", %zu problem%s reported", refused, refused == 1 ? "" : "s");
  printf("\n");
  return refused ? 1 : 0;
}

int ExportCommand(const GlobalOptions& options, int argc, char** argv) {
  std::string file;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return Help(kExportHelp, false);
    if (!file.empty()) return Help(kExportHelp, true);
    file = arg;
  }
  if (file.empty()) return Help(kExportHelp, true);
  Host host(options);
  if (!host.Load() || !host.Open()) return 1;
  std::vector<EntryRow> rows;
  if (!host.ReadRows(&rows)) return 1;
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out) {
    fprintf(stderr, "abkhost: cannot write %s\n", file.c_str());
    return 1;
  }
  for (size_t c = 0; c < kColumnCount; ++c)
    out << (c ? "," : "") << kColumns[c];
  out << "\n";
  size_t count = 0;
  for (int pass = 0; pass < 2; ++pass) {
    for (const EntryRow& row : rows) {
      if (row.IsGroup() != (pass == 1)) continue;
      std::vector<std::string> cells(kColumnCount);
      cells[0] = row.IsGroup() ? "group" : "person";
      if (!row.IsGroup()) {
        ULONG type = 0;
        LPUNKNOWN object = nullptr;
        if (FAILED(host.session->OpenEntry(static_cast<ULONG>(row.entryId.size()),
                                           reinterpret_cast<LPENTRYID>(const_cast<char*>(row.entryId.data())), nullptr,
                                           0, &type, &object)))
          continue;
        SizedSPropTagArray(10, wanted) = {10, {}};
        for (size_t c = 1; c <= 10; ++c)
          wanted.aulPropTag[c - 1] = kColumnTags[c];
        ULONG n = 0;
        LPSPropValue values = nullptr;
        if (SUCCEEDED(static_cast<LPMAPIPROP>(object)->GetProps(reinterpret_cast<LPSPropTagArray>(&wanted), 0, &n,
                                                                &values))) {
          for (ULONG v = 0; v < n && v < 10; ++v)
            if (PROP_TYPE(values[v].ulPropTag) == PT_STRING8 && values[v].Value.lpszA)
              cells[v + 1] = ToTerminal(values[v].Value.lpszA);
          HostFreeBuffer(values);
        }
        object->Release();
      } else {
        cells[1] = ToTerminal(row.name);
        cells[10] = ToTerminal(row.keyword);
        std::vector<EntryRow> members;
        if (!host.ReadRows(&members, row.entryId)) return 1;
        std::string list;
        for (const EntryRow& member : members) {
          std::vector<std::string> forms;
          if (member.IsGroup()) forms.push_back(member.name);
          if (!member.IsGroup() && !member.fax.empty()) forms.push_back(member.name + ":primary");
          if (!member.IsGroup() && !member.fax2.empty()) forms.push_back(member.name + ":secondary");
          if (forms.empty()) forms.push_back(member.name);
          for (const std::string& form : forms) {
            if (!list.empty()) list += ';';
            list += ToTerminal(form);
          }
        }
        cells[11] = list;
      }
      for (size_t c = 0; c < kColumnCount; ++c)
        out << (c ? "," : "") << Quote(cells[c]);
      out << "\n";
      ++count;
    }
  }
  if (!out.flush()) {
    fprintf(stderr, "abkhost: cannot write %s\n", file.c_str());
    return 1;
  }
  printf("Exported %zu entries to %s\n", count, file.c_str());
  return 0;
}

} // namespace abkhost
