// Several threads on one session and one container at once: opening, reading tables and saving must
// neither crash, deadlock nor lose a save. Linux only (std::thread); run under the sanitizers too.
#ifndef _WIN32
#include <atomic>
#include <thread>

#include "support/loaded_book.h"

using namespace abktest;

namespace {

class ConcurrencyTest : public LoadedBookTest {};

TEST_F(ConcurrencyTest, ThreadsOpenReadAndSaveThroughOneSessionAndOneContainer) {
  constexpr int kThreads = 4, kRounds = 25;
  std::vector<ULONG> people;
  for (int i = 0; i < kThreads; ++i)
    people.push_back(NewPerson("P" + std::to_string(i), "100" + std::to_string(i)));
  ULONG group = NewGroup("G", people);
  IABContainer* root = OpenRoot();
  IMAPIProp* shared = OpenById(IdInRoot(group));
  auto* sharedGroup = static_cast<IABContainer*>(shared);

  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < kRounds; ++round) {
        // Each thread changes its own person through the shared session.
        ULONG type = 0;
        LPUNKNOWN object = nullptr;
        std::string id = IdInRoot(people[t]);
        if (FAILED(session->OpenEntry(40, IdPtr(id), nullptr, 0, &type, &object))) {
          ++failures;
          continue;
        }
        auto* person = static_cast<IMAPIProp*>(object);
        std::string comment = "t" + std::to_string(t) + "r" + std::to_string(round);
        if (FAILED(SetStrings(person, {{PR_COMMENT, comment}})) || FAILED(person->SaveChanges(0))) ++failures;
        person->Release();

        // ... and reads the shared containers' tables and properties.
        LPMAPITABLE table = nullptr;
        if (FAILED(root->GetContentsTable(0, &table))) {
          ++failures;
        } else {
          LPSRowSet rows = nullptr;
          if (SUCCEEDED(table->QueryRows(100, 0, &rows))) {
            for (ULONG r = 0; r < rows->cRows; ++r)
              HostFreeBuffer(rows->aRow[r].lpProps);
            HostFreeBuffer(rows);
          }
          table->Release();
        }
        if (ReadString(sharedGroup, PR_DISPLAY_NAME) != "G") ++failures;
        if (FAILED(SetStrings(sharedGroup, {{PR_COMMENT, comment}})) || FAILED(sharedGroup->SaveChanges(0))) ++failures;
      }
    });
  }
  for (std::thread& thread : threads)
    thread.join();
  EXPECT_EQ(failures.load(), 0);

  for (int t = 0; t < kThreads; ++t) {
    IMAPIProp* person = OpenById(IdInRoot(people[t]));
    EXPECT_EQ(ReadString(person, PR_COMMENT), "t" + std::to_string(t) + "r" + std::to_string(kRounds - 1))
        << "no save is lost";
    person->Release();
  }
  EXPECT_EQ(store.Read(book, group).size(), 2u + kThreads) << "name, comment and every member";
  shared->Release();
  root->Release();
}

} // namespace
#endif
