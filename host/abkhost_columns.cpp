// Reading the person properties behind the book's columns.
#include "host/abkhost_columns.h"

namespace abkhost {

bool ReadPersonValues(Host& host, const EntryRow& row, std::vector<std::string>* values) {
  std::vector<ULONG> tags;
  for (const ColumnTag& column : kColumnTags)
    tags.push_back(column.tag);
  return host.ReadStrings(row, tags, values);
}

} // namespace abkhost
