// Property helpers and book paths for tests.
#include "support/object_helpers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "host/host_allocators.h"

namespace abktest {

std::string ReadString(IMAPIProp* object, ULONG tag) {
  SizedSPropTagArray(1, tags) = {1, {tag}};
  ULONG count = 0;
  LPSPropValue values = nullptr;
  if (FAILED(object->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), 0, &count, &values))) return "(failed)";
  std::string text = PROP_TYPE(values[0].ulPropTag) == PT_STRING8 ? values[0].Value.lpszA : "(missing)";
  HostFreeBuffer(values);
  return text;
}

HRESULT SetStrings(IMAPIProp* object, const std::vector<std::pair<ULONG, std::string>>& values) {
  std::vector<SPropValue> props(values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    props[i].ulPropTag = values[i].first;
    props[i].Value.lpszA = const_cast<char*>(values[i].second.c_str());
  }
  return object->SetProps(static_cast<ULONG>(props.size()), props.data(), nullptr);
}

std::string NewBookPath() {
  static std::atomic<int> serial{0};
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  // The process id keeps apart the books of two runs at once (two flavours, or a run under valgrind
  // beside an ordinary one), which would otherwise share every name.
  std::string name = "abk-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
                     std::to_string(GetCurrentProcessId()) + "-" + std::to_string(serial++);
  // Parameterised tests carry slashes in their names.
  for (char& c : name)
    if (c == '/') c = '-';
  std::filesystem::path path = std::filesystem::temp_directory_path() / (name + ".adr");
  std::filesystem::remove(path);
  return path.string();
}

DefaultBookHome::DefaultBookHome() : home_(NewBookPath() + ".home") {
#ifdef _WIN32
  SetEnvironmentVariableA("APPDATA", home_.c_str());
#else
  setenv("XDG_DATA_HOME", home_.c_str(), 1);
#endif
  std::filesystem::create_directories(Folder());
}

DefaultBookHome::~DefaultBookHome() {
  std::error_code ignored;
  std::filesystem::remove_all(home_, ignored);
}

std::string DefaultBookHome::Folder() const { return (std::filesystem::path(home_) / "abk").string(); }

void DefaultBookHome::WriteCsvBook(const std::string& text) const {
  std::ofstream(std::filesystem::path(Folder()) / "default.csv") << text;
}

} // namespace abktest
