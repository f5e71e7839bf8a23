#pragma once

#include <QColor>
#include <QLabel>

namespace quorvane::ui {

// A label that lets its parent's picture show through. It paints nothing but
// its text, and the parent is painted under it on every update, so a new text
// never leaves the old one behind.
class CTransparentStatic2 : public QLabel {
    Q_OBJECT
public:
    explicit CTransparentStatic2(const QString& text = QString(), QWidget* parent = nullptr);

    // Replaces the text and redraws at once.
    void SetText(const QString& text);
    void SetTextColor(const QColor& color);
    QColor TextColor() const { return palette().color(QPalette::WindowText); }
};

} // namespace quorvane::ui
