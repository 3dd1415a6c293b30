// TLiveCount<T>: how many objects of a type exist right now.
//
// A class that wants its live objects counted holds one as a member:
//
//   [[no_unique_address]] TLiveCount<TBitmap> live_;
//
// Every constructor of the owner (copies and moves included) then counts one up, its
// destructor one down, and TLiveCount<TBitmap>::Live() tells how many there are. The
// member takes no space and leaves the owner's copying and moving as they were. Tests use
// the counts to show that a program running for a long time does not pile objects up.
// The counting is a relaxed atomic addition: nothing to notice beside an allocation.
#pragma once

#include <atomic>
#include <cstdint>

template <class T>
class TLiveCount {
public:
    TLiveCount() noexcept { count_.fetch_add(1, std::memory_order_relaxed); }
    TLiveCount(const TLiveCount&) noexcept { count_.fetch_add(1, std::memory_order_relaxed); }
    TLiveCount& operator=(const TLiveCount&) noexcept { return *this; }
    ~TLiveCount() { count_.fetch_sub(1, std::memory_order_relaxed); }

    static int64_t Live() noexcept { return count_.load(std::memory_order_relaxed); }

private:
    static inline std::atomic<int64_t> count_{0};
};
