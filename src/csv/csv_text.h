// CSV text: the bytes of a file turned into records of UTF-8 cells, and cells turned back into a line.
// Standard C++ only, so that the provider, the store library and the host can all link it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace abk::csv {

enum class Encoding { kAuto, kUtf8, kWindows1252 };

struct Record {
  size_t line = 0;                // 1-based line where the record starts
  std::vector<std::string> cells; // UTF-8, untrimmed
};

struct Problem {
  size_t line = 0;
  std::string text; // English, UTF-8
};

struct Document {
  char separator = ',';
  Encoding encoding = Encoding::kUtf8; // what the bytes were read as
  bool guessedWindows1252 = false;     // kAuto found bytes that are not UTF-8 and read them as Windows-1252
  std::vector<Record> records;         // the heading line first; empty lines are no records
  std::vector<Problem> problems;
};

// Reads a whole file. A UTF-8 byte order mark is dropped. The separator is ';' when the heading line holds
// more semicolons than commas outside quotes, else ','. Quoting as RFC 4180 has it; line ends are LF, CRLF
// or a lone CR. A quote left open at the end of the file is reported at its line, its record is dropped
// and reading goes on from the line after it. kUtf8 reports each line holding bytes that are not UTF-8
// and reads those bytes as Windows-1252, so nothing is lost.
Document ParseCsv(const std::string& bytes, Encoding encoding = Encoding::kAuto);

// The cell as a CSV field: in quotes when it holds the separator, '"', CR or LF, or begins or ends with a
// space or tab ('"' doubled inside).
std::string QuoteCell(const std::string& text, char separator);
// One line of cells, without its line end.
std::string JoinCells(const std::vector<std::string>& cells, char separator);

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or values above U+10FFFF).
bool IsUtf8(const std::string& bytes);
// Windows-1252 to UTF-8, 0x80-0x9F as Windows maps them (the five unassigned bytes to U+0081 and the like).
std::string Windows1252ToUtf8(const std::string& bytes);

} // namespace abk::csv
