#include "shell/registry_win.h"

#include <algorithm>

#include "common/text.h"
#include "shell/verbs.h"

bool ReadRegString(HKEY hive, const std::string& keyPath, const std::string& valueName, std::string& value)
{
    constexpr DWORD kMaxBytes = 65536;
    RegKey key;
    if (RegOpenKeyExA(hive, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.out()) != ERROR_SUCCESS) return false;
    // The value may grow between the two calls; one more round catches that.
    for (int round = 0; round < 2; ++round) {
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
        if ((type != REG_SZ && type != REG_EXPAND_SZ) || size > kMaxBytes) return false;
        std::string data(size + 1, '\0');
        DWORD got = size;
        LONG status = RegQueryValueExA(key.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &got);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) return false;
        // Stored strings need not end in a terminator, and may hold one early.
        data.resize(std::min<size_t>(got, data.size()));
        value = data.substr(0, data.find('\0'));
        return true;
    }
    return false;
}

// The substring test makes a value that holds more than our text (a longer
// command line, say) count as written.
bool SetRegStringIfAbsent(HKEY hive, const std::string& keyPath, const std::string& valueName, const std::string& text)
{
    if (Utf8Length(text) > kRegTextMaxChars) return false;
    std::string stored;
    if (!ReadRegString(hive, keyPath, valueName, stored)) stored.clear();
    if (stored.find(text) != std::string::npos) return true;
    RegKey key;
    if (RegCreateKeyExA(hive, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, key.out(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    return RegSetValueExA(key.get(), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool DeleteRegKey(HKEY hive, const std::string& keyPath)
{
    return RegDeleteKeyA(hive, keyPath.c_str()) == ERROR_SUCCESS;
}

bool DeleteRegKeyIfEmpty(HKEY hive, const std::string& keyPath)
{
    RegKey key;
    if (RegOpenKeyExA(hive, keyPath.c_str(), 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, key.out()) != ERROR_SUCCESS) return false;
    DWORD subkeys = 0, values = 0;
    if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                         nullptr) != ERROR_SUCCESS)
        return false;
    key.reset();
    return subkeys == 0 && values == 0 && DeleteRegKey(hive, keyPath);
}
