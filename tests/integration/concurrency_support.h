// What the concurrency tests share: threads released together and waited for with a bound on time, and
// a thread-safe note of what went wrong in them.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace abktest {

// Long enough for the slowest run (ThreadSanitizer on a busy two-processor machine), short enough
// that a deadlock fails the run well before ctest's own limit.
constexpr std::chrono::seconds kThreadTimeLimit{240};

// Runs body(0) .. body(threads - 1), each on its own thread, all started at once. A thread still running
// after the limit is taken for a deadlock: the program stops with a message, since a stuck thread can
// neither be joined nor left behind.
inline void RunThreads(int threads, const std::function<void(int)>& body,
                       std::chrono::seconds limit = kThreadTimeLimit) {
  std::mutex mutex;
  std::condition_variable finished;
  int running = threads;
  std::atomic<bool> go{false};
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t) {
    pool.emplace_back([&, t] {
      while (!go.load())
        std::this_thread::yield();
      body(t);
      std::lock_guard<std::mutex> guard(mutex);
      --running;
      finished.notify_all();
    });
  }
  go.store(true);
  std::unique_lock<std::mutex> lock(mutex);
  if (!finished.wait_for(lock, limit, [&] { return running == 0; })) {
    std::fprintf(stderr, "%d of %d threads still running after %lld s: taken for a deadlock\n", running, threads,
                 static_cast<long long>(limit.count()));
    std::fflush(stderr);
    std::_Exit(3);
  }
  lock.unlock();
  for (std::thread& thread : pool)
    thread.join();
}

// What went wrong in the threads, kept for the test's own thread to report.
class Problems {
public:
  void Note(const std::string& what) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (notes_.size() < 20) notes_.push_back(what);
    ++count_;
  }
  int Count() {
    std::lock_guard<std::mutex> guard(mutex_);
    return count_;
  }
  std::string Text() {
    std::lock_guard<std::mutex> guard(mutex_);
    std::string text;
    for (const std::string& note : notes_)
      text += note + "\n";
    return text;
  }

private:
  std::mutex mutex_;
  std::vector<std::string> notes_;
  int count_ = 0;
};

} // namespace abktest
