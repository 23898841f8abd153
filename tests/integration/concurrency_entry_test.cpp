// Several threads on the entries of one book at once: persons saved by their own thread and by all of
// them, members added to and removed from one group by several threads, and entries deleted while other
// threads read them. Linux only (std::thread); meant for ThreadSanitizer as much as for the ordinary run.
#ifndef _WIN32
#include <set>

#include "integration/concurrency_support.h"
#include "support/loaded_book.h"

using namespace abktest;

namespace {

class ConcurrencyEntryTest : public LoadedBookTest {
protected:
  // Opens an entry through the session without expecting success: entries come and go in these tests.
  IMAPIProp* TryOpen(const std::string& id) {
    std::string copy = id;
    ULONG type = 0;
    LPUNKNOWN object = nullptr;
    if (FAILED(session->OpenEntry(IdSize(copy), IdPtr(copy), nullptr, 0, &type, &object))) return nullptr;
    return static_cast<IMAPIProp*>(object);
  }
  // The member record ids the store keeps for a group.
  std::set<ULONG> StoredMembers(ULONG group) {
    std::set<ULONG> members;
    for (const RawRecord& record : store.Read(book, group))
      if (record.member) members.insert(record.id);
    return members;
  }
};

std::string Tag(const char* prefix, int t, int round) {
  return prefix + std::to_string(t) + "r" + std::to_string(round);
}

HRESULT OnEntries(IABContainer* container, bool add, const std::vector<std::string>& entries) {
  std::vector<std::string> ids = entries;
  std::vector<SBinary> storage;
  ENTRYLIST list;
  if (add) return container->CopyEntries(MakeEntryList(ids, storage, list), 0, nullptr, 0);
  return container->DeleteEntries(MakeEntryList(ids, storage, list), 0);
}

// Reads every row of a fresh view of the container; counts rows.
int ReadContents(IMAPIContainer* container, Problems& problems) {
  LPMAPITABLE view = nullptr;
  if (container->GetContentsTable(0, &view) != S_OK) {
    problems.Note("GetContentsTable failed");
    return 0;
  }
  LPSRowSet rows = nullptr;
  int count = 0;
  if (SUCCEEDED(view->QueryRows(1000, 0, &rows))) {
    count = static_cast<int>(rows->cRows);
    for (ULONG r = 0; r < rows->cRows; ++r)
      HostFreeBuffer(rows->aRow[r].lpProps);
    HostFreeBuffer(rows);
  } else {
    problems.Note("QueryRows failed");
  }
  view->Release();
  return count;
}

TEST_F(ConcurrencyEntryTest, ThreadsSaveTheirOwnPersonsAndOnePersonTheyShare) {
  constexpr int kThreads = 4, kRounds = 8;
  std::vector<ULONG> own;
  for (int t = 0; t < kThreads; ++t)
    own.push_back(NewPerson("Own" + std::to_string(t), "0100"));
  ULONG sharedId = NewPerson("Shared", "0200");
  IMAPIProp* shared = OpenById(IdInRoot(sharedId));
  ASSERT_NE(shared, nullptr);

  Problems problems;
  RunThreads(kThreads, [&](int t) {
    for (int round = 0; round < kRounds; ++round) {
      // The thread's own person, opened anew each round.
      if (IMAPIProp* person = TryOpen(IdInRoot(own[t]))) {
        std::string comment = Tag("t", t, round);
        if (SetStrings(person, {{PR_COMMENT, comment}, {PR_HOME_FAX_NUMBER, "07" + std::to_string(round)}}) != S_OK ||
            person->SaveChanges(0) != S_OK)
          problems.Note("saving " + comment + " failed");
        if (ReadString(person, PR_COMMENT) != comment) problems.Note("GetProps after saving " + comment);
        person->Release();
      } else {
        problems.Note("opening the thread's own person failed");
      }

      // The one object every thread changes.
      if (SetStrings(shared, {{PR_COMMENT, Tag("s", t, round)}}) != S_OK || shared->SaveChanges(0) != S_OK)
        problems.Note("saving the shared object failed");
      if (ReadString(shared, PR_DISPLAY_NAME) != "Shared") problems.Note("the shared object lost its name");

      // An object of the thread's own on the same person.
      if (IMAPIProp* same = TryOpen(IdInRoot(sharedId))) {
        if (ReadString(same, PR_DISPLAY_NAME) != "Shared") problems.Note("the shared person read without its name");
        if (SetStrings(same, {{PR_COMMENT, Tag("o", t, round)}}) != S_OK || same->SaveChanges(0) != S_OK)
          problems.Note("saving the shared person through an own object failed");
        same->Release();
      } else {
        problems.Note("opening the shared person failed");
      }
    }
  });
  EXPECT_EQ(problems.Count(), 0) << problems.Text();
  shared->Release();

  for (int t = 0; t < kThreads; ++t) {
    IMAPIProp* person = OpenById(IdInRoot(own[t]));
    ASSERT_NE(person, nullptr);
    EXPECT_EQ(ReadString(person, PR_COMMENT), Tag("t", t, kRounds - 1)) << "no save is lost";
    EXPECT_EQ(ReadString(person, PR_HOME_FAX_NUMBER), "07" + std::to_string(kRounds - 1));
    EXPECT_EQ(ReadString(person, PR_DISPLAY_NAME), "Own" + std::to_string(t));
    person->Release();
  }
  // The shared person holds one of the comments written, whole, with its other fields untouched.
  IMAPIProp* person = OpenById(IdInRoot(sharedId));
  ASSERT_NE(person, nullptr);
  std::string comment = ReadString(person, PR_COMMENT);
  EXPECT_TRUE(comment.size() >= 4 && (comment[0] == 's' || comment[0] == 'o')) << comment;
  EXPECT_EQ(ReadString(person, PR_DISPLAY_NAME), "Shared");
  EXPECT_EQ(ReadString(person, PR_BUSINESS_FAX_NUMBER), "0200");
  person->Release();
}

TEST_F(ConcurrencyEntryTest, ThreadsAddAndRemoveMembersOfOneGroup) {
  constexpr int kThreads = 3, kEach = 4;
  std::vector<ULONG> keep{NewPerson("Keep0", "0300"), NewPerson("Keep1", "0301")};
  std::vector<std::vector<ULONG>> mine(kThreads);
  for (int t = 0; t < kThreads; ++t)
    for (int i = 0; i < kEach; ++i)
      mine[t].push_back(NewPerson("M" + std::to_string(t * 10 + i), "04" + std::to_string(t * 10 + i)));
  ULONG group = NewGroup("G", keep);
  auto* shared = static_cast<IABContainer*>(OpenById(IdInRoot(group)));
  ASSERT_NE(shared, nullptr);
  ASSERT_EQ(static_cast<int>(ContentsOf(shared).size()), 2);

  Problems problems;
  RunThreads(kThreads, [&](int t) {
    for (int i = 0; i < kEach; ++i) {
      std::string id = IdInRoot(mine[t][i]);
      if (OnEntries(shared, true, {id}) != S_OK) problems.Note("CopyEntries failed");
      // Every other member goes again at once.
      if (i % 2 && OnEntries(shared, false, {id}) != S_OK) problems.Note("DeleteEntries failed");
      ReadContents(shared, problems);
      if (ReadString(shared, PR_DISPLAY_NAME) != "G") problems.Note("the group lost its name");
    }
  });
  EXPECT_EQ(problems.Count(), 0) << problems.Text();

  std::set<ULONG> expected(keep.begin(), keep.end());
  for (int t = 0; t < kThreads; ++t)
    for (int i = 0; i < kEach; i += 2)
      expected.insert(mine[t][i]);
  EXPECT_EQ(StoredMembers(group), expected) << "every added member is kept, every removed one is gone";
  shared->Release();
  IMAPIProp* fresh = OpenById(IdInRoot(group));
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(ContentsOf(static_cast<IABContainer*>(fresh)).size(), expected.size());
  fresh->Release();
}

// A new entry that several threads save at once gets one record: the first save makes it, the others
// write to it.
TEST_F(ConcurrencyEntryTest, ANewEntrySavedByThreadsAtOnceIsMadeOnce) {
  constexpr int kThreads = 4;
  IABContainer* root = OpenRoot();
  ASSERT_NE(root, nullptr);
  size_t before = ContentsOf(root).size();
  SizedSPropTagArray(1, tags) = {1, {PR_DEF_CREATE_MAILUSER}};
  ULONG count = 0;
  LPSPropValue values = nullptr;
  ASSERT_EQ(root->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), 0, &count, &values), S_OK);
  std::string templateId(reinterpret_cast<char*>(values[0].Value.bin.lpb), values[0].Value.bin.cb);
  HostFreeBuffer(values);
  LPMAPIPROP entry = nullptr;
  ASSERT_EQ(root->CreateEntry(IdSize(templateId), IdPtr(templateId), 0, &entry), S_OK);
  ASSERT_EQ(SetStrings(entry, {{PR_DISPLAY_NAME, "Nouveau"}, {PR_BUSINESS_FAX_NUMBER, "0900"}}), S_OK);

  Problems problems;
  RunThreads(kThreads, [&](int t) {
    if (SetStrings(entry, {{PR_COMMENT, "t" + std::to_string(t)}}) != S_OK || entry->SaveChanges(0) != S_OK)
      problems.Note("saving the new entry failed");
    if (ReadString(entry, PR_DISPLAY_NAME) != "Nouveau") problems.Note("the new entry lost its name");
  });
  EXPECT_EQ(problems.Count(), 0) << problems.Text();
  entry->Release();
  root->Release();

  IABContainer* fresh = OpenRoot();
  std::vector<TableRow> rows = ContentsOf(fresh);
  fresh->Release();
  ASSERT_EQ(rows.size(), before + 1) << "one record, not one per thread";
  EXPECT_EQ(rows.back().at(PROP_ID(PR_DISPLAY_NAME)), "Nouveau");
}

TEST_F(ConcurrencyEntryTest, EntriesAreDeletedWhileOtherThreadsReadThem) {
  constexpr int kReaders = 3, kGone = 8;
  std::vector<ULONG> gone, all;
  for (int i = 0; i < kGone; ++i)
    gone.push_back(NewPerson("Gone" + std::to_string(i), "0800"));
  ULONG stay = NewPerson("Stay", "0900");
  all = gone;
  all.push_back(stay);
  ULONG group = NewGroup("G", all);
  auto* sharedGroup = static_cast<IABContainer*>(OpenById(IdInRoot(group)));
  ASSERT_NE(sharedGroup, nullptr);
  // Objects opened before the deletions: they stay readable whatever happens to their records.
  std::vector<IMAPIProp*> held;
  for (ULONG id : gone)
    held.push_back(OpenById(IdInRoot(id)));

  Problems problems;
  std::atomic<bool> deleting{true};
  RunThreads(kReaders + 1, [&](int t) {
    if (t == kReaders) {
      IABContainer* root = OpenRoot();
      for (ULONG id : gone)
        if (OnEntries(root, false, {IdInRoot(id)}) != S_OK) problems.Note("DeleteEntries failed");
      root->Release();
      deleting = false;
      return;
    }
    for (int round = 0; round < 2 || deleting.load(); ++round) {
      int i = (t + round) % kGone;
      std::string expected = "Gone" + std::to_string(i);
      // Opening may fail once the record is gone; what opens reads whole.
      if (IMAPIProp* person = TryOpen(IdInRoot(gone[i]))) {
        if (ReadString(person, PR_DISPLAY_NAME) != expected) problems.Note("an opened entry read without its name");
        person->Release();
      }
      if (ReadString(held[i], PR_DISPLAY_NAME) != expected) problems.Note("a held entry lost its name");
      if (ReadContents(sharedGroup, problems) > kGone + 1) problems.Note("the group shows more than its members");
    }
  });
  EXPECT_EQ(problems.Count(), 0) << problems.Text();

  for (IMAPIProp* object : held)
    object->Release();
  sharedGroup->Release();
  for (int i = 0; i < kGone; ++i) {
    EXPECT_FALSE(store.Exists(book, gone[i])) << "Gone" << i;
    EXPECT_EQ(TryOpen(IdInRoot(gone[i])), nullptr) << "Gone" << i;
  }
  IABContainer* root = OpenRoot();
  std::vector<TableRow> rows = ContentsOf(root);
  root->Release();
  std::set<std::string> names;
  for (const TableRow& row : rows)
    names.insert(row.at(PROP_ID(PR_DISPLAY_NAME)));
  EXPECT_EQ(names, (std::set<std::string>{"G", "Stay"}));
}

} // namespace
#endif
