// The fuzz book: written through the store library's exports, opened through ABProviderOpen.
#include "fuzz/fuzz_book.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "bench/store_records.h"
#include "store/store_abi.h"

extern "C" HRESULT __cdecl ABProviderOpen(HINSTANCE, LPABHOSTSUPPORT, LPMAPIPROP, ULONG, ULONG, ULONG, ULONG,
                                          LPFREEBUFFER, LPADRBOOK*);

namespace abkfuzz {

const BYTE kServiceUid[16] = {0x4A, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                              0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0x0F};

namespace {

[[noreturn]] void Fail(const char* what) {
  fprintf(stderr, "fuzz setup failed: %s\n", what);
  abort();
}

// Four persons and two groups, the second holding the first and a person; the ids land in book.
void WriteBook(FuzzBook& book) {
  bench::Store store;
  if (!store.module) Fail("libbkconv.so did not load");
  auto* open = store.Get<STORE_OPENADDRESSBOOK>("OpenAddressBook");
  auto* close = store.Get<STORE_CLOSEADDRESSBOOK>("CloseAddressBook");
  auto* newPerson = store.Get<STORE_CREATECONTACTENTRY>("CreateContactEntry");
  auto* newGroup = store.Get<STORE_CREATEGROUPENTRY>("CreateGroupEntry");
  auto* setProps = store.Get<STORE_SETPROPS>("SetProps");
  ULONG status = 0;
  ULONG handle = open(book.pristine.c_str(), &status);
  if (handle == STORE_BAD_HANDLE) Fail("OpenAddressBook");
  for (int i = 0; i < 4; ++i) {
    ULONG id = newPerson(handle, &status);
    book.persons.push_back(id);
    std::vector<BYTE> packed;
    std::string n = std::to_string(i);
    bench::AddField(packed, 1, "Person " + n);
    bench::AddField(packed, 3, "First" + n);
    bench::AddField(packed, 5, "Last" + n);
    bench::AddField(packed, 0x210, "01-23-45-" + n);
    bench::AddField(packed, 0x211, "office");
    if (i % 2) bench::AddField(packed, 0x110, "06-78-90-" + n);
    StoreRecordBlock block{i % 2 ? 6u : 5u, packed.data()};
    if (!setProps(handle, id, &status, &block)) Fail("SetProps of a person");
  }
  for (int g = 0; g < 2; ++g) {
    ULONG id = newGroup(handle, &status);
    std::vector<BYTE> packed;
    bench::AddField(packed, 1, "Group " + std::to_string(g));
    bench::AddMember(packed, book.persons[g], 3);
    bench::AddMember(packed, g ? book.groups[0] : book.persons[2], g ? 0 : 1);
    StoreRecordBlock block{3, packed.data()};
    if (!setProps(handle, id, &status, &block)) Fail("SetProps of a group");
    book.groups.push_back(id);
  }
  close(handle);
  FreeLibrary(store.module);
}

} // namespace

std::string NewScratchFolder(const char* name) {
  std::error_code error;
  const char* given = getenv("ABK_FUZZ_SCRATCH");
  std::string base = given && *given ? given : std::filesystem::is_directory("/dev/shm", error) ? "/dev/shm" : "/tmp";
  std::string pattern = base + "/" + name + "-XXXXXX";
  if (!mkdtemp(pattern.data())) Fail("mkdtemp");
  return pattern;
}

FuzzBook& Book() {
  static FuzzBook* book = nullptr;
  if (book) return *book;
  book = new FuzzBook;
  book->folder = NewScratchFolder("abk-fuzz");
  // The folder goes when the run ends normally; after a finding it stays, with the book as it was.
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(Book().folder, ignored);
  });
  book->path = book->folder + "/book.adr";
  book->pristine = book->folder + "/pristine.adr";
  WriteBook(*book);
  std::ifstream pristine(book->pristine, std::ios::binary);
  book->pristineBytes.assign(std::istreambuf_iterator<char>(pristine), {});
  if (book->pristineBytes.empty()) Fail("reading the book back");
  ResetBook(*book);
  book->profile.SetString(PR_DISPLAY_NAME, "Fax");
  book->profile.SetBinary(PR_SERVICE_UID, kServiceUid, 16);
  book->profile.SetString(PR_AB_FILE_PATH, book->path);
  if (ABProviderOpen(nullptr, &book->support, &book->profile, 0, 0, 0, 0, HostFreeBuffer, &book->session) != S_OK)
    Fail("ABProviderOpen");
  book->liveBlocks = host::LiveBlocks();
  book->badFrees = host::BadFrees();
  return *book;
}

// The copy is written from memory with plain writes and tried again on failure: libFuzzer's timeout
// alarm can interrupt the kernel's file-to-file copy, which then leaves an empty file behind.
static bool WriteCopy(const std::string& path, const std::string& bytes) {
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) return false;
  bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return fclose(file) == 0 && written;
}

void ResetBook(FuzzBook& book) {
  std::string copy = book.folder + "/copy.adr";
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (WriteCopy(copy, book.pristineBytes) && rename(copy.c_str(), book.path.c_str()) == 0) return;
  }
  fprintf(stderr, "putting the book back failed: %s\n", strerror(errno));
  Fail("putting the book back");
}

void CheckHostBlocks(const FuzzBook& book) {
  host::FailAllocation(0);
  if (host::LiveBlocks() != book.liveBlocks) {
    fprintf(stderr, "host blocks left alive: %ld (expected %ld)\n", host::LiveBlocks(), book.liveBlocks);
    abort();
  }
  if (host::BadFrees() != book.badFrees) {
    fprintf(stderr, "bad frees of host blocks: %ld\n", host::BadFrees() - book.badFrees);
    abort();
  }
}

std::string MakeId(ULONG recordId, ULONG typeWord, ULONG parentId, ULONG parentType, const BYTE* uid) {
  std::string id(40, '\0');
  memcpy(&id[4], uid, 16);
  memcpy(&id[24], &parentId, 4);
  memcpy(&id[28], &parentType, 4);
  memcpy(&id[32], &recordId, 4);
  memcpy(&id[36], &typeWord, 4);
  return id;
}

// A record id the book knows, a template's, the root's, or any.
static ULONG FuzzRecordId(FuzzInput& in, const FuzzBook& book) {
  uint8_t pick = in.Byte();
  switch (pick % 8) {
  case 0:
  case 1:
    return book.persons[pick / 8 % book.persons.size()];
  case 2:
  case 3:
    return book.groups[pick / 8 % book.groups.size()];
  case 4:
    return pick & 0x80 ? 0x80000000 : 0;
  case 5:
    return 0xFFFFFFFF;
  default:
    return in.Word();
  }
}

static ULONG FuzzTypeWord(FuzzInput& in) {
  static const ULONG kWords[] = {4, 6, 8, 0x3006, 0x3008, 0x1000, 0x2000, 0};
  uint8_t pick = in.Byte();
  if (pick < 8 * 24) return kWords[pick % 8];
  return in.Word();
}

std::string FuzzId(FuzzInput& in, const FuzzBook& book) {
  uint8_t mode = in.Byte();
  if (mode % 8 == 0) return in.Bytes(in.Below(64));
  static const BYTE kForeign[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  const BYTE* uid = mode % 8 == 1 ? kForeign : kServiceUid;
  ULONG self = FuzzRecordId(in, book);
  ULONG selfType = FuzzTypeWord(in);
  ULONG parent = FuzzRecordId(in, book);
  ULONG parentType = FuzzTypeWord(in);
  std::string id = MakeId(self, selfType, parent, parentType, uid);
  if (mode & 0x10) {
    std::string flags = in.Bytes(4);
    memcpy(&id[0], flags.data(), flags.size());
  }
  if (mode & 0x20) id += in.Bytes(in.Below(16));
  if (mode & 0x40) id.resize(in.Below(41));
  return id;
}

ExactBytes::ExactBytes(const std::string& bytes)
    : data_(new BYTE[bytes.size()]), size_(static_cast<ULONG>(bytes.size())) {
  if (!bytes.empty()) memcpy(data_.get(), bytes.data(), bytes.size());
}

LPUNKNOWN OpenThroughSession(const FuzzBook& book, const std::string& id, ULONG flags, ULONG* type) {
  ExactBytes bytes(id);
  ULONG objectType = 0;
  LPUNKNOWN object = nullptr;
  HRESULT hr =
      book.session->OpenEntry(bytes.Size(), bytes.Size() ? bytes.Id() : nullptr, nullptr, flags, &objectType, &object);
  if (FAILED(hr)) return nullptr;
  if (type) *type = objectType;
  return object;
}

} // namespace abkfuzz
