#pragma once

#include "platform/Registry.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <string>

namespace platform {

// The registry kept in files: a store of the user's that every change rewrites
// whole (a temporary file renamed over the old one, under an exclusive lock),
// and an optional read-only machine layer written by the build or the install.
// A reader sees the store before or after a change, never half of one, and two
// programs that use the store one after the other see each other's changes.
//
// Reads look in the store first and then in the machine layer; changes go to
// the store only, so a key that only the machine layer holds can be read but
// not changed or deleted.
//
// The store is never used through a symbolic link: a link at its path is
// reported and left as it is (neither read, nor written through, nor replaced
// by a file), so that a link planted in a shared folder cannot make a program
// write elsewhere. The machine layer may be a link.
class RegistryFile final : public Registry {
public:
    // `home`, when given, is a folder that must exist already: the folders of
    // the store below it are created, it itself never is.
    RegistryFile(std::filesystem::path store, std::filesystem::path machineLayer,
                 std::filesystem::path home = {});

    // $QUORVANE_REGISTRY if set, else $XDG_CONFIG_HOME/quorvane/registry, else
    // ~/.config/quorvane/registry.
    static std::filesystem::path DefaultStorePath();
    // $HOME when the default store is under it, else empty.
    static std::filesystem::path DefaultStoreHome();
    // Where the build and the install put the machine layer, relative to the
    // folder of the programs: <folder>/../share/quorvane/machine.reg.
    static std::filesystem::path MachineLayerFor(const std::filesystem::path& programFolder);
    // The store and machine layer of the running program.
    static RegistryFile ForThisProgram();

    static constexpr std::string_view kHeader = "QUORVANE-REGISTRY\t1";
    // A change is written to <store>.tmp-XXXXXX and renamed over the store; a
    // writer that was killed leaves its temporary behind, which the next
    // change removes.
    static constexpr std::string_view kTemporaryInfix = ".tmp-";

    bool OpenKey(RootKey root, std::string_view key, KeyRight right) override;
    bool CreateKey(RootKey root, std::string_view key) override;
    bool DeleteKey(RootKey root, std::string_view key) override;
    bool SetTextValue(RootKey root, std::string_view key, std::string_view name,
                      std::string_view data) override;
    std::optional<std::string> QueryValue(RootKey root, std::string_view key,
                                          std::string_view name) override;
    bool DeleteValue(RootKey root, std::string_view key, std::string_view name) override;

    const std::filesystem::path& StorePath() const { return store_; }
    const std::filesystem::path& MachineLayerPath() const { return machineLayer_; }
    // What went wrong in the last operation that failed for a reason other
    // than a missing key or value (a file that cannot be read or written).
    std::string LastError() const;

private:
    struct Value {
        std::string name;
        std::string data;
    };
    struct Key {
        std::string path; // as first written, for the file
        std::map<std::string, Value> values;
    };
    using Hive = std::map<std::string, Key>; // by folded full path

    enum class LoadResult { Loaded, Missing, Failed };
    // `followLink`: false for the store, which a link must not stand in for.
    LoadResult Load(const std::filesystem::path& file, Hive& hive, bool followLink);
    void RemoveStaleTemporaries();
    template <typename Change> bool Modify(Change&& change);
    bool Save(const Hive& hive);
    void Fail(std::string message);

    std::filesystem::path store_;
    std::filesystem::path machineLayer_;
    std::filesystem::path home_;
    mutable std::mutex mutex_;
    std::string lastError_;
};

} // namespace platform
