// vCard files as the address book's rows: a file read into the rows a CSV file gives, so that one import
// checks and writes both, and rows written as cards.
#pragma once

#include <string>

#include "csv/csv_book.h"

namespace abk::vcard {

enum class Version { kVersion3, kVersion4 };

// The cards of a file (2.1, 3.0 or 4.0) as rows, each at the line of its BEGIN:VCARD. A person takes FN,
// N, ORG, up to two TEL of type fax (the first typed work is the first number, the first typed home the
// second, the others fill what is left in file order) and NOTE as its keyword; a KIND:group card (or
// 3.0's X-ADDRESSBOOKSERVER-KIND) takes FN, NOTE and its MEMBER lines, each naming a card by its UID. A
// property the book has no place for is ignored, all of them named in one warning. A card with a problem
// is reported at the line of the problem and left out.
abk::csv::Book ReadCards(const std::string& bytes);

// The rows as cards with CRLF line ends, folded at 75 octets. Each card's UID is made from its kind, its
// name and how many cards of that kind and name come before it, so that writing the rows read back gives
// the same bytes. Members are named by the rows' ids.
std::string WriteCards(const abk::csv::Book& book, Version version);

} // namespace abk::vcard
