// Parsing CSV text and turning its rows into entries.
#include "csv_reader.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace bkconv {
namespace {

constexpr ULONG kTypeColumn = 0xFFFFFF01;
constexpr ULONG kMembersColumn = 0xFFFFFF02;
constexpr ULONG kDisplayName = 0x1;
constexpr ULONG kGivenName = 0x3;
constexpr ULONG kSurname = 0x5;
constexpr ULONG kCompany = 0x200;

struct Column {
  const char* name;
  ULONG field;
};

// Column names, compared without case, spaces, underscores or hyphens ("Display name" = "display_name").
constexpr Column kColumns[] = {
    {"displayname", 0x1},  {"prefix", 0x2},       {"givenname", 0x3},        {"middlename", 0x4},
    {"surname", 0x5},      {"suffix", 0x6},       {"comment", 0x8},          {"company", 0x200},
    {"department", 0x201}, {"fax", 0x210},        {"faxdescription", 0x211}, {"faxextra1", 0x212},
    {"faxextra2", 0x213},  {"faxextra3", 0x214},  {"fax2", 0x110},           {"fax2description", 0x111},
    {"fax2extra1", 0x112}, {"fax2extra2", 0x113}, {"fax2extra3", 0x114},
};

std::string Normalise(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (c == ' ' || c == '_' || c == '-') continue;
    out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return out;
}

ULONG ColumnField(const std::string& header) {
  std::string name = Normalise(header);
  if (name == "type") return kTypeColumn;
  if (name == "members") return kMembersColumn;
  for (const Column& column : kColumns)
    if (name == column.name) return column.field;
  return 0;
}

// Without surrounding blanks, and cut at a zero byte, which no value can hold.
std::string Clean(const std::string& value) {
  std::string text = value.substr(0, value.find('\0'));
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

char SeparatorOf(const std::string& text) {
  size_t commas = 0;
  size_t semicolons = 0;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '\n') break;
    if (c == ',') ++commas;
    if (c == ';') ++semicolons;
  }
  return semicolons > commas ? ';' : ',';
}

void AddField(CsvEntry& entry, ULONG field, const std::string& value) {
  size_t start = entry.records.size();
  entry.records.resize(start + STORE_FIELD_RECORD_SIZE, 0);
  memcpy(&entry.records[start], &field, sizeof field);
  // At most 255 characters, as the provider's own dialogs cut them.
  memcpy(&entry.records[start + 4], value.data(), std::min<size_t>(value.size(), STORE_FIELD_VALUE_SIZE - 1));
  entry.count += 1;
}

std::vector<std::string> SplitMembers(const std::string& list) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    std::string name = Clean(list.substr(start, end - start));
    if (!name.empty()) names.push_back(name);
    start = end + 1;
  }
  return names;
}

bool IsGroupType(const std::string& type) {
  std::string name = Normalise(type);
  return name == "group" || name == "groupe";
}

} // namespace

std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  char separator = SeparatorOf(text);
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        quoted = false;
      }
      continue;
    }
    if (c == '"') {
      quoted = true;
    } else if (c == separator) {
      row.push_back(std::move(field));
      field.clear();
    } else if (c == '\n') {
      row.push_back(std::move(field));
      field.clear();
      rows.push_back(std::move(row));
      row.clear();
    } else if (c != '\r') {
      field += c;
    }
  }
  if (!field.empty() || !row.empty()) {
    row.push_back(std::move(field));
    rows.push_back(std::move(row));
  }
  return rows;
}

bool ReadCsvEntries(const std::vector<std::vector<std::string>>& rows, std::vector<CsvEntry>* entries) {
  if (rows.empty()) return false;
  std::vector<ULONG> fields;
  bool knowsAField = false;
  for (const std::string& header : rows[0]) {
    ULONG field = ColumnField(header);
    fields.push_back(field);
    if (field && field != kTypeColumn && field != kMembersColumn) knowsAField = true;
  }
  if (!knowsAField) return false;

  for (size_t r = 1; r < rows.size(); ++r) {
    CsvEntry entry;
    std::vector<std::pair<ULONG, std::string>> values;
    std::string display, given, surname, company;
    for (size_t c = 0; c < rows[r].size() && c < fields.size(); ++c) {
      std::string value = Clean(rows[r][c]);
      ULONG field = fields[c];
      if (value.empty() || field == 0) continue;
      if (field == kTypeColumn) {
        entry.group = IsGroupType(value);
      } else if (field == kMembersColumn) {
        entry.members = SplitMembers(value);
      } else if (field == kDisplayName) {
        display = value;
      } else {
        if (field == kGivenName) given = value;
        if (field == kSurname) surname = value;
        if (field == kCompany) company = value;
        values.emplace_back(field, value);
      }
    }
    // Every entry needs a name to be shown by; a row without one borrows it from the name parts or the
    // company, and a row with none of them is no entry.
    if (display.empty()) display = given + (!given.empty() && !surname.empty() ? " " : "") + surname;
    if (display.empty()) display = company;
    if (display.empty()) continue;
    entry.name = display.substr(0, STORE_FIELD_VALUE_SIZE - 1);
    AddField(entry, kDisplayName, display);
    for (const auto& [field, value] : values)
      AddField(entry, field, value);
    entries->push_back(std::move(entry));
  }
  return true;
}

std::string Utf8ToAnsi(const std::string& text) {
  int wide = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (wide <= 0) return text;
  std::vector<WCHAR> buffer(static_cast<size_t>(wide));
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), buffer.data(), wide);
  int narrow = WideCharToMultiByte(CP_ACP, 0, buffer.data(), wide, nullptr, 0, nullptr, nullptr);
  if (narrow <= 0) return text;
  std::string out(static_cast<size_t>(narrow), '\0');
  WideCharToMultiByte(CP_ACP, 0, buffer.data(), wide, &out[0], narrow, nullptr, nullptr);
  return out;
}

} // namespace bkconv
