// A mutex that knows, in a Debug build, which thread holds it, so that a
// function whose comment says it runs under the mutex can assert so on its
// first line. A Release build keeps a plain std::mutex: HeldByThisThread is
// then only ever read inside assert, which is compiled out.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>

class OwnedMutex {
public:
    // The names std::lock_guard and std::unique_lock call.
    void lock() {
        mutex_.lock();
        SetOwner(std::this_thread::get_id());
    }
    bool try_lock() {
        if (!mutex_.try_lock()) return false;
        SetOwner(std::this_thread::get_id());
        return true;
    }
    void unlock() {
        SetOwner(std::thread::id());
        mutex_.unlock();
    }

    /// Whether the calling thread holds the mutex; true in a Release build.
    bool HeldByThisThread() const {
#ifndef NDEBUG
        return owner_.load(std::memory_order_relaxed) == std::this_thread::get_id();
#else
        return true;
#endif
    }

private:
    void SetOwner([[maybe_unused]] std::thread::id id) {
#ifndef NDEBUG
        owner_.store(id, std::memory_order_relaxed);
#endif
    }

    std::mutex mutex_;
#ifndef NDEBUG
    std::atomic<std::thread::id> owner_{};
#endif
};
