// Saving a file so that it stays the file it was and is never left half-written.
//
// An existing file is written in place: it keeps its inode (or file index), owner, group,
// permissions, hard links, ACLs and extended attributes, and a symbolic link keeps naming
// it; the save needs only the right to write the file, not its folder. Only the bytes that
// differ are written. Before the first of them, a journal of their old bytes (and of the
// file's old size, and of any tail a shorter file loses) is written and flushed to disk;
// then the file is written, cut or grown and flushed; then the journal is removed. A save
// that fails or is cancelled after the journal was written puts the old bytes back from
// it at once; one that was interrupted (a crash, a power loss) is rolled back the next
// time the file is opened, by FinishInterruptedSave. Either way the file is, byte for
// byte, what it was before the save, or what the save wrote.
//
// A file that does not exist yet is written under a temporary name in its folder, flushed
// and then renamed to its name, so that a half-written file never bears it.
//
// Journals live in a folder of the caller's (the user's state folder), named after the
// file's full path, so that a file in a folder the user cannot write to is saved safely too.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/os/fileio.h"

struct TByteRange {
    int64_t Offset = 0;
    int64_t Length = 0;
    bool operator==(const TByteRange&) const = default;
};

// What a save writes: Size() bytes, read from wherever the caller keeps them.
class TSaveSource {
public:
    virtual ~TSaveSource() = default;
    virtual int64_t Size() const = 0;
    // Copies length bytes at offset (all below Size()) into data.
    virtual void Read(int64_t offset, uint8_t* data, size_t length) const = 0;
};

struct TSaveOptions {
    // The folder of the journals (made when missing).
    std::string JournalFolder;
    // Where the new bytes may differ from the file's, sorted and not overlapping, when the
    // caller knows (the edits of a file it opened); otherwise every byte is compared.
    bool ChangesKnown = false;
    std::vector<TByteRange> Changes;
    // Told of the bytes compared and written; returning false cancels the save, which
    // then leaves the file as it was (feCancelled).
    TProgress Progress;
    // Called before the file's size changes (after every byte is written): a caller that
    // has the file mapped lets go of it here where the system would not cut a mapped file.
    std::function<void()> BeforeResize;
};

// Saves source as the file at path (links followed): see above. Returns feNone, or why it
// could not (the file is then as it was, and no temporary file is left).
TFileError SaveFileSafely(const std::string& path, const TSaveSource& source,
                          const TSaveOptions& options);

// Rolls back a save of the file at path that was interrupted, when its journal is in
// journalFolder. rolledBack tells whether one was. A journal that was not written whole
// (the file was not touched yet), or that belongs to another file now at that path, is
// removed without touching the file.
TFileError FinishInterruptedSave(const std::string& path, const std::string& journalFolder,
                                 bool& rolledBack);

// The journal of a save of path (its full path, links followed).
std::string JournalPathFor(const std::string& path, const std::string& journalFolder);

// For tests: hook is called at each stage of a save; a hook that ends the process there
// shows what a crash or power loss at that moment leaves. None removes it.
enum class TSaveStage { JournalWritten, DataPartlyWritten, DataWritten };
void SetSaveFaultHook(std::function<void(TSaveStage)> hook);

// A 64-bit FNV-1a hash, which names journals and recovery files after their file's path.
uint64_t HashBytes(const void* data, size_t size, uint64_t hash = 0xcbf29ce484222325ull);
