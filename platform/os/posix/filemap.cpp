#include "platform/os/filemap.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <mutex>

namespace {

// The fault guard. A mapped file that was cut shorter raises SIGBUS on every access past
// its new end. The handler looks the address up among the mappings it watches; in one of
// them it maps zero pages (read-only) from the faulting page to the mapping's end, notes
// the fault and returns, so the access is made again and reads zeros. A fault elsewhere
// goes to the handler that was there before (by default the program ends, as it would
// have). The slots are plain atomics: the handler takes no lock and allocates nothing.
struct TGuardSlot {
    std::atomic<uintptr_t> Start{0};
    std::atomic<size_t> Length{0};
    std::atomic<bool> Faulted{false};
};

constexpr int kGuardSlots = 64;
TGuardSlot guardSlots[kGuardSlots];
struct sigaction previousAction {};
size_t pageSize = 4096;

void OnBusError(int signal, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
    for (TGuardSlot& slot : guardSlots) {
        uintptr_t start = slot.Start.load(std::memory_order_acquire);
        size_t length = slot.Length.load(std::memory_order_acquire);
        if (start == 0 || address < start || address - start >= length) continue;
        uintptr_t page = address & ~uintptr_t(pageSize - 1);
        void* zeros = ::mmap(reinterpret_cast<void*>(page), start + length - page, PROT_READ,
                             MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros != MAP_FAILED) {
            slot.Faulted.store(true, std::memory_order_release);
            return;
        }
        break;
    }
    // Not ours (or no zeros to be had): what would have happened without the guard.
    if ((previousAction.sa_flags & SA_SIGINFO) && previousAction.sa_sigaction) {
        previousAction.sa_sigaction(signal, info, context);
        return;
    }
    if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN &&
        previousAction.sa_handler) {
        previousAction.sa_handler(signal);
        return;
    }
    // The access is made again on return, and then ends the program as it should.
    ::signal(SIGBUS, SIG_DFL);
}

void InstallGuard() {
    static std::once_flag once;
    std::call_once(once, [] {
        pageSize = size_t(::sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = OnBusError;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &previousAction);
    });
}

int Watch(void* start, size_t length) {
    InstallGuard();
    for (int i = 0; i < kGuardSlots; ++i) {
        uintptr_t free = 0;
        TGuardSlot& slot = guardSlots[i];
        // The length first: the handler only looks at slots with a start.
        if (slot.Start.load() != 0) continue;
        slot.Faulted.store(false);
        slot.Length.store(length);
        if (slot.Start.compare_exchange_strong(free, reinterpret_cast<uintptr_t>(start))) return i;
    }
    return -1;
}

void Unwatch(int index) {
    if (index < 0) return;
    guardSlots[index].Start.store(0, std::memory_order_release);
}

// Reads a file that cannot be mapped into memory of its own, in steps that report progress.
TFileError ReadIntoMemory(TRawFile& file, int64_t size, const TProgress& progress, uint8_t*& data,
                          size_t& length, int64_t& got) {
    length = size_t(size);
    void* memory =
        ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        length = 0;
        return {feNoMemory, ENOMEM};
    }
    data = static_cast<uint8_t*>(memory);
    constexpr size_t kStep = size_t(8) << 20;
    got = 0;
    while (got < size) {
        if (progress && !progress(got, size)) return {feCancelled, 0};
        size_t n = 0;
        size_t want = std::min<size_t>(kStep, size_t(size - got));
        if (TFileError e = file.ReadAt(got, data + got, want, n))
            return got > 0 ? TFileError{feShortRead, e.SystemCode} : e;
        got += int64_t(n);
        if (n < want) return {feShortRead, 0};
    }
    return {};
}

}  // namespace

TFileError TFileMapping::Open(const std::string& path, const TProgress& progress) {
    Close();
    TRawFile file;
    if (TFileError e = file.Open(path, false)) return e;
    TFileIdentity identity;
    if (TFileError e = file.Identity(identity)) return e;
    identity_ = identity;
    open_ = true;
    if (identity.Size == 0) return {};
    if (uint64_t(identity.Size) > SIZE_MAX) {
        Close();
        return {feNoMemory, ENOMEM};
    }
    void* view =
        ::mmap(nullptr, size_t(identity.Size), PROT_READ, MAP_SHARED, int(file.NativeHandle()), 0);
    if (view != MAP_FAILED) {
        data_ = static_cast<uint8_t*>(view);
        size_ = identity.Size;
        length_ = size_t(identity.Size);
        mapped_ = true;
        guard_ = Watch(view, length_);
        return {};
    }
    int64_t got = 0;
    TFileError e = ReadIntoMemory(file, identity.Size, progress, data_, length_, got);
    if (e && e.Kind != feShortRead) {
        Close();
        return e;
    }
    size_ = got;
    return e;
}

void TFileMapping::Close() {
    Unwatch(guard_);
    guard_ = -1;
    if (data_ && length_) ::munmap(data_, length_);
    data_ = nullptr;
    size_ = 0;
    length_ = 0;
    open_ = false;
    mapped_ = false;
    identity_ = {};
}

bool TFileMapping::ReadPastEnd() const {
    return guard_ >= 0 && guardSlots[guard_].Faulted.load(std::memory_order_acquire);
}

void TFileMapping::Release(int64_t offset, int64_t length) const {
    if (!mapped_ || length <= 0) return;
    const auto page = int64_t(pageSize);
    int64_t first = (std::max<int64_t>(offset, 0) + page - 1) / page * page;
    int64_t last = std::min<int64_t>(offset + length, size_) / page * page;
    if (last > first) ::madvise(data_ + first, size_t(last - first), MADV_DONTNEED);
}
