// abkhost import: the entries of a CSV or vCard file, checked whole before anything is written, then added in one
// transaction through the provider: CreateEntry, SetProps and SaveChanges for each entry, CopyEntries
// for each group's members. The dialogs' own rules apply (the same code), and an entry the book already
// holds is reported as present and not added again, so an interrupted import can be run again.
#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "csv/csv_book.h"
#include "host/abkhost_columns.h"
#include "host/abkhost_commands.h"
#include "host/book_transaction.h"
#include "host/host_allocators.h"
#include "props/entry_props.h"
#include "resources/resource.h"
#include "rules/group_graph.h"
#include "rules/limits.h"
#include "vcard/vcard_book.h"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace abkhost {

namespace {

using abk::csv::Column;

// A stored value holds at most this many bytes of the book's code page.
constexpr size_t kMaxValueBytes = 255;

// Records that stand for the file's new entries while the rules are checked: past any record a book
// hands out, persons below bit 31 and groups above it.
constexpr ULONG kFirstNewPerson = 0x7FFFFFFE;
constexpr ULONG kFirstNewGroup = 0xFFFFFFFE;

struct Problems {
  std::vector<abk::csv::Problem> list;
  void Add(size_t line, const std::string& text) { list.push_back({line, text}); }
};

// One row of the file as it will be written.
struct Entry {
  const abk::csv::BookRow* row = nullptr;
  std::vector<std::string> values; // per kColumnTags, in the book's code page
  std::string bookName;
  ULONG record = 0;                  // the book's record once known; a stand-in while the entry is new
  const EntryRow* present = nullptr; // the book's identical entry
  std::vector<abk::GraphMember> members;
  std::string entryId; // once made or found
};

// The book's groups and the file's new ones, for the dialogs' rules.
class ImportGraph final : public abk::GroupGraph {
public:
  ImportGraph(Host& host, const std::vector<EntryRow>& book, std::vector<Entry>& entries) : host_(host) {
    for (const EntryRow& row : book)
      if (row.IsGroup()) {
        stored_[row.recordId] = &row;
        order_.push_back(row.recordId);
      }
    for (Entry& entry : entries)
      if (entry.row->group && !entry.present) {
        fresh_[entry.record] = &entry;
        order_.push_back(entry.record);
      }
  }
  void Edit(ULONG group) {
    edited_ = group;
    listed_.clear();
    for (ULONG record : order_)
      if (record != group) listed_.push_back(record);
  }
  bool MembersOf(ULONG group, abk::MemberSpan* members) override {
    *members = {};
    if (group == edited_) return true;
    if (auto found = fresh_.find(group); found != fresh_.end()) {
      *members = {found->second->members.data(), found->second->members.size()};
      return true;
    }
    auto found = stored_.find(group);
    if (found == stored_.end()) return true;
    auto cached = read_.find(group);
    if (cached == read_.end()) {
      std::vector<EntryRow> rows;
      if (!host_.ReadRows(&rows, found->second->entryId)) return false;
      std::vector<abk::GraphMember>& list = read_[group];
      for (const EntryRow& row : rows)
        list.push_back({row.recordId, row.IsGroup() ? abk::MemberKind::kGroup : abk::MemberKind::kPerson,
                        (row.fax.empty() ? 0u : 1u) | (row.fax2.empty() ? 0u : 2u)});
      cached = read_.find(group);
    }
    *members = {cached->second.data(), cached->second.size()};
    return true;
  }
  size_t GroupCount() override { return listed_.size(); }
  ULONG GroupAt(size_t index) override { return listed_[index]; }

private:
  Host& host_;
  std::map<ULONG, const EntryRow*> stored_;
  std::map<ULONG, Entry*> fresh_;
  std::map<ULONG, std::vector<abk::GraphMember>> read_;
  std::vector<ULONG> order_, listed_;
  ULONG edited_ = abk::kNoEditedGroup;
};

std::string ReadFile(const std::string& file, bool* ok) {
  std::ifstream in(PathOf(file), std::ios::binary);
  std::ostringstream bytes;
  *ok = in && (bytes << in.rdbuf());
  if (in && bytes.str().empty()) *ok = true; // an empty file reads as nothing
  return bytes.str();
}

abk::csv::Encoding EncodingOf(const std::string& name) {
  if (name == "utf-8") return abk::csv::Encoding::kUtf8;
  if (name == "windows-1252") return abk::csv::Encoding::kWindows1252;
  return abk::csv::Encoding::kAuto;
}

// The file's rows, read as vCard or CSV: from here on both are checked and written alike.
abk::csv::Book ReadBookFile(const ImportOptions& import, const std::string& bytes) {
  if (IsVcard(import.format, import.file)) return abk::vcard::ReadCards(bytes);
  abk::csv::Document document = abk::csv::ParseCsv(bytes, EncodingOf(import.encoding));
  if (document.guessedWindows1252)
    Err("abkhost: warning: %s is not UTF-8; it was read as Windows-1252 (--encoding chooses)\n",
        EscapeControls(import.file).c_str());
  return abk::csv::ReadBook(document);
}

// Leaves out the persons without a fax number, each named on a warning line; answers how many.
size_t LeaveOutWithoutFax(abk::csv::Book& file) {
  std::vector<abk::csv::BookRow> kept;
  size_t left = 0;
  for (abk::csv::BookRow& row : file.rows) {
    if (!row.group && abk::csv::FieldOf(row, Column::kFax).empty() && abk::csv::FieldOf(row, Column::kFax2).empty()) {
      Err("abkhost: line %zu: '%s' left out: no fax number\n", row.line, EscapeControls(row.name).c_str());
      ++left;
      continue;
    }
    kept.push_back(std::move(row));
  }
  file.rows.swap(kept);
  return left;
}

// The row's values in the book's code page, each checked: characters the book cannot hold, values longer
// than a field, the fax number rule. A group takes only a name and a keyword.
void ConvertValues(HINSTANCE module, Entry& entry, Problems& problems) {
  const abk::csv::BookRow& row = *entry.row;
  entry.values.assign(kTagCount, std::string());
  for (size_t i = 0; i < kTagCount; ++i) {
    std::string value =
        kColumnTags[i].column == Column::kName ? row.name : abk::csv::FieldOf(row, kColumnTags[i].column);
    if (value.empty()) continue;
    const char* heading = abk::csv::HeadingOf(kColumnTags[i].column);
    if (row.group && kColumnTags[i].column != Column::kName && kColumnTags[i].column != Column::kKeyword) {
      problems.Add(row.line, std::string("a group has no ") + heading + " ('" + EscapeControls(value) +
                                 "'); it takes a name, a keyword and members");
      continue;
    }
    bool lost = false;
    std::string book = ToBook(value, &lost);
    if (lost)
      problems.Add(row.line, std::string(heading) + " '" + EscapeControls(value) +
                                 "' holds characters the address book cannot hold");
    else if (book.size() > kMaxValueBytes)
      problems.Add(row.line, std::string(heading) + " is " + std::to_string(book.size()) +
                                 " characters long; the book keeps at most " + std::to_string(kMaxValueBytes));
    entry.values[i] = book;
  }
  entry.bookName = entry.values[kNameValue];
  if (row.group) {
    if (row.name.empty()) problems.Add(row.line, ProviderString(module, IDS_GROUP_NO_NAME));
    if (row.members.empty()) problems.Add(row.line, ProviderString(module, IDS_GROUP_NO_MEMBERS));
    return;
  }
  if (row.name.empty()) problems.Add(row.line, ProviderString(module, IDS_NO_RECIPIENT_NAME));
  const std::string& fax = entry.values[kFaxValue];
  const std::string& fax2 = entry.values[kFax2Value];
  for (const std::string* number : {&fax, &fax2}) {
    std::string refusal = FaxRefusal(module, *number);
    if (!refusal.empty()) problems.Add(row.line, refusal);
  }
  if (fax.empty() && fax2.empty()) problems.Add(row.line, ProviderString(module, IDS_FAX_MISSING));
}

// The book's person identical to the entry in every column the file has, if any.
// False when a person of the book could not be read.
bool FindPresentPerson(Host& host, Entry& entry, const std::vector<Column>& columns,
                       const std::multimap<std::string, const EntryRow*>& byName, const std::set<ULONG>& taken) {
  auto range = byName.equal_range(entry.bookName);
  for (auto it = range.first; it != range.second; ++it) {
    const EntryRow* row = it->second;
    if (row->IsGroup() || taken.count(row->recordId)) continue;
    std::vector<std::string> stored;
    if (!ReadPersonValues(host, *row, &stored)) return false;
    bool same = true;
    for (size_t i = 0; i < kTagCount && same; ++i) {
      bool inFile = kColumnTags[i].column == Column::kName ||
                    std::find(columns.begin(), columns.end(), kColumnTags[i].column) != columns.end();
      same = !inFile || stored[i] == entry.values[i];
    }
    if (same) {
      entry.present = row;
      return true;
    }
  }
  return true;
}

// Resolves every member of the file's groups to an entry of the file or of the book, by the one naming
// rule: an id of the file, or a name exactly one entry holds.
void ResolveMembers(std::vector<Entry>& entries, const std::vector<EntryRow>& book, Problems& problems) {
  std::map<std::string, size_t> byId;
  std::multimap<std::string, size_t> fileByName;
  std::set<ULONG> presentRecords;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!entries[i].row->id.empty()) byId[entries[i].row->id] = i;
    fileByName.emplace(entries[i].row->name, i);
    if (entries[i].present) presentRecords.insert(entries[i].present->recordId);
  }
  for (Entry& entry : entries) {
    if (!entry.row->group) continue;
    std::map<ULONG, size_t> slot; // a member's place in entry.members
    for (const abk::csv::MemberRef& ref : entry.row->members) {
      std::string shown = ref.id.empty() ? "'" + EscapeControls(ref.name) + "'" : "#" + ref.id;
      ULONG record = 0;
      bool group = false;
      std::string fax, fax2, id;
      if (!ref.id.empty()) {
        auto found = byId.find(ref.id);
        if (found == byId.end()) {
          problems.Add(entry.row->line, "member " + shown + ": no row of the file has that id");
          continue;
        }
        const Entry& target = entries[found->second];
        record = target.record;
        group = target.row->group;
        fax = target.values[kFaxValue];
        fax2 = target.values[kFax2Value];
      } else {
        std::vector<std::string> candidates;
        auto range = fileByName.equal_range(ref.name);
        for (auto it = range.first; it != range.second; ++it) {
          const Entry& target = entries[it->second];
          candidates.push_back("line " + std::to_string(target.row->line));
          record = target.record;
          group = target.row->group;
          fax = target.values[kFaxValue];
          fax2 = target.values[kFax2Value];
        }
        bool lost = false;
        std::string bookName = ToBook(ref.name, &lost);
        for (const EntryRow& row : book) {
          if (lost || row.name != bookName || presentRecords.count(row.recordId)) continue;
          candidates.push_back("entry " + std::to_string(row.recordId));
          record = row.recordId;
          group = row.IsGroup();
          fax = row.fax;
          fax2 = row.fax2;
        }
        if (candidates.empty()) {
          problems.Add(entry.row->line, "member " + shown + " is neither in the file nor in the address book");
          continue;
        }
        if (candidates.size() > 1) {
          std::string list;
          for (const std::string& candidate : candidates)
            list += (list.empty() ? "" : ", ") + candidate;
          problems.Add(entry.row->line, "member " + shown + " names several entries (" + list +
                                            "); name it by its id ('#' and the id column)");
          continue;
        }
      }
      if (record == entry.record) {
        problems.Add(entry.row->line, "member " + shown + " is the group itself");
        continue;
      }
      if (group && ref.numbers) {
        problems.Add(entry.row->line, "member " + shown + " is a group: it has no fax number to choose");
        continue;
      }
      ULONG numbers = group ? 0 : (ref.numbers ? ref.numbers : (fax.empty() ? 0u : 1u) | (fax2.empty() ? 0u : 2u));
      if (!group && ((numbers & 1 && fax.empty()) || (numbers & 2 && fax2.empty()))) {
        problems.Add(entry.row->line,
                     "member " + shown + " has no " + (numbers & 1 ? "first" : "second") + " fax number");
        continue;
      }
      auto known = slot.find(record);
      if (known != slot.end()) {
        entry.members[known->second].numbers |= numbers;
        continue;
      }
      slot[record] = entry.members.size();
      entry.members.push_back({record, group ? abk::MemberKind::kGroup : abk::MemberKind::kPerson, numbers});
    }
  }
}

// A group is present when the book has one of the same name and keyword with the same members. Each
// group found takes the book's record, so the groups holding it can be found next round. False after
// printing why when a book group's members cannot be read.
bool FindPresentGroups(Host& host, std::vector<Entry>& entries,
                       const std::multimap<std::string, const EntryRow*>& byName, std::set<ULONG>& taken,
                       std::map<ULONG, std::vector<EntryRow>>& bookMembers, size_t* found) {
  for (Entry& entry : entries) {
    if (!entry.row->group || entry.present) continue;
    auto range = byName.equal_range(entry.bookName);
    for (auto it = range.first; it != range.second && !entry.present; ++it) {
      const EntryRow* row = it->second;
      if (!row->IsGroup() || taken.count(row->recordId) || row->keyword != entry.values[kKeywordValue]) continue;
      auto cached = bookMembers.find(row->recordId);
      if (cached == bookMembers.end()) {
        std::vector<EntryRow> members;
        if (!host.ReadRows(&members, row->entryId)) return false;
        cached = bookMembers.emplace(row->recordId, std::move(members)).first;
      }
      const std::vector<EntryRow>& members = cached->second;
      bool same = members.size() == entry.members.size();
      for (size_t m = 0; same && m < members.size(); ++m) {
        ULONG numbers = (members[m].fax.empty() ? 0u : 1u) | (members[m].fax2.empty() ? 0u : 2u);
        same = members[m].recordId == entry.members[m].record &&
               (members[m].IsGroup() || numbers == entry.members[m].numbers);
      }
      if (!same) continue;
      entry.present = row;
      entry.record = row->recordId;
      entry.entryId = row->entryId;
      taken.insert(row->recordId);
      ++*found;
    }
  }
  return true;
}

// The dialogs' limits and group rules over the book as the import would leave it.
void CheckRules(HINSTANCE module, Host& host, const std::vector<EntryRow>& book, std::vector<Entry>& entries,
                Problems& problems) {
  size_t groups = 0, added = 0;
  for (const EntryRow& row : book)
    groups += row.IsGroup();
  for (const Entry& entry : entries) {
    if (entry.present) continue;
    ++added;
    groups += entry.row->group;
  }
  if (book.size() + added > abk::kMaxEntries)
    problems.Add(0, "the book would hold " + std::to_string(book.size() + added) +
                        " entries: " + ProviderString(module, IDS_TOO_MANY_ENTRIES));
  if (groups > abk::kMaxGroups)
    problems.Add(0, "the book would hold " + std::to_string(groups) +
                        " groups: " + ProviderString(module, IDS_TOO_MANY_GROUPS));
  ImportGraph graph(host, book, entries);
  for (Entry& entry : entries) {
    if (!entry.row->group || entry.present || entry.members.empty()) continue;
    size_t items = 0;
    for (const abk::GraphMember& member : entry.members)
      items += member.kind == abk::MemberKind::kGroup ? 1 : ((member.numbers & 1) + ((member.numbers >> 1) & 1));
    if (items > abk::kMaxGroupMembers) {
      problems.Add(entry.row->line, ProviderString(module, IDS_GROUP_TOO_MANY_MEMBERS));
      continue;
    }
    graph.Edit(entry.record);
    UINT refusal = 0;
    if (abk::CheckGroupMembers(graph, entry.record, {entry.members.data(), entry.members.size()}, &refusal)) continue;
    problems.Add(entry.row->line, refusal ? ProviderString(module, refusal)
                                          : std::string("the members of the book's groups could not be read"));
  }
}

std::string EntryIdOf(LPMAPIPROP object) {
  SizedSPropTagArray(1, wanted) = {1, {PR_ENTRYID}};
  ULONG count = 0;
  LPSPropValue values = nullptr;
  std::string id;
  if (SUCCEEDED(object->GetProps(reinterpret_cast<LPSPropTagArray>(&wanted), 0, &count, &values)) &&
      PROP_TYPE(values[0].ulPropTag) == PT_BINARY)
    id.assign(reinterpret_cast<const char*>(values[0].Value.bin.lpb), values[0].Value.bin.cb);
  HostFreeBuffer(values);
  return id;
}

// Creates one entry from a template with its values; the new identifier, or empty with *result set.
std::string CreateEntry(IABContainer* root, const std::string& tpl, const Entry& entry, HRESULT* result) {
  LPMAPIPROP object = nullptr;
  *result = root->CreateEntry(static_cast<ULONG>(tpl.size()),
                              reinterpret_cast<LPENTRYID>(const_cast<char*>(tpl.data())), 0, &object);
  if (FAILED(*result)) return "";
  std::vector<SPropValue> values;
  for (size_t i = 0; i < kTagCount; ++i) {
    if (entry.values[i].empty()) continue;
    SPropValue value{};
    value.ulPropTag = kColumnTags[i].tag;
    value.Value.lpszA = const_cast<char*>(entry.values[i].c_str());
    values.push_back(value);
  }
  LPSPropProblemArray problems = nullptr;
  *result = object->SetProps(static_cast<ULONG>(values.size()), values.data(), &problems);
  if (SUCCEEDED(*result) && problems && problems->cProblem) *result = problems->aProblem[0].scode;
  if (problems) HostFreeBuffer(problems);
  if (SUCCEEDED(*result)) *result = object->SaveChanges(KEEP_OPEN_READWRITE);
  std::string id = SUCCEEDED(*result) ? EntryIdOf(object) : "";
  object->Release();
  return id;
}

// A person in a group uses both numbers; writing the unchosen one blank through the group records the
// choice, as the group dialog does.
HRESULT KeepChosenNumbers(IABContainer* group, const std::string& id, ULONG numbers) {
  if (numbers == 0 || numbers == (abk::kFaxSelectPrimary | abk::kFaxSelectSecondary)) return S_OK;
  static char empty[] = "";
  SPropValue blank = {};
  blank.ulPropTag = numbers == abk::kFaxSelectPrimary ? PR_HOME_FAX_NUMBER : PR_BUSINESS_FAX_NUMBER;
  blank.Value.lpszA = empty;
  ULONG type = 0;
  LPUNKNOWN object = nullptr;
  HRESULT hr =
      group->OpenEntry(static_cast<ULONG>(id.size()), reinterpret_cast<LPENTRYID>(const_cast<char*>(id.data())),
                       nullptr, MAPI_BEST_ACCESS, &type, &object);
  if (FAILED(hr)) return hr;
  LPMAPIPROP member = static_cast<LPMAPIPROP>(object);
  LPSPropProblemArray problems = nullptr;
  hr = member->SetProps(1, &blank, &problems);
  if (problems) HostFreeBuffer(problems);
  if (SUCCEEDED(hr)) hr = member->SaveChanges(0);
  member->Release();
  return hr;
}

class Progress {
public:
  explicit Progress(size_t total) : total_(total), shown_(isatty(fileno(stderr)) && total > 100) {}
  ~Progress() {
    if (shown_) Err("\r%60s\r", "");
  }
  void Tick() {
    ++done_;
    if (!shown_) return;
    size_t filled = done_ * 40 / total_;
    Err("\r[%s%s] %zu/%zu", std::string(filled, '#').c_str(), std::string(40 - filled, ' ').c_str(), done_, total_);
  }

private:
  size_t total_, done_ = 0;
  bool shown_;
};

// Writes every new entry and then every new group's members, in one transaction. False after printing why.
bool WriteEntries(Host& host, std::vector<Entry>& entries, const std::map<ULONG, std::string>& bookIds) {
  host::BookTransaction transaction(host.BookPath());
  ULONG status = 0;
  if (!transaction.Begin(&status)) {
    Err("abkhost: the address book could not be opened (store status %lu)\n", static_cast<unsigned long>(status));
    return false;
  }
  IABContainer* root = host.OpenContainer();
  if (!root) return false;
  std::string personTemplate = host.Template(PR_DEF_CREATE_MAILUSER);
  std::string groupTemplate = host.Template(PR_DEF_CREATE_DL);
  std::map<ULONG, std::string> ids = bookIds; // stand-in records of new entries too, once made
  Progress progress(entries.size());
  HRESULT hr = S_OK;
  for (Entry& entry : entries) {
    progress.Tick();
    if (entry.present) continue;
    entry.entryId = CreateEntry(root, entry.row->group ? groupTemplate : personTemplate, entry, &hr);
    if (entry.entryId.empty()) {
      Err("abkhost: line %zu: the provider refused the entry (%s)\n", entry.row->line, Code(hr).c_str());
      root->Release();
      return false;
    }
    ids[entry.record] = entry.entryId;
  }
  root->Release();
  for (Entry& entry : entries) {
    if (!entry.row->group || entry.present || entry.members.empty()) continue;
    IABContainer* group = host.OpenContainer(entry.entryId);
    if (!group) return false;
    std::vector<std::string> memberIds;
    for (const abk::GraphMember& member : entry.members)
      memberIds.push_back(ids[member.record]);
    std::vector<SBinary> list;
    for (std::string& id : memberIds)
      list.push_back({static_cast<ULONG>(id.size()), reinterpret_cast<LPBYTE>(id.data())});
    ENTRYLIST members{static_cast<ULONG>(list.size()), list.data()};
    hr = group->CopyEntries(&members, 0, nullptr, 0);
    for (size_t i = 0; hr == S_OK && i < entry.members.size(); ++i)
      hr = KeepChosenNumbers(group, memberIds[i], entry.members[i].numbers);
    group->Release();
    if (hr != S_OK) {
      Err("abkhost: line %zu: the group's members could not be written (%s)\n", entry.row->line, Code(hr).c_str());
      return false;
    }
  }
  if (!transaction.Commit(&status)) {
    Err("abkhost: the entries could not be written (store status %lu)\n", static_cast<unsigned long>(status));
    return false;
  }
  return true;
}

} // namespace

int ImportCommand(const GlobalOptions& options, const ImportOptions& import) {
  bool read = false;
  std::string bytes = ReadFile(import.file, &read);
  if (!read) {
    Err("abkhost: cannot read %s\n", EscapeControls(import.file).c_str());
    return 1;
  }
  abk::csv::Book file = ReadBookFile(import, bytes);
  for (const abk::csv::Problem& warning : file.warnings)
    Err("abkhost: warning: line %zu: %s\n", warning.line, warning.text.c_str());
  size_t leftOut = import.withFaxOnly ? LeaveOutWithoutFax(file) : 0;
  Problems problems;
  problems.list = file.problems;

  Host host(options);
  if (!host.Load() || !host.Open()) return 1;
  HINSTANCE module = host.module.Instance();
  std::vector<EntryRow> book;
  if (!host.ReadRows(&book)) return 1;
  std::multimap<std::string, const EntryRow*> byName;
  std::map<ULONG, std::string> bookIds;
  for (const EntryRow& row : book) {
    byName.emplace(row.name, &row);
    bookIds[row.recordId] = row.entryId;
  }

  std::vector<Entry> entries(file.rows.size());
  std::set<ULONG> taken; // book entries already matched by a row of the file
  ULONG nextPerson = kFirstNewPerson, nextGroup = kFirstNewGroup;
  size_t present = 0;
  for (size_t i = 0; i < file.rows.size(); ++i) {
    Entry& entry = entries[i];
    entry.row = &file.rows[i];
    ConvertValues(module, entry, problems);
    if (!entry.row->group && !FindPresentPerson(host, entry, file.columns, byName, taken)) return 1;
    if (entry.present) {
      taken.insert(entry.present->recordId);
      entry.record = entry.present->recordId;
      entry.entryId = entry.present->entryId;
      ++present;
    } else {
      entry.record = entry.row->group ? nextGroup-- : nextPerson--;
    }
  }
  // Groups are found present from the inside out: a group that holds a group is the book's only once the
  // group it holds is found to be, so the members are resolved again after each round that found one.
  const Problems fileProblems = problems;
  std::map<ULONG, std::vector<EntryRow>> bookMembers;
  for (;;) {
    problems = fileProblems;
    for (Entry& entry : entries)
      if (entry.row->group) entry.members.clear();
    ResolveMembers(entries, book, problems);
    size_t found = 0;
    if (!FindPresentGroups(host, entries, byName, taken, bookMembers, &found)) return 1;
    if (found == 0) break;
    present += found;
  }
  CheckRules(module, host, book, entries, problems);

  std::stable_sort(problems.list.begin(), problems.list.end(),
                   [](const abk::csv::Problem& a, const abk::csv::Problem& b) { return a.line < b.line; });
  for (const abk::csv::Problem& problem : problems.list) {
    if (problem.line)
      Err("line %zu: %s\n", problem.line, problem.text.c_str());
    else
      Err("%s\n", problem.text.c_str());
  }
  size_t persons = 0, groups = 0;
  for (const Entry& entry : entries)
    if (!entry.present) (entry.row->group ? groups : persons) += 1;
  std::string presentText = present ? ", " + std::to_string(present) + " already present" : "";
  if (leftOut) presentText += ", " + std::to_string(leftOut) + " left out without a fax number";
  if (!problems.list.empty()) {
    Err("abkhost: nothing was imported: %zu problem%s in %s\n", problems.list.size(),
        problems.list.size() == 1 ? "" : "s", EscapeControls(import.file).c_str());
    return 1;
  }
  if (import.dryRun) {
    Out("Would import %zu persons and %zu groups%s\n", persons, groups, presentText.c_str());
    return 0;
  }
  if (!WriteEntries(host, entries, bookIds)) {
    Err("abkhost: nothing was imported\n");
    return 1;
  }
  Out("Imported %zu %s%s\n", persons + groups, persons + groups == 1 ? "entry" : "entries", presentText.c_str());
  return 0;
}

} // namespace abkhost
