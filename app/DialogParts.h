#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>

class QBoxLayout;
class QWidget;

namespace quorvane::ui {
class BitmapButton;
class CTransparentStatic2;
} // namespace quorvane::ui

namespace quorvane::app {

// The pieces the small dialogs are made of.

// A text over the dialog's picture, wrapped to the dialog's width.
ui::CTransparentStatic2* DialogText(QWidget* parent, const QString& text, const QFont& font,
                                    const QColor& color = Qt::white);
// A skinned button with the pictures `art` (Artwork::Button) and its tooltip.
ui::BitmapButton* DialogButton(QWidget* parent, const QString& art, const QString& caption,
                               const QString& tooltip);
// The picture on the left, the texts beside it, the buttons under them on the
// right. Returns the dialog's outer layout.
QBoxLayout* LayOutPictureAndTexts(QWidget* dialog, QWidget* picture, const QList<QWidget*>& texts,
                                  const QList<QWidget*>& buttons, int textSpacing);

} // namespace quorvane::app
