#include "engine/session/RecoverySession.h"

namespace quorvane {

RecoverySession::RecoverySession(platform::DeviceOpener& opener, UserQuestions& questions)
    : DiskAccess(opener, questions), fatSource_(*this, Current, Fat.Cache),
      ntfsSource_(fatSource_) {}

FolderSource& RecoverySession::Source() {
    if (Current.FileSystem == FileSystemKind::Ntfs) {
        return ntfsSource_;
    }
    return fatSource_;
}

} // namespace quorvane
