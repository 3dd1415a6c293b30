// Files mapped into memory on Windows (platform/os/filemap.h): a file mapping object and a
// read-only view of all of it. Nobody can cut a file short while it is mapped, so no access
// faults past its end. This file includes <windows.h> and none of platform/ui.
#include "platform/os/filemap.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>

namespace {

// Reads a file that cannot be mapped into memory of its own, in steps that report progress.
TFileError ReadIntoMemory(TRawFile& file, int64_t size, const TProgress& progress, uint8_t*& data,
                          size_t& length, int64_t& got) {
    void* memory = VirtualAlloc(nullptr, size_t(size), MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!memory) return {feNoMemory, int(GetLastError())};
    data = static_cast<uint8_t*>(memory);
    length = size_t(size);
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
        return {feNoMemory, ERROR_NOT_ENOUGH_MEMORY};
    }
    HANDLE section = CreateFileMappingW(reinterpret_cast<HANDLE>(file.NativeHandle()), nullptr,
                                        PAGE_READONLY, 0, 0, nullptr);
    void* view = section ? MapViewOfFile(section, FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (view) {
        section_ = reinterpret_cast<intptr_t>(section);
        data_ = static_cast<uint8_t*>(view);
        size_ = identity.Size;
        length_ = size_t(identity.Size);
        mapped_ = true;
        return {};
    }
    if (section) CloseHandle(section);
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
    if (data_) {
        if (mapped_) {
            UnmapViewOfFile(data_);
        } else {
            VirtualFree(data_, 0, MEM_RELEASE);
        }
    }
    if (section_) CloseHandle(reinterpret_cast<HANDLE>(section_));
    section_ = 0;
    data_ = nullptr;
    size_ = 0;
    length_ = 0;
    open_ = false;
    mapped_ = false;
    identity_ = {};
}

bool TFileMapping::ReadPastEnd() const {
    return false;
}

void TFileMapping::Release(int64_t offset, int64_t length) const {
    if (!mapped_ || length <= 0) return;
    int64_t first = std::max<int64_t>(offset, 0);
    int64_t last = std::min<int64_t>(offset + length, size_);
    // Unlocking pages that are not locked takes them out of the working set.
    if (last > first) VirtualUnlock(data_ + first, size_t(last - first));
}
