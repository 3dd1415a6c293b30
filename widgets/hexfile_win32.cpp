// The hex editor's files on Windows. This file includes <windows.h> and none of
// platform/ui, whose window-system names the system headers would clash with.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "widgets/hexfile.h"

namespace {

// ReadFile and WriteFile move at most this much at a time (their counts are 32-bit).
constexpr size_t kChunk = size_t(1) << 30;

// An owned handle of a file, closed when the object goes.
class TWinFile {
public:
    explicit TWinFile(HANDLE handle) : handle_(handle) {}
    TWinFile(TWinFile&& other) noexcept
        : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    TWinFile& operator=(TWinFile&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
        }
        return *this;
    }
    TWinFile(const TWinFile&) = delete;
    TWinFile& operator=(const TWinFile&) = delete;
    ~TWinFile() { Close(); }

    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    // True when the handle was closed without an error (or was not open).
    bool Close() {
        if (!Valid()) return true;
        bool closed = CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens an existing file for access. A folder does not open (that needs backup semantics),
// and a handle that is not of a disk file (a pipe, a console, a device such as NUL) is
// closed again: both give an invalid handle.
TWinFile OpenDiskFile(const std::string& path, DWORD access, DWORD flags) {
    TWinFile file(
        CreateFileA(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr));
    if (file.Valid() && GetFileType(file.Get()) != FILE_TYPE_DISK) file.Close();
    return file;
}

// The path of the file that a link (a reparse point) at path leads to, or path itself.
std::string FinalPath(const std::string& path) {
    TWinFile file(CreateFileA(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.Valid()) return path;
    char final[MAX_PATH * 4];
    DWORD n = GetFinalPathNameByHandleA(file.Get(), final, DWORD(sizeof final),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    return n > 0 && n < sizeof final ? std::string(final, n) : path;
}

// Writes every byte; false when the system took fewer.
bool WriteFully(HANDLE file, const uint8_t* data, size_t size) {
    for (size_t done = 0; done < size;) {
        DWORD chunk = DWORD(std::min(size - done, kChunk));
        DWORD put = 0;
        if (!WriteFile(file, data + done, chunk, &put, nullptr) || put == 0) return false;
        done += put;
    }
    return true;
}

}  // namespace

bool TPageBuffer::Allocate(size_t size) {
    Free();
    if (size == 0) return true;
    void* p = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!p) return false;
    data_ = static_cast<uint8_t*>(p);
    size_ = size;
    mapped_ = size;
    return true;
}

void TPageBuffer::Free() {
    if (data_ && mapped_) VirtualFree(data_, 0, MEM_RELEASE);
    data_ = nullptr;
    size_ = 0;
    mapped_ = 0;
}

int ReadFileToBuffer(const std::string& path, TPageBuffer& buffer, size_t& length) {
    if (path.empty()) return hfCannotOpen;
    // Others may go on reading, writing or renaming the file meanwhile, as elsewhere.
    TWinFile file = OpenDiskFile(path, GENERIC_READ, FILE_FLAG_SEQUENTIAL_SCAN);
    LARGE_INTEGER size{};
    if (!file.Valid() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0)
        return hfCannotOpen;
    if (uint64_t(size.QuadPart) > SIZE_MAX) return hfNoMemory;
    const size_t want = size_t(size.QuadPart);
    TPageBuffer fresh;
    if (!fresh.Allocate(want)) return hfNoMemory;
    size_t got = 0;
    while (got < want) {
        DWORD chunk = DWORD(std::min(want - got, kChunk));
        DWORD read = 0;
        if (!ReadFile(file.Get(), fresh.Data() + got, chunk, &read, nullptr) || read == 0) break;
        got += read;
    }
    buffer = std::move(fresh);
    length = got;
    return got == want ? hfDone : hfShortRead;
}

int WriteFileReplacing(const std::string& path, const uint8_t* data, size_t size) {
    if (path.empty()) return hfCannotOpen;
    std::string target = path;
    // The attributes the new file takes over from the one it replaces.
    DWORD kept = FILE_ATTRIBUTE_NORMAL;
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) return hfCannotOpen;
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) target = FinalPath(path);
        // A file that may not be written, or that another program keeps writers from, is
        // not replaced either; nor is anything but a disk file.
        if (!OpenDiskFile(target, GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL).Valid())
            return hfCannotOpen;
        kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                             FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        if (kept == 0) kept = FILE_ATTRIBUTE_NORMAL;
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
        // No such folder, a device name, or no right to look: nothing to create there.
        return hfCannotOpen;
    }

    // The temporary file: ".<name>.<unique>.tmp" beside the file.
    size_t cut = target.find_last_of("\\/");
    if (cut == std::string::npos && target.size() >= 2 && target[1] == ':') cut = 1;  // "C:name"
    const std::string folder = cut == std::string::npos ? std::string() : target.substr(0, cut + 1);
    const std::string name = target.substr(folder.size());
    static unsigned serial = 0;
    std::string tempPath;
    TWinFile temp(INVALID_HANDLE_VALUE);
    for (int attempt = 0; attempt < 100 && !temp.Valid(); ++attempt) {
        char unique[32];
        std::snprintf(unique, sizeof unique, ".%lx-%x.tmp",
                      static_cast<unsigned long>(GetCurrentProcessId()), ++serial);
        tempPath = folder + "." + name + unique;
        HANDLE handle =
            CreateFileA(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, kept, nullptr);
        DWORD error = GetLastError();
        temp = TWinFile(handle);
        // A name in use is tried again with the next number; any other failure is final.
        if (!temp.Valid() && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return hfCannotOpen;
    }
    if (!temp.Valid()) return hfCannotOpen;

    bool written = WriteFully(temp.Get(), data, size);
    written = written && FlushFileBuffers(temp.Get());
    written = temp.Close() && written;
    written = written && MoveFileExA(tempPath.c_str(), target.c_str(),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!written) {
        DeleteFileA(tempPath.c_str());
        return hfShortWrite;
    }
    return hfDone;
}
