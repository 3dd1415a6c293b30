// Files read and written at offsets, and what went wrong with them in words a user
// understands: the ground under the hex editor's files (filemap.h, safesave.h).
//
// fileio.cpp holds the POSIX version (open, pread, pwrite, fsync, ftruncate), win32/fileio.cpp
// the Windows one (CreateFileW, ReadFile and WriteFile with offsets, FlushFileBuffers,
// SetEndOfFile); fileerror.cpp the texts, for both. Paths are UTF-8 and the system's own
// (on Windows "/" and "\" both separate folders).
//
// Only regular files are opened: a folder gives feIsFolder and a pipe, device or socket
// feNotRegular, and opening never waits (a FIFO without a writer is not waited for).
// Files are shared: others may go on reading and writing them meanwhile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

enum TFileErrorKind {
    feNone,
    feNoSuchFile,    // the file, or a folder on its path, does not exist
    feIsFolder,      // the path names a folder
    feNotRegular,    // a pipe, device or socket
    feAccessDenied,  // no permission (or a read-only file system)
    feNoSpace,       // the disk or the user's quota is full, or the file would grow too large
    feNoMemory,      // not enough memory (or address space)
    feCancelled,     // the user cancelled
    feShortRead,     // the file ended, or failed, before its length was read
    feCorrupt,       // a journal or recovery file that is not one, or not whole
    feExists,        // a file that was to be made new is there already
    feOther,         // anything else: SystemCode tells what
};

struct TFileError {
    TFileErrorKind Kind = feNone;
    int SystemCode = 0;  // errno, or the Windows error code, when the system gave one

    explicit operator bool() const { return Kind != feNone; }
};

// The error kind of an errno value (POSIX) or a Windows error code, and the system's own
// text for it.
TFileError FileErrorFromSystem(int code);
std::string SystemErrorText(int code);
// Why, without the file's name: "No such file", "Permission denied", "No space left on
// device", "Not enough memory", "Cancelled", "Not a whole file", or the system's own text.
// For feIsFolder and feNotRegular: "Is a folder", "Not a regular file".
std::string FileErrorText(const TFileError& error);
// A sentence about the file: "<path> is a folder", "<path> is not a regular file", else
// "<what> <path>: <FileErrorText>" ("Cannot open /tmp/x: No such file").
std::string DescribeFileError(const TFileError& error, const std::string& what,
                              const std::string& path);

// What tells one version of a file from another: the file (device and inode, or volume
// and file index) and its size and time of last change.
struct TFileIdentity {
    uint64_t Device = 0;
    uint64_t Inode = 0;
    int64_t Size = 0;
    int64_t ModifiedNs = 0;

    bool SameFile(const TFileIdentity& other) const {
        return Device == other.Device && Inode == other.Inode;
    }
    bool operator==(const TFileIdentity&) const = default;
};

// Called now and then by long operations with the bytes done of the total; returning false
// cancels the operation.
using TProgress = std::function<bool(int64_t done, int64_t total)>;

// An open regular file, closed when the object goes.
class TRawFile {
public:
    TRawFile() = default;
    TRawFile(TRawFile&& other) noexcept;
    TRawFile& operator=(TRawFile&& other) noexcept;
    TRawFile(const TRawFile&) = delete;
    TRawFile& operator=(const TRawFile&) = delete;
    ~TRawFile() { Close(); }

    // Opens an existing regular file for reading, or for reading and writing.
    TFileError Open(const std::string& path, bool writable);
    // Makes a new file that did not exist (for writing), with the permissions a new file of
    // the user gets.
    TFileError Create(const std::string& path);
    bool IsOpen() const;

    // Reads up to size bytes at offset; got is less than size only at the file's end.
    TFileError ReadAt(int64_t offset, void* data, size_t size, size_t& got) const;
    // Writes every byte at offset.
    TFileError WriteAt(int64_t offset, const void* data, size_t size);
    // Waits until what was written is on the disk.
    TFileError Sync();
    // Makes the file size bytes long: cut, or grown with zeros.
    TFileError Resize(int64_t size);
    TFileError Identity(TFileIdentity& identity) const;
    // Closes the file; an error of the system's deferred writes shows here.
    TFileError Close();

    // The system's handle (a file descriptor, or a HANDLE), for mapping the file.
    intptr_t NativeHandle() const { return handle_; }

private:
    intptr_t handle_ = -1;
};

enum class TPathKind { Missing, Regular, Folder, Other };

// What the path names, links followed (Missing also when it cannot be looked at).
TPathKind KindOfPath(const std::string& path);
// The identity of the file a path names now.
TFileError IdentityOfPath(const std::string& path, TFileIdentity& identity);
// The full path of the file a path names, links followed, or the path itself when that
// cannot be found (a file that does not exist yet: its folder resolved, when that exists).
std::string ResolvePath(const std::string& path);
TFileError RemoveFile(const std::string& path);
// Renames from over to, replacing a file there, and flushes the folder.
TFileError RenameOver(const std::string& from, const std::string& to);
// Waits until the folder's list of names is on the disk (where the system needs that).
void SyncFolder(const std::string& folder);
// Makes a folder and its missing parents (only the user may enter them).
TFileError MakeFolders(const std::string& path);
