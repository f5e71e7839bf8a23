#include "ui/controls/AnimationControl.h"

#include <QBuffer>
#include <QFile>
#include <QMovie>
#include <QPainter>
#include <QSvgRenderer>

namespace quorvane::ui {

namespace {

// "GIF87a" or "GIF89a" and room for the logical screen descriptor.
bool IsGif(const QByteArray& data) {
    return data.size() >= 13 && (data.startsWith("GIF87a") || data.startsWith("GIF89a"));
}

QSize GifScreenSize(const QByteArray& data) {
    const auto byte = [&data](int i) { return static_cast<unsigned char>(data[i]); };
    return {byte(6) | (byte(7) << 8), byte(8) | (byte(9) << 8)};
}

} // namespace

AnimationControl::AnimationControl(QWidget* parent)
    : QWidget(parent), background_(palette().color(QPalette::Window)) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &AnimationControl::ShowNextFrame);
}

AnimationControl::~AnimationControl() {
    Stop();
}

void AnimationControl::Clear() {
    Stop();
    movie_.reset();
    buffer_.reset();
    svg_.reset();
    still_ = QPixmap();
    pictureSize_ = QSize();
    data_.clear();
}

bool AnimationControl::Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Clear();
        update();
        return false;
    }
    return LoadFromData(file.readAll());
}

bool AnimationControl::LoadFromData(const QByteArray& data) {
    Clear();
    data_ = data;
    if (IsGif(data_)) {
        buffer_ = std::make_unique<QBuffer>(&data_);
        buffer_->open(QIODevice::ReadOnly);
        auto movie = std::make_unique<QMovie>(buffer_.get(), QByteArray("gif"));
        movie->setCacheMode(QMovie::CacheAll);
        if (movie->isValid() && movie->frameCount() > 1) {
            movie->jumpToFrame(0);
            pictureSize_ = GifScreenSize(data_);
            if (pictureSize_.isEmpty()) {
                pictureSize_ = movie->currentImage().size();
            }
            movie_ = std::move(movie);
        } else {
            movie.reset();
            buffer_.reset();
        }
    }
    if (!movie_) {
        auto svg = std::make_unique<QSvgRenderer>(data_);
        if (svg->isValid()) {
            pictureSize_ = svg->defaultSize();
            svg_ = std::move(svg);
        } else if (still_.loadFromData(data_)) {
            pictureSize_ = still_.deviceIndependentSize().toSize();
        }
    }
    updateGeometry();
    update();
    return !pictureSize_.isEmpty();
}

int AnimationControl::FrameCount() const {
    if (movie_) {
        return movie_->frameCount();
    }
    return pictureSize_.isEmpty() ? 0 : 1;
}

int AnimationControl::CurrentFrame() const {
    return movie_ ? movie_->currentFrameNumber() : 0;
}

void AnimationControl::Start() {
    if (!movie_ || timer_.isActive()) {
        return;
    }
    const int delay = movie_->nextFrameDelay();
    timer_.start(delay <= kShortDelayMs ? kShortDelayShownMs : delay);
}

void AnimationControl::Stop() {
    timer_.stop();
}

void AnimationControl::ShowNextFrame() {
    if (!movie_) {
        return;
    }
    if (!movie_->jumpToNextFrame()) {
        movie_->jumpToFrame(0); // after the last frame the picture starts again
    }
    update();
    emit FrameShown(movie_->currentFrameNumber());
    const int delay = movie_->nextFrameDelay();
    timer_.start(delay <= kShortDelayMs ? kShortDelayShownMs : delay);
}

void AnimationControl::SetBackgroundColor(const QColor& color) {
    background_ = color;
    update();
}

QSize AnimationControl::sizeHint() const {
    return pictureSize_.isEmpty() ? QSize(32, 32) : pictureSize_;
}

void AnimationControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (background_.isValid()) {
        painter.fillRect(rect(), background_);
    }
    if (movie_) {
        painter.drawImage(QPoint(0, 0), movie_->currentImage());
    } else if (svg_) {
        // A drawing is sharp at any size: one larger than the control is
        // fitted into it instead of being cut off.
        QSizeF size(pictureSize_);
        if (size.width() > width() || size.height() > height()) {
            size.scale(QSizeF(this->size()), Qt::KeepAspectRatio);
        }
        painter.setRenderHint(QPainter::Antialiasing);
        svg_->render(&painter, QRectF(QPointF(0, 0), size));
    } else if (!still_.isNull()) {
        painter.drawPixmap(QPoint(0, 0), still_);
    }
}

} // namespace quorvane::ui
