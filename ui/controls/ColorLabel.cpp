#include "ui/controls/ColorLabel.h"

namespace quorvane::ui {

ColorLabel::ColorLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent), background_(palette().color(QPalette::Button)) {
    setAutoFillBackground(true);
    ApplyColors();
}

void ColorLabel::SetBackgroundColor(const QColor& color) {
    background_ = color;
    ApplyColors();
    repaint();
}

void ColorLabel::SetTextColor(const QColor& color) {
    text_ = color;
    ApplyColors();
    repaint();
}

void ColorLabel::ApplyColors() {
    QPalette colors = palette();
    colors.setColor(QPalette::Window, background_);
    colors.setColor(QPalette::WindowText, text_);
    setPalette(colors);
}

} // namespace quorvane::ui
