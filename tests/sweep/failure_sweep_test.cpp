// Every swept operation with each of its allocations failing in turn (the host's and the provider's
// own), and with each store call failing in turn under every status word the library reports.
#include <gtest/gtest.h>

#include "sweep/sweep_fixture.h"

namespace abktest {
namespace {

class FailureSweepTest : public SweepTest, public ::testing::WithParamInterface<size_t> {
protected:
  const SweptOperation& Operation() { return SweptOperations()[GetParam()]; }
  static void Report(const char* what, const SweptOperation& op, const SweepCounts& counts) {
    printf("[ sweep    ] %s | %s: %d failure points, %d failed, %d cancelled, %d completed whole, %d left an "
           "unreadable entry out\n",
           what, op.name, counts.points, counts.failed, counts.cancelled, counts.completedWhole, counts.leftOut);
  }
};

TEST_P(FailureSweepTest, EachHostAllocationFailing) {
  SweepCounts counts = Sweep(Operation(), FailureKind::kHostAllocation);
  Report("host allocations", Operation(), counts);
}

TEST_P(FailureSweepTest, EachProviderHeapAllocationFailing) {
  SweepCounts counts = Sweep(Operation(), FailureKind::kProviderHeap);
  Report("provider heap", Operation(), counts);
}

TEST_P(FailureSweepTest, EachStoreCallFailing) {
  const ULONG statuses[] = {STORE_STATUS_INVALID_ARGUMENT,
                            STORE_STATUS_DISK_ERROR,
                            STORE_STATUS_FILE_ERROR,
                            STORE_STATUS_NOT_FOUND,
                            STORE_STATUS_NO_RECORD,
                            STORE_STATUS_DISK_FULL,
                            0x77 /* a word the provider does not know */};
  SweepCounts total;
  for (ULONG status : statuses) {
    SweepCounts counts = Sweep(Operation(), FailureKind::kStoreCall, status);
    total.points += counts.points;
    total.failed += counts.failed;
    total.cancelled += counts.cancelled;
    total.completedWhole += counts.completedWhole;
    total.leftOut += counts.leftOut;
    if (HasFailure()) break;
  }
  Report("store calls x 7 status words", Operation(), total);
}

std::string OperationName(const ::testing::TestParamInfo<size_t>& info) {
  std::string name;
  bool upper = true;
  for (char c : std::string(SweptOperations()[info.param].name)) {
    if (!isalnum(static_cast<unsigned char>(c))) {
      upper = true;
      continue;
    }
    name += upper ? static_cast<char>(toupper(static_cast<unsigned char>(c))) : c;
    upper = false;
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Operations, FailureSweepTest, ::testing::Range<size_t>(0, SweptOperations().size()),
                         OperationName);

} // namespace
} // namespace abktest
