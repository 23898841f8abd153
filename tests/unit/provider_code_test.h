// Unit tests of the provider's own code, linked in: a host whose allocators the provider's module state
// uses, as ABProviderOpen would set them, with the host's books checked at the end.
#pragma once

#include "provider/module_state.h"
#include "support/provider_fixture.h"

namespace abktest {

class ProviderCodeTest : public HostTest {
protected:
  void SetUp() override {
    HostTest::SetUp();
    abk::AllocateBuffer = HostAllocateBuffer;
    abk::AllocateMore = HostAllocateMore;
    abk::FreeBuffer = HostFreeBuffer;
  }
};

} // namespace abktest
