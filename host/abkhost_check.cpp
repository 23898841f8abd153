// abkhost check and repair: what the store library's salvage finds in the book, and a repair that keeps
// every transaction it can read in a new book and the damaged file aside, untouched.
#include <string>

#include "host/abkhost_commands.h"
#include "store/store_abi.h"

namespace abkhost {

namespace {

std::string Count(unsigned long n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Runs the salvage on the session's book; false, with the reason printed, when it could not.
bool Salvage(const GlobalOptions& options, ULONG mode, StoreSalvageReport* report) {
  Host host(options);
  if (!host.Load() || !host.Open()) return false;
  // The store library the session loaded; only this project's has a salvage.
  auto* salvage = reinterpret_cast<STORE_SALVAGEADDRESSBOOK*>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("BKCONV.DLL"), "SalvageAddressBook")));
  if (!salvage) {
    Err("abkhost: the store library cannot check a book\n");
    return false;
  }
  std::string path;
  host.profile.GetString(PR_AB_FILE_PATH, &path);
  *report = StoreSalvageReport{};
  report->size = sizeof *report;
  ULONG status = 0;
  if (salvage(path.empty() ? nullptr : path.c_str(), mode, report, &status)) return true;
  const char* why = status == STORE_STATUS_FILE_ERROR ? "it is not an address book this library can read"
                    : status == STORE_STATUS_BUSY     ? "another program is using it; try again"
                                                      : "it could not be read or written";
  Err("abkhost: cannot %s the book: %s (store status %lu)\n", mode ? "repair" : "check", why,
      static_cast<unsigned long>(status));
  return false;
}

void SayTorn(const StoreSalvageReport& report) {
  if (report.tornTail) Out("An unfinished last write was left out: it had never been saved.\n");
}

} // namespace

int CheckCommand(const GlobalOptions& options) {
  StoreSalvageReport report;
  if (!Salvage(options, STORE_SALVAGE_CHECK, &report)) return 1;
  if (!report.damaged) {
    Out("The book is sound: %s in %s.\n", Count(report.entriesKept, "entry", "entries").c_str(),
        Count(report.transactionsKept, "transaction", "transactions").c_str());
    SayTorn(report);
    return 0;
  }
  Out("The book is damaged from byte %lu: %s (%lu bytes) cannot be read.\n",
      static_cast<unsigned long>(report.firstDamage),
      Count(report.transactionsLost, "transaction", "transactions").c_str(),
      static_cast<unsigned long>(report.bytesLost));
  Out("A repair keeps %s from the %s that can be read: abkhost repair\n",
      Count(report.entriesKept, "entry", "entries").c_str(),
      Count(report.transactionsKept, "transaction", "transactions").c_str());
  SayTorn(report);
  return 1;
}

int RepairCommand(const GlobalOptions& options) {
  StoreSalvageReport report;
  if (!Salvage(options, STORE_SALVAGE_REPAIR, &report)) return 1;
  if (!report.damaged) {
    Out("The book is sound: nothing to repair.\n");
    SayTorn(report);
    return 0;
  }
  Out("Repaired: kept %s from %s; lost %s (%lu bytes from byte %lu).\n",
      Count(report.entriesKept, "entry", "entries").c_str(),
      Count(report.transactionsKept, "transaction", "transactions").c_str(),
      Count(report.transactionsLost, "transaction", "transactions").c_str(),
      static_cast<unsigned long>(report.bytesLost), static_cast<unsigned long>(report.firstDamage));
  Out("The damaged book is kept, untouched, as %s\n", FromBook(report.damagedCopy).c_str());
  return 0;
}

} // namespace abkhost
