#include "app/DialogParts.h"

#include "app/Artwork.h"
#include "app/Theme.h"
#include "ui/controls/BitmapButton.h"
#include "ui/controls/CTransparentStatic2.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace quorvane::app {

ui::CTransparentStatic2* DialogText(QWidget* parent, const QString& text, const QFont& font,
                                    const QColor& color) {
    auto* label = new ui::CTransparentStatic2(text, parent);
    label->SetTextColor(color);
    label->setFont(font);
    label->setWordWrap(true);
    return label;
}

ui::BitmapButton* DialogButton(QWidget* parent, const QString& art, const QString& caption,
                               const QString& tooltip) {
    auto* button = new ui::BitmapButton(parent);
    const Artwork::ButtonArt pictures = Artwork::Button(art);
    button->SetBitmaps(pictures.normal, pictures.pressed);
    button->setText(caption);
    button->SetTooltip(tooltip);
    button->SetCaptionFont(Theme::UiFont(12, true));
    return button;
}

QBoxLayout* LayOutPictureAndTexts(QWidget* dialog, QWidget* picture, const QList<QWidget*>& texts,
                                  const QList<QWidget*>& buttons, int textSpacing) {
    auto* column = new QVBoxLayout;
    column->setSpacing(textSpacing);
    for (QWidget* text : texts) {
        column->addWidget(text);
    }
    auto* top = new QHBoxLayout;
    top->setSpacing(22);
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addLayout(column, 1);
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    row->addStretch();
    for (QWidget* button : buttons) {
        row->addWidget(button);
    }
    auto* outer = new QVBoxLayout(dialog);
    outer->setContentsMargins(28, 28, 28, 22);
    outer->setSpacing(20);
    outer->addLayout(top);
    outer->addLayout(row);
    return outer;
}

} // namespace quorvane::app
