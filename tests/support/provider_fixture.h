// Test fixtures: a substitute host (profile, support object, allocators) and the provider module loaded
// by file name. Every test ends with no live host block and no bad free.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/host_allocators.h"
#include "host/host_support.h"
#include "host/profile_section.h"
#include "host/provider_module.h"
#include "provider/host_interfaces.h"

namespace abktest {

// The service identifier the test profiles carry.
inline const BYTE kServiceUid[16] = {0x4A, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                                     0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0x0F};

inline std::string ProviderModulePath() {
#ifdef _WIN32
  return host::ProgramFolder() + "ABKPRV01.DLL";
#else
  return host::ProgramFolder() + "libabkprv01.so";
#endif
}

// Checks the host's books at the end of every test.
class HostTest : public ::testing::Test {
protected:
  void SetUp() override {
    host::FailAllocation(0);
    badFreesAtStart_ = host::BadFrees();
  }
  void TearDown() override {
    host::FailAllocation(0);
    EXPECT_EQ(host::LiveBlocks(), 0) << "host blocks left alive";
    EXPECT_EQ(host::BadFrees(), badFreesAtStart_) << "blocks freed that were not top-level host blocks";
  }

private:
  long badFreesAtStart_ = 0;
};

// A host with a configured profile and the provider module loaded.
class ProviderTest : public HostTest {
protected:
  void SetUp() override {
    HostTest::SetUp();
    ASSERT_TRUE(module.Load(ProviderModulePath())) << ProviderModulePath();
    profile.SetString(PR_DISPLAY_NAME, "Carnet de télécopie");
    profile.SetBinary(PR_SERVICE_UID, kServiceUid, sizeof kServiceUid);
  }
  void TearDown() override {
    if (session) session->Release();
    session = nullptr;
    HostTest::TearDown();
  }

  HRESULT Open() { return module.Open(&support, &profile, &session); }

  host::ProviderModule module;
  host::ProfileSection profile;
  host::HostSupport support;
  LPADRBOOK session = nullptr;
};

// A 40-byte identifier built by hand, as a host that stored one would hand it back.
inline std::string MakeId(ULONG recordId, ULONG typeWord, ULONG parentId = 0, ULONG parentType = 0,
                          const BYTE* uid = kServiceUid) {
  std::string id(40, '\0');
  memcpy(&id[4], uid, 16);
  memcpy(&id[24], &parentId, 4);
  memcpy(&id[28], &parentType, 4);
  memcpy(&id[32], &recordId, 4);
  memcpy(&id[36], &typeWord, 4);
  return id;
}

inline LPENTRYID IdPtr(std::string& id) { return reinterpret_cast<LPENTRYID>(&id[0]); }
inline ULONG IdSize(const std::string& id) { return static_cast<ULONG>(id.size()); }

} // namespace abktest
