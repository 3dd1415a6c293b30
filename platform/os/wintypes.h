// The system's basic types and result codes, as the operating-system services use them.
//
// The services keep the system's own names and numbers (a registry call returns
// ERROR_FILE_NOT_FOUND, a shell call returns a value above 32 on success), so code written
// against them reads the same on every platform.
#pragma once

#include <cstdint>

using BYTE = uint8_t;
using DWORD = uint32_t;
using LONG = int32_t;
using BOOL = int;

// Handles of modules and instances; only the null handle (the running program) is used
// here. The same alias as the user-interface layer's LoadLibraryA.
using HMODULE = const struct TModuleEntry*;
using HINSTANCE = HMODULE;

// Window handle, the same type the user-interface layer uses.
struct TWnd;
using HWND = TWnd*;

// Result codes.
constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_PATH_NOT_FOUND = 3;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_GEN_FAILURE = 31;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_DISK_FULL = 112;
constexpr LONG ERROR_INSUFFICIENT_BUFFER = 122;
constexpr LONG ERROR_BAD_PATHNAME = 161;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr LONG ERROR_NO_UNICODE_TRANSLATION = 1113;

// Longest path the system's fixed path buffers hold, terminator included.
constexpr DWORD MAX_PATH = 260;
