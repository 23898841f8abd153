// Loading the provider module by file name and calling its exports, as the real host does.
#include "host/provider_module.h"

#include "host/host_allocators.h"

namespace host {

ProviderModule::~ProviderModule() { Unload(); }

bool ProviderModule::Load(const std::string& path) {
  Unload();
  module_ = LoadLibraryA(path.c_str());
  if (!module_) return false;
  providerOpen = reinterpret_cast<LPABPROVIDEROPEN>(reinterpret_cast<void*>(GetProcAddress(module_, "ABProviderOpen")));
  serviceEntry = reinterpret_cast<LPABSERVICEENTRY>(reinterpret_cast<void*>(GetProcAddress(module_, "ABServiceEntry")));
  if (providerOpen && serviceEntry) return true;
  Unload();
  return false;
}

void ProviderModule::Unload() {
  if (module_) FreeLibrary(module_);
  module_ = nullptr;
  providerOpen = nullptr;
  serviceEntry = nullptr;
}

HRESULT ProviderModule::Open(LPABHOSTSUPPORT support, LPMAPIPROP profile, LPADRBOOK* session) const {
  return providerOpen(module_, support, profile, 0, 0, 0, 0, HostFreeBuffer, session);
}

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path, length);
  size_t cut = folder.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : folder.substr(0, cut + 1);
}

} // namespace host
