#include "ui/controls/BitmapButton.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

namespace quorvane::ui {

BitmapButton::BitmapButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
}

BitmapButton::~BitmapButton() = default;

bool BitmapButton::SetBitmaps(const QString& normal, const QString& pressed,
                              const QString& disabled) {
    for (auto& image : images_) {
        image.reset();
    }
    imageCount_ = 0;
    auto first = std::make_unique<SkinImage>(normal);
    if (!first->IsNull()) {
        images_[kNormal] = std::move(first);
        imageCount_ = 1;
        // The pictures are counted the way they are given: a missing pressed
        // picture leaves the disabled one as the second of two.
        for (const QString& path : {pressed, disabled}) {
            if (path.isEmpty()) {
                continue;
            }
            auto image = std::make_unique<SkinImage>(path);
            if (!image->IsNull()) {
                images_[imageCount_++] = std::move(image);
            }
        }
        setFixedSize(images_[kNormal]->Size());
    }
    updateGeometry();
    update();
    return imageCount_ > 0;
}

void BitmapButton::SetTooltip(const QString& text, bool activate) {
    setToolTip(activate ? text : QString());
}

void BitmapButton::SetTextColors(const QColor& normal, const QColor& disabled) {
    textColor_ = normal;
    disabledTextColor_ = disabled;
    update();
}

void BitmapButton::SetCaptionFont(const QFont& font) {
    captionFont_ = font;
    update();
}

int BitmapButton::CurrentImage() const {
    if (!isEnabled()) {
        return imageCount_ == 3 ? kDisabled : kNormal;
    }
    if (isDown() && imageCount_ >= 2) {
        return kPressed;
    }
    return kNormal;
}

QSize BitmapButton::sizeHint() const {
    if (imageCount_ > 0) {
        return images_[kNormal]->Size();
    }
    const QFontMetrics metrics(captionFont_.value_or(font()));
    return {metrics.horizontalAdvance(text()) + 24, metrics.height() + 12};
}

void BitmapButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect area = rect();
    const qreal dpr = devicePixelRatioF();

    if (imageCount_ > 0) {
        const QPixmap picture = images_[CurrentImage()]->Pixmap(area.size(), dpr);
        painter.drawPixmap(area.topLeft(), picture);
        if (hovered_ && isEnabled() && !isDown()) {
            // Lighten only where the picture has paint, so a rounded picture
            // keeps its shape.
            QPixmap light(picture.size());
            light.setDevicePixelRatio(dpr);
            light.fill(Qt::transparent);
            QPainter wash(&light);
            wash.drawPixmap(0, 0, picture);
            wash.setCompositionMode(QPainter::CompositionMode_SourceIn);
            wash.fillRect(light.rect(), QColor(255, 255, 255, 40));
            wash.end();
            painter.drawPixmap(area.topLeft(), light);
        }
    } else {
        painter.fillRect(area, palette().button());
    }

    if (hasFocus()) {
        QPen ring(QColor(255, 255, 255, 200), 1.5, Qt::DotLine);
        painter.setPen(ring);
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(area).adjusted(3.5, 3.5, -3.5, -3.5), 4, 4);
    }

    if (text().isEmpty()) {
        return;
    }
    if (captionFont_) {
        painter.setFont(*captionFont_);
    }
    painter.setPen(isEnabled() ? textColor_ : disabledTextColor_);
    const int flags = Qt::TextSingleLine | Qt::TextShowMnemonic;
    if (textPosition_.x() >= 0 && textPosition_.y() >= 0) {
        const QRect from(textPosition_, area.bottomRight());
        painter.drawText(from, flags | Qt::AlignLeft | Qt::AlignTop, text());
    } else {
        QRect box = area;
        if (isDown()) {
            box.translate(0, 1);
        }
        painter.drawText(box, flags | static_cast<int>(alignment_), text());
    }
}

void BitmapButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        update();
    }
    QAbstractButton::changeEvent(event);
}

void BitmapButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void BitmapButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

} // namespace quorvane::ui
