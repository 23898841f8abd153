// Reading a plain CSV book: rows of fields, and the entries its columns describe.
#pragma once

#include <string>
#include <vector>

#include "store/store_abi.h"

namespace bkconv {

// One person or group of the CSV, its field records built, its members still named by display name.
struct CsvEntry {
  bool group = false;
  std::string name;
  std::vector<BYTE> records;
  ULONG count = 0;
  std::vector<std::string> members;
};

// Splits CSV text into rows: fields separated by commas, or by semicolons when the first line has more of
// them (spreadsheets in French locales write those); double quotes around a field, "" inside one.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text);

// The entries of the rows, the first row naming the columns; false when no column names a field we know.
bool ReadCsvEntries(const std::vector<std::vector<std::string>>& rows, std::vector<CsvEntry>* entries);

// Text of a file that begins with the UTF-8 mark, in the ANSI code page that the book's values use.
std::string Utf8ToAnsi(const std::string& text);

} // namespace bkconv
