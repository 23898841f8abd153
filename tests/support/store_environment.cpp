// Puts the store library where the provider looks for it. On Windows that is the spooler's printer-driver
// directory, so the test program copies BKCONV.DLL there before any test runs; on Linux the default
// driver directory is the provider's own folder, where the build already put the library.
#include <gtest/gtest.h>

#include "host/provider_module.h"
#include "platform/platform.h"

namespace {

class StoreEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
#ifdef _WIN32
    char directory[MAX_PATH] = {};
    DWORD needed = 0;
    ASSERT_TRUE(GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(directory), sizeof directory,
                                           &needed));
    std::string target = std::string(directory) + "\\BKCONV.DLL";
    std::string source = host::ProgramFolder() + "BKCONV.DLL";
    ASSERT_TRUE(CopyFileA(source.c_str(), target.c_str(), FALSE)) << source << " -> " << target;
#endif
  }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new StoreEnvironment);

} // namespace
