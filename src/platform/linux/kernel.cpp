// Critical sections, last error, time, process identity and other small kernel calls.
#include <windows.h>

#include <pthread.h>
#include <sched.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <thread>

// ---------------------------------------------------------------------------
// Critical sections: a recursive pthread mutex living inside the caller's
// CRITICAL_SECTION, so no allocation and no lookup table is needed.
// ---------------------------------------------------------------------------
static_assert(sizeof(pthread_mutex_t) <= sizeof(CRITICAL_SECTION::Opaque), "CRITICAL_SECTION too small");
static_assert(alignof(pthread_mutex_t) <= alignof(CRITICAL_SECTION), "CRITICAL_SECTION under-aligned");

namespace {

pthread_mutex_t* MutexOf(LPCRITICAL_SECTION cs) { return std::launder(reinterpret_cast<pthread_mutex_t*>(cs->Opaque)); }

thread_local DWORD t_lastError = ERROR_SUCCESS;

} // namespace

VOID WINAPI InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  if (lpCriticalSection == nullptr) return;
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
  auto* mutex = ::new (static_cast<void*>(lpCriticalSection->Opaque)) pthread_mutex_t;
  pthread_mutex_init(mutex, &attr);
  pthread_mutexattr_destroy(&attr);
}

BOOL WINAPI InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION lpCriticalSection, DWORD) {
  InitializeCriticalSection(lpCriticalSection);
  return lpCriticalSection != nullptr;
}

VOID WINAPI EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  if (lpCriticalSection != nullptr) pthread_mutex_lock(MutexOf(lpCriticalSection));
}

BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  if (lpCriticalSection == nullptr) return FALSE;
  return pthread_mutex_trylock(MutexOf(lpCriticalSection)) == 0;
}

VOID WINAPI LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  if (lpCriticalSection != nullptr) pthread_mutex_unlock(MutexOf(lpCriticalSection));
}

VOID WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  if (lpCriticalSection == nullptr) return;
  pthread_mutex_destroy(MutexOf(lpCriticalSection));
  ZeroMemory(lpCriticalSection, sizeof(*lpCriticalSection));
}

// ---------------------------------------------------------------------------
// Last error.
// ---------------------------------------------------------------------------
DWORD WINAPI GetLastError(VOID) { return t_lastError; }

VOID WINAPI SetLastError(DWORD dwErrCode) { t_lastError = dwErrCode; }

// ---------------------------------------------------------------------------
// Pointer probes, as Windows makes them: one byte of every page of the range is read (and, for a write
// probe, written back unchanged), so an unmapped or read-only page is found without a fault. The
// kernel's copy between two places of this process reports such a page as an error.
// ---------------------------------------------------------------------------
static bool ProbeByte(uintptr_t at, bool write) {
  char byte = 0;
  struct iovec local = {&byte, 1};
  struct iovec remote = {reinterpret_cast<void*>(at), 1};
  if (process_vm_readv(getpid(), &local, 1, &remote, 1, 0) != 1) return false;
  return !write || process_vm_writev(getpid(), &local, 1, &remote, 1, 0) == 1;
}

static BOOL IsBadRange(const VOID* lp, UINT_PTR ucb, bool write) {
  if (ucb == 0) return FALSE; // Windows: an empty range is never bad
  if (lp == nullptr) return TRUE;
  uintptr_t first = reinterpret_cast<uintptr_t>(lp);
  uintptr_t last = first + (ucb - 1);
  if (last < first) return TRUE; // the range wraps around the address space
  const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  for (uintptr_t at = first;; at = (at & ~(page - 1)) + page) {
    if (!ProbeByte(at, write)) return TRUE;
    if ((at & ~(page - 1)) == (last & ~(page - 1))) return FALSE;
  }
}

BOOL WINAPI IsBadReadPtr(const VOID* lp, UINT_PTR ucb) { return IsBadRange(lp, ucb, false); }

BOOL WINAPI IsBadWritePtr(LPVOID lp, UINT_PTR ucb) { return IsBadRange(lp, ucb, true); }

// ---------------------------------------------------------------------------
// Time.
// ---------------------------------------------------------------------------
VOID WINAPI Sleep(DWORD dwMilliseconds) {
  if (dwMilliseconds == 0) {
    sched_yield();
    return;
  }
  if (dwMilliseconds == INFINITE) {
    for (;;)
      pause();
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}

ULONGLONG WINAPI GetTickCount64(VOID) {
  // Windows counts from boot, suspend included: CLOCK_BOOTTIME is the match.
  timespec ts{};
  clock_gettime(CLOCK_BOOTTIME, &ts);
  return static_cast<ULONGLONG>(ts.tv_sec) * 1000u + static_cast<ULONGLONG>(ts.tv_nsec) / 1000000u;
}

DWORD WINAPI GetTickCount(VOID) { return static_cast<DWORD>(GetTickCount64()); }

// ---------------------------------------------------------------------------
// Identity and debugger output.
// ---------------------------------------------------------------------------
DWORD WINAPI GetCurrentProcessId(VOID) { return static_cast<DWORD>(getpid()); }

DWORD WINAPI GetCurrentThreadId(VOID) { return static_cast<DWORD>(syscall(SYS_gettid)); }

VOID WINAPI OutputDebugStringA(LPCSTR lpOutputString) {
  // There is no debugger channel; stderr on request keeps test logs quiet.
  if (lpOutputString == nullptr || std::getenv("ABK_DEBUG_OUTPUT") == nullptr) return;
  std::fputs(lpOutputString, stderr);
  std::fflush(stderr);
}
