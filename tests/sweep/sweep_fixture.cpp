// The failure sweep fixture: the book, its copy between runs, and the three ways of making a run fail.
#include "sweep/sweep_fixture.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "provider/heap.h"
#include "store/store_library.h"

namespace fs = std::filesystem;

namespace abktest {

namespace {

// The provider's heap: the Nth allocation from arming fails.
long g_heapFailAt = 0;
long g_heapCount = 0;
bool FailNthHeapAllocation(size_t) { return g_heapFailAt && ++g_heapCount == g_heapFailAt; }

// The store library as the session reaches it: the Nth call from arming fails with the armed status
// word, answering what the library answers for a failure of that call.
struct StoreFault {
  long failAt = 0;
  long calls = 0;
  ULONG status = 0;
  bool Strikes(ULONG* status) {
    if (!failAt || ++calls != failAt) return false;
    if (status) *status = this->status;
    return true;
  }
};
StoreFault g_store;

// The library's own entry points, kept while the session's are wrapped.
struct RealStore {
  STORE_OPENADDRESSBOOK* openAddressBook;
  STORE_GETRECORDID* getRecordId;
  STORE_CREATECONTACTENTRY* createContactEntry;
  STORE_CREATEGROUPENTRY* createGroupEntry;
  STORE_GETPROPS* getProps;
  STORE_SETPROPS* setProps;
  STORE_COMMITADDRESSBOOK* commitAddressBook;
  STORE_ROLLBACKADDRESSBOOK* rollbackAddressBook;
};
RealStore g_real = {};

ULONG WINAPI FaultyOpen(LPCSTR path, ULONG* status) {
  return g_store.Strikes(status) ? STORE_BAD_HANDLE : g_real.openAddressBook(path, status);
}
ULONG WINAPI FaultyGetRecordId(ULONG handle, ULONG selector, ULONG* status, StoreIdList* list) {
  return g_store.Strikes(status) ? STORE_CALL_FAILED : g_real.getRecordId(handle, selector, status, list);
}
ULONG WINAPI FaultyCreatePerson(ULONG handle, ULONG* status) {
  return g_store.Strikes(status) ? STORE_NO_PERSON : g_real.createContactEntry(handle, status);
}
ULONG WINAPI FaultyCreateGroup(ULONG handle, ULONG* status) {
  return g_store.Strikes(status) ? STORE_NO_GROUP : g_real.createGroupEntry(handle, status);
}
ULONG WINAPI FaultyGetProps(ULONG handle, ULONG id, ULONG* status, StoreRecordBlock* block) {
  return g_store.Strikes(status) ? STORE_CALL_FAILED : g_real.getProps(handle, id, status, block);
}
ULONG WINAPI FaultySetProps(ULONG handle, ULONG id, ULONG* status, StoreRecordBlock* block) {
  return g_store.Strikes(status) ? 0 : g_real.setProps(handle, id, status, block);
}

// A commit that fails leaves the book as it was, as the library's own failing commit does.
ULONG WINAPI FaultyCommit(ULONG handle, ULONG* status) {
  if (!g_store.Strikes(status)) return g_real.commitAddressBook(handle, status);
  ULONG ignored = 0;
  g_real.rollbackAddressBook(handle, &ignored);
  return 0;
}

void WrapStore(abk::StoreLibrary& library) {
  g_real.openAddressBook = library.openAddressBook;
  g_real.getRecordId = library.getRecordId;
  g_real.createContactEntry = library.createContactEntry;
  g_real.createGroupEntry = library.createGroupEntry;
  g_real.getProps = library.getProps;
  g_real.setProps = library.setProps;
  g_real.commitAddressBook = library.commitAddressBook;
  g_real.rollbackAddressBook = library.rollbackAddressBook;
  library.openAddressBook = FaultyOpen;
  library.getRecordId = FaultyGetRecordId;
  library.createContactEntry = FaultyCreatePerson;
  library.createGroupEntry = FaultyCreateGroup;
  library.getProps = FaultyGetProps;
  library.setProps = FaultySetProps;
  library.commitAddressBook = FaultyCommit;
}

void Arm(FailureKind kind, long nth, ULONG status) {
  switch (kind) {
  case FailureKind::kHostAllocation:
    host::FailAllocation(nth);
    break;
  case FailureKind::kProviderHeap:
    g_heapCount = 0;
    g_heapFailAt = nth;
    break;
  case FailureKind::kStoreCall:
    g_store.calls = 0;
    g_store.status = status;
    g_store.failAt = nth;
    break;
  }
}

// Disarms every kind; true when the armed failure struck.
bool Disarm(FailureKind kind) {
  bool fired = false;
  switch (kind) {
  case FailureKind::kHostAllocation:
    fired = host::FailureFired();
    break;
  case FailureKind::kProviderHeap:
    fired = g_heapFailAt && g_heapCount >= g_heapFailAt;
    break;
  case FailureKind::kStoreCall:
    fired = g_store.failAt && g_store.calls >= g_store.failAt;
    break;
  }
  host::FailAllocation(0);
  g_heapFailAt = 0;
  g_store.failAt = 0;
  return fired;
}

const char* KindName(FailureKind kind) {
  switch (kind) {
  case FailureKind::kHostAllocation:
    return "host allocation";
  case FailureKind::kProviderHeap:
    return "provider heap allocation";
  case FailureKind::kStoreCall:
    return "store call";
  }
  return "?";
}

std::string Describe(const std::vector<std::pair<ULONG, std::vector<RawRecord>>>& dump) {
  std::ostringstream out;
  for (const auto& [id, records] : dump) {
    out << "\n  " << std::hex << id << std::dec << ":";
    for (const RawRecord& record : records)
      out << " " << record;
  }
  return out.str();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

void FreeRows(LPSRowSet rows) {
  if (!rows) return;
  for (ULONG i = 0; i < rows->cRows; ++i)
    HostFreeBuffer(rows->aRow[i].lpProps);
  HostFreeBuffer(rows);
}

void SweepTest::SetUp() {
  DialogTest::SetUp();
  alice = store.NewPerson(book, {Field(1, "Alice Martin"), Field(3, "Alice"), Field(5, "Martin"),
                                 Field(0x210, "0102030405"), Field(0x110, "0607080910")});
  bruno = store.NewPerson(book, {Field(1, "Bruno Petit"), Field(5, "Petit"), Field(0x210, "0299887766")});
  group = store.NewGroup(book, {Field(1, "Comptables"), Field(8, "compta"), Member(alice, 3), Member(bruno, 1)});
  emptyGroup = store.NewGroup(book, {Field(1, "Vide")});
  rootId = MakeId(0xFFFFFFFF, 4);
  aliceId = IdInRoot(alice);
  brunoId = IdInRoot(bruno);
  groupId = IdInRoot(group);
  emptyGroupId = IdInRoot(emptyGroup);
  aliceInGroupId = IdInGroup(alice, group);
  personTemplate = ContainerTemplate(session, PR_DEF_CREATE_MAILUSER);
  groupTemplate = ContainerTemplate(session, PR_DEF_CREATE_DL);
  WrapStore(*session->Store());
  abk::SetHeapFailureHook(FailNthHeapAllocation);
  SaveBook();
}

void SweepTest::TearDown() {
  Disarm(FailureKind::kStoreCall);
  abk::SetHeapFailureHook(nullptr);
  DialogTest::TearDown();
}

void SweepTest::SaveBook() { savedBook_ = ReadFile(book); }

// A new file renamed over the book: the store library sees a different file and reads it afresh.
void SweepTest::RestoreBook() {
  std::string scratch = book + ".restore";
  {
    std::ofstream out(scratch, std::ios::binary | std::ios::trunc);
    out.write(savedBook_.data(), static_cast<std::streamsize>(savedBook_.size()));
  }
  std::error_code error;
  fs::rename(scratch, book, error);
  ASSERT_FALSE(error) << error.message();
}

HRESULT SweepTest::RunOnce(const SweptOperation& op) {
  // A fresh driver for every run: a failure may leave scripts unused.
  driver.reset();
  driver = std::make_unique<host::DialogDriver>(resources);
  HRESULT hr = op.run(*this);
  driver.reset();
  driver = std::make_unique<host::DialogDriver>(resources);
  return hr;
}

HRESULT SweepTest::CleanRun(const SweptOperation& op, BookDump* after) {
  HRESULT hr = RunOnce(op);
  *after = store.Dump(book);
  RestoreBook();
  return hr;
}

SweepCounts SweepTest::Sweep(const SweptOperation& op, FailureKind kind, ULONG storeStatus) {
  SweepCounts counts;
  BookDump before = store.Dump(book);
  BookDump changed;
  HRESULT clean = CleanRun(op, &changed);
  EXPECT_TRUE(SUCCEEDED(clean) || clean == MAPI_E_USER_CANCEL) << op.name << ": 0x" << std::hex << clean;
  if (HasFailure()) return counts;

  for (long nth = 1; nth < 100000; ++nth) {
    std::string where = std::string(op.name) + ", " + KindName(kind) + " " + std::to_string(nth) +
                        (kind == FailureKind::kStoreCall ? " with status " + std::to_string(storeStatus) : "");
    Arm(kind, nth, storeStatus);
    HRESULT hr = RunOnce(op);
    bool fired = Disarm(kind);
    EXPECT_EQ(host::LiveBlocks(), 0) << where << ": host blocks left alive";
    BookDump now = store.Dump(book);
    bool unchanged = now == before;
    EXPECT_TRUE(unchanged || now == changed) << where << ": the book holds part of the change:" << Describe(now)
                                             << "\nbefore:" << Describe(before) << "\nchanged:" << Describe(changed);
    RestoreBook();
    if (!fired) {
      EXPECT_EQ(hr, clean) << where << ": a run past every failure point";
      return counts;
    }
    ++counts.points;
    if (hr == kIncompleteResult && kind == FailureKind::kStoreCall && op.leavesOutUnreadable && unchanged) {
      ++counts.leftOut;
      continue;
    }
    EXPECT_NE(hr, kIncompleteResult) << where << ": a partial result reported as success";
    if (hr == MAPI_W_PARTIAL_COMPLETION && unchanged) {
      ++counts.failed; // the container's way of reporting a write that failed
    } else if (FAILED(hr) && hr != kIncompleteResult) {
      ++counts.failed;
      if (kind == FailureKind::kStoreCall && !op.dialog) {
        EXPECT_TRUE(hr == abk::MapStoreStatus(storeStatus) || hr == MAPI_E_NOT_FOUND || hr == MAPI_E_NOT_ENOUGH_MEMORY)
            << where << ": 0x" << std::hex << hr;
      } else if (kind != FailureKind::kStoreCall && !op.dialog) {
        EXPECT_TRUE(hr == MAPI_E_NOT_ENOUGH_MEMORY || hr == E_OUTOFMEMORY) << where << ": 0x" << std::hex << hr;
      }
    } else if (op.dialog && unchanged) {
      ++counts.cancelled;
    } else if (hr == clean && now == changed) {
      ++counts.completedWhole;
    } else {
      ADD_FAILURE() << where << ": 0x" << std::hex << hr << " after the failure, the clean run gave 0x" << clean;
    }
    if (HasFatalFailure()) break;
  }
  return counts;
}

} // namespace abktest
