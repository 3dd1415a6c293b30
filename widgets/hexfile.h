// The files of the hex editor: reading a whole file into memory of its own size, and
// replacing a file with new contents so that a failure never destroys it. THexEditor's
// LoadFromFile and SaveToFile are built on these two calls.
//
// Both take the system's own path of a file (on Windows, "/" and "\" both separate
// folders) and accept only regular files: a folder, a pipe or a device is not opened.
// hexfile.cpp holds the POSIX version (mmap'd memory; a temporary file made with
// mkostemp, fsync and rename), hexfile_win32.cpp the Windows one (VirtualAlloc; a
// temporary file, FlushFileBuffers and MoveFileExA with MOVEFILE_REPLACE_EXISTING and
// MOVEFILE_WRITE_THROUGH). They give the same results for the same cases.
//
// Results (also the results of THexEditor::LoadFromFile and SaveToFile):
//   hfDone        every byte was read or written
//   hfShortRead   the file ended or failed before its length was read; what arrived is kept
//   hfShortWrite  not every byte could be written, or the file not replaced; the file on
//                 disk is as it was, and no temporary file is left behind
//   hfCannotOpen  no such file (or folder, when saving), not a regular file, or not
//                 writable (saving); nothing was read or written
//   hfNoMemory    the file's length could not be allocated; nothing was read
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

constexpr int hfDone = 0;
constexpr int hfShortRead = 1;
constexpr int hfShortWrite = 2;
constexpr int hfCannotOpen = 3;
constexpr int hfNoMemory = 4;

// Memory for a loaded file: pages of the system (zero-filled), returned when freed. A
// request that the system cannot grant leaves the buffer empty.
class TPageBuffer {
public:
    TPageBuffer() = default;
    TPageBuffer(TPageBuffer&& other) noexcept { Swap(other); }
    TPageBuffer& operator=(TPageBuffer&& other) noexcept {
        TPageBuffer doomed(std::move(*this));
        Swap(other);
        return *this;
    }
    TPageBuffer(const TPageBuffer&) = delete;
    TPageBuffer& operator=(const TPageBuffer&) = delete;
    ~TPageBuffer() { Free(); }

    // True when size bytes (zero-filled) could be had; any earlier memory is freed first.
    bool Allocate(size_t size);
    void Free();
    uint8_t* Data() const { return data_; }
    size_t Size() const { return size_; }

private:
    void Swap(TPageBuffer& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(mapped_, other.mapped_);
    }
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t mapped_ = 0;
};

// Reads the regular file at path. The memory for its length is allocated before anything
// is read; when that fails the result is hfNoMemory. On hfDone and hfShortRead, buffer is
// replaced by memory of the file's length whose first length bytes are the file's (all of
// them on hfDone); on the other results buffer and length are left alone. Opening does not
// wait for a writer (a pipe) or a device.
int ReadFileToBuffer(const std::string& path, TPageBuffer& buffer, size_t& length);

// Replaces the file at path (or creates it) with size bytes of data: a temporary file in
// the same folder gets every byte and is flushed to disk, then renamed over the file. On
// any failure the temporary file is removed and the file stays as it was. The new file
// keeps what the system keeps of the old one's permissions (POSIX: the mode and, where
// allowed, the owner; Windows: the hidden, system and archive attributes), and a link is
// followed: the file it names is replaced. A read-only file is not replaced (hfCannotOpen).
int WriteFileReplacing(const std::string& path, const uint8_t* data, size_t size);
