// Several threads on one container at once: views of its contents table, each thread's own (restricted and
// sorted every other round) and one they share, are read and moved, and names resolved, while other threads
// create, save and delete entries through the container.
// Linux only (std::thread); meant for ThreadSanitizer as much as for the ordinary run.
#ifndef _WIN32
#include <set>

#include "host/name_lookup.h"
#include "integration/concurrency_support.h"
#include "support/loaded_book.h"

using namespace abktest;

namespace {

class ConcurrencyTableTest : public LoadedBookTest {};

std::string Name(const char* prefix, int n) { return prefix + std::to_string(n); }

// The display name in a row handed out by a view, empty when the row has none.
std::string RowName(const SRow& row) {
  for (ULONG v = 0; v < row.cValues; ++v)
    if (row.lpProps[v].ulPropTag == PR_DISPLAY_NAME) return row.lpProps[v].Value.lpszA;
  return {};
}

// Frees a row set; counts rows that have no display name.
int FreeRowsCountingNameless(LPSRowSet rows) {
  int nameless = 0;
  for (ULONG r = 0; r < rows->cRows; ++r) {
    if (RowName(rows->aRow[r]).empty()) ++nameless;
    HostFreeBuffer(rows->aRow[r].lpProps);
  }
  HostFreeBuffer(rows);
  return nameless;
}

// Reads a view from the top in small steps, and a step back from the end.
void ReadWholeView(IMAPITable* view, Problems& problems) {
  ULONG count = 0;
  if (view->GetRowCount(0, &count) != S_OK) problems.Note("GetRowCount failed");
  if (view->SeekRow(BOOKMARK_BEGINNING, 0, nullptr) != S_OK) problems.Note("SeekRow to the beginning failed");
  for (int step = 0; step < 1000; ++step) {
    LPSRowSet rows = nullptr;
    if (FAILED(view->QueryRows(5, 0, &rows))) {
      problems.Note("QueryRows failed");
      return;
    }
    ULONG got = rows->cRows;
    if (FreeRowsCountingNameless(rows)) problems.Note("a row without its name");
    if (got == 0) break;
  }
  if (view->SeekRow(BOOKMARK_END, 0, nullptr) != S_OK) problems.Note("SeekRow to the end failed");
  LPSRowSet rows = nullptr;
  if (FAILED(view->QueryRows(-2, 0, &rows))) {
    problems.Note("QueryRows backwards failed");
    return;
  }
  if (FreeRowsCountingNameless(rows)) problems.Note("a row without its name, read backwards");
}

// A few rows of the view the threads share, from a bookmark of the thread's own.
void ReadSharedView(IMAPITable* view, int offset, Problems& problems) {
  LONG row = 0;
  if (view->SeekRow(BOOKMARK_BEGINNING, offset, &row) != S_OK) problems.Note("SeekRow on the shared view failed");
  BOOKMARK mark = 0;
  if (view->CreateBookmark(&mark) != S_OK) {
    problems.Note("CreateBookmark failed");
    return;
  }
  LPSRowSet rows = nullptr;
  if (SUCCEEDED(view->QueryRows(2, 0, &rows))) {
    if (FreeRowsCountingNameless(rows)) problems.Note("a row of the shared view without its name");
  } else {
    problems.Note("QueryRows on the shared view failed");
  }
  if (view->SeekRow(mark, 0, nullptr) != S_OK) problems.Note("SeekRow from a bookmark failed");
  view->FreeBookmark(mark);
  ULONG count = 0;
  if (view->GetRowCount(0, &count) != S_OK) problems.Note("GetRowCount on the shared view failed");
}

// Narrows a view to the old entries, newest name first, as a host finding people does.
void RestrictAndSort(IMAPITable* view, Problems& problems) {
  host::AnrRestriction anr("old");
  SizedSSortOrderSet(1, byName) = {1, 0, 0, {{PR_DISPLAY_NAME_A, TABLE_SORT_DESCEND}}};
  if (view->Restrict(anr.Get(), 0) != S_OK) problems.Note("Restrict failed");
  if (view->SortTable(reinterpret_cast<LPSSortOrderSet>(&byName), 0) != S_OK) problems.Note("SortTable failed");
}

// An entry no thread deletes is found by its name whatever the others do.
void ResolveKeptName(IABContainer* root, Problems& problems) {
  host::TypedNames names;
  if (names.Make({"old11"}) != S_OK || root->ResolveNames(nullptr, 0, names.List(), names.Flags()) != S_OK ||
      names.Flag(0) != MAPI_RESOLVED)
    problems.Note("Old11 was not resolved");
}

// A new person made through the container and saved; its record id, or 0 when any step failed.
ULONG CreatePerson(IABContainer* root, const std::string& name) {
  SizedSPropTagArray(1, tags) = {1, {PR_DEF_CREATE_MAILUSER}};
  ULONG count = 0;
  LPSPropValue values = nullptr;
  if (root->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), 0, &count, &values) != S_OK) return 0;
  std::string templateId(reinterpret_cast<char*>(values[0].Value.bin.lpb), values[0].Value.bin.cb);
  HostFreeBuffer(values);
  LPMAPIPROP entry = nullptr;
  if (root->CreateEntry(IdSize(templateId), IdPtr(templateId), 0, &entry) != S_OK) return 0;
  ULONG id = 0;
  SizedSPropTagArray(1, idTag) = {1, {PR_ENTRYID}};
  if (SetStrings(entry, {{PR_DISPLAY_NAME, name}, {PR_BUSINESS_FAX_NUMBER, "0600"}}) == S_OK &&
      entry->SaveChanges(0) == S_OK &&
      entry->GetProps(reinterpret_cast<LPSPropTagArray>(&idTag), 0, &count, &values) == S_OK) {
    memcpy(&id, values[0].Value.bin.lpb + 32, 4);
    HostFreeBuffer(values);
  }
  entry->Release();
  return id;
}

TEST_F(ConcurrencyTableTest, ViewsAreReadWhileOtherThreadsCreateSaveAndDelete) {
  constexpr int kOld = 12, kDeleted = 6, kReaders = 2, kCreators = 2, kNewEach = 5;
  std::vector<ULONG> old;
  for (int i = 0; i < kOld; ++i)
    old.push_back(NewPerson(Name("Old", i), "0500"));
  IABContainer* root = OpenRoot();
  ASSERT_NE(root, nullptr);
  LPMAPITABLE shared = nullptr;
  ASSERT_EQ(root->GetContentsTable(0, &shared), S_OK);

  Problems problems;
  std::atomic<int> writersLeft{kCreators + 1};
  std::mutex createdLock;
  std::vector<std::pair<ULONG, std::string>> created;
  RunThreads(kReaders + kCreators + 1, [&](int t) {
    if (t < kReaders) {
      // Readers keep going until every writer is done.
      for (int round = 0; round < 3 || writersLeft.load() > 0; ++round) {
        LPMAPITABLE own = nullptr;
        if (root->GetContentsTable(0, &own) != S_OK) {
          problems.Note("GetContentsTable failed");
          continue;
        }
        if (round % 2) RestrictAndSort(own, problems);
        ReadWholeView(own, problems);
        own->Release();
        ReadSharedView(shared, t + round % 4, problems);
        ResolveKeptName(root, problems);
      }
      return;
    }
    if (t < kReaders + kCreators) {
      for (int i = 0; i < kNewEach; ++i) {
        std::string name = Name("New", t * 100 + i);
        ULONG id = CreatePerson(root, name);
        if (!id) {
          problems.Note("creating " + name + " failed");
          continue;
        }
        std::lock_guard<std::mutex> guard(createdLock);
        created.emplace_back(id, name);
      }
      --writersLeft;
      return;
    }
    for (int i = 0; i < kDeleted; ++i) {
      std::vector<std::string> ids{IdInRoot(old[i])};
      std::vector<SBinary> storage;
      ENTRYLIST list;
      if (root->DeleteEntries(MakeEntryList(ids, storage, list), 0) != S_OK) problems.Note("DeleteEntries failed");
    }
    --writersLeft;
  });
  EXPECT_EQ(problems.Count(), 0) << problems.Text();

  // The shared table lost exactly the deleted rows.
  ULONG count = 0;
  EXPECT_EQ(shared->GetRowCount(0, &count), S_OK);
  EXPECT_EQ(count, static_cast<ULONG>(kOld - kDeleted));
  shared->Release();
  root->Release();

  // A container opened now lists every saved entry and none of the deleted ones.
  EXPECT_EQ(created.size(), static_cast<size_t>(kCreators * kNewEach));
  IABContainer* fresh = OpenRoot();
  std::set<std::string> names;
  for (const TableRow& row : ContentsOf(fresh))
    names.insert(row.at(PROP_ID(PR_DISPLAY_NAME)));
  fresh->Release();
  for (int i = 0; i < kOld; ++i) {
    EXPECT_EQ(names.count(Name("Old", i)), i < kDeleted ? 0u : 1u) << Name("Old", i);
    EXPECT_EQ(store.Exists(book, old[i]), i >= kDeleted) << Name("Old", i);
  }
  for (const auto& [id, name] : created) {
    EXPECT_EQ(names.count(name), 1u) << name << " was saved";
    EXPECT_TRUE(store.Exists(book, id)) << name;
  }
}

} // namespace
#endif
