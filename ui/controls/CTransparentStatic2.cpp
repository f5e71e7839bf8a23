#include "ui/controls/CTransparentStatic2.h"

namespace quorvane::ui {

CTransparentStatic2::CTransparentStatic2(const QString& text, QWidget* parent)
    : QLabel(text, parent) {
    // Transparent means: no background of its own and not opaque, so the
    // backing store repaints the parent under the label before the label.
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAttribute(Qt::WA_NoSystemBackground, false);
    setTextFormat(Qt::PlainText);
}

void CTransparentStatic2::SetText(const QString& text) {
    if (text == this->text()) {
        return;
    }
    setText(text);
    repaint();
}

void CTransparentStatic2::SetTextColor(const QColor& color) {
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, color);
    setPalette(colors);
    update();
}

} // namespace quorvane::ui
