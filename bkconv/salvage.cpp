// Salvaging a damaged book: what can be read is kept, the damaged file stays as it was under a new name.
#include "salvage.h"

#include <cstring>

#include "book_file.h"
#include "log_reader.h"

namespace bkconv {
namespace {

// Keeps the damaged bytes under the first free name of BOOK.damaged, BOOK.damaged.2, ...
ULONG KeepCopy(const std::string& real, const OsFile& original, const std::vector<BYTE>& bytes, std::string* kept) {
  for (int n = 1; n < 100; ++n) {
    std::string name = real;
    name.append(".damaged");
    if (n > 1) name.append(".").append(std::to_string(n));
    OsFile copy;
    OsError error = copy.Open(name, OsFile::CreateNew);
    if (error == OsError::NotFound || error == OsError::DiskFull || error == OsError::Denied) return StatusOf(error);
    if (error != OsError::None) continue; // taken
    copy.CopyAccessFrom(original);
    error = copy.WriteAt(0, bytes.data(), bytes.size());
    if (error == OsError::None) error = copy.Flush();
    if (error != OsError::None) {
      copy.Close();
      RemoveFile(name);
      return StatusOf(error);
    }
    *kept = name;
    return 0;
  }
  return STORE_STATUS_DISK_ERROR;
}

// The book's lock, so that no writer changes it while it is read; waits as an opening does.
ULONG LockForSalvage(OsFile& file) {
  uint64_t deadline = LockDeadline();
  for (;;) {
    OsError error = file.TryLock();
    if (error == OsError::None) return 0;
    if (error != OsError::Busy) return StatusOf(error);
    if (MonotonicMilliseconds() >= deadline) return STORE_STATUS_BUSY;
    Pause(20);
  }
}

} // namespace

ULONG SalvageBook(const std::string& path, bool repair, StoreSalvageReport* report) {
  ULONG size = report->size;
  memset(report, 0, sizeof *report);
  report->size = size;
  CachedBook book;
  book.path = path;
  OsError error = book.file.Open(path, repair ? OsFile::ReadWrite : OsFile::ReadOnly);
  if (error != OsError::None) return StatusOf(error);
  ULONG status = LockForSalvage(book.file);
  if (status) return status;
  FileKey key;
  error = book.file.Status(&key);
  if (error != OsError::None) return StatusOf(error);
  if (key.size > kMaxBookSize) return STORE_STATUS_FILE_ERROR;
  std::vector<BYTE> bytes(static_cast<size_t>(key.size));
  size_t read = 0;
  error = book.file.ReadAt(0, bytes.data(), bytes.size(), &read);
  if (error != OsError::None) return StatusOf(error);
  bytes.resize(read);

  uint64_t stamp = 0;
  uint32_t version = kFormatVersion;
  HeaderCheck check = CheckHeader(bytes.data(), bytes.size(), &stamp, &version);
  if (check == HeaderCheck::NotABook || check == HeaderCheck::NewerVersion) return STORE_STATUS_FILE_ERROR;
  if (check == HeaderCheck::Damaged) version = kFormatVersion; // the frames may still be whole

  BookState salvaged;
  SalvageOutcome outcome = SalvageLog(bytes, version, salvaged);
  if (check == HeaderCheck::Damaged) {
    outcome.damaged = true;
    outcome.firstDamage = 0;
  }
  report->damaged = outcome.damaged ? 1 : 0;
  report->firstDamage = static_cast<ULONG>(outcome.firstDamage);
  report->bytesLost = static_cast<ULONG>(outcome.bytesLost);
  report->transactionsKept = outcome.kept;
  report->transactionsLost = outcome.lost;
  report->entriesKept = static_cast<ULONG>(salvaged.Entries().size());
  report->tornTail = outcome.torn ? 1 : 0;
  if (!repair || !outcome.damaged) return 0;

  std::string real = ResolveLinks(path);
  std::string kept;
  status = KeepCopy(real, book.file, bytes, &kept);
  if (status) return status;
  if (kept.size() < sizeof report->damagedCopy) memcpy(report->damagedCopy, kept.c_str(), kept.size() + 1);
  return RewriteBook(book, salvaged);
}

} // namespace bkconv
