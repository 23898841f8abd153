// The fuzz book: written through the store library's exports, opened through ABProviderOpen.
#include "fuzz/fuzz_book.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "kit/store_kit.h"
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
  HMODULE module = LoadLibraryA(storekit::LibraryBesideProgram().c_str());
  if (!module) Fail("libbkconv.so did not load");
  storekit::StoreExports store = storekit::BindExports(module);
  ULONG status = 0;
  ULONG handle = store.open(book.pristine.c_str(), &status);
  if (handle == STORE_BAD_HANDLE) Fail("OpenAddressBook");
  for (int i = 0; i < 4; ++i) {
    ULONG id = store.createContact(handle, &status);
    book.persons.push_back(id);
    storekit::Records packed;
    std::string n = std::to_string(i);
    packed.Field(storekit::field::kDisplayName, "Person " + n);
    packed.Field(storekit::field::kGivenName, "First" + n);
    packed.Field(storekit::field::kSurname, "Last" + n);
    packed.Field(storekit::field::kPrimaryFax, "01-23-45-" + n);
    packed.Field(storekit::field::kPrimaryDescription, "office");
    if (i % 2) packed.Field(storekit::field::kSecondaryFax, "06-78-90-" + n);
    StoreRecordBlock block = packed.Block();
    if (!store.setProps(handle, id, &status, &block)) Fail("SetProps of a person");
  }
  for (int g = 0; g < 2; ++g) {
    ULONG id = store.createGroup(handle, &status);
    storekit::Records packed;
    packed.Field(storekit::field::kDisplayName, "Group " + std::to_string(g));
    packed.Member(book.persons[g], 3);
    packed.Member(g ? book.groups[0] : book.persons[2], g ? 0 : 1);
    StoreRecordBlock block = packed.Block();
    if (!store.setProps(handle, id, &status, &block)) Fail("SetProps of a group");
    book.groups.push_back(id);
  }
  store.close(handle);
  FreeLibrary(module);
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
