#pragma once

#include "platform/OutputFolder.h"

#include <memory>
#include <string>
#include <string_view>

namespace quorvane {

// The destination of recovered files, shared by every way of writing them
// (raw recovery, the save of listed files):
// - SafePathComponent turns a name read from the disk into one harmless path
//   component;
// - Destination::Open checks the folder the user chose: it is made when
//   missing (its last level only), files must be creatable in it, and it
//   must not lie on the disk being recovered (a block device, one of its
//   partitions or a volume built on them, or a mount of the image file);
// - Destination::Create makes a new file there by a single safe name, never
//   through a link and never over an existing file, so nothing can land
//   outside the folder or replace what is already in it.

// Replaces "/", "\", NUL and other control bytes with "_", turns "", "." and
// ".." into "_", and cuts the name to 255 bytes (the longest file name most
// file systems hold) without splitting a UTF-8 sequence, keeping the
// extension when the name has one.
std::string SafePathComponent(std::string_view name);

enum class DestinationError {
    None,
    NoPath,       // nothing was chosen (the dialog was cancelled)
    CannotCreate, // missing and could not be made, or not a folder
    NotWritable,  // exists, but no file can be created in it
    OnSourceDisk, // writing there could change the disk being recovered
};

class Destination;

struct DestinationOpen {
    std::unique_ptr<Destination> destination;
    DestinationError error = DestinationError::None;
    std::string detail; // the system's reason, naming the path
};

class Destination {
public:
    // `sourcePath` is the disk or image file being read (empty: not checked).
    static DestinationOpen Open(const std::string& path, const std::string& sourcePath,
                                const platform::SystemPaths& paths = {});

    const std::string& Path() const { return folder_->Path(); }

    struct Created {
        std::unique_ptr<platform::OutputFile> file;
        std::string name;  // the name actually used
        std::string error; // why nothing was created
    };
    // Creates a new file named after `name` (made safe). When that name is
    // taken, "stem_2.ext", "stem_3.ext" ... is used instead.
    Created Create(std::string_view name);
    // Removes a file this destination created.
    bool Remove(const std::string& name) { return folder_->Remove(name); }

private:
    explicit Destination(std::unique_ptr<platform::OutputFolder> folder)
        : folder_(std::move(folder)) {}
    std::unique_ptr<platform::OutputFolder> folder_;
};

} // namespace quorvane
