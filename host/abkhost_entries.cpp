// abkhost add, edit and delete: persons and groups through the provider's own dialogs, driven with the
// values given, so every rule and message of the dialogs applies; deletion through the root container.
#include <cstring>
#include <string>

#include "host/abkhost_commands.h"
#include "host/host_allocators.h"
#include "props/entry_props.h"
#include "resources/resource.h"

namespace abkhost {

namespace {

// A value typed on the command line in the book's code page; false, with the reason printed, when a
// character has no form there.
bool BookValue(const char* what, const std::string& utf8, std::string* book) {
  bool lost = false;
  *book = ToBook(utf8, &lost);
  if (!lost) return true;
  Err("abkhost: %s '%s' holds characters the address book cannot hold\n", what, EscapeControls(utf8).c_str());
  return false;
}

// The person options in the book's code page, the fax numbers checked by the dialog's own rule first, so
// a refusal can name the character; false, with the reason printed, when a value cannot be taken.
bool PersonFieldsOf(HINSTANCE module, const PersonOptions& person, PersonFields* fields) {
  for (const auto& [name, value] : person.given) {
    std::string book;
    if (!BookValue(("--" + name).c_str(), value, &book)) return false;
    if (name == "fax" || name == "fax2") {
      std::string refusal = FaxRefusal(module, book);
      if (!refusal.empty()) {
        Err("%s\n", refusal.c_str());
        return false;
      }
    }
    fields->values.emplace_back(name, book);
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
int Outcome(HRESULT hr, host::DialogDriver& driver) {
  bool refused = false;
  for (const host::ShownMessage& message : driver.Messages()) {
    Err("%s\n", FromBook(message.text).c_str());
    refused = true;
  }
  for (const std::string& failure : driver.Failures())
    Err("abkhost: %s\n", failure.c_str());
  if (refused) return 1;
  if (FAILED(hr)) {
    Err("abkhost: the entry was not saved (%s)\n", Code(hr).c_str());
    return 1;
  }
  return 0;
}

struct MemberChoice {
  EntryRow row;
  ULONG selection = 0;
  std::string text; // as given, for messages
};

// Resolves --member and --remove values against the book by the one naming rule.
bool ResolveMembers(const std::vector<std::string>& given, const std::vector<EntryRow>& book,
                    std::vector<MemberChoice>* choices) {
  for (const std::string& text : given) {
    MemberChoice choice;
    choice.text = text;
    std::string name;
    SplitMember(text, &name, &choice.selection);
    const EntryRow* row = FindEntry(book, name);
    if (!row) return false;
    choice.row = *row;
    choices->push_back(choice);
  }
  return true;
}

// The cells the group dialog's available list shows for a member: name, company, department, and for a
// person the chosen number and its description, then the keyword.
std::vector<std::string> AvailableCells(const MemberChoice& member) {
  const EntryRow& row = member.row;
  bool secondary = member.selection == abk::kFaxSelectSecondary || (member.selection == 0 && row.fax.empty());
  if (row.IsGroup()) secondary = false;
  return {row.name,
          row.company,
          row.department,
          row.IsGroup() ? row.fax : (secondary ? row.fax2 : row.fax),
          row.IsGroup() ? row.faxDescription : (secondary ? row.fax2Description : row.faxDescription),
          row.keyword};
}

// The one item of a list that shows the member; -1 with the reason in *problem when none or several do.
int FindItem(const std::vector<int>& matches, const MemberChoice& member, const char* where, std::string* problem) {
  if (matches.size() == 1) return matches[0];
  *problem = "'" + member.text + "' " +
             (matches.empty() ? std::string("is not ") + where : std::string("cannot be told apart ") + where);
  return -1;
}

int AvailableRow(host::DialogView& dialog, const MemberChoice& member, std::string* problem) {
  std::vector<std::string> wanted = AvailableCells(member);
  std::vector<std::vector<std::string>> rows = dialog.Rows(IDC_AVAILABLE_LIST);
  std::vector<int> matches;
  for (size_t i = 0; i < rows.size(); ++i) {
    bool same = true;
    for (size_t c = 0; c < wanted.size() && c < rows[i].size(); ++c)
      same = same && rows[i][c] == wanted[c];
    if (same && !rows[i].empty()) matches.push_back(static_cast<int>(i));
  }
  return FindItem(matches, member, "offered as a member", problem);
}

int MemberItem(host::DialogView& dialog, const MemberChoice& member, std::string* problem) {
  std::vector<std::string> wanted = AvailableCells(member);
  std::string numbered = wanted[0] + "    " + wanted[3];
  std::vector<std::string> items = dialog.Items(IDC_MEMBER_LIST);
  std::vector<int> matches;
  for (size_t i = 0; i < items.size(); ++i) {
    bool chosen = member.selection != 0 && !member.row.IsGroup();
    if (chosen ? items[i] == numbered : (items[i] == wanted[0] || items[i].rfind(wanted[0] + "    ", 0) == 0))
      matches.push_back(static_cast<int>(i));
  }
  return FindItem(matches, member, "a member of the group", problem);
}

struct GroupChanges {
  bool rename = false;
  std::string name, keyword;
  bool setKeyword = false;
  std::vector<MemberChoice> add, remove;
};

// The group options in the book's code page and their members resolved; false after printing why.
bool GroupChangesOf(const GroupOptions& options, const std::vector<EntryRow>& book, GroupChanges* changes) {
  changes->rename = options.rename;
  changes->setKeyword = options.setKeyword;
  if (options.rename && !BookValue("the name", options.name, &changes->name)) return false;
  if (options.setKeyword && !BookValue("--keyword", options.keyword, &changes->keyword)) return false;
  return ResolveMembers(options.add, book, &changes->add) && ResolveMembers(options.remove, book, &changes->remove);
}

host::DialogDriver::Script GroupScript(const GroupChanges& changes, std::string* problem) {
  return [changes, problem](host::DialogView& dialog) {
    if (changes.rename) dialog.Type(IDC_GROUP_NAME, changes.name);
    if (changes.setKeyword) dialog.Type(IDC_KEYWORD, changes.keyword);
    for (const MemberChoice& member : changes.remove) {
      int index = MemberItem(dialog, member, problem);
      if (index < 0) {
        dialog.Click(IDCANCEL);
        return;
      }
      dialog.SelectItems(IDC_MEMBER_LIST, {index});
      dialog.Click(IDC_REMOVE_FROM_GROUP);
    }
    for (const MemberChoice& member : changes.add) {
      int index = AvailableRow(dialog, member, problem);
      if (index < 0) {
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

// Runs NewEntry with a creation template; the status, the new entry's number printed on success.
int NewEntry(Host& host, host::DialogDriver& driver, ULONG templateTag, const char* kind, const std::string& problem) {
  std::string tpl = host.Template(templateTag);
  if (tpl.empty()) {
    Err("abkhost: the book offers no template for a new %s\n", kind);
    return 1;
  }
  ULONG size = 0;
  LPENTRYID id = nullptr;
  HRESULT hr = host.session->NewEntry(0, 0, 0, nullptr, static_cast<ULONG>(tpl.size()),
                                      reinterpret_cast<LPENTRYID>(tpl.data()), &size, &id);
  int status = Outcome(hr, driver);
  if (status == 0 && !problem.empty()) {
    Err("abkhost: %s\n", EscapeControls(problem).c_str());
    status = 1;
  }
  if (status == 0 && (!id || size != 40)) {
    Err("abkhost: the provider did not answer the new %s's identifier\n", kind);
    status = 1;
  }
  if (status == 0) Out("Added %s %s\n", kind, NewIdText(size, id).c_str());
  if (id) HostFreeBuffer(id);
  return status;
}

int Details(Host& host, const EntryRow& row, host::DialogDriver& driver) {
  ULONG_PTR window = 0;
  HRESULT hr = host.session->Details(
      reinterpret_cast<ULONG*>(&window), nullptr, nullptr, static_cast<ULONG>(row.entryId.size()),
      reinterpret_cast<LPENTRYID>(const_cast<char*>(row.entryId.data())), nullptr, nullptr, nullptr, 0);
  return Outcome(hr, driver);
}

} // namespace

const PersonOption kPersonOptions[kPersonOptionCount] = {
    {"first", "first name", IDC_FIRST_NAME},
    {"last", "last name", IDC_LAST_NAME},
    {"name", "recipient name", IDC_RECIPIENT_NAME},
    {"company", "company", IDC_COMPANY},
    {"dept", "department", IDC_DEPARTMENT},
    {"fax", "first fax number", IDC_PRIMARY_NUMBER},
    {"fax-desc", "its description", IDC_PRIMARY_DESCRIPTION},
    {"fax2", "second fax number", IDC_SECONDARY_NUMBER},
    {"fax2-desc", "its description", IDC_SECONDARY_DESCRIPTION},
    {"keyword", "keyword", IDC_KEYWORD},
};

int AddPersonCommand(const GlobalOptions& options, const PersonOptions& person) {
  Host host(options);
  if (!host.Load()) return 1;
  PersonFields fields;
  if (!PersonFieldsOf(host.module.Instance(), person, &fields)) return 1;
  if (!host.Open()) return 1;
  host::DialogDriver driver(host.module.Instance());
  driver.OnDialog(IDD_PERSON, PersonScript(fields));
  return NewEntry(host, driver, PR_DEF_CREATE_MAILUSER, "person", "");
}

int AddGroupCommand(const GlobalOptions& options, const GroupOptions& group) {
  Host host(options);
  if (!host.Load() || !host.Open()) return 1;
  std::vector<EntryRow> book;
  if (!host.ReadRows(&book)) return 1;
  GroupChanges changes;
  if (!GroupChangesOf(group, book, &changes)) return 1;
  std::string problem;
  host::DialogDriver driver(host.module.Instance());
  driver.OnDialog(IDD_GROUP, GroupScript(changes, &problem));
  return NewEntry(host, driver, PR_DEF_CREATE_DL, "group", problem);
}

int EditPersonCommand(const GlobalOptions& options, const std::string& target, const PersonOptions& person) {
  Host host(options);
  if (!host.Load()) return 1;
  PersonFields fields;
  if (!PersonFieldsOf(host.module.Instance(), person, &fields)) return 1;
  if (!host.Open()) return 1;
  EntryRow row;
  if (!host.Find(target, &row)) return 1;
  if (row.IsGroup()) {
    Err("abkhost: '%s' is a group\n", EscapeControls(target).c_str());
    return 1;
  }
  host::DialogDriver driver(host.module.Instance());
  driver.OnDialog(IDD_PERSON, PersonScript(fields));
  int status = Details(host, row, driver);
  if (status == 0) Out("Changed person %lu\n", static_cast<unsigned long>(row.recordId));
  return status;
}

int EditGroupCommand(const GlobalOptions& options, const GroupOptions& group) {
  Host host(options);
  if (!host.Load() || !host.Open()) return 1;
  std::vector<EntryRow> book;
  if (!host.ReadRows(&book)) return 1;
  const EntryRow* row = FindEntry(book, group.target);
  if (!row) return 1;
  if (!row->IsGroup()) {
    Err("abkhost: '%s' is not a group\n", EscapeControls(group.target).c_str());
    return 1;
  }
  GroupChanges changes;
  if (!GroupChangesOf(group, book, &changes)) return 1;
  std::string problem;
  host::DialogDriver driver(host.module.Instance());
  driver.OnDialog(IDD_GROUP, GroupScript(changes, &problem));
  int status = Details(host, *row, driver);
  if (status == 0 && !problem.empty()) {
    Err("abkhost: %s\n", EscapeControls(problem).c_str());
    status = 1;
  }
  if (status == 0) Out("Changed group %lu\n", static_cast<unsigned long>(row->recordId));
  return status;
}

int DeleteCommand(const GlobalOptions& options, const std::vector<std::string>& targets) {
  Host host(options);
  if (!host.Load() || !host.Open()) return 1;
  std::vector<EntryRow> book;
  if (!host.ReadRows(&book)) return 1;
  // Each entry once, however often it is named.
  std::vector<EntryRow> rows;
  for (const std::string& target : targets) {
    const EntryRow* row = FindEntry(book, target);
    if (!row) return 1;
    bool named = false;
    for (const EntryRow& chosen : rows)
      named = named || chosen.recordId == row->recordId;
    if (!named) rows.push_back(*row);
  }
  std::vector<SBinary> ids;
  for (EntryRow& row : rows)
    ids.push_back({static_cast<ULONG>(row.entryId.size()), reinterpret_cast<LPBYTE>(row.entryId.data())});
  IABContainer* root = host.OpenContainer();
  if (!root) return 1;
  ENTRYLIST list{static_cast<ULONG>(ids.size()), ids.data()};
  HRESULT hr = root->DeleteEntries(&list, 0);
  root->Release();
  if (hr != S_OK) {
    Err("abkhost: not every entry was deleted (%s)\n", Code(hr).c_str());
    return 1;
  }
  for (const EntryRow& row : rows)
    Out("Deleted %s %lu: %s\n", TypeName(row), static_cast<unsigned long>(row.recordId),
        EscapeControls(FromBook(row.name)).c_str());
  return 0;
}

} // namespace abkhost
