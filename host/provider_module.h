// The provider module as a host sees it: a file loaded by name whose two exports are found by name.
#pragma once

#include <string>

#include "platform/platform.h"
#include "provider/host_interfaces.h"

namespace host {

class ProviderModule {
public:
  ProviderModule() = default;
  ~ProviderModule();
  ProviderModule(const ProviderModule&) = delete;
  ProviderModule& operator=(const ProviderModule&) = delete;

  // Loads the module and looks up both exports; false when either is missing.
  bool Load(const std::string& path);
  void Unload();

  HINSTANCE Instance() const { return module_; }
  LPABPROVIDEROPEN providerOpen = nullptr;
  LPABSERVICEENTRY serviceEntry = nullptr;

  // ABProviderOpen with the host's own release routine for the profile properties.
  HRESULT Open(LPABHOSTSUPPORT support, LPMAPIPROP profile, LPADRBOOK* session) const;

private:
  HMODULE module_ = nullptr;
};

// The folder that holds the running program, with a trailing separator.
std::string ProgramFolder();

} // namespace host
