#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The root a key path is taken from. The disk catalogue, the helper program and
// the start-up keep everything under the classes root.
enum class RootKey { ClassesRoot };

// What a caller means to do with a key it opens.
enum class KeyRight { QueryValue, SetValue, Delete, AllAccess };

// A persistent store of keys and text values, as the disk catalogue, the
// helper program and the start-up use it. Key paths are separated by '\' and
// compared without regard to ASCII case, as are value names.
class Registry {
public:
    virtual ~Registry() = default;

    // True when the key exists and may be used with `right`.
    virtual bool OpenKey(RootKey root, std::string_view key, KeyRight right) = 0;
    // Creates the key and any missing parent; true when it exists afterwards.
    virtual bool CreateKey(RootKey root, std::string_view key) = 0;
    // Deletes a key that has no sub-keys; false when it is missing, still has
    // sub-keys or cannot be changed.
    virtual bool DeleteKey(RootKey root, std::string_view key) = 0;
    // Stores exactly the bytes of `data` (no terminator is added). False when
    // the key does not exist: setting a value never creates a key.
    virtual bool SetTextValue(RootKey root, std::string_view key, std::string_view name,
                              std::string_view data) = 0;
    // The stored bytes; empty when the key or the value is missing.
    virtual std::optional<std::string> QueryValue(RootKey root, std::string_view key,
                                                  std::string_view name) = 0;
    virtual bool DeleteValue(RootKey root, std::string_view key, std::string_view name) = 0;

    // The value as text: what precedes the first zero byte, if another writer
    // stored one; a missing key or value reads as the empty text.
    std::string QueryTextValue(RootKey root, std::string_view key, std::string_view name) {
        std::string data = QueryValue(root, key, name).value_or(std::string());
        const std::size_t zero = data.find('\0');
        if (zero != std::string::npos) {
            data.resize(zero);
        }
        return data;
    }
};

} // namespace platform
