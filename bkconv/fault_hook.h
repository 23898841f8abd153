// A test hook: BKCONV_TEST_FAULT=N:KIND makes the Nth file-changing step of each changing call fail, so
// tests can fill the disk or cut the power at every step of a write. Unset, it costs one variable look-up.
// Only builds with ABK_TEST_HOOKS (every flavour but the shipping win32 one) read the variable.
#pragma once

namespace bkconv {

enum class Fault {
  None,
  DiskFull, // the step fails as on a full disk
  IoError,  // the step fails as on a failing disk
  Crash,    // the step stops half done and nothing after it reaches the disk, cleanup included
};

class FaultPlan {
public:
  // Reads BKCONV_TEST_FAULT: "3:crash" strikes the third step; kinds are full, io and crash.
  static FaultPlan FromEnvironment();
  // Called once per step, in order.
  Fault Next();

private:
  unsigned strikeAt_ = 0;
  unsigned step_ = 0;
  Fault kind_ = Fault::None;
};

} // namespace bkconv
