// The parameter store: named integer and string values of one application, each read with
// a default the caller supplies.
//
// Values live under HKEY_CURRENT_USER\Software\Kelbrin\<application key> (integers as
// REG_DWORD, strings as REG_SZ), or, when the store is opened with the registry off, in
// section <application key> of a profile (INI) file. A store is opened, used for a few
// reads and writes, and closed; the caller owns the record:
//
//   ParamStore store;
//   ParamOpen("QVZentick", "QVZentick", &store, 1);
//   int32_t type = ParamReadInt(&store, "type", 0);
//   ParamWriteInt(&store, "type", type);
//   ParamClose(&store);
//
// In the opening that creates the application key (the program's first run for this
// user) every read stores the default it is given, so the key afterwards holds each value
// that was read. In later openings reads never write, and a missing value reads as its
// default. A store that cannot be opened or written reads every value as its default and
// drops every write; the store's callers are not troubled with it (the registry tells it
// on stderr, see platform/os/posix/regstore.h).
//
// Writes that belong together are batched: after ParamBeginBatch they are kept in the
// record, and ParamCommit (or ParamClose) stores them in one transaction of the registry
// (RegSetValues), so another copy of the program never reads half of them and two copies
// saving at once leave one's whole record, never a mix:
//
//   ParamOpen("QVZentick", "QVZentick", &store, 1);
//   ParamBeginBatch(&store);
//   ParamWriteInt(&store, "viewertop", top);
//   ParamWriteInt(&store, "viewerleft", left);
//   ParamClose(&store);  // both values, or neither
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/os/registry.h"

struct ParamStore {
    HKEY Key = nullptr;           // the open application key (registry backend); null if none
    DWORD Disposition = 0;        // REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY
    char IniFile[MAX_PATH] = {};  // profile file name; empty when none was given
    char Section[MAX_PATH] = {};  // application key name, and the profile's section
    int32_t UseRegistry = 0;      // nonzero: registry backend; 0: profile file
    // The writes kept since ParamBeginBatch (registry backend); none while writes are
    // stored at once.
    std::optional<std::vector<TRegValueWrite>> Batch;
};

// Opens the store of application key app (at most 238 characters with the registry, 259
// with a profile file) in p. file is the profile file name (at most 259 characters; may be
// null). A name too long is refused rather than cut: the store then reads defaults and
// drops writes.
void ParamOpen(const char* file, const char* app, ParamStore* p, int useRegistry);

// Stores a batch that is still open (ParamCommit), then closes the application key; a
// profile-backed store needs nothing.
void ParamClose(ParamStore* p);

// Keeps the writes that follow (and the defaults that reads store on a first run) in p,
// until ParamCommit or ParamClose stores them together. Reads in the meantime see them.
// With a profile file, writes are stored at once as ever: profile files keep each key
// by itself.
void ParamBeginBatch(ParamStore* p);

// Stores the writes kept since ParamBeginBatch as one transaction and ends the batch.
// ERROR_SUCCESS (also for an empty batch or none), or the failure's code: then none of the
// writes was stored.
LONG ParamCommit(ParamStore* p);

// The value of name as a 32-bit signed integer, or def when it is missing (or is not a
// 4-byte REG_DWORD). With a profile file, the text's leading decimal digits (atol), limited
// to the 32-bit range.
int32_t ParamReadInt(ParamStore* p, const char* name, int32_t def);

// Stores value under name.
void ParamWriteInt(ParamStore* p, const char* name, int32_t value);

// Leaves the value of name in dst (size bytes, always terminated), or def when the value
// is missing, is not text, or does not fit in size - 1 bytes. A default longer than
// size - 1 characters is cut. dst may be the buffer that holds def.
void ParamReadString(ParamStore* p, const char* name, const char* def, char* dst, int size);

// Stores text under name.
void ParamWriteString(ParamStore* p, const char* name, const char* text);
