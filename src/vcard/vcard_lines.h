// vCard content lines: a file's physical lines unfolded into name, parameters and value, and a line folded
// back for writing.
#pragma once

#include <string>
#include <vector>

#include "csv/csv_text.h"

namespace abk::vcard {

struct Param {
  std::string name;                // upper case; a 2.1 bare parameter is named TYPE, or ENCODING for an encoding
  std::vector<std::string> values; // unquoted, one per comma-separated item
};

struct ContentLine {
  size_t line = 0;  // 1-based line where it starts
  std::string name; // upper case, without its group ("item1.tel" is TEL)
  std::vector<Param> params;
  std::string value; // as written, unfolded: escapes and encodings still in place
};

// Whether any of the line's parameters of that name holds the value, case ignored.
bool HasParam(const ContentLine& line, const char* name, const char* value);
// The first value of the line's parameter of that name; empty when it has none.
std::string ParamValue(const ContentLine& line, const char* name);

// The content lines of a file. A UTF-8 byte order mark is dropped; lines end with CRLF or LF. A line
// beginning with a space or a tab continues the one before it (the line end and that one blank removed);
// a quoted-printable value ending in '=' continues on the next line whatever it begins with (2.1's soft
// line break). Empty lines are skipped; a line without ':' is reported and skipped.
std::vector<ContentLine> ReadContentLines(const std::string& bytes, std::vector<abk::csv::Problem>* problems);

// A content line as written: cut into lines of at most 75 octets, never inside a UTF-8 character, each
// continuation beginning with a space; every line ended by CRLF.
std::string FoldLine(const std::string& line);

// ASCII upper case; other bytes as they are.
std::string Upper(const std::string& text);

} // namespace abk::vcard
