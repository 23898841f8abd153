// Shared pieces of the abkhost commands: the options every command takes, the session opened on the book,
// reading contents tables and finding entries by name or number.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/abkhost_text.h"
#include "host/dialog_driver.h"
#include "host/host_support.h"
#include "host/profile_section.h"
#include "host/provider_module.h"

namespace abkhost {

// --book and --profile.
struct GlobalOptions {
  std::string book;
  std::string profile;
};

// One row of a contents table, with the strings in the book's code page.
struct EntryRow {
  std::string entryId; // the 40-byte identifier
  ULONG recordId = 0;
  ULONG objectType = 0; // MAPI_MAILUSER or MAPI_DISTLIST
  std::string name, company, department, fax, faxDescription, fax2, fax2Description, keyword;
  bool IsGroup() const { return objectType == MAPI_DISTLIST; }
};

// The provider module, the profile and an open session.
class Host {
public:
  explicit Host(const GlobalOptions& options);
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // Loads the module and reads the profile file; prints the reason and answers false on failure.
  bool Load();
  // Opens the session on the book; prints the reason and answers false on failure.
  bool Open();

  host::ProviderModule module;
  host::ProfileSection profile;
  host::HostSupport support;
  LPADRBOOK session = nullptr;
  std::string profileFile;

  // The book's path as the profile names it (book code page), empty for the user's default book.
  std::string BookPath();
  // The root container, or a group's container when groupId is given.
  IABContainer* OpenContainer(const std::string& groupId = "");
  // Every row of the root container or of one group, or those a restriction lets through.
  bool ReadRows(std::vector<EntryRow>* rows, const std::string& groupId = "", LPSRestriction restriction = nullptr);
  // The same from a container already open: one that has listed its entries lists them again from memory.
  bool ReadRows(IABContainer* container, std::vector<EntryRow>* rows, LPSRestriction restriction = nullptr);
  // The rows whose names a typed text matches (the provider's PR_ANR matching; text in UTF-8).
  bool MatchingRows(const std::string& typed, std::vector<EntryRow>* rows, const std::string& groupId = "");
  // String properties of an entry, in the book's code page (empty where it has none); false after printing
  // why when the entry cannot be opened or read.
  bool ReadStrings(const EntryRow& row, const std::vector<ULONG>& tags, std::vector<std::string>* values);
  // The root container's creation template for persons (PR_DEF_CREATE_MAILUSER) or groups.
  std::string Template(ULONG tag);
  // An entry named by its number or its name; prints why and answers false when none or several match.
  bool Find(const std::string& nameOrId, EntryRow* row);
  // Writes the profile back to its file.
  bool SaveProfile();

private:
  GlobalOptions options_;
};

// The one rule for naming an entry: a number names the entry with that number; a name must be held by
// exactly one entry. Answers the row, or null after printing why (no such entry, or the candidates with
// their numbers).
const EntryRow* FindEntry(const std::vector<EntryRow>& rows, const std::string& nameOrId);

// The terminal form of an HRESULT.
std::string Code(HRESULT hr);
// True when text is a non-empty run of digits.
bool IsNumber(const std::string& text);
// Splits "NAME:primary" into its name and selection (0 when none is given, 1 primary, 2 secondary).
void SplitMember(const std::string& text, std::string* name, ULONG* selection);
// Whether a file is read or written as vCard: --format says (auto, csv or vcard), and auto says vCard for
// a name ending in ".vcf" in any case.
bool IsVcard(const std::string& format, const std::string& file);
// "person" or "group".
const char* TypeName(const EntryRow& row);

// The person dialog's fields as given on the command line; unset fields are left as the dialog shows them.
struct PersonFields {
  const std::string* Get(const char* option) const;
  std::vector<std::pair<std::string, std::string>> values; // option name without dashes, book code page
};

// The provider's own message text from its string table, in UTF-8.
std::string ProviderString(HINSTANCE module, UINT id);
// The fax number rule's refusal, naming the refused character; empty when the number is acceptable.
std::string FaxRefusal(HINSTANCE module, const std::string& bookNumber);

} // namespace abkhost
