// Unit test of the Linux platform layer: Windows layouts, COM slot order, and libabkwin's kernel calls.
#include <abkplatform.h>
#include <mapicode.h>
#include <mapiguid.h>
#include <mapitags.h>
#include <mapiutil.h>
#include <mapix.h>
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <type_traits>

namespace {

const std::string kTestLibDir = ABK_TESTLIB_DIR;
const std::string kTestLibPath = kTestLibDir + "/libplatform_testlib.so";

// The test library's folder, spelled the Windows way, plus its DLL name.
std::string WindowsNameOfTestLib() {
  std::string name = kTestLibDir + "\\PLATFORM_TESTLIB.DLL";
  std::replace(name.begin(), name.end(), '/', '\\');
  return name;
}

std::string ProgramPath() {
  char buffer[PATH_MAX] = {};
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

// Asks the dynamic loader directly, without taking a reference.
bool IsTestLibLoaded() {
  void* probe = dlopen(kTestLibPath.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (probe != nullptr) dlclose(probe);
  return probe != nullptr;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('/')); }

// Calls a function found by GetProcAddress. FARPROC goes through void(*)()
// because casting it straight to another function type trips
// -Wcast-function-type, on Windows too.
template <typename Function> Function As(FARPROC proc) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

// ---------------------------------------------------------------------------
// Structures shared with MAPI must have their Win64 sizes and offsets.
// ---------------------------------------------------------------------------
TEST(Layout, BaseTypesHaveWindowsWidths) {
  EXPECT_EQ(sizeof(ULONG), 4u);
  EXPECT_EQ(sizeof(LONG), 4u);
  EXPECT_EQ(sizeof(DWORD), 4u);
  EXPECT_EQ(sizeof(WCHAR), 2u);
  EXPECT_EQ(sizeof(ULONG_PTR), sizeof(void*));
  EXPECT_TRUE((std::is_same_v<SIZE_T, size_t>));
  EXPECT_TRUE((std::is_same_v<HMODULE, HINSTANCE>));
  EXPECT_EQ(sizeof(GUID), 16u);
  EXPECT_EQ(sizeof(FILETIME), 8u);
  EXPECT_EQ(sizeof(LARGE_INTEGER), 8u);
}

TEST(Layout, OsVersionInfoIsTheWindowsSize) {
  EXPECT_EQ(sizeof(OSVERSIONINFOA), 148u);
  EXPECT_EQ(offsetof(OSVERSIONINFOA, szCSDVersion), 20u);
  EXPECT_EQ(sizeof(OSVERSIONINFOEXA), 156u);
}

TEST(Layout, PropertyValuesMatchWin64) {
  EXPECT_EQ(offsetof(SPropValue, ulPropTag), 0u);
  EXPECT_EQ(offsetof(SPropValue, dwAlignPad), 4u);
  EXPECT_EQ(offsetof(SPropValue, Value), 8u);
  EXPECT_EQ(sizeof(SPropValue), 24u);
  EXPECT_EQ(offsetof(SBinary, lpb), 8u);
  EXPECT_EQ(offsetof(SRow, lpProps), 8u);
  EXPECT_EQ(sizeof(ADRENTRY), 16u);
  EXPECT_EQ(offsetof(ADRLIST, aEntries), 8u);
  EXPECT_EQ(offsetof(ENTRYID, ab), 4u);
  EXPECT_EQ(CbNewSPropTagArray(3), 16u);
  EXPECT_EQ(CbNewSRowSet(2), 8u + 2 * sizeof(SRow));
  EXPECT_EQ(sizeof(NOTIFICATION), 88u);
}

TEST(Layout, SizedArraysMatchTheirGenericForm) {
  SizedSPropTagArray(2, columns) = {2, {PR_DISPLAY_NAME, PR_ENTRYID}};
  auto* generic = reinterpret_cast<LPSPropTagArray>(&columns);
  EXPECT_EQ(generic->cValues, 2u);
  EXPECT_EQ(generic->aulPropTag[1], PR_ENTRYID);
  EXPECT_EQ(CbSPropTagArray(generic), sizeof(columns));
}

// ---------------------------------------------------------------------------
// Constants.
// ---------------------------------------------------------------------------
TEST(Constants, MapiCodesCompareAsHresults) {
  HRESULT hr = MAPI_E_NOT_FOUND;
  EXPECT_TRUE((std::is_same_v<decltype(MAPI_E_NOT_FOUND), SCODE>));
  EXPECT_EQ(static_cast<unsigned int>(hr), 0x8004010Fu);
  EXPECT_TRUE(hr == MAPI_E_NOT_FOUND);
  EXPECT_TRUE(FAILED(hr));
  EXPECT_TRUE(SUCCEEDED(MAPI_W_ERRORS_RETURNED));
  EXPECT_EQ(MAPI_E_CALL_FAILED, E_FAIL);
  EXPECT_EQ(static_cast<unsigned int>(MAPI_E_INVALID_PARAMETER), 0x80070057u);
  EXPECT_EQ(static_cast<unsigned int>(MAPI_E_UNKNOWN_ENTRYID), 0x80040201u);
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER), static_cast<HRESULT>(0x8007007A));
}

TEST(Constants, StringTagsAreAnsi) {
  EXPECT_EQ(PR_DISPLAY_NAME, 0x3001001Eu);
  EXPECT_EQ(PR_DISPLAY_NAME, PR_DISPLAY_NAME_A);
  EXPECT_EQ(PR_DISPLAY_NAME_W, 0x3001001Fu);
  EXPECT_EQ(PROP_TYPE(PR_BUSINESS_FAX_NUMBER), PT_STRING8);
  EXPECT_EQ(CHANGE_PROP_TYPE(PR_DISPLAY_NAME, PT_UNICODE), PR_DISPLAY_NAME_W);
  EXPECT_EQ(PROP_ID(PR_ENTRYID), 0x0FFFu);
}

TEST(Constants, InterfaceIdsAreOleGuids) {
  const GUID expected = {0x00020301, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  EXPECT_TRUE(IsEqualIID(IID_IMAPITable, expected));
  EXPECT_FALSE(IsEqualIID(IID_IMAPITable, IID_IMAPIProp));
  EXPECT_EQ(IID_IAddrBook.Data1, 0x00020309u);
  EXPECT_EQ(IID_IUnknown.Data4[0], 0xC0);
  LPCIID asPointer = &IID_IMailUser;
  EXPECT_TRUE(*asPointer == IID_IMailUser);
}

// ---------------------------------------------------------------------------
// COM slot order: the vtable index of each method is what a Windows caller
// uses, so it has to follow the declaration order exactly.
// ---------------------------------------------------------------------------

// Itanium C++ ABI: a pointer to a virtual member function holds 1 + the
// method's byte offset in the vtable.
template <typename Member> long SlotOf(Member member) {
  static_assert(sizeof(Member) == 2 * sizeof(long));
  long words[2];
  std::memcpy(words, &member, sizeof(words));
  return (words[0] & 1) != 0 ? (words[0] - 1) / static_cast<long>(sizeof(void*)) : -1;
}

TEST(SlotOrder, IAddrBook) {
  EXPECT_EQ(SlotOf(&IAddrBook::QueryInterface), 0);
  EXPECT_EQ(SlotOf(&IAddrBook::Release), 2);
  EXPECT_EQ(SlotOf(&IAddrBook::GetLastError), 3);
  EXPECT_EQ(SlotOf(&IAddrBook::GetIDsFromNames), 13);
  EXPECT_EQ(SlotOf(&IAddrBook::OpenEntry), 14);
  EXPECT_EQ(SlotOf(&IAddrBook::Details), 22);
  EXPECT_EQ(SlotOf(&IAddrBook::PrepareRecips), 31);
}

TEST(SlotOrder, ContainersTablesAndTableData) {
  EXPECT_EQ(SlotOf(&IABContainer::GetContentsTable), 14);
  EXPECT_EQ(SlotOf(&IABContainer::CreateEntry), 19);
  EXPECT_EQ(SlotOf(&IABContainer::ResolveNames), 22);
  EXPECT_EQ(SlotOf(&IDistList::ResolveNames), 22);
  EXPECT_EQ(SlotOf(&IMAPITable::SeekRow), 10);
  EXPECT_EQ(SlotOf(&IMAPITable::QueryRows), 19);
  EXPECT_EQ(SlotOf(&IMAPITable::SetCollapseState), 25);
  EXPECT_EQ(SlotOf(&ITableData::HrGetView), 3);
  EXPECT_EQ(SlotOf(&ITableData::HrDeleteRows), 11);
  EXPECT_EQ(SlotOf(&IPropData::HrAddObjProps), 17);
}

// Compiles only if every IAddrBook slot exists with exactly these types.
class FakeAddrBook final : public IAddrBook {
public:
  STDMETHODIMP QueryInterface(REFIID riid, LPVOID* ppv) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IMAPIProp) || IsEqualIID(riid, IID_IAddrBook)) {
      *ppv = this;
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return MAPI_E_INTERFACE_NOT_SUPPORTED;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  STDMETHODIMP GetLastError(HRESULT, ULONG, LPMAPIERROR*) override { return MAPI_E_NO_SUPPORT; }
  STDMETHODIMP SaveChanges(ULONG) override { return MAPI_E_NO_SUPPORT; }
  STDMETHODIMP GetProps(LPSPropTagArray, ULONG, ULONG*, LPSPropValue*) override { return MAPI_E_NO_SUPPORT; }
  STDMETHODIMP GetPropList(ULONG, LPSPropTagArray*) override { return MAPI_E_NO_SUPPORT; }
  STDMETHODIMP OpenProperty(ULONG, LPCIID, ULONG, ULONG, LPUNKNOWN*) override { return MAPI_E_NO_SUPPORT; }
  STDMETHODIMP SetProps(ULONG, LPSPropValue, LPSPropProblemArray*) override { return MAPI_E_NO_SUPPORT; }
  STDMETHODIMP DeleteProps(LPSPropTagArray, LPSPropProblemArray*) override { return MAPI_E_NO_SUPPORT; }
  STDMETHODIMP CopyTo(ULONG, LPCIID, LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG,
                      LPSPropProblemArray*) override {
    return MAPI_E_NO_SUPPORT;
  }
  STDMETHODIMP CopyProps(LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG, LPSPropProblemArray*) override {
    return MAPI_E_NO_SUPPORT;
  }
  STDMETHODIMP GetNamesFromIDs(LPSPropTagArray*, LPGUID, ULONG, ULONG*, LPMAPINAMEID**) override {
    return MAPI_E_NO_SUPPORT;
  }
  STDMETHODIMP GetIDsFromNames(ULONG, LPMAPINAMEID*, ULONG, LPSPropTagArray*) override { return MAPI_E_NO_SUPPORT; }
  STDMETHODIMP OpenEntry(ULONG, LPENTRYID, LPCIID, ULONG, ULONG* objType, LPUNKNOWN*) override {
    *objType = MAPI_MAILUSER;
    return S_OK;
  }
  STDMETHODIMP CompareEntryIDs(ULONG, LPENTRYID, ULONG, LPENTRYID, ULONG, ULONG*) override { return MAPI_E_NO_SUPPORT; }
  STDMETHODIMP Advise(ULONG, LPENTRYID, ULONG, LPMAPIADVISESINK, ULONG*) override { return MAPI_E_NO_SUPPORT; }
  STDMETHODIMP Unadvise(ULONG) override { return MAPI_E_NO_SUPPORT; }
  STDMETHODIMP CreateOneOff(LPTSTR, LPTSTR, LPTSTR, ULONG, ULONG*, LPENTRYID*) override { return MAPI_E_NO_SUPPORT; }
  STDMETHODIMP NewEntry(ULONG_PTR, ULONG, ULONG, LPENTRYID, ULONG, LPENTRYID, ULONG*, LPENTRYID*) override {
    return MAPI_E_NO_SUPPORT;
  }
  STDMETHODIMP ResolveName(ULONG_PTR, ULONG, LPTSTR, LPADRLIST) override { return MAPI_E_NO_SUPPORT; }
  STDMETHODIMP Address(ULONG_PTR*, LPADRPARM, LPADRLIST*) override { return MAPI_E_NO_SUPPORT; }
  STDMETHODIMP Details(ULONG*, LPFNDISMISS, LPVOID, ULONG, LPENTRYID, LPFNBUTTON, LPVOID, LPTSTR, ULONG) override {
    return MAPI_E_NO_SUPPORT;
  }
  STDMETHODIMP RecipOptions(ULONG_PTR, ULONG, LPADRENTRY) override { return MAPI_E_NO_SUPPORT; }
  STDMETHODIMP QueryDefaultRecipOpt(LPTSTR, ULONG, ULONG*, LPSPropValue*) override { return MAPI_E_NO_SUPPORT; }
  STDMETHODIMP GetPAB(ULONG*, LPENTRYID*) override { return MAPI_E_NO_SUPPORT; }
  STDMETHODIMP SetPAB(ULONG, LPENTRYID) override { return MAPI_E_NO_SUPPORT; }
  STDMETHODIMP GetDefaultDir(ULONG*, LPENTRYID*) override { return MAPI_E_NO_SUPPORT; }
  STDMETHODIMP SetDefaultDir(ULONG, LPENTRYID) override { return MAPI_E_NO_SUPPORT; }
  STDMETHODIMP GetSearchPath(ULONG, LPSRowSet*) override { return MAPI_E_NO_SUPPORT; }
  STDMETHODIMP SetSearchPath(ULONG, LPSRowSet) override { return MAPI_E_NO_SUPPORT; }
  STDMETHODIMP PrepareRecips(ULONG, LPSPropTagArray, LPADRLIST) override { return MAPI_E_NO_SUPPORT; }

  ULONG refs = 1;
};

TEST(SlotOrder, ImplementationIsReachedThroughBaseInterfaces) {
  FakeAddrBook book;
  LPUNKNOWN unknown = &book;
  LPMAPIPROP prop = nullptr;
  ASSERT_EQ(unknown->QueryInterface(IID_IMAPIProp, reinterpret_cast<LPVOID*>(&prop)), S_OK);
  EXPECT_EQ(book.refs, 2u);
  EXPECT_EQ(prop->SaveChanges(KEEP_OPEN_READWRITE), MAPI_E_NO_SUPPORT);
  LPADRBOOK asBook = &book;
  ULONG objType = 0;
  EXPECT_EQ(asBook->OpenEntry(0, nullptr, nullptr, 0, &objType, nullptr), S_OK);
  EXPECT_EQ(objType, MAPI_MAILUSER);
  LPVOID unsupported = &book;
  EXPECT_EQ(unknown->QueryInterface(IID_IMAPITable, &unsupported), MAPI_E_INTERFACE_NOT_SUPPORTED);
  EXPECT_EQ(unsupported, nullptr);
}

// ---------------------------------------------------------------------------
// Critical sections and last error.
// ---------------------------------------------------------------------------
TEST(Kernel, CriticalSectionIsRecursiveAndExclusive) {
  CRITICAL_SECTION cs;
  InitializeCriticalSection(&cs);
  EnterCriticalSection(&cs);
  EnterCriticalSection(&cs); // same thread again: must not deadlock
  EXPECT_TRUE(TryEnterCriticalSection(&cs));

  auto otherThreadGetsIn = [&cs] {
    BOOL got = FALSE;
    std::thread other([&] {
      got = TryEnterCriticalSection(&cs);
      if (got) LeaveCriticalSection(&cs);
    });
    other.join();
    return got;
  };
  LeaveCriticalSection(&cs);
  LeaveCriticalSection(&cs);
  EXPECT_FALSE(otherThreadGetsIn()); // still held once
  LeaveCriticalSection(&cs);
  EXPECT_TRUE(otherThreadGetsIn());
  DeleteCriticalSection(&cs);
}

TEST(Kernel, LastErrorIsPerThread) {
  SetLastError(ERROR_INVALID_PARAMETER);
  DWORD seenByOther = 1;
  std::thread other([&] { seenByOther = GetLastError(); });
  other.join();
  EXPECT_EQ(seenByOther, static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(Kernel, PointerProbesFindUnmappedAndReadOnlyPagesAsWindowsDoes) {
  int value = 7;
  EXPECT_TRUE(IsBadReadPtr(nullptr, 1));
  EXPECT_FALSE(IsBadReadPtr(nullptr, 0));
  EXPECT_FALSE(IsBadReadPtr(&value, sizeof(value)));
  EXPECT_TRUE(IsBadWritePtr(nullptr, 4));
  EXPECT_FALSE(IsBadWritePtr(&value, sizeof(value)));
  EXPECT_EQ(value, 7) << "a write probe leaves the memory as it was";

  // Three pages: readable and writable, read-only, then none at all.
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  char* pages = static_cast<char*>(mmap(nullptr, 3 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(pages, MAP_FAILED);
  ASSERT_EQ(mprotect(pages + page, page, PROT_READ), 0);
  ASSERT_EQ(mprotect(pages + 2 * page, page, PROT_NONE), 0);
  EXPECT_FALSE(IsBadWritePtr(pages, page));
  EXPECT_FALSE(IsBadReadPtr(pages, 2 * page));
  EXPECT_TRUE(IsBadWritePtr(pages + page - 1, 2)) << "the range reaches into the read-only page";
  EXPECT_TRUE(IsBadReadPtr(pages + page, page + 1)) << "the range's last byte is on the page with no access";
  EXPECT_TRUE(IsBadReadPtr(pages + 2 * page, 1));
  EXPECT_TRUE(IsBadReadPtr(pages, SIZE_MAX)) << "a range that wraps around the address space";
  munmap(pages, 3 * page);
}

TEST(Kernel, TickCountAdvancesAcrossSleep) {
  DWORD before = GetTickCount();
  Sleep(20);
  EXPECT_GE(GetTickCount() - before, 15u);
  EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));
  EXPECT_NE(GetCurrentThreadId(), 0u);
}

// ---------------------------------------------------------------------------
// Modules.
// ---------------------------------------------------------------------------
TEST(Modules, MissingLibraryFails) {
  SetLastError(0);
  EXPECT_EQ(LoadLibraryA("C:\\no\\such\\folder\\NOSUCH.DLL"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
}

TEST(Modules, WindowsDllNameFindsLinuxLibrary) {
  HMODULE module = LoadLibraryA(WindowsNameOfTestLib().c_str());
  ASSERT_NE(module, nullptr);

  auto answer = As<int (*)()>(GetProcAddress(module, "AbkTestLibAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);

  char path[PATH_MAX] = {};
  DWORD length = GetModuleFileNameA(module, path, sizeof(path));
  EXPECT_EQ(std::string(path), kTestLibPath);
  EXPECT_EQ(length, kTestLibPath.size());

  EXPECT_TRUE(FreeLibrary(module));
}

TEST(Modules, SameFileSharesOneCountedHandle) {
  HMODULE first = LoadLibraryA(WindowsNameOfTestLib().c_str());
  HMODULE second = LoadLibraryA(kTestLibPath.c_str()); // other spelling, same file
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);

  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_TRUE(IsTestLibLoaded()); // one reference left
  EXPECT_TRUE(FreeLibrary(second));
  EXPECT_FALSE(IsTestLibLoaded());

  // The handle died with the last reference.
  SetLastError(0);
  EXPECT_FALSE(FreeLibrary(first));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Modules, UnknownExportIsReported) {
  HMODULE module = LoadLibraryA(WindowsNameOfTestLib().c_str());
  ASSERT_NE(module, nullptr);
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(module, "NoSuchExport"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  FreeLibrary(module);
}

TEST(Modules, ModuleFileNameIsTruncatedLikeWindows) {
  HMODULE module = LoadLibraryA(WindowsNameOfTestLib().c_str());
  ASSERT_NE(module, nullptr);

  char small[6];
  std::memset(small, 'x', sizeof(small));
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameA(module, small, 5), 5u);
  EXPECT_EQ(std::string(small), kTestLibPath.substr(0, 4));
  EXPECT_EQ(small[5], 'x'); // nothing written past nSize
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

  std::string exact(kTestLibPath.size() + 1, 'x');
  EXPECT_EQ(GetModuleFileNameA(module, exact.data(), static_cast<DWORD>(exact.size())), kTestLibPath.size());
  EXPECT_EQ(std::string(exact.c_str()), kTestLibPath);

  FreeLibrary(module);
}

TEST(Modules, NullModuleIsTheProgram) {
  char path[PATH_MAX] = {};
  EXPECT_EQ(GetModuleFileNameA(nullptr, path, sizeof(path)), ProgramPath().size());
  EXPECT_EQ(std::string(path), ProgramPath());

  HMODULE program = GetModuleHandleA(nullptr);
  ASSERT_NE(program, nullptr);
  std::memset(path, 0, sizeof(path));
  GetModuleFileNameA(program, path, sizeof(path));
  EXPECT_EQ(std::string(path), ProgramPath());
}

TEST(Modules, HandleFromAddressIsTheLoadedModule) {
  HMODULE module = LoadLibraryA(WindowsNameOfTestLib().c_str());
  ASSERT_NE(module, nullptr);
  FARPROC inside = GetProcAddress(module, "AbkTestLibAnswer");

  HMODULE found = nullptr;
  ASSERT_TRUE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                 reinterpret_cast<LPCSTR>(inside), &found));
  EXPECT_EQ(found, module);
  EXPECT_EQ(GetModuleHandleA("PLATFORM_TESTLIB.DLL"), module);

  // Looking a module up takes no reference: one FreeLibrary still unloads it.
  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_FALSE(IsTestLibLoaded());
}

// ---------------------------------------------------------------------------
// Version knobs.
// ---------------------------------------------------------------------------
TEST(Version, DefaultsToWindows7Sp1) {
  AbkPlatformResetVersion();
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
  ASSERT_TRUE(GetVersionExA(&info));
  EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
  EXPECT_EQ(info.dwMajorVersion, 6u);
  EXPECT_EQ(info.dwMinorVersion, 1u);
  EXPECT_EQ(info.dwBuildNumber, 7601u);
}

TEST(Version, TooSmallStructureIsRefused) {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info) - 1;
  SetLastError(0);
  EXPECT_FALSE(GetVersionExA(&info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(Version, KnobsOverrideAndReset) {
  AbkPlatformSetVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 10, 2222);
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
  ASSERT_TRUE(GetVersionExA(&info));
  EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS));
  EXPECT_EQ(info.dwMajorVersion, 4u);
  EXPECT_EQ(info.dwMinorVersion, 10u);
  EXPECT_EQ(info.dwBuildNumber, 2222u);
  EXPECT_NE(GetVersion() & 0x80000000u, 0u); // not NT

  AbkPlatformResetVersion();
  ASSERT_TRUE(GetVersionExA(&info));
  EXPECT_EQ(info.dwMajorVersion, 6u);
  EXPECT_EQ(GetVersion(), 0x1DB10106u); // build 7601, 6.1
}

// ---------------------------------------------------------------------------
// Printer driver folder.
// ---------------------------------------------------------------------------
class DriverDirectory : public ::testing::Test {
protected:
  void SetUp() override {
    unsetenv("ABK_PRINTER_DRIVER_DIR");
    AbkPlatformSetPrinterDriverDirectory(nullptr);
  }
  void TearDown() override { SetUp(); }

  static std::string Query() {
    char buffer[PATH_MAX] = {};
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(buffer), sizeof(buffer), &needed))
      return "<failed>";
    EXPECT_EQ(needed, std::strlen(buffer) + 1);
    return buffer;
  }
};

TEST_F(DriverDirectory, DefaultsToTheCallersFolder) {
  EXPECT_EQ(Query(), FolderOf(ProgramPath()));

  HMODULE module = LoadLibraryA(WindowsNameOfTestLib().c_str());
  ASSERT_NE(module, nullptr);
  auto askFromLibrary = As<DWORD (*)(char*, DWORD)>(GetProcAddress(module, "AbkTestLibDriverDirectory"));
  ASSERT_NE(askFromLibrary, nullptr);
  char buffer[PATH_MAX] = {};
  EXPECT_EQ(askFromLibrary(buffer, sizeof(buffer)), kTestLibDir.size() + 1);
  EXPECT_EQ(std::string(buffer), kTestLibDir);
  FreeLibrary(module);
}

TEST_F(DriverDirectory, EnvironmentThenKnobOverride) {
  setenv("ABK_PRINTER_DRIVER_DIR", "/opt/fax/drivers/", 1);
  EXPECT_EQ(Query(), "/opt/fax/drivers");

  AbkPlatformSetPrinterDriverDirectory("/srv/knob");
  EXPECT_EQ(Query(), "/srv/knob");

  AbkPlatformSetPrinterDriverDirectory(nullptr);
  EXPECT_EQ(Query(), "/opt/fax/drivers");
}

TEST_F(DriverDirectory, SmallBufferReportsNeededSize) {
  AbkPlatformSetPrinterDriverDirectory("/srv/drivers");
  BYTE buffer[4] = {};
  DWORD needed = 0;
  SetLastError(0);
  EXPECT_FALSE(GetPrinterDriverDirectoryA(nullptr, nullptr, 1, buffer, sizeof(buffer), &needed));
  EXPECT_EQ(needed, sizeof("/srv/drivers"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_FALSE(GetPrinterDriverDirectoryA(nullptr, nullptr, 2, buffer, sizeof(buffer), &needed));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL));
}

// ---------------------------------------------------------------------------
// Code pages.
// ---------------------------------------------------------------------------
std::u16string FromAnsi(const std::string& text, UINT codePage = CP_ACP, DWORD flags = 0) {
  int needed = MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::u16string result(static_cast<size_t>(needed), u'\0');
  if (needed > 0)
    MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), result.data(), needed);
  return result;
}

std::string ToAnsi(const std::u16string& text, UINT codePage = CP_ACP) {
  int needed =
      WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), result.data(), needed, nullptr, nullptr);
  return result;
}

TEST(CodePage, AnsiIsWindows1252) {
  EXPECT_EQ(GetACP(), 1252u);
  EXPECT_EQ(FromAnsi("caf\xE9"), u"caf\u00E9");
  EXPECT_EQ(FromAnsi("\x80"), u"\u20AC");
  EXPECT_EQ(FromAnsi("\x8C\x9C"), u"\u0152\u0153");
  EXPECT_EQ(ToAnsi(u"\u20AC \u0152uvre \u00E9t\u00E9"), "\x80 \x8Cuvre \xE9t\xE9");
}

TEST(CodePage, UndefinedBytesMapToC1Controls) {
  EXPECT_EQ(FromAnsi("\x81\x8D\x8F\x90\x9D", CP_ACP, MB_ERR_INVALID_CHARS), u"\u0081\u008D\u008F\u0090\u009D");
  EXPECT_EQ(ToAnsi(u"\u0081\u009D"), "\x81\x9D");
}

TEST(CodePage, EveryByteRoundTrips) {
  std::string all;
  for (int byte = 1; byte < 256; ++byte)
    all.push_back(static_cast<char>(byte));
  EXPECT_EQ(ToAnsi(FromAnsi(all)), all);
}

TEST(CodePage, UnmappableCharactersUseTheDefault) {
  const char16_t text[] = u"A\u0100B";
  char out[8] = {};
  BOOL usedDefault = FALSE;
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, text, 3, out, sizeof(out), nullptr, &usedDefault), 3);
  EXPECT_STREQ(out, "A?B");
  EXPECT_TRUE(usedDefault);

  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, text, 3, out, sizeof(out), "#", &usedDefault), 3);
  EXPECT_EQ(std::string(out, 3), "A#B");

  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"ok", 2, out, sizeof(out), nullptr, &usedDefault), 2);
  EXPECT_FALSE(usedDefault);
}

TEST(CodePage, SizeQueriesCountTheTerminatorOnlyWithMinusOne) {
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 3, nullptr, 0), 3);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00E9", -1, nullptr, 0, nullptr, nullptr), 3);

  WCHAR out[4];
  std::fill(std::begin(out), std::end(out), u'x');
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 3, out, 4), 3);
  EXPECT_EQ(out[3], u'x'); // no terminator invented

  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abcdef", -1, out, 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 0, out, 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(CodePage, Utf8RoundTripsThroughUtf16) {
  const std::string utf8 = "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"; // e-acute, euro, emoji
  std::u16string wide = FromAnsi(utf8, CP_UTF8);
  EXPECT_EQ(wide, u"\u00E9\u20AC\U0001F600");
  EXPECT_EQ(ToAnsi(wide, CP_UTF8), utf8);
  // 1252 text reaches UTF-8 through UTF-16.
  EXPECT_EQ(ToAnsi(FromAnsi("\x8Cuvre \x80"), CP_UTF8), "\xC5\x92uvre \xE2\x82\xAC");
}

TEST(CodePage, IllFormedUtf8) {
  EXPECT_EQ(FromAnsi("a\xFF"
                     "b",
                     CP_UTF8),
            u"a\uFFFDb");
  EXPECT_EQ(FromAnsi("\xE2\x82", CP_UTF8), u"\uFFFD"); // truncated sequence: one replacement
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xFF", 2, nullptr, 0), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));

  BOOL usedDefault = FALSE;
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, nullptr, 0, nullptr, &usedDefault), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// ---------------------------------------------------------------------------
// lstr* helpers.
// ---------------------------------------------------------------------------
TEST(Strings, LstrcpynAlwaysTerminates) {
  char buffer[8];
  std::memset(buffer, 'x', sizeof(buffer));
  EXPECT_EQ(lstrcpynA(buffer, "abcdef", 4), buffer);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(buffer[4], 'x');

  lstrcpynA(buffer, "abc", 4); // exact fit
  EXPECT_STREQ(buffer, "abc");
  lstrcpynA(buffer, "abc", 1);
  EXPECT_STREQ(buffer, "");

  std::memset(buffer, 'x', sizeof(buffer));
  lstrcpynA(buffer, "abc", 0); // no room at all: untouched
  EXPECT_EQ(buffer[0], 'x');
  EXPECT_EQ(lstrcpynA(nullptr, "abc", 4), nullptr);
}

TEST(Strings, LstrcmpiFoldsWindows1252Letters) {
  EXPECT_EQ(lstrcmpiA("Fax Number", "FAX NUMBER"), 0);
  EXPECT_EQ(lstrcmpiA("\xC9T\xC9", "\xE9t\xE9"), 0);       // ETE with accents
  EXPECT_EQ(lstrcmpiA("\x8C\x8A\x9F", "\x9C\x9A\xFF"), 0); // OE, S caron, Y diaeresis
  EXPECT_NE(lstrcmpiA("\xD7", "\xF7"), 0);                 // multiplication vs division sign
  EXPECT_NE(lstrcmpiA("e", "\xE9"), 0);                    // accents are not case
  EXPECT_EQ(lstrcmpiA("abc", "ab"), 1);
  EXPECT_EQ(lstrcmpiA(nullptr, ""), -1);
  EXPECT_EQ(lstrcmpiA(nullptr, nullptr), 0);
}

// Windows sorts words, not code values; these orders are what it answers.
TEST(Strings, OrderingFollowsWindowsWordSort) {
  EXPECT_EQ(lstrcmpA("apple", "Banana"), -1); // letters before case
  EXPECT_EQ(lstrcmpA("apple", "Apple"), -1);  // then lower before upper
  EXPECT_EQ(lstrcmpiA("apple", "Apple"), 0);
  EXPECT_EQ(lstrcmpiA("\xE9t\xE9", "fax"), -1); // accented e sits with e
  EXPECT_EQ(lstrcmpiA("Zoe", "\xE9"
                             "clair"),
            1);
  EXPECT_EQ(lstrcmpiA("{", "a"), -1);       // symbols before letters
  EXPECT_EQ(lstrcmpiA("~", "0"), -1);       // and before digits
  EXPECT_EQ(lstrcmpiA("\xE6", "af"), -1);   // ae ligature spelled out
  EXPECT_EQ(lstrcmpiA("co-op", "coop"), 1); // hyphen only breaks ties
  EXPECT_EQ(lstrcmpiA("co-op", "cop"), -1);
}

TEST(Strings, LengthCopyAndConcatenate) {
  char buffer[16] = {};
  EXPECT_EQ(lstrlenA(nullptr), 0);
  lstrcpyA(buffer, "Fax");
  lstrcatA(buffer, "Book");
  EXPECT_STREQ(buffer, "FaxBook");
  EXPECT_EQ(lstrlenA(buffer), 7);
}

} // namespace
