// abkhost: the substitute host as a command-line tool. It loads the provider module by file name, as
// the real host does, and offers in a terminal what a user of the address book does every day. The
// options below are the parsing and the help alike.
#include <CLI/CLI.hpp>

#include <string>
#include <vector>

#include "host/abkhost_commands.h"

namespace {

using abkhost::GlobalOptions;

const char kPersonHelp[] = "Each person option types into the person dialog's field; an empty value clears it.";
const char kFormatHelp[] = "the file's format: auto (vcard for a name ending in .vcf, else csv), csv or vcard";
const char kMemberHelp[] =
    "A member is a person or a group, by name or by number; a person's fax number is the primary one unless\n"
    "':secondary' is given (NAME:primary, NAME:secondary, 12:secondary). A name that several entries hold\n"
    "is refused with their numbers.";

struct PersonSlots {
  std::string values[abkhost::kPersonOptionCount];
  CLI::Option* options[abkhost::kPersonOptionCount] = {};

  void Define(CLI::App* command) {
    for (size_t i = 0; i < abkhost::kPersonOptionCount; ++i)
      options[i] = command->add_option(std::string("--") + abkhost::kPersonOptions[i].name, values[i],
                                       abkhost::kPersonOptions[i].help);
  }
  abkhost::PersonOptions Given() const {
    abkhost::PersonOptions person;
    for (size_t i = 0; i < abkhost::kPersonOptionCount; ++i)
      if (options[i]->count()) person.given.emplace_back(abkhost::kPersonOptions[i].name, values[i]);
    return person;
  }
};

void DefineMembers(CLI::App* command, abkhost::GroupOptions* group, bool removes) {
  command->add_option("--member", group->add, "add a member: NAME|ID[:primary|:secondary]");
  if (removes) command->add_option("--remove", group->remove, "remove a member: NAME|ID[:primary|:secondary]");
  command->add_option("--keyword", group->keyword, "the group's keyword");
}

int Run(const std::vector<std::string>& arguments) {
  CLI::App app{"abkhost: the fax address book in a terminal, through the provider and its own dialogs", "abkhost"};
  app.set_version_flag("--version", std::string("abkhost ") + ABK_VERSION);
  app.require_subcommand(1);
  app.fallthrough();
  GlobalOptions global;
  app.add_option("--book", global.book, "the address-book file (default: the profile's, else the user's default book)");
  app.add_option("--profile", global.profile,
                 "the profile file (default: $ABK_PROFILE_FILE, else ~/.config/abk/profile)");
  app.add_option_function<std::string>(
         "--output-encoding",
         [](const std::string& encoding) {
           abkhost::SetOutputEncoding(encoding == "windows-1252" ? abkhost::OutputEncoding::kWindows1252
                                                                 : abkhost::OutputEncoding::kUtf8);
         },
         "what redirected output is written in: utf-8 (the default), or windows-1252 for older tools; a Windows "
         "console always gets wide text")
      ->check(CLI::IsMember({"utf-8", "windows-1252"}));
  int status = 0;

  abkhost::ServiceOptions service;
  CLI::App* serviceCommand = app.add_subcommand("service", "create or configure the service in the profile");
  serviceCommand
      ->add_option("action", service.action,
                   "create: the provider converts an older book if there is one; "
                   "configure: the configuration dialog")
      ->required()
      ->check(CLI::IsMember({"create", "configure"}));
  CLI::Option* serviceName =
      serviceCommand->add_option("--name", service.name, "the service's display name, typed into the dialog");
  serviceCommand->footer(
      "The profile file keeps the display name, the book's path (--book) and the service identifier.");
  serviceCommand->callback([&] {
    service.named = serviceName->count() > 0;
    status = abkhost::ServiceCommand(global, service);
  });

  app.add_subcommand("info", "open a session on the book and print the session's properties")->callback([&] {
    status = abkhost::InfoCommand(global);
  });

  abkhost::ListOptions list;
  CLI::App* listCommand = app.add_subcommand("list", "the address book, or one group's members");
  listCommand->add_option("--group", list.group, "list this group's members (NAME|ID)");
  listCommand
      ->add_option("--format", list.format,
                   "table (id, type, name, company, fax, fax2), or csv and json with "
                   "every column: id, type, name, company, department, fax, "
                   "fax_description, fax2, fax2_description, keyword")
      ->check(CLI::IsMember({"table", "csv", "json"}));
  listCommand->callback([&] { status = abkhost::ListCommand(global, list); });

  abkhost::ListOptions found;
  std::string findText;
  CLI::App* findCommand = app.add_subcommand(
      "find", "the entries whose name, or a word in it, given name, surname or company begins with TEXT "
              "(case and accents do not count)");
  findCommand->add_option("text", findText, "TEXT")->required();
  findCommand->add_option("--group", found.group, "look among this group's members (NAME|ID)");
  findCommand->add_option("--format", found.format, "table, csv or json, as for list")
      ->check(CLI::IsMember({"table", "csv", "json"}));
  findCommand->footer("Exit status 1 when nothing matches.");
  findCommand->callback([&] { status = abkhost::FindCommand(global, findText, found); });

  std::string showTarget;
  CLI::App* showCommand = app.add_subcommand("show", "every property of one entry; a group's members follow");
  showCommand->add_option("entry", showTarget, "NAME|ID")->required();
  showCommand->callback([&] { status = abkhost::ShowCommand(global, showTarget); });

  CLI::App* addCommand = app.add_subcommand("add", "a new person or group, through the provider's dialog");
  addCommand->require_subcommand(1);
  PersonSlots addPerson;
  CLI::App* addPersonCommand = addCommand->add_subcommand("person", "a new person, through the person dialog");
  addPerson.Define(addPersonCommand);
  addPersonCommand->footer(kPersonHelp);
  addPersonCommand->callback([&] { status = abkhost::AddPersonCommand(global, addPerson.Given()); });
  abkhost::GroupOptions addGroup;
  CLI::App* addGroupCommand = addCommand->add_subcommand("group", "a new group, through the group dialog");
  addGroupCommand->add_option("name", addGroup.name, "the group's name")->required();
  DefineMembers(addGroupCommand, &addGroup, false);
  CLI::Option* addGroupKeyword = addGroupCommand->get_option("--keyword");
  addGroupCommand->footer(kMemberHelp);
  addGroupCommand->callback([&] {
    addGroup.rename = true;
    addGroup.setKeyword = addGroupKeyword->count() > 0;
    status = abkhost::AddGroupCommand(global, addGroup);
  });

  CLI::App* editCommand = app.add_subcommand("edit", "change a person or a group, through the provider's dialog");
  editCommand->require_subcommand(1);
  PersonSlots editPerson;
  std::string editPersonTarget;
  CLI::App* editPersonCommand = editCommand->add_subcommand("person", "change a person; only the fields given change");
  editPersonCommand->add_option("entry", editPersonTarget, "NAME|ID")->required();
  editPerson.Define(editPersonCommand);
  editPersonCommand->footer(kPersonHelp);
  editPersonCommand->callback(
      [&] { status = abkhost::EditPersonCommand(global, editPersonTarget, editPerson.Given()); });
  abkhost::GroupOptions editGroup;
  CLI::App* editGroupCommand = editCommand->add_subcommand("group", "change a group; only what is given changes");
  editGroupCommand->add_option("entry", editGroup.target, "NAME|ID")->required();
  CLI::Option* editGroupName = editGroupCommand->add_option("--name", editGroup.name, "the group's new name");
  DefineMembers(editGroupCommand, &editGroup, true);
  CLI::Option* editGroupKeyword = editGroupCommand->get_option("--keyword");
  editGroupCommand->footer(kMemberHelp);
  editGroupCommand->callback([&] {
    editGroup.rename = editGroupName->count() > 0;
    editGroup.setKeyword = editGroupKeyword->count() > 0;
    status = abkhost::EditGroupCommand(global, editGroup);
  });

  std::vector<std::string> deleteTargets;
  CLI::App* deleteCommand = app.add_subcommand("delete", "remove entries from the address book and from every group");
  deleteCommand->add_option("entries", deleteTargets, "NAME|ID...")->required();
  deleteCommand->callback([&] { status = abkhost::DeleteCommand(global, deleteTargets); });

  std::vector<std::string> recipients;
  CLI::App* recipientsCommand = app.add_subcommand(
      "recipients", "prepare a recipient for each person (each member of a group, nested groups included) and print "
                    "the fax number the fax is sent to");
  recipientsCommand->add_option("entries", recipients, "NAME|ID...")->required();
  recipientsCommand->footer("A name may be a part of one, as for find, when it matches exactly one entry.\n"
                            "Exit status 1 when a recipient has no fax number.");
  recipientsCommand->callback([&] { status = abkhost::RecipientsCommand(global, recipients); });

  abkhost::ImportOptions import;
  CLI::App* importCommand = app.add_subcommand("import", "add the entries of a CSV or vCard file");
  importCommand->add_option("file", import.file, "FILE.csv or FILE.vcf")->required();
  importCommand->add_flag("--dry-run", import.dryRun,
                          "check the whole file and say what would be added; write nothing");
  importCommand
      ->add_option("--encoding", import.encoding,
                   "a CSV file's encoding: auto (UTF-8 when it is valid UTF-8, "
                   "else Windows-1252), utf-8 or windows-1252")
      ->check(CLI::IsMember({"auto", "utf-8", "windows-1252"}));
  importCommand->add_option("--format", import.format, kFormatHelp)->check(CLI::IsMember({"auto", "csv", "vcard"}));
  importCommand->add_flag("--with-fax-only", import.withFaxOnly,
                          "leave out the persons without a fax number (a phone's contacts), naming each, "
                          "instead of refusing the file");
  importCommand->footer("The whole file is checked first; nothing is written while any line is wrong. An entry the "
                        "book already holds\nis reported as present and not added again, so an interrupted import "
                        "can simply be run again.\nColumns, member lists and vCard properties: docs/abkhost.md.");
  importCommand->callback([&] { status = abkhost::ImportCommand(global, import); });

  abkhost::ExportOptions exported;
  CLI::App* exportCommand =
      app.add_subcommand("export", "write the address book as a CSV or vCard file that import reads back");
  exportCommand->add_option("file", exported.file, "FILE.csv, FILE.vcf, or - for standard output")->required();
  exportCommand->add_option("--format", exported.format, kFormatHelp)->check(CLI::IsMember({"auto", "csv", "vcard"}));
  exportCommand
      ->add_option("--vcard-version", exported.vcardVersion, "the vCard version written: 4.0 (the default) or 3.0")
      ->check(CLI::IsMember({"3.0", "4.0"}));
  exportCommand->footer("The file is written beside the target and renamed over it when complete; the book itself "
                        "is never a target.");
  exportCommand->callback([&] { status = abkhost::ExportCommand(global, exported); });

  app.add_subcommand("check", "say whether the book is damaged, and where (exit status 1 when it is)")->callback([&] {
    status = abkhost::CheckCommand(global);
  });
  app.add_subcommand("repair", "keep what a damaged book still holds; the damaged file is kept aside")->callback([&] {
    status = abkhost::RepairCommand(global);
  });

  // An unknown command is named as such, before the options are read.
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--book" || argument == "--profile" || argument == "--output-encoding") {
      ++i;
      continue;
    }
    if (argument.rfind("-", 0) == 0) continue;
    try {
      app.get_subcommand(argument);
      break;
    } catch (const CLI::OptionNotFound&) {
    }
    abkhost::Err("abkhost: unknown command '%s'\n", abkhost::EscapeControls(argument).c_str());
    abkhost::Err("Run 'abkhost --help' for the commands.\n");
    return 2;
  }
  std::vector<const char*> argv;
  for (const std::string& argument : arguments)
    argv.push_back(argument.c_str());
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    abkhost::Err("abkhost: %s\n", e.what());
    abkhost::Err("Run 'abkhost --help' or 'abkhost COMMAND --help' for the usage.\n");
    return 2;
  }
  return status;
}

} // namespace

int main(int argc, char** argv) {
  try {
    return Run(abkhost::Utf8Arguments(argc, argv));
  } catch (const std::exception& e) {
    abkhost::Err("abkhost: %s\n", e.what());
    return 1;
  }
}
