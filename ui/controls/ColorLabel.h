#pragma once

#include <QColor>
#include <QLabel>

namespace quorvane::ui {

// A label with colours of its own: a solid background (the palette's button
// colour until set) and a text colour (black until set).
class ColorLabel : public QLabel {
    Q_OBJECT
public:
    explicit ColorLabel(const QString& text = QString(), QWidget* parent = nullptr);

    // Both take effect at once.
    void SetBackgroundColor(const QColor& color);
    void SetTextColor(const QColor& color);
    QColor BackgroundColor() const { return background_; }
    QColor TextColor() const { return text_; }

private:
    void ApplyColors();

    QColor background_;
    QColor text_ = Qt::black;
};

} // namespace quorvane::ui
