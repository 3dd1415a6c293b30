// The per-user registry: keys holding named, typed values, with the system's calls.
//
// HKEY_CURRENT_USER lives in <config home>/zentick/user.reg (see regstore.h, regfile.h);
// its Run key (Software\Microsoft\Windows\CurrentVersion\Run) is the XDG autostart folder
// (see autostart.h). Key paths are backslash-separated; key and value names compare
// without regard to ASCII case. A handle only names a key: every call reads the current
// file and every change is written at once, so other running copies see it immediately.
// (While keys are open, a file that has not changed on disk is not parsed again: see
// regstore.h.) RegSetValues stores several values in one change of the file.
//
// Every call returns ERROR_SUCCESS or a system error code; none of them throws or shows
// anything.
#pragma once

#include <string>
#include <vector>

#include "platform/os/wintypes.h"

// An open key. Handles come from RegCreateKeyExA and RegOpenKeyA and are given back with
// RegCloseKey; HKEY_CURRENT_USER is always open.
struct HKEY__;
using HKEY = HKEY__*;
extern HKEY__ gRegistryCurrentUserRoot;
inline constexpr HKEY HKEY_CURRENT_USER = &gRegistryCurrentUserRoot;

using REGSAM = DWORD;
struct SECURITY_ATTRIBUTES;

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;         // text with its terminating NUL
constexpr DWORD REG_EXPAND_SZ = 2;  // text with %VARIABLES%, terminated
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;  // 32-bit number, little-endian
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

// Key options (every key is kept on disk) and what RegCreateKeyExA did.
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Access rights; accepted and not enforced (the file's own permissions decide).
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// Opens subKey below key, creating it (and its missing parents) when it does not exist.
// *disposition (when not null) tells REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY. When
// the key can be neither opened nor created (no configuration folder, a read-only folder,
// a file where the folder should be) the result is the failure's code and *result is null.
// keyClass, options, access and security are accepted and not used.
LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, const char* keyClass,
                     DWORD options, REGSAM access, const SECURITY_ATTRIBUTES* security,
                     HKEY* result, DWORD* disposition);

// Opens an existing subKey below key (null or "" opens key itself again); never creates.
// ERROR_FILE_NOT_FOUND when it does not exist; *result is then null.
LONG RegOpenKeyA(HKEY key, const char* subKey, HKEY* result);

// Reads value name (null or "" for the unnamed value). With data null, only *type and
// *size are set. When *size is smaller than the value, the result is ERROR_MORE_DATA, *size
// is the size needed and data is left alone. A missing value gives ERROR_FILE_NOT_FOUND and
// leaves data, *type and *size alone. reserved must be null.
LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* size);

// Stores value name with the type and the size bytes of data, replacing any value of that
// name. Text types are stored as given: pass the terminating NUL in size. Values of the Run
// key must be REG_SZ or REG_EXPAND_SZ.
LONG RegSetValueExA(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size);

// One value of a batch: its name, type and data, as RegSetValueExA takes them.
struct TRegValueWrite {
    std::string Name;
    DWORD Type = REG_NONE;
    std::vector<BYTE> Data;
};

// Stores values (later ones of the same name win) as one transaction: another copy of
// the program reads the key with all of them or with none, and two copies storing batches
// at the same time leave one whole batch, the later one, never a mix of both. Nothing is
// stored when one of the names cannot be (ERROR_INVALID_PARAMETER); values of the Run key
// are not batched (ERROR_INVALID_PARAMETER). On Windows, whose registry stores one value
// at a time, the copies of the program take turns for their batches (a mutex of the
// session, waited for at most a second), which keeps two batches from mixing; a reader
// there may see a batch half stored.
LONG RegSetValues(HKEY key, const std::vector<TRegValueWrite>& values);

// Removes value name; ERROR_FILE_NOT_FOUND when there is none.
LONG RegDeleteValueA(HKEY key, const char* name);

// Gives back a handle; ERROR_INVALID_HANDLE for one that is not open.
LONG RegCloseKey(HKEY key);
