#include "app/BadSectorDialog.h"

#include "app/Artwork.h"
#include "app/DialogParts.h"
#include "app/Theme.h"
#include "ui/controls/BitmapButton.h"
#include "ui/controls/CTransparentStatic2.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace quorvane::app {

BadSectorDialog::BadSectorDialog(QWidget* parent)
    : SkinnedDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Bad Sector Encountered"));
    SetBackground(Artwork::kDialogBackground, kStretch);
    setModal(true);

    auto* text = DialogText(this, QStringLiteral("Bad Sector encountered ."), Theme::UiFont(15));

    struct Choice {
        const char* caption;
        const char* art;
        const char* tooltip;
        BadSectorChoice answer;
    };
    const Choice choices[] = {
        {"Retry", "retry", "Retry", BadSectorChoice::Retry},
        {"Skip", "skip", "Skip", BadSectorChoice::Skip},
        {"Retry All", "yes-to-all", "Yes To All", BadSectorChoice::RetryAll},
        {"Skip All", "skip-all", "Skip All", BadSectorChoice::SkipAll},
    };
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    ui::BitmapButton* first = nullptr;
    for (const Choice& choice : choices) {
        auto* button = DialogButton(this, QLatin1String(choice.art), QLatin1String(choice.caption),
                                    QLatin1String(choice.tooltip));
        const BadSectorChoice answer = choice.answer;
        connect(button, &QAbstractButton::clicked, this, [this, answer] {
            choice_ = answer;
            accept();
        });
        row->addWidget(button);
        first = first != nullptr ? first : button;
        if (answer == BadSectorChoice::Retry) {
            retry_ = button;
        }
    }
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(28, 28, 28, 24);
    column->setSpacing(24);
    column->addWidget(text, 0, Qt::AlignHCenter);
    column->addLayout(row);
    setFixedSize(sizeHint());
    if (first != nullptr) {
        first->setFocus();
    }
}

BadSectorChoice BadSectorDialog::Ask() {
    choice_ = BadSectorChoice::Skip; // Esc and the close box answer Skip
    exec();
    return choice_;
}

void BadSectorDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto* focused = qobject_cast<QAbstractButton*>(focusWidget());
        if (focused != nullptr) {
            focused->click();
        } else if (retry_ != nullptr) {
            retry_->click();
        }
        return;
    }
    SkinnedDialog::keyPressEvent(event);
}

} // namespace quorvane::app
