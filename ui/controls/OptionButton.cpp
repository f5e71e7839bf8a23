#include "ui/controls/OptionButton.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>
#include <QToolTip>

namespace quorvane::ui {

namespace {

constexpr int kIndicator = 16;
constexpr int kSpacing = 8;

} // namespace

QString WrapTooltipText(const QString& text, const QFontMetrics& metrics, int width) {
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        for (const QString& word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (!line.isEmpty() && metrics.horizontalAdvance(candidate) > width) {
                lines.push_back(line);
                line = word;
            } else {
                line = candidate;
            }
        }
        lines.push_back(line);
    }
    return lines.join(QLatin1Char('\n'));
}

OptionButton::OptionButton(Kind kind, const QString& text, QWidget* parent)
    : QAbstractButton(parent), kind_(kind), background_(palette().color(QPalette::Base)),
      textColor_(palette().color(QPalette::Text)) {
    setText(text);
    setCheckable(true);
    setAutoExclusive(kind == Kind::Radio);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
}

void OptionButton::SetTransparent(bool transparent) {
    transparent_ = transparent;
    update();
}

void OptionButton::SetBackgroundColor(const QColor& color) {
    background_ = color;
    update();
}

void OptionButton::SetTextColor(const QColor& color) {
    textColor_ = color;
    update();
}

void OptionButton::SetTooltip(const QString& text) {
    setToolTip(WrapTooltipText(text, QFontMetrics(QToolTip::font()), kTooltipWidth));
}

QSize OptionButton::sizeHint() const {
    const QFontMetrics metrics(font());
    const int textWidth = text().isEmpty() ? 0 : kSpacing + metrics.horizontalAdvance(text());
    return {kIndicator + textWidth + 4, std::max(kIndicator, metrics.height()) + 6};
}

QRect OptionButton::IndicatorRect() const {
    return {1, (height() - kIndicator) / 2, kIndicator, kIndicator};
}

bool OptionButton::hitButton(const QPoint& position) const {
    return rect().contains(position);
}

void OptionButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!transparent_) {
        painter.fillRect(rect(), background_);
    }

    const QRectF box = QRectF(IndicatorRect()).adjusted(0.75, 0.75, -0.75, -0.75);
    const QColor accent(0x3f, 0xb8, 0xaf);
    QColor rim = isEnabled() ? textColor_
                             : QColor(textColor_.red(), textColor_.green(), textColor_.blue(), 110);
    if (underMouse() && isEnabled()) {
        rim = accent;
    }
    painter.setPen(QPen(rim, 1.5));
    painter.setBrush(isChecked() ? QBrush(accent) : QBrush(QColor(255, 255, 255, 28)));
    if (isChecked()) {
        painter.setPen(QPen(accent.darker(115), 1.5));
    }
    if (kind_ == Kind::Radio) {
        painter.drawEllipse(box);
        if (isChecked()) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(Qt::white);
            painter.drawEllipse(box.center(), 3.2, 3.2);
        }
    } else {
        painter.drawRoundedRect(box, 3.5, 3.5);
        if (isChecked()) {
            QPainterPath tick;
            tick.moveTo(box.left() + 3.6, box.center().y() + 0.2);
            tick.lineTo(box.left() + 6.6, box.bottom() - 3.8);
            tick.lineTo(box.right() - 3.2, box.top() + 4.0);
            painter.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(tick);
        }
    }

    const QRect textArea(kIndicator + kSpacing, 0, width() - kIndicator - kSpacing, height());
    QColor ink = textColor_;
    if (!isEnabled()) {
        ink.setAlpha(120);
    }
    painter.setPen(ink);
    painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, text());

    if (hasFocus()) {
        const int advance = QFontMetrics(font()).horizontalAdvance(text());
        const QRectF focus(textArea.left() - 3, 1.5, std::min(advance, textArea.width()) + 6,
                           height() - 3);
        painter.setPen(QPen(QColor(textColor_.red(), textColor_.green(), textColor_.blue(), 170), 1,
                            Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(focus, 3, 3);
    }
}

void OptionButton::keyPressEvent(QKeyEvent* event) {
    if (!clickable_) {
        event->ignore();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void OptionButton::mousePressEvent(QMouseEvent* event) {
    if (!clickable_ && event->button() == Qt::LeftButton) {
        event->ignore();
        return;
    }
    QAbstractButton::mousePressEvent(event);
}

void OptionButton::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!clickable_ && event->button() == Qt::LeftButton) {
        event->ignore();
        return;
    }
    QAbstractButton::mouseDoubleClickEvent(event);
}

} // namespace quorvane::ui
