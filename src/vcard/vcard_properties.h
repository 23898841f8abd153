// The vCard properties and parameters the book's columns are kept in, the same for reading and writing.
#pragma once

#include "csv/csv_book.h"

namespace abk::vcard {

// N's five parts, in order.
constexpr abk::csv::Column kNameParts[5] = {abk::csv::Column::kLast, abk::csv::Column::kFirst,
                                            abk::csv::Column::kMiddle, abk::csv::Column::kPrefix,
                                            abk::csv::Column::kSuffix};

// The fax blocks' fields that vCard has no property for, each kept in a property of this book's own, written
// after the TEL of its block (1 the first fax number, 2 the second).
struct ExtraProperty {
  const char* name;
  abk::csv::Column column;
  int block;
};
constexpr ExtraProperty kExtraProperties[] = {
    {"X-ABK-FAX-DESCRIPTION", abk::csv::Column::kFaxDescription, 1},
    {"X-ABK-FAX-EXTRA1", abk::csv::Column::kFaxExtra1, 1},
    {"X-ABK-FAX-EXTRA2", abk::csv::Column::kFaxExtra2, 1},
    {"X-ABK-FAX-EXTRA3", abk::csv::Column::kFaxExtra3, 1},
    {"X-ABK-FAX2-DESCRIPTION", abk::csv::Column::kFax2Description, 2},
    {"X-ABK-FAX2-EXTRA1", abk::csv::Column::kFax2Extra1, 2},
    {"X-ABK-FAX2-EXTRA2", abk::csv::Column::kFax2Extra2, 2},
    {"X-ABK-FAX2-EXTRA3", abk::csv::Column::kFax2Extra3, 2},
};

// The MEMBER parameter naming the fax numbers a group uses of a person member: "primary", "secondary" or
// both; without it the group uses every number the person has, as a CSV member without ':primary' does.
constexpr char kFaxChoiceParam[] = "X-ABK-FAX";
constexpr const char* kFaxChoices[] = {"primary", "secondary"};

constexpr char kUuidUrn[] = "urn:uuid:";

} // namespace abk::vcard
