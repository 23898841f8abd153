// The abkhost commands and what each takes from the command line. abkhost_main.cpp defines the options
// and their help; every string here is UTF-8 as typed.
#pragma once

#include <string>
#include <vector>

#include "host/abkhost_common.h"

namespace abkhost {

struct ServiceOptions {
  std::string action; // create or configure
  std::string name;
  bool named = false;
};

struct ListOptions {
  std::string group;
  std::string format = "table";
};

// The person options, in the order the dialog's fields are typed: the option's name (without dashes), its
// help, and the person dialog's control it types into.
struct PersonOption {
  const char* name;
  const char* help;
  int control;
};
constexpr size_t kPersonOptionCount = 10;
extern const PersonOption kPersonOptions[kPersonOptionCount];

// A person's fields: each option's value, or not given.
struct PersonOptions {
  std::vector<std::pair<std::string, std::string>> given; // option name without dashes, value
};

struct GroupOptions {
  std::string target; // edit: the group; add: its name
  bool rename = false;
  std::string name;
  bool setKeyword = false;
  std::string keyword;
  std::vector<std::string> add, remove; // NAME|ID[:primary|:secondary]
};

struct ImportOptions {
  std::string file;
  bool dryRun = false;
  std::string encoding = "auto"; // a CSV file's: auto, utf-8 or windows-1252
  std::string format = "auto";   // auto (by the file's name), csv or vcard
  bool withFaxOnly = false;      // persons without a fax number are left out instead of refusing the file
};

struct ExportOptions {
  std::string file; // or "-" for standard output
  std::string format = "auto";
  std::string vcardVersion = "4.0"; // or 3.0
};

int ServiceCommand(const GlobalOptions& options, const ServiceOptions& service);
int InfoCommand(const GlobalOptions& options);
int ListCommand(const GlobalOptions& options, const ListOptions& list);
int FindCommand(const GlobalOptions& options, const std::string& text, const ListOptions& list);
int ShowCommand(const GlobalOptions& options, const std::string& target);
int AddPersonCommand(const GlobalOptions& options, const PersonOptions& person);
int AddGroupCommand(const GlobalOptions& options, const GroupOptions& group);
int EditPersonCommand(const GlobalOptions& options, const std::string& target, const PersonOptions& person);
int EditGroupCommand(const GlobalOptions& options, const GroupOptions& group);
int DeleteCommand(const GlobalOptions& options, const std::vector<std::string>& targets);
int RecipientsCommand(const GlobalOptions& options, const std::vector<std::string>& names);
int ImportCommand(const GlobalOptions& options, const ImportOptions& import);
int ExportCommand(const GlobalOptions& options, const ExportOptions& exported);
int CheckCommand(const GlobalOptions& options);
int RepairCommand(const GlobalOptions& options);

} // namespace abkhost
