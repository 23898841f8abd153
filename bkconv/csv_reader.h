// Reading a CSV book (the format abkhost import reads) into entries: their field records in the ANSI code
// page, their members resolved among the entries of the same file.
#pragma once

#include <string>
#include <vector>

#include "store/store_abi.h"

namespace bkconv {

// A member of a group: the index of the entry it is among the file's, and the fax numbers it joins with.
struct CsvMember {
  size_t entry = 0;
  ULONG faxSelection = 0;
};

// One person or group of the CSV, its field records built.
struct CsvEntry {
  bool group = false;
  std::vector<BYTE> records;
  ULONG count = 0;
  std::vector<CsvMember> members;
};

// The entries of a CSV file's bytes, or false when anything in it cannot be taken in as it is written;
// *notes then says why, and holds the warnings either way ("line N: text").
bool ReadCsvEntries(const std::string& bytes, std::vector<CsvEntry>* entries, std::vector<std::string>* notes);

} // namespace bkconv
