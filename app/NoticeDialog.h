#pragma once

#include "platform/SystemInfo.h"
#include "ui/controls/SkinnedDialog.h"

#include <optional>

namespace quorvane::app {

// The notice for users of the Windows release whose major version is 6.
class NoticeDialog : public ui::SkinnedDialog {
    Q_OBJECT
public:
    explicit NoticeDialog(QWidget* parent = nullptr);

    // Only that release gets the notice; a system that cannot be asked does not.
    static bool Required(const std::optional<platform::OsVersionInfo>& os) {
        return os && os->majorVersion == 6;
    }
};

} // namespace quorvane::app
