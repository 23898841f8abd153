// abkhost export: the address book as a CSV file that import reads back to the same bytes. Persons come
// first, then groups, each in the book's order; every row carries an id, and a member is written by name
// where that name is the file's only one of it, else by '#' and its id. The file is written beside the
// target and renamed over it when complete, and no address book is ever a target.
#include <fstream>
#include <map>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "csv/csv_book.h"
#include "host/abkhost_commands.h"
#include "host/host_allocators.h"
#include "props/entry_props.h"

namespace abkhost {

namespace {

// The columns, each with the person property behind it.
struct ExportColumn {
  const char* heading;
  ULONG tag;
};
const ExportColumn kColumns[] = {
    {"type", 0},
    {"name", PR_DISPLAY_NAME},
    {"first", PR_GIVEN_NAME},
    {"last", PR_SURNAME},
    {"company", PR_COMPANY_NAME},
    {"department", PR_DEPARTMENT_NAME},
    {"fax", PR_BUSINESS_FAX_NUMBER},
    {"fax_description", PR_PRIMARY_FAX_DESCRIPTION},
    {"fax2", PR_HOME_FAX_NUMBER},
    {"fax2_description", PR_SECONDARY_FAX_DESCRIPTION},
    {"keyword", PR_COMMENT},
    {"members", 0},
    {"prefix", PR_DISPLAY_NAME_PREFIX},
    {"suffix", PR_NAME_SUFFIX},
    {"middle", PR_MIDDLE_NAME},
    {"fax_extra1", PR_PRIMARY_FAX_EXTRA1},
    {"fax_extra2", PR_PRIMARY_FAX_EXTRA2},
    {"fax_extra3", PR_PRIMARY_FAX_EXTRA3},
    {"fax2_extra1", PR_SECONDARY_FAX_EXTRA1},
    {"fax2_extra2", PR_SECONDARY_FAX_EXTRA2},
    {"fax2_extra3", PR_SECONDARY_FAX_EXTRA3},
    {"id", 0},
};
constexpr size_t kColumnCount = std::size(kColumns);
constexpr size_t kTypeColumn = 0, kNameColumn = 1, kKeywordColumn = 10, kMembersColumn = 11, kIdColumn = 21;
// Columns written only when some entry has a value in them.
constexpr size_t kFirstExtraColumn = 14, kLastExtraColumn = 20;

const char kBookMagic[] = "\x89"
                          "ABK";

// Every string property of a person behind the columns, in UTF-8.
bool ReadPerson(Host& host, const EntryRow& row, std::vector<std::string>* cells) {
  std::vector<ULONG> tags;
  std::vector<size_t> columnOf;
  for (size_t c = 0; c < kColumnCount; ++c) {
    if (!kColumns[c].tag) continue;
    tags.push_back(kColumns[c].tag);
    columnOf.push_back(c);
  }
  std::vector<std::string> values;
  if (!host.ReadStrings(row, tags, &values)) return false;
  for (size_t i = 0; i < values.size(); ++i)
    (*cells)[columnOf[i]] = FromBook(values[i]);
  return true;
}

// The rows of the file, in order, without their members.
struct FileRow {
  const EntryRow* entry;
  std::vector<std::string> cells;
};

// Members of each group as the file names them.
bool FillMembers(Host& host, std::vector<FileRow>& rows) {
  std::map<ULONG, size_t> rowOf;       // record to row
  std::map<std::string, size_t> named; // how many rows hold each name
  for (size_t i = 0; i < rows.size(); ++i) {
    rowOf[rows[i].entry->recordId] = i;
    ++named[rows[i].cells[kNameColumn]];
  }
  for (FileRow& row : rows) {
    if (!row.entry->IsGroup()) continue;
    std::vector<EntryRow> members;
    if (!host.ReadRows(&members, row.entry->entryId)) return false;
    std::vector<abk::csv::MemberRef> list;
    for (const EntryRow& member : members) {
      auto found = rowOf.find(member.recordId);
      if (found == rowOf.end()) continue; // a member the book no longer lists
      const FileRow& target = rows[found->second];
      abk::csv::MemberRef ref;
      if (named[target.cells[kNameColumn]] == 1)
        ref.name = target.cells[kNameColumn];
      else
        ref.id = target.cells[kIdColumn];
      bool chosen = false;
      for (unsigned numbers : {1u, 2u}) {
        if (member.IsGroup() || (numbers == 1 ? member.fax : member.fax2).empty()) continue;
        ref.numbers = numbers;
        list.push_back(ref);
        chosen = true;
      }
      if (!chosen) list.push_back(ref);
    }
    row.cells[kMembersColumn] = abk::csv::FormatMembers(list);
  }
  return true;
}

std::string FileText(const std::vector<FileRow>& rows) {
  std::vector<bool> written(kColumnCount, true);
  for (size_t c = kFirstExtraColumn; c <= kLastExtraColumn; ++c) {
    written[c] = false;
    for (const FileRow& row : rows)
      written[c] = written[c] || !row.cells[c].empty();
  }
  auto line = [&](const std::vector<std::string>& cells) {
    std::vector<std::string> shown;
    for (size_t c = 0; c < kColumnCount; ++c)
      if (written[c]) shown.push_back(cells[c]);
    return abk::csv::FormatBookLine(shown, ',') + "\n";
  };
  std::vector<std::string> headings;
  for (const ExportColumn& column : kColumns)
    headings.push_back(column.heading);
  std::string text = line(headings);
  for (const FileRow& row : rows)
    text += line(row.cells);
  return text;
}

// Whether the target may be written: never the book, nor any other address book.
bool MayWrite(Host& host, const std::filesystem::path& target) {
  std::error_code error;
  if (!std::filesystem::exists(target, error)) return true;
  std::string book = host.BookPath();
  if (!book.empty() && std::filesystem::equivalent(target, PathOf(FromBook(book)), error)) {
    Err("abkhost: %s is the address book itself; export writes a CSV file beside it\n",
        EscapeControls(Utf8Of(target)).c_str());
    return false;
  }
  std::ifstream in(target, std::ios::binary);
  char start[4] = {};
  if (in.read(start, sizeof start) && std::string(start, 4) == kBookMagic) {
    Err("abkhost: %s is an address book; export never writes over one\n", EscapeControls(Utf8Of(target)).c_str());
    return false;
  }
  return true;
}

// Writes the text beside the target, then renames it over the target.
bool WriteWhole(const std::filesystem::path& target, const std::string& text) {
  std::filesystem::path temporary = target;
  temporary += ".abkhost-tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out || !out.write(text.data(), static_cast<std::streamsize>(text.size())) || !out.flush()) {
      Err("abkhost: cannot write %s\n", EscapeControls(Utf8Of(temporary)).c_str());
      out.close();
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, target, error);
  if (!error) return true;
  Err("abkhost: cannot replace %s: %s\n", EscapeControls(Utf8Of(target)).c_str(), error.message().c_str());
  std::filesystem::remove(temporary, error);
  return false;
}

} // namespace

int ExportCommand(const GlobalOptions& options, const std::string& file) {
  bool toOutput = file == "-";
  std::filesystem::path target = PathOf(file);
  Host host(options);
  if (!host.Load() || !host.Open()) return 1;
  if (!toOutput && !MayWrite(host, target)) return 1;
  std::vector<EntryRow> entries;
  if (!host.ReadRows(&entries)) return 1;
  std::vector<FileRow> rows;
  for (int pass = 0; pass < 2; ++pass) {
    for (const EntryRow& entry : entries) {
      if (entry.IsGroup() != (pass == 1)) continue;
      FileRow row{&entry, std::vector<std::string>(kColumnCount)};
      row.cells[kTypeColumn] = TypeName(entry);
      row.cells[kIdColumn] = std::to_string(rows.size() + 1);
      if (!entry.IsGroup() && !ReadPerson(host, entry, &row.cells)) return 1;
      if (entry.IsGroup()) {
        row.cells[kNameColumn] = FromBook(entry.name);
        row.cells[kKeywordColumn] = FromBook(entry.keyword);
      }
      rows.push_back(std::move(row));
    }
  }
  if (!FillMembers(host, rows)) return 1;
  std::string text = FileText(rows);
  if (toOutput) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY); // the file's own line ends, not the console's
#endif
    fwrite(text.data(), 1, text.size(), stdout);
    if (fflush(stdout) != 0) {
      Err("abkhost: cannot write the standard output\n");
      return 1;
    }
  } else if (!WriteWhole(target, text)) {
    return 1;
  }
  Err("Exported %zu entries to %s\n", rows.size(), toOutput ? "the standard output" : EscapeControls(file).c_str());
  return 0;
}

} // namespace abkhost
