// The person property behind each column of the book's files, for import and export alike.
#pragma once

#include <iterator>

#include "csv/csv_book.h"
#include "host/abkhost_common.h"
#include "props/entry_props.h"

namespace abkhost {

struct ColumnTag {
  abk::csv::Column column;
  ULONG tag;
};
constexpr ColumnTag kColumnTags[] = {
    {abk::csv::Column::kName, PR_DISPLAY_NAME},
    {abk::csv::Column::kPrefix, PR_DISPLAY_NAME_PREFIX},
    {abk::csv::Column::kFirst, PR_GIVEN_NAME},
    {abk::csv::Column::kMiddle, PR_MIDDLE_NAME},
    {abk::csv::Column::kLast, PR_SURNAME},
    {abk::csv::Column::kSuffix, PR_NAME_SUFFIX},
    {abk::csv::Column::kCompany, PR_COMPANY_NAME},
    {abk::csv::Column::kDepartment, PR_DEPARTMENT_NAME},
    {abk::csv::Column::kFax, PR_BUSINESS_FAX_NUMBER},
    {abk::csv::Column::kFaxDescription, PR_PRIMARY_FAX_DESCRIPTION},
    {abk::csv::Column::kFaxExtra1, PR_PRIMARY_FAX_EXTRA1},
    {abk::csv::Column::kFaxExtra2, PR_PRIMARY_FAX_EXTRA2},
    {abk::csv::Column::kFaxExtra3, PR_PRIMARY_FAX_EXTRA3},
    {abk::csv::Column::kFax2, PR_HOME_FAX_NUMBER},
    {abk::csv::Column::kFax2Description, PR_SECONDARY_FAX_DESCRIPTION},
    {abk::csv::Column::kFax2Extra1, PR_SECONDARY_FAX_EXTRA1},
    {abk::csv::Column::kFax2Extra2, PR_SECONDARY_FAX_EXTRA2},
    {abk::csv::Column::kFax2Extra3, PR_SECONDARY_FAX_EXTRA3},
    {abk::csv::Column::kKeyword, PR_COMMENT},
};
constexpr size_t kTagCount = std::size(kColumnTags);
// Places in kColumnTags that the rules look at.
constexpr size_t kNameValue = 0, kFaxValue = 8, kFax2Value = 13, kKeywordValue = 18;
static_assert(kColumnTags[kFaxValue].column == abk::csv::Column::kFax &&
              kColumnTags[kFax2Value].column == abk::csv::Column::kFax2 &&
              kColumnTags[kKeywordValue].column == abk::csv::Column::kKeyword &&
              kColumnTags[kNameValue].column == abk::csv::Column::kName);

// The book's string values of a person behind kColumnTags, in its code page; false after printing why.
bool ReadPersonValues(Host& host, const EntryRow& row, std::vector<std::string>* values);

} // namespace abkhost
