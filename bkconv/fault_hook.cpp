// Reading the test hook's plan from the environment.
#include "fault_hook.h"

#include <cstdlib>
#include <string>

#include "os_file.h"

namespace bkconv {

FaultPlan FaultPlan::FromEnvironment() {
  FaultPlan plan;
#ifndef ABK_TEST_HOOKS
  return plan; // the shipping form has no hook: no plan, whatever the environment says
#else
  std::string text = GetEnvironment("BKCONV_TEST_FAULT");
  size_t colon = text.find(':');
  if (colon == std::string::npos) return plan;
  std::string kind = text.substr(colon + 1);
  if (kind == "full")
    plan.kind_ = Fault::DiskFull;
  else if (kind == "io")
    plan.kind_ = Fault::IoError;
  else if (kind == "crash")
    plan.kind_ = Fault::Crash;
  plan.strikeAt_ = static_cast<unsigned>(std::strtoul(text.c_str(), nullptr, 10));
  return plan;
#endif
}

Fault FaultPlan::Next() {
  ++step_;
  return step_ == strikeAt_ ? kind_ : Fault::None;
}

} // namespace bkconv
