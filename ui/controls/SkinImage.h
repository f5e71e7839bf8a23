#pragma once

#include <QHash>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <memory>

class QSvgRenderer;

namespace quorvane::ui {

// One picture of the skin: an SVG drawn at the screen's pixel ratio (sharp on
// HiDPI screens) or a raster image. Loaded from a file or a Qt resource path;
// a picture that cannot be loaded is simply not there (IsNull).
class SkinImage {
public:
    SkinImage() = default;
    explicit SkinImage(const QString& path);
    ~SkinImage();
    SkinImage(const SkinImage&) = delete;
    SkinImage& operator=(const SkinImage&) = delete;

    bool IsNull() const { return size_.isEmpty(); }
    const QString& Path() const { return path_; }
    // The picture's own size in device-independent pixels.
    QSize Size() const { return size_; }

    // The picture drawn at `logicalSize` for a screen of pixel ratio `dpr`;
    // kept until asked for another size or ratio.
    QPixmap Pixmap(QSize logicalSize, qreal dpr) const;
    QPixmap Pixmap(qreal dpr) const { return Pixmap(size_, dpr); }

private:
    QString path_;
    QSize size_;
    std::unique_ptr<QSvgRenderer> svg_;
    QPixmap raster_;
    mutable QPixmap cached_;
    mutable QSize cachedSize_;
    mutable qreal cachedDpr_ = 0;
};

} // namespace quorvane::ui
