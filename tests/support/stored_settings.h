// The clock's settings as stored in the per-user registry key, read and written directly,
// for tests that start the clock with given settings and check what it saved.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "platform/os/registry.h"

namespace ztest {

constexpr const char* kSettingsKey = "Software\\Kelbrin\\QVZentick";

// A stored integer setting, or none.
inline std::optional<int32_t> Stored(const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, kSettingsKey, &key) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0, size = 4;
    int32_t value = 0;
    LONG result =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return std::nullopt;
    return value;
}

// Stores an integer setting, creating the key when needed.
inline void Store(const char* name, int32_t value) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, &disposition),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
    RegCloseKey(key);
}

}  // namespace ztest
