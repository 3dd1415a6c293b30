// TFileMapping: the bytes of a regular file, read-only, without copying them. The file is
// mapped into the address space, so opening takes the same short time for a file of any
// size, larger than memory too: only the pages looked at are read, and the system can take
// them back whenever it needs the memory. Where a file cannot be mapped (the attribute
// files of some special file systems), its bytes are read into memory instead.
//
// The file may change on disk while it is mapped. What another program writes shows in
// Data() at once. When the file is cut shorter, the pages past its new end read as zeros
// instead of ending the program (on POSIX systems the access would raise SIGBUS: a handler
// maps zeros there and lets the access go on), and ReadPastEnd() tells that it happened.
// On Windows nobody can cut a file short while it is mapped.
//
// filemap.cpp is the POSIX version (mmap), win32/filemap.cpp the Windows one
// (CreateFileMappingW and MapViewOfFile).
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "platform/os/fileio.h"

class TFileMapping {
public:
    TFileMapping() = default;
    TFileMapping(TFileMapping&& other) noexcept { Swap(other); }
    TFileMapping& operator=(TFileMapping&& other) noexcept {
        TFileMapping doomed(static_cast<TFileMapping&&>(*this));
        Swap(other);
        return *this;
    }
    TFileMapping(const TFileMapping&) = delete;
    TFileMapping& operator=(const TFileMapping&) = delete;
    ~TFileMapping() { Close(); }

    // Opens the regular file at path; what was open before is closed first, whatever the
    // result. Progress is called only while a file that cannot be mapped is read; it may
    // cancel (feCancelled). feShortRead keeps the bytes that arrived (Size() of them) and
    // the mapping open.
    TFileError Open(const std::string& path, const TProgress& progress = {});
    void Close();
    bool IsOpen() const { return open_; }

    const uint8_t* Data() const { return data_; }
    int64_t Size() const { return size_; }
    // Whether the file is mapped (else read into memory).
    bool Mapped() const { return mapped_; }
    // The file as it was when opened.
    const TFileIdentity& Identity() const { return identity_; }
    // Whether pages past the file's end (it was cut shorter meanwhile) were looked at and
    // read as zeros.
    bool ReadPastEnd() const;
    // Lets the system take back the memory of the whole pages of [offset, offset + length)
    // that only this view holds; they are read from the file again when next looked at.
    // Nothing happens to bytes read into memory.
    void Release(int64_t offset, int64_t length) const;

private:
    void Swap(TFileMapping& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(length_, other.length_);
        std::swap(open_, other.open_);
        std::swap(mapped_, other.mapped_);
        std::swap(guard_, other.guard_);
        std::swap(section_, other.section_);
        std::swap(identity_, other.identity_);
    }

    uint8_t* data_ = nullptr;
    int64_t size_ = 0;
    size_t length_ = 0;  // bytes of address space held
    bool open_ = false;
    bool mapped_ = false;
    int guard_ = -1;        // the slot of the fault guard watching the mapping
    intptr_t section_ = 0;  // Windows: the file mapping object
    TFileIdentity identity_;
};
