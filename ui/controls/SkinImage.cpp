#include "ui/controls/SkinImage.h"

#include <QPainter>
#include <QSvgRenderer>

namespace quorvane::ui {

SkinImage::SkinImage(const QString& path) : path_(path) {
    if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        auto renderer = std::make_unique<QSvgRenderer>(path);
        if (renderer->isValid()) {
            size_ = renderer->defaultSize();
            svg_ = std::move(renderer);
        }
        return;
    }
    if (raster_.load(path)) {
        size_ = raster_.deviceIndependentSize().toSize();
    }
}

SkinImage::~SkinImage() = default;

QPixmap SkinImage::Pixmap(QSize logicalSize, qreal dpr) const {
    if (IsNull() || logicalSize.isEmpty()) {
        return {};
    }
    if (dpr <= 0) {
        dpr = 1;
    }
    if (!cached_.isNull() && cachedSize_ == logicalSize && cachedDpr_ == dpr) {
        return cached_;
    }
    const QSize pixels = (QSizeF(logicalSize) * dpr).toSize();
    if (svg_) {
        QPixmap pixmap(pixels);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        svg_->render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
        painter.end();
        cached_ = pixmap;
    } else {
        cached_ = raster_.size() == pixels
                      ? raster_
                      : raster_.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    cached_.setDevicePixelRatio(dpr);
    cachedSize_ = logicalSize;
    cachedDpr_ = dpr;
    return cached_;
}

} // namespace quorvane::ui
