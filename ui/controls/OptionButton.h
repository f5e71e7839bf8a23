#pragma once

#include <QAbstractButton>
#include <QColor>

namespace quorvane::ui {

// A radio button or check box drawn over a dialog's picture: transparent (the
// default) or on a solid background of its own, with its own text colour. A
// button that is not clickable ignores keys and left-button presses, so a
// program can show a choice that the user cannot change.
class OptionButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Kind { Radio, CheckBox };

    explicit OptionButton(Kind kind, const QString& text = QString(), QWidget* parent = nullptr);

    Kind ButtonKind() const { return kind_; }
    void SetClickable(bool clickable) { clickable_ = clickable; }
    bool Clickable() const { return clickable_; }
    void SetTransparent(bool transparent);
    bool Transparent() const { return transparent_; }
    void SetBackgroundColor(const QColor& color);
    void SetTextColor(const QColor& color);
    QColor TextColor() const { return textColor_; }
    // Tooltips are wrapped to lines of at most kTooltipWidth pixels.
    void SetTooltip(const QString& text);
    static constexpr int kTooltipWidth = 400;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    QRect IndicatorRect() const;

    Kind kind_;
    bool clickable_ = true;
    bool transparent_ = true;
    QColor background_;
    QColor textColor_;
};

// `text` broken into lines that fit `width` pixels in `metrics` (words are
// kept whole unless one alone is wider).
QString WrapTooltipText(const QString& text, const QFontMetrics& metrics, int width);

} // namespace quorvane::ui
