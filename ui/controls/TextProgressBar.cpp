#include "ui/controls/TextProgressBar.h"

#include <QPainter>

#include <algorithm>
#include <climits>
#include <utility>

namespace quorvane::ui {

TextProgressBar::TextProgressBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize TextProgressBar::sizeHint() const {
    return {200, fontMetrics().height() + 8};
}

TextProgressBar::Range TextProgressBar::SetRange(int minimum, int maximum) {
    const Range old = range_;
    range_ = {minimum, maximum};
    if (minimum < maximum) {
        position_ = std::clamp(position_, minimum, maximum);
    }
    update();
    return old;
}

int TextProgressBar::SetPos(int position) {
    const int old = position_;
    position_ = range_.minimum < range_.maximum
                    ? std::clamp(position, range_.minimum, range_.maximum)
                    : position;
    RefreshIfChanged();
    return old;
}

int TextProgressBar::DeltaPos(int delta) {
    return SetPos(static_cast<int>(
        std::clamp<long long>(static_cast<long long>(position_) + delta, INT_MIN, INT_MAX)));
}

int TextProgressBar::SetStep(int step) {
    return std::exchange(step_, step);
}

int TextProgressBar::StepIt() {
    long long next = static_cast<long long>(position_) + step_;
    if (range_.minimum < range_.maximum && next > range_.maximum) {
        next = range_.minimum + (next - range_.maximum);
    }
    return SetPos(static_cast<int>(std::clamp<long long>(next, INT_MIN, INT_MAX)));
}

QColor TextProgressBar::SetBarColor(const QColor& color) {
    update();
    return std::exchange(bar_, color);
}

QColor TextProgressBar::SetBkColor(const QColor& color) {
    update();
    return std::exchange(background_, color);
}

QColor TextProgressBar::SetTextColor(const QColor& color) {
    update();
    return std::exchange(textColor_, color);
}

bool TextProgressBar::SetShowText(bool show) {
    update();
    return std::exchange(showText_, show);
}

void TextProgressBar::SetText(const QString& text) {
    if (text != text_) {
        text_ = text;
        update();
    }
}

void TextProgressBar::SetVertical(bool vertical) {
    vertical_ = vertical;
    update();
}

int TextProgressBar::Percent() const {
    if (range_.minimum >= range_.maximum) {
        return 0;
    }
    const long long done = static_cast<long long>(position_) - range_.minimum;
    const long long span = static_cast<long long>(range_.maximum) - range_.minimum;
    return static_cast<int>(done * 100 / span);
}

int TextProgressBar::FilledLength() const {
    if (range_.minimum >= range_.maximum) {
        return 0;
    }
    const long long done = static_cast<long long>(position_) - range_.minimum;
    const long long span = static_cast<long long>(range_.maximum) - range_.minimum;
    return static_cast<int>(done * (vertical_ ? height() : width()) / span);
}

QString TextProgressBar::ShownText() const {
    if (range_.minimum >= range_.maximum || vertical_ || !showText_) {
        return {};
    }
    return text_.isEmpty() ? QString::asprintf("%d%%", Percent()) : text_;
}

void TextProgressBar::RefreshIfChanged() {
    // The percentage can change while the filled part keeps its length (a
    // narrow bar), and it is shown too, so either change redraws.
    const bool percentShown = text_.isEmpty() && showText_ && !vertical_;
    if (FilledLength() != drawnLength_ || (percentShown && Percent() != drawnPercent_)) {
        update();
    }
}

void TextProgressBar::resizeEvent(QResizeEvent* event) {
    drawnLength_ = -1;
    QWidget::resizeEvent(event);
}

void TextProgressBar::paintEvent(QPaintEvent*) {
    if (range_.minimum >= range_.maximum) {
        return;
    }
    // The widget is painted into the window's back buffer and shown in one
    // piece, so the bar never flickers between its two parts.
    QPainter painter(this);
    const QColor bar = bar_.isValid() ? bar_ : palette().color(QPalette::Highlight);
    const QColor background = background_.isValid() ? background_ : palette().color(QPalette::Base);
    const int length = FilledLength();
    const QRect all = rect();
    QRect filled;
    QRect empty;
    if (vertical_) {
        filled = QRect(0, height() - length, width(), length);
        empty = QRect(0, 0, width(), height() - length);
    } else {
        filled = QRect(0, 0, length, height());
        empty = QRect(length, 0, width() - length, height());
    }
    painter.fillRect(filled, bar);
    painter.fillRect(empty, background);
    drawnLength_ = length;
    drawnPercent_ = Percent();

    const QString text = ShownText();
    if (text.isEmpty()) {
        return;
    }
    const int flags = Qt::AlignCenter | Qt::TextSingleLine;
    painter.setClipRect(filled);
    painter.setPen(textColor_.isValid() ? textColor_ : background);
    painter.drawText(all, flags, text);
    painter.setClipRect(empty);
    painter.setPen(textColor_.isValid() ? textColor_ : bar);
    painter.drawText(all, flags, text);
}

} // namespace quorvane::ui
