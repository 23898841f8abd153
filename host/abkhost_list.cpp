// abkhost list and show: the contents of the book or of a group, and every property of one entry.
#include <string>

#include "host/abkhost_common.h"
#include "host/host_allocators.h"
#include "props/entry_props.h"

namespace abkhost {

namespace {

const char kListHelp[] = "usage: abkhost [--book FILE] list [--group NAME|ID] [--format table|csv|json]\n"
                         "  the root container's contents, or one group's members\n"
                         "  columns: id, type (person|group), name, company, department, fax, fax description,\n"
                         "           second fax, second fax description, keyword\n";

const char kShowHelp[] = "usage: abkhost [--book FILE] show NAME|ID\n"
                         "  every property of one entry; a group's members follow\n";

std::string Type(const EntryRow& row) { return row.IsGroup() ? "group" : "person"; }

std::vector<std::string> Cells(const EntryRow& row) {
  return {std::to_string(row.recordId),
          Type(row),
          ToTerminal(row.name),
          ToTerminal(row.company),
          ToTerminal(row.department),
          ToTerminal(row.fax),
          ToTerminal(row.faxDescription),
          ToTerminal(row.fax2),
          ToTerminal(row.fax2Description),
          ToTerminal(row.keyword)};
}

const char* const kHeadings[] = {
    "id", "type", "name", "company", "department", "fax", "fax_description", "fax2", "fax2_description", "keyword"};

// Columns are padded by characters, not bytes, so accented names line up.
size_t Width(const std::string& utf8) {
  size_t width = 0;
  for (unsigned char c : utf8)
    if ((c & 0xC0) != 0x80) ++width;
  return width;
}

std::string CsvCell(const std::string& text) {
  if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escape[8];
      snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

void PrintTable(const std::vector<EntryRow>& rows) {
  // The table shows the columns a reader scans; csv and json carry all of them.
  const int shown[] = {0, 1, 2, 3, 5, 7};
  std::vector<std::vector<std::string>> cells;
  for (const EntryRow& row : rows)
    cells.push_back(Cells(row));
  size_t widths[10] = {};
  for (int c : shown) {
    widths[c] = Width(kHeadings[c]);
    for (const auto& line : cells)
      widths[c] = std::max(widths[c], Width(line[c]));
  }
  auto print = [&](const std::vector<std::string>& line) {
    std::string text;
    for (int c : shown) {
      text += line[c];
      if (c != 7) text += std::string(widths[c] - Width(line[c]) + 2, ' ');
    }
    while (!text.empty() && text.back() == ' ')
      text.pop_back();
    printf("%s\n", text.c_str());
  };
  print(std::vector<std::string>(std::begin(kHeadings), std::end(kHeadings)));
  for (const auto& line : cells)
    print(line);
}

struct TagName {
  ULONG tag;
  const char* name;
};
const TagName kTagNames[] = {
    {PR_DISPLAY_NAME, "PR_DISPLAY_NAME"},
    {PR_GIVEN_NAME, "PR_GIVEN_NAME"},
    {PR_SURNAME, "PR_SURNAME"},
    {PR_NAME_SUFFIX, "PR_NAME_SUFFIX"},
    {PR_DISPLAY_NAME_PREFIX, "PR_DISPLAY_NAME_PREFIX"},
    {PR_COMPANY_NAME, "PR_COMPANY_NAME"},
    {PR_DEPARTMENT_NAME, "PR_DEPARTMENT_NAME"},
    {PR_BUSINESS_FAX_NUMBER, "PR_BUSINESS_FAX_NUMBER"},
    {PR_PRIMARY_FAX_DESCRIPTION, "PR_PRIMARY_FAX_DESCRIPTION"},
    {PR_PRIMARY_FAX_EXTRA1, "PR_PRIMARY_FAX_EXTRA1"},
    {PR_PRIMARY_FAX_EXTRA2, "PR_PRIMARY_FAX_EXTRA2"},
    {PR_PRIMARY_FAX_EXTRA3, "PR_PRIMARY_FAX_EXTRA3"},
    {PR_HOME_FAX_NUMBER, "PR_HOME_FAX_NUMBER"},
    {PR_SECONDARY_FAX_DESCRIPTION, "PR_SECONDARY_FAX_DESCRIPTION"},
    {PR_SECONDARY_FAX_EXTRA1, "PR_SECONDARY_FAX_EXTRA1"},
    {PR_SECONDARY_FAX_EXTRA2, "PR_SECONDARY_FAX_EXTRA2"},
    {PR_SECONDARY_FAX_EXTRA3, "PR_SECONDARY_FAX_EXTRA3"},
    {PR_COMMENT, "PR_COMMENT"},
    {PR_ENTRYID, "PR_ENTRYID"},
    {PR_RECORD_KEY, "PR_RECORD_KEY"},
    {PR_SEARCH_KEY, "PR_SEARCH_KEY"},
    {PR_INSTANCE_KEY, "PR_INSTANCE_KEY"},
    {PR_OBJECT_TYPE, "PR_OBJECT_TYPE"},
    {PR_DISPLAY_TYPE, "PR_DISPLAY_TYPE"},
    {PR_ADDRTYPE, "PR_ADDRTYPE"},
    {PR_ACCESS, "PR_ACCESS"},
    {PR_ACCESS_LEVEL, "PR_ACCESS_LEVEL"},
    {PR_CONTAINER_FLAGS, "PR_CONTAINER_FLAGS"},
    {PR_AB_PROVIDER_ID, "PR_AB_PROVIDER_ID"},
    {PR_DEPTH, "PR_DEPTH"},
    {PR_DEF_CREATE_MAILUSER, "PR_DEF_CREATE_MAILUSER"},
    {PR_DEF_CREATE_DL, "PR_DEF_CREATE_DL"},
};

std::string TagName(ULONG tag) {
  for (const auto& known : kTagNames)
    if (PROP_ID(known.tag) == PROP_ID(tag)) return known.name;
  char text[24];
  snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(tag));
  return text;
}

void PrintProperty(const SPropValue& value) {
  std::string name = TagName(value.ulPropTag);
  switch (PROP_TYPE(value.ulPropTag)) {
  case PT_STRING8:
    printf("  %-30s %s\n", name.c_str(), ToTerminal(value.Value.lpszA ? value.Value.lpszA : "").c_str());
    break;
  case PT_LONG:
    printf("  %-30s %ld\n", name.c_str(), static_cast<long>(value.Value.l));
    break;
  case PT_BOOLEAN:
    printf("  %-30s %s\n", name.c_str(), value.Value.b ? "true" : "false");
    break;
  case PT_BINARY: {
    std::string hex;
    char digits[3];
    for (ULONG i = 0; i < value.Value.bin.cb; ++i) {
      snprintf(digits, sizeof digits, "%02X", value.Value.bin.lpb[i]);
      hex += digits;
    }
    printf("  %-30s %s\n", name.c_str(), hex.c_str());
    break;
  }
  case PT_ERROR:
    printf("  %-30s (error %s)\n", name.c_str(), Code(value.Value.err).c_str());
    break;
  default:
    printf("  %-30s (type 0x%04lX)\n", name.c_str(), static_cast<unsigned long>(PROP_TYPE(value.ulPropTag)));
    break;
  }
}

} // namespace

int ListCommand(const GlobalOptions& options, int argc, char** argv) {
  std::string group, format = "table";
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return Help(kListHelp, false);
    if ((arg == "--group" || arg == "--format") && i + 1 < argc) {
      (arg == "--group" ? group : format) = argv[++i];
      continue;
    }
    fprintf(stderr, "abkhost list: unknown argument '%s'\n", arg.c_str());
    return Help(kListHelp, true);
  }
  if (format != "table" && format != "csv" && format != "json") {
    fprintf(stderr, "abkhost list: unknown format '%s'\n", format.c_str());
    return Help(kListHelp, true);
  }
  Host host(options);
  if (!host.Load() || !host.Open()) return 1;
  std::string groupId;
  if (!group.empty()) {
    EntryRow found;
    if (!host.Find(group, &found)) return 1;
    if (!found.IsGroup()) {
      fprintf(stderr, "abkhost: '%s' is not a group\n", group.c_str());
      return 1;
    }
    groupId = found.entryId;
  }
  std::vector<EntryRow> rows;
  if (!host.ReadRows(&rows, groupId)) return 1;
  if (format == "table") {
    PrintTable(rows);
  } else if (format == "csv") {
    std::string line;
    for (const char* heading : kHeadings)
      line += std::string(line.empty() ? "" : ",") + heading;
    printf("%s\n", line.c_str());
    for (const EntryRow& row : rows) {
      line.clear();
      bool first = true;
      for (const std::string& cell : Cells(row)) {
        if (!first) line += ',';
        first = false;
        line += CsvCell(cell);
      }
      printf("%s\n", line.c_str());
    }
  } else {
    printf("[");
    for (size_t r = 0; r < rows.size(); ++r) {
      std::vector<std::string> cells = Cells(rows[r]);
      printf("%s\n  {", r ? "," : "");
      for (size_t c = 0; c < cells.size(); ++c)
        printf("%s\"%s\": %s", c ? ", " : "", kHeadings[c], c == 0 ? cells[c].c_str() : JsonString(cells[c]).c_str());
      printf("}");
    }
    printf("%s]\n", rows.empty() ? "" : "\n");
  }
  return 0;
}

int ShowCommand(const GlobalOptions& options, int argc, char** argv) {
  std::string target;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return Help(kShowHelp, false);
    if (target.empty() && arg.rfind("--", 0) != 0) {
      target = arg;
      continue;
    }
    fprintf(stderr, "abkhost show: unknown argument '%s'\n", arg.c_str());
    return Help(kShowHelp, true);
  }
  if (target.empty()) return Help(kShowHelp, true);
  Host host(options);
  if (!host.Load() || !host.Open()) return 1;
  EntryRow row;
  if (!host.Find(target, &row)) return 1;
  ULONG type = 0;
  LPUNKNOWN object = nullptr;
  HRESULT hr = host.session->OpenEntry(static_cast<ULONG>(row.entryId.size()),
                                       reinterpret_cast<LPENTRYID>(row.entryId.data()), nullptr, 0, &type, &object);
  if (FAILED(hr)) {
    fprintf(stderr, "abkhost: cannot open entry %lu (%s)\n", static_cast<unsigned long>(row.recordId),
            Code(hr).c_str());
    return 1;
  }
  ULONG count = 0;
  LPSPropValue values = nullptr;
  hr = static_cast<LPMAPIPROP>(object)->GetProps(nullptr, 0, &count, &values);
  object->Release();
  if (FAILED(hr)) {
    fprintf(stderr, "abkhost: the entry did not answer its properties (%s)\n", Code(hr).c_str());
    return 1;
  }
  printf("%s %lu: %s\n", Type(row).c_str(), static_cast<unsigned long>(row.recordId), ToTerminal(row.name).c_str());
  for (ULONG i = 0; i < count; ++i)
    PrintProperty(values[i]);
  HostFreeBuffer(values);
  if (row.IsGroup()) {
    std::vector<EntryRow> members;
    if (!host.ReadRows(&members, row.entryId)) return 1;
    printf("members (%zu):\n", members.size());
    for (const EntryRow& member : members) {
      std::string fax = !member.fax.empty() ? member.fax : member.fax2;
      printf("  %-6lu %-7s %s%s%s\n", static_cast<unsigned long>(member.recordId), Type(member).c_str(),
             ToTerminal(member.name).c_str(), fax.empty() ? "" : "  ", ToTerminal(fax).c_str());
    }
  }
  return 0;
}

} // namespace abkhost
