// Shared pieces of the abkhost commands: text conversion, the options every command takes, the session
// opened on the book, reading contents tables and finding entries by name or number.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host/dialog_driver.h"
#include "host/host_support.h"
#include "host/profile_section.h"
#include "host/provider_module.h"

namespace abkhost {

// Windows-1252 text from the provider, shown in the terminal's UTF-8, and back.
std::string ToTerminal(const std::string& ansi);
std::string FromTerminal(const std::string& utf8);

// --book and --profile, taken out of the arguments before a command reads its own.
struct GlobalOptions {
  std::string book;
  std::string profile;
};

// One row of a contents table, with the strings already in the provider's Windows-1252.
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

  // The root container, or a group's container when groupId is given.
  IABContainer* OpenContainer(const std::string& groupId = "");
  // Every row of the root container or of one group.
  bool ReadRows(std::vector<EntryRow>* rows, const std::string& groupId = "");
  // The root container's creation template for persons (PR_DEF_CREATE_MAILUSER) or groups.
  std::string Template(ULONG tag);
  // An entry named by its number or its name; prints why and answers false when none or several match.
  bool Find(const std::string& nameOrId, EntryRow* row);
  // Writes the profile back to its file.
  bool SaveProfile();

private:
  GlobalOptions options_;
};

// The terminal form of an HRESULT.
std::string Code(HRESULT hr);
// True when text is a non-empty run of digits.
bool IsNumber(const std::string& text);
// Splits "NAME:primary" into its name and selection (0 when none is given, 1 primary, 2 secondary).
bool SplitMember(const std::string& text, std::string* name, ULONG* selection);

// The person dialog's fields as given on the command line or read from a CSV row; unset fields are left
// as the dialog shows them.
struct PersonFields {
  const std::string* Get(const char* option) const;
  std::vector<std::pair<std::string, std::string>> values; // option name without dashes, Windows-1252 value
};

// The provider's own message text from its string table, for the terminal.
std::string ProviderString(HINSTANCE module, UINT id);

// Commands.
int ServiceCommand(const GlobalOptions& options, int argc, char** argv);
int ListCommand(const GlobalOptions& options, int argc, char** argv);
int ShowCommand(const GlobalOptions& options, int argc, char** argv);
int AddCommand(const GlobalOptions& options, int argc, char** argv);
int EditCommand(const GlobalOptions& options, int argc, char** argv);
int DeleteCommand(const GlobalOptions& options, int argc, char** argv);
int RecipientsCommand(const GlobalOptions& options, int argc, char** argv);
int ImportCommand(const GlobalOptions& options, int argc, char** argv);
int ExportCommand(const GlobalOptions& options, int argc, char** argv);
int InfoCommand(const GlobalOptions& options, int argc, char** argv);
int CheckCommand(const GlobalOptions& options, int argc, char** argv);
int RepairCommand(const GlobalOptions& options, int argc, char** argv);

// Prints a command's help to stdout (exit 0) or to stderr after a usage error (exit 2).
int Help(const char* text, bool error);

} // namespace abkhost
