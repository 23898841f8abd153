// abkhost service and info: the service entry point with the profile file, and the session's properties.
#include <filesystem>
#include <string>

#include "host/abkhost_commands.h"
#include "host/host_allocators.h"
#include "resources/resource.h"

namespace abkhost {

namespace {

// Makes the folder a book is to be created in; false, with the reason printed, when it cannot.
bool MakeBookFolder(const std::string& book) {
  std::error_code error;
  std::filesystem::path folder = PathOf(book).parent_path();
  if (folder.empty() || std::filesystem::is_directory(folder, error)) return true;
  std::filesystem::create_directories(folder, error);
  if (!error) return true;
  Err("abkhost: cannot make the folder %s: %s\n", EscapeControls(Utf8Of(folder)).c_str(), error.message().c_str());
  return false;
}

std::string Hex(const SBinary& bin) {
  std::string text;
  char digits[3];
  for (ULONG i = 0; i < bin.cb; ++i) {
    snprintf(digits, sizeof digits, "%02X", bin.lpb[i]);
    text += digits;
  }
  return text;
}

} // namespace

int ServiceCommand(const GlobalOptions& options, const ServiceOptions& service) {
  const std::string& action = service.action;
  bool named = service.named;
  Host host(options);
  if (!host.Load()) return 1;
  std::string typed;
  if (named) {
    bool lost = false;
    typed = ToBook(service.name, &lost);
    if (lost) {
      Err("abkhost: the name '%s' holds characters the address book cannot hold\n",
          EscapeControls(service.name).c_str());
      return 1;
    }
  }
  // The book's folder is made when missing, so a new book can be created there.
  if (action == "create" && !options.book.empty() && !MakeBookFolder(options.book)) return 1;
  ULONG context = action == "create" ? MSG_SERVICE_CREATE : MSG_SERVICE_CONFIGURE;
  ULONG flags = 0;
  std::unique_ptr<host::DialogDriver> driver;
#ifdef _WIN32
  if (named) driver = std::make_unique<host::DialogDriver>(host.module.Instance());
  if (!named || context == MSG_SERVICE_CREATE) flags = SERVICE_UI_ALLOWED;
#else
  driver = std::make_unique<host::DialogDriver>(host.module.Instance());
  if (named) flags = SERVICE_UI_ALLOWED;
#endif
  if (driver && named) {
    driver->OnDialog(IDD_SERVICE_CONFIG, [typed](host::DialogView& dialog) {
      dialog.Type(IDC_SERVICE_NAME, typed);
      dialog.Click(IDOK);
    });
  }
  HRESULT hr = host.module.serviceEntry(host.module.Instance(), nullptr, flags, context, 0, nullptr, &host.profile,
                                        &host.support);
  if (driver) {
    for (const host::ShownMessage& message : driver->Messages()) {
      Err("%s\n", FromBook(message.text).c_str());
      if (SUCCEEDED(hr)) hr = MAPI_E_USER_CANCEL;
    }
  }
  if (FAILED(hr)) {
    if (hr == MAPI_E_USER_CANCEL)
      Err("abkhost: the service was not %sd\n", action.c_str());
    else
      Err("abkhost: the service entry point failed (%s)\n", Code(hr).c_str());
    return 1;
  }
  if (!host.SaveProfile()) return 1;
  std::string display, path;
  host.profile.GetString(PR_DISPLAY_NAME, &display);
  host.profile.GetString(PR_AB_FILE_PATH, &path);
  Out("Service %s: %s\n", action == "create" ? "created" : "configured", FromBook(display).c_str());
  Out("  profile  %s\n", host.profileFile.c_str());
  Out("  book     %s\n", path.empty() ? "(the user's default book)" : FromBook(path).c_str());
  return 0;
}

int InfoCommand(const GlobalOptions& options) {
  Host host(options);
  if (!host.Load() || !host.Open()) return 1;
  static const struct {
    ULONG tag;
    const char* name;
  } kTags[] = {
      {PR_DISPLAY_NAME, "PR_DISPLAY_NAME"},       {PR_ENTRYID, "PR_ENTRYID"},
      {PR_OBJECT_TYPE, "PR_OBJECT_TYPE"},         {PR_DEPTH, "PR_DEPTH"},
      {PR_CONTAINER_FLAGS, "PR_CONTAINER_FLAGS"}, {PR_SERVICE_DLL_NAME, "PR_SERVICE_DLL_NAME"},
  };
  SizedSPropTagArray(6, tags) = {6, {}};
  for (int i = 0; i < 6; ++i)
    tags.aulPropTag[i] = kTags[i].tag;
  ULONG count = 0;
  LPSPropValue values = nullptr;
  HRESULT hr = host.session->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), 0, &count, &values);
  if (FAILED(hr)) {
    Err("abkhost: the session did not answer its properties (%s)\n", Code(hr).c_str());
    return 1;
  }
  Out("Session on %s\n", options.book.empty() ? "the profile's address book" : options.book.c_str());
  for (ULONG i = 0; i < count; ++i) {
    const SPropValue& value = values[i];
    switch (PROP_TYPE(value.ulPropTag)) {
    case PT_STRING8:
      Out("  %-20s %s\n", kTags[i].name, FromBook(value.Value.lpszA).c_str());
      break;
    case PT_BINARY:
      Out("  %-20s %s\n", kTags[i].name, Hex(value.Value.bin).c_str());
      break;
    case PT_LONG:
      Out("  %-20s %ld\n", kTags[i].name, static_cast<long>(value.Value.l));
      break;
    default:
      Out("  %-20s (error %s)\n", kTags[i].name, Code(value.Value.err).c_str());
      break;
    }
  }
  HostFreeBuffer(values);
  return 0;
}

} // namespace abkhost
