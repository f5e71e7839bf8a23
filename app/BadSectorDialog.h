#pragma once

#include "engine/core/UserInterface.h"
#include "ui/controls/SkinnedDialog.h"

class QAbstractButton;

namespace quorvane::app {

// "Bad Sector Encountered": Retry (the default), Skip (also Esc and the close
// box), Retry All, Skip All.
class BadSectorDialog : public ui::SkinnedDialog {
    Q_OBJECT
public:
    explicit BadSectorDialog(QWidget* parent = nullptr);
    // Shows the dialog modally and returns the answer.
    BadSectorChoice Ask();

protected:
    // Enter presses the focused button, else Retry.
    void keyPressEvent(QKeyEvent* event) override;

private:
    BadSectorChoice choice_ = BadSectorChoice::Skip;
    QAbstractButton* retry_ = nullptr;
};

} // namespace quorvane::app
