// The address book as CSV records: what each heading names, and each data record as a person or group row.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "csv/csv_members.h"
#include "csv/csv_text.h"

namespace abk::csv {

enum class Column {
  kUnknown,
  kType,
  kId,
  kName,
  kPrefix,
  kFirst,
  kMiddle,
  kLast,
  kSuffix,
  kCompany,
  kDepartment,
  kFax,
  kFaxDescription,
  kFaxExtra1,
  kFaxExtra2,
  kFaxExtra3,
  kFax2,
  kFax2Description,
  kFax2Extra1,
  kFax2Extra2,
  kFax2Extra3,
  kKeyword,
  kMembers
};

// The column a heading names; case, spaces, underscores and hyphens do not count ("Fax_Description" is
// "fax description").
Column ColumnOf(const std::string& heading);
// The heading a column is written under and named by in messages ("fax_description"); empty for kUnknown.
const char* HeadingOf(Column column);

struct BookRow {
  size_t line = 0;
  bool group = false;
  std::string id;   // the id column's value; may be empty
  std::string name; // the name column, else prefix, first, last and suffix joined by a space; may be empty
  // Every non-empty value but type, id and members, in heading order (the name column's too).
  std::vector<std::pair<Column, std::string>> fields;
  std::vector<MemberRef> members;
};

// The row's value of a field column; empty when it has none.
std::string FieldOf(const BookRow& row, Column column);

struct Book {
  std::vector<Column> columns; // one per heading cell
  std::vector<BookRow> rows;
  std::vector<Problem> problems; // the document's and the book's, by line: while there are any, the file is
                                 // not to be taken in
  std::vector<Problem> warnings; // unknown columns, which are ignored
};

// The rows of a parsed file, its first record the heading. Values are trimmed of spaces and tabs and cut
// at a NUL byte, never shortened otherwise. Rows whose cells are all blank are skipped; a row with a
// problem is reported and left out.
Book ReadBook(const Document& document);

// One line of the book for writing: the cells quoted where needed, without the line end.
inline std::string FormatBookLine(const std::vector<std::string>& cells, char separator) {
  return JoinCells(cells, separator);
}

} // namespace abk::csv
