// abkhost list, find and show: the contents of the book or of a group, the entries a typed name matches, and
// every property of one entry.
#include <algorithm>
#include <string>

#include "csv/csv_text.h"
#include "host/abkhost_commands.h"
#include "host/host_allocators.h"
#include "props/entry_props.h"

namespace abkhost {

namespace {

std::vector<std::string> Cells(const EntryRow& row) {
  return {std::to_string(row.recordId),  TypeName(row),        FromBook(row.name),           FromBook(row.company),
          FromBook(row.department),      FromBook(row.fax),    FromBook(row.faxDescription), FromBook(row.fax2),
          FromBook(row.fax2Description), FromBook(row.keyword)};
}

const char* const kHeadings[] = {
    "id", "type", "name", "company", "department", "fax", "fax_description", "fax2", "fax2_description", "keyword"};

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
  // Values are shown with their control characters escaped, so none can steer the terminal.
  std::vector<std::vector<std::string>> cells;
  for (const EntryRow& row : rows) {
    cells.push_back(Cells(row));
    for (std::string& cell : cells.back())
      cell = EscapeControls(cell);
  }
  size_t widths[10] = {};
  for (int c : shown) {
    widths[c] = DisplayWidth(kHeadings[c]);
    for (const auto& line : cells)
      widths[c] = std::max(widths[c], DisplayWidth(line[c]));
  }
  auto print = [&](const std::vector<std::string>& line) {
    std::string text;
    for (int c : shown) {
      text += line[c];
      if (c != 7) text += std::string(widths[c] - DisplayWidth(line[c]) + 2, ' ');
    }
    while (!text.empty() && text.back() == ' ')
      text.pop_back();
    Out("%s\n", text.c_str());
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
    Out("  %-30s %s\n", name.c_str(), EscapeControls(FromBook(value.Value.lpszA ? value.Value.lpszA : "")).c_str());
    break;
  case PT_LONG:
    Out("  %-30s %ld\n", name.c_str(), static_cast<long>(value.Value.l));
    break;
  case PT_BOOLEAN:
    Out("  %-30s %s\n", name.c_str(), value.Value.b ? "true" : "false");
    break;
  case PT_BINARY: {
    std::string hex;
    char digits[3];
    for (ULONG i = 0; i < value.Value.bin.cb; ++i) {
      snprintf(digits, sizeof digits, "%02X", value.Value.bin.lpb[i]);
      hex += digits;
    }
    Out("  %-30s %s\n", name.c_str(), hex.c_str());
    break;
  }
  case PT_ERROR:
    Out("  %-30s (error %s)\n", name.c_str(), Code(value.Value.err).c_str());
    break;
  default:
    Out("  %-30s (type 0x%04lX)\n", name.c_str(), static_cast<unsigned long>(PROP_TYPE(value.ulPropTag)));
    break;
  }
}

// The group --group names, as its identifier; empty for the whole book. False after printing why.
bool GroupOf(Host& host, const std::string& group, std::string* groupId) {
  if (group.empty()) return true;
  EntryRow found;
  if (!host.Find(group, &found)) return false;
  if (!found.IsGroup()) {
    Err("abkhost: '%s' is not a group\n", EscapeControls(group).c_str());
    return false;
  }
  *groupId = found.entryId;
  return true;
}

void PrintRows(const std::vector<EntryRow>& rows, const std::string& format) {
  if (format == "table") {
    PrintTable(rows);
  } else if (format == "csv") {
    std::string line;
    for (const char* heading : kHeadings)
      line += std::string(line.empty() ? "" : ",") + heading;
    Out("%s\n", line.c_str());
    for (const EntryRow& row : rows) {
      line.clear();
      bool first = true;
      for (const std::string& cell : Cells(row)) {
        if (!first) line += ',';
        first = false;
        line += abk::csv::QuoteCell(cell, ',');
      }
      Out("%s\n", line.c_str());
    }
  } else {
    Out("[");
    for (size_t r = 0; r < rows.size(); ++r) {
      std::vector<std::string> cells = Cells(rows[r]);
      Out("%s\n  {", r ? "," : "");
      for (size_t c = 0; c < cells.size(); ++c)
        Out("%s\"%s\": %s", c ? ", " : "", kHeadings[c], c == 0 ? cells[c].c_str() : JsonString(cells[c]).c_str());
      Out("}");
    }
    Out("%s]\n", rows.empty() ? "" : "\n");
  }
}

} // namespace

int ListCommand(const GlobalOptions& options, const ListOptions& list) {
  Host host(options);
  if (!host.Load() || !host.Open()) return 1;
  std::string groupId;
  if (!GroupOf(host, list.group, &groupId)) return 1;
  std::vector<EntryRow> rows;
  if (!host.ReadRows(&rows, groupId)) return 1;
  PrintRows(rows, list.format);
  return 0;
}

// Like grep, finding nothing is exit status 1; the formats still print their (empty) list.
int FindCommand(const GlobalOptions& options, const std::string& text, const ListOptions& list) {
  Host host(options);
  if (!host.Load() || !host.Open()) return 1;
  std::string groupId;
  if (!GroupOf(host, list.group, &groupId)) return 1;
  std::vector<EntryRow> rows;
  if (!host.MatchingRows(text, &rows, groupId)) return 1;
  if (rows.empty() && list.format == "table") {
    Err("abkhost: nothing matches '%s'\n", EscapeControls(text).c_str());
    return 1;
  }
  PrintRows(rows, list.format);
  return rows.empty() ? 1 : 0;
}

int ShowCommand(const GlobalOptions& options, const std::string& target) {
  Host host(options);
  if (!host.Load() || !host.Open()) return 1;
  EntryRow row;
  if (!host.Find(target, &row)) return 1;
  ULONG type = 0;
  LPUNKNOWN object = nullptr;
  HRESULT hr = host.session->OpenEntry(static_cast<ULONG>(row.entryId.size()),
                                       reinterpret_cast<LPENTRYID>(row.entryId.data()), nullptr, 0, &type, &object);
  if (FAILED(hr)) {
    Err("abkhost: cannot open entry %lu (%s)\n", static_cast<unsigned long>(row.recordId), Code(hr).c_str());
    return 1;
  }
  ULONG count = 0;
  LPSPropValue values = nullptr;
  hr = static_cast<LPMAPIPROP>(object)->GetProps(nullptr, 0, &count, &values);
  object->Release();
  if (FAILED(hr)) {
    Err("abkhost: the entry did not answer its properties (%s)\n", Code(hr).c_str());
    return 1;
  }
  Out("%s %lu: %s\n", TypeName(row), static_cast<unsigned long>(row.recordId),
      EscapeControls(FromBook(row.name)).c_str());
  for (ULONG i = 0; i < count; ++i)
    PrintProperty(values[i]);
  HostFreeBuffer(values);
  if (row.IsGroup()) {
    std::vector<EntryRow> members;
    if (!host.ReadRows(&members, row.entryId)) return 1;
    Out("members (%zu):\n", members.size());
    // Numbers and names padded by characters, so the columns line up under accented names too.
    size_t idWidth = 0, width = 0;
    for (const EntryRow& member : members) {
      idWidth = std::max(idWidth, std::to_string(member.recordId).size());
      width = std::max(width, DisplayWidth(EscapeControls(FromBook(member.name))));
    }
    for (const EntryRow& member : members) {
      std::string id = std::to_string(member.recordId);
      std::string name = EscapeControls(FromBook(member.name));
      std::string fax = EscapeControls(FromBook(!member.fax.empty() ? member.fax : member.fax2));
      std::string line = "  " + id + std::string(idWidth - id.size() + 2, ' ') + TypeName(member);
      line += std::string(member.IsGroup() ? 3 : 2, ' ') + name;
      if (!fax.empty()) line += std::string(width - DisplayWidth(name) + 2, ' ') + fax;
      Out("%s\n", line.c_str());
    }
  }
  return 0;
}

} // namespace abkhost
