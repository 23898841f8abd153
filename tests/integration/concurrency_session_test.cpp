// Several threads on one session at once: opening entries, comparing identifiers, filling recipient rows
// and reading the session's own properties while another thread saves through it. Linux only
// (std::thread); meant for ThreadSanitizer as much as for the ordinary run.
#ifndef _WIN32
#include <atomic>

#include "integration/concurrency_support.h"
#include "support/loaded_book.h"

using namespace abktest;

namespace {

class ConcurrencySessionTest : public LoadedBookTest {};

SizedSPropTagArray(2, kWanted) = {2, {PR_DISPLAY_NAME, PR_BUSINESS_FAX_NUMBER}};

// Recipient rows {PR_ENTRYID} in host memory, as a host hands them over.
ADRLIST* NewRecipients(const std::vector<std::string>& ids) {
  void* block = nullptr;
  if (FAILED(HostAllocateBuffer(CbNewADRLIST(ids.size()), &block))) return nullptr;
  auto* list = static_cast<ADRLIST*>(block);
  memset(list, 0, CbNewADRLIST(ids.size()));
  list->cEntries = static_cast<ULONG>(ids.size());
  for (size_t i = 0; i < ids.size(); ++i) {
    void* values = nullptr;
    void* bytes = nullptr;
    if (FAILED(HostAllocateBuffer(sizeof(SPropValue), &values))) continue;
    if (FAILED(HostAllocateMore(IdSize(ids[i]), values, &bytes))) {
      HostFreeBuffer(values);
      continue;
    }
    memcpy(bytes, ids[i].data(), ids[i].size());
    auto* value = static_cast<LPSPropValue>(values);
    value->ulPropTag = PR_ENTRYID;
    value->Value.bin = {IdSize(ids[i]), static_cast<LPBYTE>(bytes)};
    list->aEntries[i].cValues = 1;
    list->aEntries[i].rgPropVals = value;
  }
  return list;
}

void FreeRecipients(ADRLIST* list) {
  for (ULONG i = 0; i < list->cEntries; ++i)
    if (list->aEntries[i].rgPropVals) HostFreeBuffer(list->aEntries[i].rgPropVals);
  HostFreeBuffer(list);
}

std::string Name(int person) { return "P" + std::to_string(person); }

TEST_F(ConcurrencySessionTest, ThreadsOpenCompareAndPrepareRecipientsWhileOneSaves) {
  constexpr int kReaders = 3, kPeople = 4, kRounds = 16;
  std::vector<ULONG> people;
  for (int p = 0; p < kPeople; ++p)
    people.push_back(NewPerson(Name(p), "200" + std::to_string(p)));
  ULONG group = NewGroup("G", people);

  // The session's own answer, read before anyone else uses it.
  ULONG expectedCount = 0;
  LPSPropValue expected = nullptr;
  ASSERT_EQ(session->GetProps(nullptr, 0, &expectedCount, &expected), S_OK);
  ASSERT_EQ(expected[0].ulPropTag, PR_DISPLAY_NAME);
  const std::string sessionName = expected[0].Value.lpszA;
  HostFreeBuffer(expected);

  Problems problems;
  RunThreads(kReaders + 1, [&](int t) {
    for (int round = 0; round < kRounds; ++round) {
      if (t == kReaders) {
        // The writer: one person's comment after the other, through the session like the readers.
        std::string id = IdInRoot(people[round % kPeople]);
        ULONG type = 0;
        LPUNKNOWN object = nullptr;
        if (FAILED(session->OpenEntry(IdSize(id), IdPtr(id), nullptr, 0, &type, &object))) {
          problems.Note("writer: OpenEntry failed");
          continue;
        }
        auto* person = static_cast<IMAPIProp*>(object);
        if (FAILED(SetStrings(person, {{PR_COMMENT, "c" + std::to_string(round)}})) || person->SaveChanges(0) != S_OK)
          problems.Note("writer: save failed in round " + std::to_string(round));
        person->Release();
        continue;
      }

      int p = (t + round) % kPeople;
      std::string id = IdInRoot(people[p]);
      std::string other = IdInRoot(people[(p + 1) % kPeople]);
      std::string groupId = IdInRoot(group);
      ULONG type = 0;
      LPUNKNOWN object = nullptr;
      HRESULT opened = session->OpenEntry(IdSize(id), IdPtr(id), nullptr, 0, &type, &object);
      if (SUCCEEDED(opened)) {
        if (ReadString(static_cast<IMAPIProp*>(object), PR_DISPLAY_NAME) != Name(p))
          problems.Note("reader: wrong name for " + Name(p));
        object->Release();
      } else {
        problems.Note("reader: OpenEntry of a person failed: " + std::to_string(static_cast<ULONG>(opened)));
      }
      if (SUCCEEDED(session->OpenEntry(IdSize(groupId), IdPtr(groupId), nullptr, 0, &type, &object))) {
        if (ReadString(static_cast<IMAPIProp*>(object), PR_DISPLAY_NAME) != "G") problems.Note("reader: group name");
        object->Release();
      } else {
        problems.Note("reader: OpenEntry of the group failed");
      }
      if (SUCCEEDED(session->OpenEntry(0, nullptr, nullptr, 0, &type, &object)))
        object->Release();
      else
        problems.Note("reader: OpenEntry of the root failed");

      std::string copy = id;
      ULONG same = 0, different = 1;
      if (session->CompareEntryIDs(IdSize(id), IdPtr(id), IdSize(copy), IdPtr(copy), 0, &same) != S_OK || !same)
        problems.Note("reader: an identifier differs from its copy");
      if (session->CompareEntryIDs(IdSize(id), IdPtr(id), IdSize(other), IdPtr(other), 0, &different) != S_OK ||
          different)
        problems.Note("reader: two persons compare equal");

      ULONG count = 0;
      LPSPropValue values = nullptr;
      if (SUCCEEDED(session->GetProps(nullptr, 0, &count, &values))) {
        if (count != expectedCount || values[0].ulPropTag != PR_DISPLAY_NAME || sessionName != values[0].Value.lpszA)
          problems.Note("reader: the session's properties changed");
        HostFreeBuffer(values);
      } else {
        problems.Note("reader: the session's GetProps failed");
      }
      LPSPropTagArray tags = nullptr;
      if (SUCCEEDED(session->GetPropList(0, &tags)))
        HostFreeBuffer(tags);
      else
        problems.Note("reader: the session's GetPropList failed");

      ADRLIST* list = NewRecipients({id, groupId});
      if (!list) {
        problems.Note("reader: no memory for recipients");
        continue;
      }
      if (session->PrepareRecips(0, reinterpret_cast<LPSPropTagArray>(&kWanted), list) != S_OK)
        problems.Note("reader: PrepareRecips failed");
      else if (list->aEntries[0].rgPropVals[0].ulPropTag != PR_DISPLAY_NAME ||
               Name(p) != list->aEntries[0].rgPropVals[0].Value.lpszA)
        problems.Note("reader: PrepareRecips gave the wrong name");
      FreeRecipients(list);
    }
  });
  EXPECT_EQ(problems.Count(), 0) << problems.Text();

  // Each person keeps the comment of the writer's last round for it.
  for (int p = 0; p < kPeople; ++p) {
    int last = p + ((kRounds - 1 - p) / kPeople) * kPeople;
    IMAPIProp* person = OpenById(IdInRoot(people[p]));
    ASSERT_NE(person, nullptr);
    EXPECT_EQ(ReadString(person, PR_COMMENT), "c" + std::to_string(last)) << "no save is lost";
    EXPECT_EQ(ReadString(person, PR_DISPLAY_NAME), Name(p));
    person->Release();
  }
}

// A new person saved through the root container of the given session; its record id, 0 on failure.
ULONG SavePersonThrough(LPADRBOOK book, const std::string& name) {
  ULONG type = 0;
  LPUNKNOWN object = nullptr;
  if (book->OpenEntry(0, nullptr, nullptr, 0, &type, &object) != S_OK) return 0;
  auto* root = static_cast<IABContainer*>(object);
  SizedSPropTagArray(1, tags) = {1, {PR_DEF_CREATE_MAILUSER}};
  ULONG count = 0;
  LPSPropValue values = nullptr;
  ULONG id = 0;
  if (root->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), 0, &count, &values) == S_OK) {
    std::string templateId(reinterpret_cast<char*>(values[0].Value.bin.lpb), values[0].Value.bin.cb);
    HostFreeBuffer(values);
    LPMAPIPROP entry = nullptr;
    SizedSPropTagArray(1, idTag) = {1, {PR_ENTRYID}};
    if (root->CreateEntry(IdSize(templateId), IdPtr(templateId), 0, &entry) == S_OK) {
      if (SetStrings(entry, {{PR_DISPLAY_NAME, name}, {PR_BUSINESS_FAX_NUMBER, "0700"}}) == S_OK &&
          entry->SaveChanges(0) == S_OK &&
          entry->GetProps(reinterpret_cast<LPSPropTagArray>(&idTag), 0, &count, &values) == S_OK) {
        memcpy(&id, values[0].Value.bin.lpb + 32, 4);
        HostFreeBuffer(values);
      }
      entry->Release();
    }
  }
  root->Release();
  return id;
}

// Each thread with a session of its own on the one book: the sessions' store bindings look up and call
// the store library at once (the deletions look its export up each time).
TEST_F(ConcurrencySessionTest, ThreadsWithSessionsOfTheirOwnShareOneBook) {
  constexpr int kThreads = 3, kEach = 4;
  // Sessions are opened one after the other: opening sets the module's allocators, which nothing guards.
  std::vector<LPADRBOOK> sessions(kThreads, nullptr);
  for (LPADRBOOK& own : sessions)
    ASSERT_EQ(module.Open(&support, &profile, &own), S_OK);

  Problems problems;
  std::vector<std::vector<ULONG>> made(kThreads);
  RunThreads(kThreads, [&](int t) {
    LPADRBOOK own = sessions[t];
    for (int i = 0; i < kEach; ++i) {
      ULONG id = SavePersonThrough(own, "S" + std::to_string(t * 10 + i));
      if (!id) {
        problems.Note("saving through an own session failed");
        continue;
      }
      made[t].push_back(id);
    }
    // The first person each thread made goes again, through its own root container.
    if (made[t].empty()) return;
    ULONG type = 0;
    LPUNKNOWN object = nullptr;
    if (own->OpenEntry(0, nullptr, nullptr, 0, &type, &object) != S_OK) {
      problems.Note("opening an own root container failed");
      return;
    }
    std::string id = IdInRoot(made[t][0]);
    SBinary entry{IdSize(id), reinterpret_cast<LPBYTE>(&id[0])};
    ENTRYLIST list{1, &entry};
    if (static_cast<IABContainer*>(object)->DeleteEntries(&list, 0) != S_OK) problems.Note("DeleteEntries failed");
    object->Release();
  });
  EXPECT_EQ(problems.Count(), 0) << problems.Text();
  for (LPADRBOOK own : sessions)
    own->Release();

  for (int t = 0; t < kThreads; ++t) {
    ASSERT_EQ(made[t].size(), static_cast<size_t>(kEach));
    for (int i = 0; i < kEach; ++i)
      EXPECT_EQ(store.Exists(book, made[t][i]), i != 0) << "S" << t * 10 + i;
  }
}

// A sink that only counts, safely from any thread; its reference count returns to 1 when nobody holds it.
class CountingSink final : public IMAPIAdviseSink {
public:
  std::atomic<long> heard{0};
  std::atomic<long> refs{1};
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, LPVOID* out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
  ULONG STDMETHODCALLTYPE OnNotify(ULONG, LPNOTIFICATION) override {
    ++heard;
    return 0;
  }
};

// Hosts register and unregister sinks from any thread while another saves: the saves are heard by the
// sink that stays registered, and a sink unadvised meanwhile is never called after it is let go of.
TEST_F(ConcurrencySessionTest, SinksComeAndGoWhileAnotherThreadSaves) {
  constexpr int kSaves = 12, kTurns = 60;
  CountingSink steady, passing;
  ULONG steadyConnection = 0;
  ASSERT_EQ(session->Advise(0, nullptr, fnevObjectModified, &steady, &steadyConnection), S_OK);
  Problems problems;
  RunThreads(2, [&](int t) {
    if (t == 0) {
      for (int i = 0; i < kSaves; ++i)
        if (!SavePersonThrough(session, "A" + std::to_string(i))) problems.Note("a save failed");
      return;
    }
    for (int i = 0; i < kTurns; ++i) {
      ULONG connection = 0;
      if (session->Advise(0, nullptr, fnevObjectModified, &passing, &connection) != S_OK)
        problems.Note("Advise failed");
      if (session->Unadvise(connection) != S_OK) problems.Note("Unadvise failed");
    }
  });
  EXPECT_EQ(problems.Count(), 0) << problems.Text();
  EXPECT_EQ(session->Unadvise(steadyConnection), S_OK);
  EXPECT_GE(steady.heard.load(), kSaves);
  EXPECT_EQ(steady.refs.load(), 1);
  EXPECT_EQ(passing.refs.load(), 1);
}

} // namespace
#endif
