// Files read and written at offsets on Windows (platform/os/fileio.h). Paths are UTF-8 and
// reach the system as UTF-16. This file includes <windows.h> and none of platform/ui.
#include "platform/os/fileio.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "platform/os/path.h"

namespace {

// ReadFile and WriteFile move at most this much at a time (their counts are 32-bit).
constexpr size_t kChunk = size_t(1) << 30;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(size_t(std::max(length, 0)), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), length);
    return out;
}

std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) return {};
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr,
                                     nullptr);
    std::string out(size_t(std::max(length, 0)), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), out.data(), length, nullptr,
                            nullptr);
    return out;
}

HANDLE Handle(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

TFileError LastError() {
    return FileErrorFromSystem(int(GetLastError()));
}

// A handle for looking at a file or folder (no access to its bytes), closed when it goes.
class TQueryHandle {
public:
    explicit TQueryHandle(const std::string& path)
        : handle_(CreateFileW(Wide(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}
    ~TQueryHandle() {
        if (Valid()) CloseHandle(handle_);
    }
    TQueryHandle(const TQueryHandle&) = delete;
    TQueryHandle& operator=(const TQueryHandle&) = delete;
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

TFileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    TFileIdentity id;
    id.Device = info.dwVolumeSerialNumber;
    id.Inode = (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    id.Size = int64_t((uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    id.ModifiedNs = int64_t((uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32) |
                            info.ftLastWriteTime.dwLowDateTime) *
                    100;
    return id;
}

}  // namespace

TFileError FileErrorFromSystem(int code) {
    switch (DWORD(code)) {
        case ERROR_SUCCESS:
            return {};
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
        case ERROR_INVALID_DRIVE:
            return {feNoSuchFile, code};
        case ERROR_DIRECTORY:
            return {feIsFolder, code};
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
        case ERROR_USER_MAPPED_FILE:
            return {feAccessDenied, code};
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
        case ERROR_FILE_TOO_LARGE:
            return {feNoSpace, code};
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
        case ERROR_COMMITMENT_LIMIT:
            return {feNoMemory, code};
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return {feExists, code};
        default:
            return {feOther, code};
    }
}

std::string SystemErrorText(int code) {
    char* text = nullptr;
    DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, DWORD(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length && text ? std::string(text, length) : std::string();
    if (text) LocalFree(text);
    // The system's text ends with a full stop and a line end.
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == '.' || message.back() == ' '))
        message.pop_back();
    return message.empty() ? "Error " + std::to_string(code) : message;
}

TRawFile::TRawFile(TRawFile&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

TRawFile& TRawFile::operator=(TRawFile&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, -1);
    }
    return *this;
}

bool TRawFile::IsOpen() const {
    return handle_ != -1;
}

TFileError TRawFile::Open(const std::string& path, bool writable) {
    Close();
    if (path.empty()) return {feNoSuchFile, ERROR_FILE_NOT_FOUND};
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return {feIsFolder, 0};
    // Others may go on reading, writing or renaming the file meanwhile.
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ | (writable ? GENERIC_WRITE : 0),
                              kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastError();
    // A pipe, a console or a device such as NUL is no file.
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return {feNotRegular, 0};
    }
    handle_ = reinterpret_cast<intptr_t>(file);
    return {};
}

TFileError TRawFile::Create(const std::string& path) {
    Close();
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastError();
    handle_ = reinterpret_cast<intptr_t>(file);
    return {};
}

TFileError TRawFile::ReadAt(int64_t offset, void* data, size_t size, size_t& got) const {
    got = 0;
    auto* out = static_cast<uint8_t*>(data);
    while (got < size) {
        OVERLAPPED at{};
        uint64_t position = uint64_t(offset) + got;
        at.Offset = DWORD(position);
        at.OffsetHigh = DWORD(position >> 32);
        DWORD read = 0;
        if (!ReadFile(Handle(handle_), out + got, DWORD(std::min(size - got, kChunk)), &read,
                      &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            return LastError();
        }
        if (read == 0) break;
        got += read;
    }
    return {};
}

TFileError TRawFile::WriteAt(int64_t offset, const void* data, size_t size) {
    const auto* in = static_cast<const uint8_t*>(data);
    for (size_t done = 0; done < size;) {
        OVERLAPPED at{};
        uint64_t position = uint64_t(offset) + done;
        at.Offset = DWORD(position);
        at.OffsetHigh = DWORD(position >> 32);
        DWORD put = 0;
        if (!WriteFile(Handle(handle_), in + done, DWORD(std::min(size - done, kChunk)), &put, &at))
            return LastError();
        if (put == 0) return {feNoSpace, ERROR_DISK_FULL};
        done += put;
    }
    return {};
}

TFileError TRawFile::Sync() {
    if (!FlushFileBuffers(Handle(handle_))) return LastError();
    return {};
}

TFileError TRawFile::Resize(int64_t size) {
    LARGE_INTEGER end{};
    end.QuadPart = size;
    if (!SetFilePointerEx(Handle(handle_), end, nullptr, FILE_BEGIN) ||
        !SetEndOfFile(Handle(handle_)))
        return LastError();
    return {};
}

TFileError TRawFile::Identity(TFileIdentity& identity) const {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(Handle(handle_), &info)) return LastError();
    identity = IdentityOf(info);
    return {};
}

TFileError TRawFile::Close() {
    if (handle_ == -1) return {};
    HANDLE file = Handle(std::exchange(handle_, -1));
    if (!CloseHandle(file)) return LastError();
    return {};
}

TPathKind KindOfPath(const std::string& path) {
    if (path.empty()) return TPathKind::Missing;
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return TPathKind::Missing;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return TPathKind::Folder;
    TQueryHandle file(path);
    if (!file.Valid()) return TPathKind::Other;
    return GetFileType(file.Get()) == FILE_TYPE_DISK ? TPathKind::Regular : TPathKind::Other;
}

TFileError IdentityOfPath(const std::string& path, TFileIdentity& identity) {
    TQueryHandle file(path);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.Valid() || !GetFileInformationByHandle(file.Get(), &info)) return LastError();
    identity = IdentityOf(info);
    return {};
}

std::string ResolvePath(const std::string& path) {
    if (path.empty()) return path;
    // An existing file: the one a link (a reparse point) at path leads to.
    TQueryHandle file(path);
    if (file.Valid()) {
        wchar_t final[MAX_PATH * 4];
        DWORD n = GetFinalPathNameByHandleW(file.Get(), final, DWORD(std::size(final)),
                                            FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n > 0 && n < std::size(final)) {
            std::wstring resolved(final, n);
            if (resolved.rfind(L"\\\\?\\UNC\\", 0) == 0) {
                resolved = L"\\\\" + resolved.substr(8);
            } else if (resolved.rfind(L"\\\\?\\", 0) == 0) {
                resolved = resolved.substr(4);
            }
            return Narrow(resolved);
        }
    }
    wchar_t full[MAX_PATH * 4];
    DWORD n = GetFullPathNameW(Wide(path).c_str(), DWORD(std::size(full)), full, nullptr);
    return n > 0 && n < std::size(full) ? Narrow(std::wstring(full, n)) : path;
}

TFileError RemoveFile(const std::string& path) {
    if (!DeleteFileW(Wide(path).c_str())) return LastError();
    return {};
}

TFileError RenameOver(const std::string& from, const std::string& to) {
    if (!MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return LastError();
    return {};
}

void SyncFolder(const std::string&) {
    // The file system keeps its folders in its own journal: nothing to flush.
}

TFileError MakeFolders(const std::string& path) {
    if (path.empty()) return {feNoSuchFile, ERROR_PATH_NOT_FOUND};
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? TFileError{}
                                                       : TFileError{feNoSuchFile, ERROR_DIRECTORY};
    std::string parent = FolderOfPath(path);
    if (parent != path && parent != ".") {
        if (TFileError e = MakeFolders(parent)) return e;
    }
    if (!CreateDirectoryW(Wide(path).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return LastError();
    return {};
}
