// Failure sweeps: one host-facing operation run again and again, its 1st, 2nd, ... allocation (host
// allocators or the provider's heap) or store call failing in turn, each time on the same book. After
// every run no host block is alive and the book is as it was or holds the operation's whole change.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "dialogs/dialog_fixture.h"

namespace abktest {

class SweepTest;

// What an operation returns when its call succeeded but handed back less than a whole result: a
// failure reported as success, which the sweep counts as a fault.
constexpr HRESULT kIncompleteResult = static_cast<HRESULT>(0x8000FA11);

struct SweptOperation {
  const char* name;
  std::function<HRESULT(SweepTest&)> run;
  // A dialog the failure closes or leaves to the user ends as a cancel: S_OK or MAPI_E_USER_CANCEL
  // with nothing written is then a sound answer.
  bool dialog = false;
  // A contents table leaves out an entry the store cannot read, without telling: a store failure may
  // end such a run with fewer rows.
  bool leavesOutUnreadable = false;
};

// Every operation the sweeps run.
const std::vector<SweptOperation>& SweptOperations();

// Ways a run can be made to fail.
enum class FailureKind { kHostAllocation, kProviderHeap, kStoreCall };

struct SweepCounts {
  int points = 0;         // runs with the armed failure reached
  int failed = 0;         // of those, runs that returned a failure code
  int cancelled = 0;      // runs of a dialog that ended as a cancel with nothing written
  int completedWhole = 0; // runs that got past the failure (a skipped read, a retried step) and finished whole
  int leftOut = 0;        // table runs that left out an entry the store could not read
};

class SweepTest : public DialogTest {
public:
  // The book every run starts from: two persons (Alice with two numbers, Bruno with one), a group
  // holding both, and an empty group.
  ULONG alice = 0, bruno = 0, group = 0, emptyGroup = 0;
  std::string rootId, aliceId, brunoId, groupId, emptyGroupId, aliceInGroupId;
  std::string personTemplate, groupTemplate;
  abk::AddressBookSession* Session() { return session; }
  LPADRBOOK AddrBook() { return addrBook; }
  host::DialogDriver& Driver() { return *driver; }
  host::ProfileSection& Profile() { return profile; }
  host::HostSupport& Support() { return support; }
  HINSTANCE Resources() { return resources; }

protected:
  void SetUp() override;
  void TearDown() override;

  // Runs the operation with failure point 1, 2, ... of the given kind until a run no longer reaches
  // it; for store calls, each status word in turn.
  SweepCounts Sweep(const SweptOperation& op, FailureKind kind, ULONG storeStatus = 0);

private:
  using BookDump = std::vector<std::pair<ULONG, std::vector<RawRecord>>>;
  void SaveBook();
  void RestoreBook();
  // Runs once with nothing failing: the result code and the book it leaves, restored afterwards.
  HRESULT CleanRun(const SweptOperation& op, BookDump* after);
  HRESULT RunOnce(const SweptOperation& op);

  std::string savedBook_;
};

// Frees a row set the provider handed back through the host's allocator.
void FreeRows(LPSRowSet rows);

} // namespace abktest
