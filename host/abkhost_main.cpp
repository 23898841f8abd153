// abkhost: the substitute host as a command-line tool. It loads the provider module by file name, as
// the real host does, and offers in a terminal what a user of the address book does every day.
#include <cstring>
#include <string>
#include <vector>

#include "host/abkhost_common.h"

namespace {

const char kUsage[] =
    "usage: abkhost [--book FILE] [--profile FILE] COMMAND [ARGS]\n"
    "\n"
    "commands (each takes --help):\n"
    "  service create|configure [--name NAME]   create or configure the service in the profile\n"
    "  info                                     the session's properties\n"
    "  list [--group NAME|ID] [--format table|csv|json]\n"
    "                                           the address book, or one group's members\n"
    "  show NAME|ID                             every property of one entry\n"
    "  add person OPTIONS                       a new person, through the person dialog\n"
    "  add group NAME [--member NAME[:primary|:secondary]]...\n"
    "                                           a new group, through the group dialog\n"
    "  edit person ID OPTIONS                   change a person\n"
    "  edit group NAME|ID [OPTIONS]             change a group\n"
    "  delete ID...                             remove entries from the address book\n"
    "  recipients NAME...                       prepare recipients and print their fax numbers\n"
    "  import FILE.csv                          add the entries of a CSV file\n"
    "  export FILE.csv                          write the address book as a CSV file\n"
    "  check                                    say whether the book is damaged, and where\n"
    "  repair                                   keep what a damaged book still holds\n"
    "\n"
    "  --book FILE      the address-book file (default: the profile's, else the user's default book)\n"
    "  --profile FILE   the profile file (default: $ABK_PROFILE_FILE, else ~/.config/abk/profile)\n";

struct Command {
  const char* name;
  int (*run)(const abkhost::GlobalOptions&, int, char**);
};

const Command kCommands[] = {
    {"service", abkhost::ServiceCommand}, {"info", abkhost::InfoCommand},
    {"list", abkhost::ListCommand},       {"show", abkhost::ShowCommand},
    {"add", abkhost::AddCommand},         {"edit", abkhost::EditCommand},
    {"delete", abkhost::DeleteCommand},   {"recipients", abkhost::RecipientsCommand},
    {"import", abkhost::ImportCommand},   {"export", abkhost::ExportCommand},
    {"check", abkhost::CheckCommand},     {"repair", abkhost::RepairCommand},
};

} // namespace

int main(int argc, char** argv) {
  abkhost::GlobalOptions options;
  std::vector<char*> rest;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if ((arg == "--book" || arg == "--profile") && i + 1 < argc) {
      (arg == "--book" ? options.book : options.profile) = argv[++i];
      continue;
    }
    if (arg.rfind("--book=", 0) == 0) {
      options.book = arg.substr(7);
      continue;
    }
    if (arg.rfind("--profile=", 0) == 0) {
      options.profile = arg.substr(10);
      continue;
    }
    rest.push_back(argv[i]);
  }
  if (rest.empty()) return abkhost::Help(kUsage, true);
  std::string command = rest[0];
  if (command == "--help" || command == "-h" || command == "help") return abkhost::Help(kUsage, false);
  for (const Command& known : kCommands) {
    if (command == known.name) return known.run(options, static_cast<int>(rest.size()) - 1, rest.data() + 1);
  }
  fprintf(stderr, "abkhost: unknown command '%s'\n", command.c_str());
  return abkhost::Help(kUsage, true);
}
