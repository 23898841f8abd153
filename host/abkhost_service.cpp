// abkhost service and info: the service entry point with the profile file, and the session's properties.
#include <string>

#include "host/abkhost_common.h"
#include "host/host_allocators.h"
#include "resources/resource.h"

namespace abkhost {

namespace {

const char kServiceHelp[] =
    "usage: abkhost [--book FILE] [--profile FILE] service create|configure [--name NAME]\n"
    "  create      create the service: the provider converts an older address book if there is one and,\n"
    "              given a name, names the service through its configuration dialog\n"
    "  configure   name the service through the configuration dialog\n"
    "  --name NAME the service's display name, typed into the dialog"
#ifdef _WIN32
    " (without it the dialog opens)"
#endif
    "\n"
    "The profile file keeps the display name, the book's path (--book) and the service identifier.\n";

const char kInfoHelp[] = "usage: abkhost [--book FILE] [--profile FILE] info\n"
                         "  open a session on the address book and print the session's properties\n";

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

int ServiceCommand(const GlobalOptions& options, int argc, char** argv) {
  std::string action, name;
  bool named = false;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return Help(kServiceHelp, false);
    if (arg == "--name" && i + 1 < argc) {
      name = argv[++i];
      named = true;
    } else if (action.empty() && (arg == "create" || arg == "configure")) {
      action = arg;
    } else {
      fprintf(stderr, "abkhost service: unknown argument '%s'\n", arg.c_str());
      return Help(kServiceHelp, true);
    }
  }
  if (action.empty()) return Help(kServiceHelp, true);

  Host host(options);
  if (!host.Load()) return 1;
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
    std::string typed = FromTerminal(name);
    driver->OnDialog(IDD_SERVICE_CONFIG, [typed](host::DialogView& dialog) {
      dialog.Type(IDC_SERVICE_NAME, typed);
      dialog.Click(IDOK);
    });
  }
  HRESULT hr = host.module.serviceEntry(host.module.Instance(), nullptr, flags, context, 0, nullptr, &host.profile,
                                        &host.support);
  if (driver) {
    for (const host::ShownMessage& message : driver->Messages()) {
      fprintf(stderr, "%s\n", ToTerminal(message.text).c_str());
      if (SUCCEEDED(hr)) hr = MAPI_E_USER_CANCEL;
    }
  }
  if (FAILED(hr)) {
    if (hr == MAPI_E_USER_CANCEL)
      fprintf(stderr, "abkhost: the service was not %sd\n", action.c_str());
    else
      fprintf(stderr, "abkhost: the service entry point failed (%s)\n", Code(hr).c_str());
    return 1;
  }
  if (!host.SaveProfile()) return 1;
  std::string display, path;
  host.profile.GetString(PR_DISPLAY_NAME, &display);
  host.profile.GetString(PR_AB_FILE_PATH, &path);
  printf("Service %s: %s\n", action == "create" ? "created" : "configured", ToTerminal(display).c_str());
  printf("  profile  %s\n", host.profileFile.c_str());
  printf("  book     %s\n", path.empty() ? "(the user's default book)" : ToTerminal(path).c_str());
  return 0;
}

int InfoCommand(const GlobalOptions& options, int argc, char** argv) {
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return Help(kInfoHelp, false);
    fprintf(stderr, "abkhost info: unknown argument '%s'\n", arg.c_str());
    return Help(kInfoHelp, true);
  }
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
    fprintf(stderr, "abkhost: the session did not answer its properties (%s)\n", Code(hr).c_str());
    return 1;
  }
  printf("Session on %s\n", options.book.empty() ? "the profile's address book" : options.book.c_str());
  for (ULONG i = 0; i < count; ++i) {
    const SPropValue& value = values[i];
    switch (PROP_TYPE(value.ulPropTag)) {
    case PT_STRING8:
      printf("  %-20s %s\n", kTags[i].name, ToTerminal(value.Value.lpszA).c_str());
      break;
    case PT_BINARY:
      printf("  %-20s %s\n", kTags[i].name, Hex(value.Value.bin).c_str());
      break;
    case PT_LONG:
      printf("  %-20s %ld\n", kTags[i].name, static_cast<long>(value.Value.l));
      break;
    default:
      printf("  %-20s (error %s)\n", kTags[i].name, Code(value.Value.err).c_str());
      break;
    }
  }
  HostFreeBuffer(values);
  return 0;
}

} // namespace abkhost
