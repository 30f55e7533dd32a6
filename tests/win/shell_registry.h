#pragma once
// Registry access for the shell tests that does not go through the code under
// test, and a scratch key that removes itself.
#include <windows.h>

#include <string>

namespace shelltest {

inline bool KeyExists(HKEY hive, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// The value's text, or "<missing>".
inline std::string RawRead(HKEY hive, const std::string& path, const std::string& name = "")
{
    char buffer[4096];
    DWORD size = sizeof buffer;
    if (RegGetValueA(hive, path.c_str(), name.c_str(), RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, buffer,
                     &size) != ERROR_SUCCESS)
        return "<missing>";
    return buffer;
}

inline bool RawWrite(HKEY hive, const std::string& path, const std::string& name, const std::string& text, DWORD type = REG_SZ,
                     bool terminator = true)
{
    HKEY key;
    if (RegCreateKeyExA(hive, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) return false;
    const LONG status = RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                                       static_cast<DWORD>(text.size() + (terminator ? 1 : 0)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

inline void DeleteTree(HKEY hive, const std::string& path)
{
    RegDeleteTreeA(hive, path.c_str());
    RegDeleteKeyA(hive, path.c_str());
}

// Deletes the key with everything in it when the test ends.
class ScratchKey {
public:
    ScratchKey(HKEY hive, std::string path) : hive_(hive), path_(std::move(path)) { DeleteTree(hive_, path_); }
    ~ScratchKey() { DeleteTree(hive_, path_); }
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;
    const std::string& path() const { return path_; }

private:
    HKEY hive_;
    std::string path_;
};

// Puts a value back as it was (or deletes it) when the test ends.
class SavedValue {
public:
    SavedValue(HKEY hive, std::string path, std::string name)
        : hive_(hive), path_(std::move(path)), name_(std::move(name)), existed_(KeyExists(hive_, path_)), old_(RawRead(hive_, path_, name_))
    {
    }
    ~SavedValue()
    {
        if (old_ != "<missing>") RawWrite(hive_, path_, name_, old_);
        else if (!existed_) DeleteTree(hive_, path_);
        else {
            HKEY key;
            if (RegOpenKeyExA(hive_, path_.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
                RegDeleteValueA(key, name_.c_str());
                RegCloseKey(key);
            }
        }
    }
    SavedValue(const SavedValue&) = delete;
    SavedValue& operator=(const SavedValue&) = delete;

private:
    HKEY hive_;
    std::string path_, name_;
    bool existed_;
    std::string old_;
};

inline std::string Pid()
{
    return std::to_string(GetCurrentProcessId());
}

} // namespace shelltest
