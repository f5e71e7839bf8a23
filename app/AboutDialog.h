#pragma once

#include "ui/controls/SkinnedDialog.h"

namespace quorvane::app {

// "About Quorvane": the program's name, version and what it does.
class AboutDialog : public ui::SkinnedDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

} // namespace quorvane::app
