// abkhost add, edit and delete: persons and groups through the provider's own dialogs, driven with the
// values given, so every rule and message of the dialogs applies; deletion through the root container.
#include <cstring>
#include <string>

#include "host/abkhost_common.h"
#include "host/host_allocators.h"
#include "props/entry_props.h"
#include "resources/resource.h"

namespace abkhost {

namespace {

const char kAddHelp[] =
    "usage: abkhost [--book FILE] add person [PERSON OPTIONS]\n"
    "       abkhost [--book FILE] add group NAME [--keyword TEXT] [--member NAME[:primary|:secondary]]...\n"
    "person options (each types into the person dialog's field):\n"
    "  --first TEXT --last TEXT --name TEXT (recipient name) --company TEXT --dept TEXT\n"
    "  --fax NUMBER --fax-desc TEXT --fax2 NUMBER --fax2-desc TEXT --keyword TEXT\n"
    "A member is a person or a group by name; a person's fax number is the primary one unless\n"
    "':secondary' is given. An entry the dialog refuses prints the dialog's message; exit status 1.\n";

const char kEditHelp[] =
    "usage: abkhost [--book FILE] edit person ID [PERSON OPTIONS]\n"
    "       abkhost [--book FILE] edit group NAME|ID [--name NAME] [--keyword TEXT]\n"
    "                            [--member NAME[:primary|:secondary]]... [--remove NAME[:primary|:secondary]]...\n"
    "Only the fields given change; person options as for 'add person' (an empty value clears a field).\n";

const char kDeleteHelp[] = "usage: abkhost [--book FILE] delete ID...\n"
                           "  removes the entries from the address book (and from every group)\n";

struct PersonOption {
  const char* name;
  int control;
};
const PersonOption kPersonOptions[] = {
    {"first", IDC_FIRST_NAME},
    {"last", IDC_LAST_NAME},
    {"name", IDC_RECIPIENT_NAME},
    {"company", IDC_COMPANY},
    {"dept", IDC_DEPARTMENT},
    {"fax", IDC_PRIMARY_NUMBER},
    {"fax-desc", IDC_PRIMARY_DESCRIPTION},
    {"fax2", IDC_SECONDARY_NUMBER},
    {"fax2-desc", IDC_SECONDARY_DESCRIPTION},
    {"keyword", IDC_KEYWORD},
};

// Reads --option VALUE pairs of the person dialog; false on an unknown argument.
bool ReadPersonOptions(int argc, char** argv, PersonFields* fields) {
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    bool known = false;
    for (const PersonOption& option : kPersonOptions) {
      if (arg == std::string("--") + option.name && i + 1 < argc) {
        fields->values.emplace_back(option.name, FromTerminal(argv[++i]));
        known = true;
        break;
      }
    }
    if (!known) {
      fprintf(stderr, "abkhost: unknown argument '%s'\n", arg.c_str());
      return false;
    }
  }
  return true;
}

host::DialogDriver::Script PersonScript(const PersonFields& fields) {
  return [fields](host::DialogView& dialog) {
    for (const PersonOption& option : kPersonOptions)
      if (const std::string* value = fields.Get(option.name)) dialog.Type(option.control, *value);
    dialog.Click(IDOK);
  };
}

// What a dialog run left behind: its messages on stderr, and the exit status.
int Outcome(HRESULT hr, host::DialogDriver& driver, bool* refused) {
  *refused = false;
  for (const host::ShownMessage& message : driver.Messages()) {
    fprintf(stderr, "%s\n", ToTerminal(message.text).c_str());
    *refused = true;
  }
  for (const std::string& failure : driver.Failures())
    fprintf(stderr, "abkhost: %s\n", failure.c_str());
  if (*refused) return 1;
  if (FAILED(hr)) {
    fprintf(stderr, "abkhost: the entry was not saved (%s)\n", Code(hr).c_str());
    return 1;
  }
  return 0;
}

struct MemberChoice {
  std::string name; // Windows-1252
  ULONG selection = 0;
  std::string text; // as given, for messages
};

// Finds the available-list row for a member: a group by its name, a person by its name and the fax
// number chosen (the list offers one row per number).
int AvailableRow(host::DialogView& dialog, const MemberChoice& member, const std::vector<EntryRow>& book) {
  std::string fax;
  bool found = false;
  for (const EntryRow& row : book) {
    if (row.name != member.name) continue;
    found = true;
    if (row.IsGroup()) break;
    fax = member.selection == FAX_SELECT_SECONDARY ? row.fax2 : (row.fax.empty() ? row.fax2 : row.fax);
    break;
  }
  if (!found) return -1;
  std::vector<std::vector<std::string>> rows = dialog.Rows(IDC_AVAILABLE_LIST);
  for (size_t i = 0; i < rows.size(); ++i)
    if (!rows[i].empty() && rows[i][0] == member.name && (rows[i].size() < 4 || rows[i][3] == fax))
      return static_cast<int>(i);
  return -1;
}

struct GroupChanges {
  bool rename = false;
  std::string name, keyword;
  bool setKeyword = false;
  std::vector<MemberChoice> add, remove;
};

bool ReadGroupOptions(int argc, char** argv, GroupChanges* changes) {
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (i + 1 >= argc) {
      fprintf(stderr, "abkhost: unknown argument '%s'\n", arg.c_str());
      return false;
    }
    std::string value = argv[++i];
    if (arg == "--name") {
      changes->rename = true;
      changes->name = FromTerminal(value);
    } else if (arg == "--keyword") {
      changes->setKeyword = true;
      changes->keyword = FromTerminal(value);
    } else if (arg == "--member" || arg == "--remove") {
      MemberChoice member;
      member.text = value;
      SplitMember(FromTerminal(value), &member.name, &member.selection);
      (arg == "--member" ? changes->add : changes->remove).push_back(member);
    } else {
      fprintf(stderr, "abkhost: unknown argument '%s'\n", arg.c_str());
      return false;
    }
  }
  return true;
}

host::DialogDriver::Script GroupScript(const GroupChanges& changes, const std::vector<EntryRow>& book,
                                       std::string* problem) {
  return [changes, book, problem](host::DialogView& dialog) {
    if (changes.rename) dialog.Type(IDC_GROUP_NAME, changes.name);
    if (changes.setKeyword) dialog.Type(IDC_KEYWORD, changes.keyword);
    for (const MemberChoice& member : changes.remove) {
      std::vector<std::string> items = dialog.Items(IDC_MEMBER_LIST);
      int index = -1;
      for (size_t i = 0; i < items.size() && index < 0; ++i) {
        const std::string& item = items[i];
        if (item == member.name || item.rfind(member.name + "    ", 0) == 0) index = static_cast<int>(i);
      }
      if (index < 0) {
        *problem = "'" + member.text + "' is not a member of the group";
        dialog.Click(IDCANCEL);
        return;
      }
      dialog.SelectItems(IDC_MEMBER_LIST, {index});
      dialog.Click(IDC_REMOVE_FROM_GROUP);
    }
    for (const MemberChoice& member : changes.add) {
      int index = AvailableRow(dialog, member, book);
      if (index < 0) {
        *problem = "'" + member.text + "' is not offered as a member";
        dialog.Click(IDCANCEL);
        return;
      }
      dialog.SelectItems(IDC_AVAILABLE_LIST, {index});
      dialog.Click(IDC_ADD_TO_GROUP);
    }
    dialog.Click(IDOK);
  };
}

std::string NewIdText(ULONG size, LPENTRYID id) {
  if (!id || size != 40) return "?";
  ULONG record = 0;
  memcpy(&record, reinterpret_cast<const BYTE*>(id) + 32, sizeof record);
  return std::to_string(record);
}

int AddPerson(const GlobalOptions& options, int argc, char** argv) {
  PersonFields fields;
  if (!ReadPersonOptions(argc, argv, &fields)) return Help(kAddHelp, true);
  Host host(options);
  if (!host.Load() || !host.Open()) return 1;
  std::string tpl = host.Template(PR_DEF_CREATE_MAILUSER);
  host::DialogDriver driver(host.module.Instance());
  driver.OnDialog(IDD_PERSON, PersonScript(fields));
  ULONG size = 0;
  LPENTRYID id = nullptr;
  HRESULT hr = host.session->NewEntry(0, 0, 0, nullptr, static_cast<ULONG>(tpl.size()),
                                      reinterpret_cast<LPENTRYID>(tpl.data()), &size, &id);
  bool refused = false;
  int status = Outcome(hr, driver, &refused);
  if (status == 0) printf("Added person %s\n", NewIdText(size, id).c_str());
  if (id) HostFreeBuffer(id);
  return status;
}

int AddGroup(const GlobalOptions& options, int argc, char** argv) {
  if (argc < 1 || std::string(argv[0]).rfind("--", 0) == 0) return Help(kAddHelp, true);
  GroupChanges changes;
  changes.rename = true;
  changes.name = FromTerminal(argv[0]);
  if (!ReadGroupOptions(argc - 1, argv + 1, &changes)) return Help(kAddHelp, true);
  for (const MemberChoice& member : changes.remove) {
    fprintf(stderr, "abkhost: a new group has nothing to remove ('%s')\n", member.text.c_str());
    return 2;
  }
  Host host(options);
  if (!host.Load() || !host.Open()) return 1;
  std::vector<EntryRow> book;
  if (!host.ReadRows(&book)) return 1;
  std::string tpl = host.Template(PR_DEF_CREATE_DL);
  std::string problem;
  host::DialogDriver driver(host.module.Instance());
  driver.OnDialog(IDD_GROUP, GroupScript(changes, book, &problem));
  ULONG size = 0;
  LPENTRYID id = nullptr;
  HRESULT hr = host.session->NewEntry(0, 0, 0, nullptr, static_cast<ULONG>(tpl.size()),
                                      reinterpret_cast<LPENTRYID>(tpl.data()), &size, &id);
  bool refused = false;
  int status = Outcome(hr, driver, &refused);
  if (status == 0 && !problem.empty()) {
    fprintf(stderr, "abkhost: %s\n", ToTerminal(problem).c_str());
    status = 1;
  }
  if (status == 0) printf("Added group %s\n", NewIdText(size, id).c_str());
  if (id) HostFreeBuffer(id);
  return status;
}

int Details(Host& host, const EntryRow& row, host::DialogDriver& driver) {
  ULONG_PTR window = 0;
  HRESULT hr = host.session->Details(
      reinterpret_cast<ULONG*>(&window), nullptr, nullptr, static_cast<ULONG>(row.entryId.size()),
      reinterpret_cast<LPENTRYID>(const_cast<char*>(row.entryId.data())), nullptr, nullptr, nullptr, 0);
  bool refused = false;
  return Outcome(hr, driver, &refused);
}

int EditPerson(const GlobalOptions& options, int argc, char** argv) {
  if (argc < 1) return Help(kEditHelp, true);
  PersonFields fields;
  if (!ReadPersonOptions(argc - 1, argv + 1, &fields)) return Help(kEditHelp, true);
  Host host(options);
  if (!host.Load() || !host.Open()) return 1;
  EntryRow row;
  if (!host.Find(argv[0], &row)) return 1;
  if (row.IsGroup()) {
    fprintf(stderr, "abkhost: '%s' is a group\n", argv[0]);
    return 1;
  }
  host::DialogDriver driver(host.module.Instance());
  driver.OnDialog(IDD_PERSON, PersonScript(fields));
  int status = Details(host, row, driver);
  if (status == 0) printf("Changed person %lu\n", static_cast<unsigned long>(row.recordId));
  return status;
}

int EditGroup(const GlobalOptions& options, int argc, char** argv) {
  if (argc < 1) return Help(kEditHelp, true);
  GroupChanges changes;
  if (!ReadGroupOptions(argc - 1, argv + 1, &changes)) return Help(kEditHelp, true);
  Host host(options);
  if (!host.Load() || !host.Open()) return 1;
  EntryRow row;
  if (!host.Find(argv[0], &row)) return 1;
  if (!row.IsGroup()) {
    fprintf(stderr, "abkhost: '%s' is not a group\n", argv[0]);
    return 1;
  }
  std::vector<EntryRow> book;
  if (!host.ReadRows(&book)) return 1;
  std::string problem;
  host::DialogDriver driver(host.module.Instance());
  driver.OnDialog(IDD_GROUP, GroupScript(changes, book, &problem));
  int status = Details(host, row, driver);
  if (status == 0 && !problem.empty()) {
    fprintf(stderr, "abkhost: %s\n", ToTerminal(problem).c_str());
    status = 1;
  }
  if (status == 0) printf("Changed group %lu\n", static_cast<unsigned long>(row.recordId));
  return status;
}

} // namespace

namespace {

using KindCommand = int (*)(const GlobalOptions&, int, char**);

// "add" and "edit": the first argument names the kind, a --help anywhere shows the command's usage.
int RunForKind(const GlobalOptions& options, int argc, char** argv, const char* help, KindCommand person,
               KindCommand group) {
  for (int i = 0; i < argc; ++i)
    if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") return Help(help, false);
  std::string kind = argc > 0 ? argv[0] : "";
  if (kind == "person") return person(options, argc - 1, argv + 1);
  if (kind == "group") return group(options, argc - 1, argv + 1);
  return Help(help, true);
}

} // namespace

int AddCommand(const GlobalOptions& options, int argc, char** argv) {
  return RunForKind(options, argc, argv, kAddHelp, AddPerson, AddGroup);
}

int EditCommand(const GlobalOptions& options, int argc, char** argv) {
  return RunForKind(options, argc, argv, kEditHelp, EditPerson, EditGroup);
}

int DeleteCommand(const GlobalOptions& options, int argc, char** argv) {
  std::vector<std::string> targets;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return Help(kDeleteHelp, false);
    if (!IsNumber(arg)) {
      fprintf(stderr, "abkhost delete: '%s' is not an entry number\n", arg.c_str());
      return Help(kDeleteHelp, true);
    }
    targets.push_back(arg);
  }
  if (targets.empty()) return Help(kDeleteHelp, true);
  Host host(options);
  if (!host.Load() || !host.Open()) return 1;
  std::vector<EntryRow> rows(targets.size());
  std::vector<SBinary> ids;
  for (size_t i = 0; i < targets.size(); ++i) {
    if (!host.Find(targets[i], &rows[i])) return 1;
    ids.push_back({static_cast<ULONG>(rows[i].entryId.size()), reinterpret_cast<LPBYTE>(rows[i].entryId.data())});
  }
  IABContainer* root = host.OpenContainer();
  if (!root) return 1;
  ENTRYLIST list{static_cast<ULONG>(ids.size()), ids.data()};
  HRESULT hr = root->DeleteEntries(&list, 0);
  root->Release();
  if (hr != S_OK) {
    fprintf(stderr, "abkhost: not every entry was deleted (%s)\n", Code(hr).c_str());
    return 1;
  }
  for (const EntryRow& row : rows)
    printf("Deleted %s %lu: %s\n", row.IsGroup() ? "group" : "person", static_cast<unsigned long>(row.recordId),
           ToTerminal(row.name).c_str());
  return 0;
}

} // namespace abkhost
