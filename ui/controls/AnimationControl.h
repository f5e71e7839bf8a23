#pragma once

#include <QByteArray>
#include <QColor>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <memory>

class QBuffer;
class QMovie;
class QSvgRenderer;

namespace quorvane::ui {

// Shows a picture: a GIF with more than one frame is animated, anything else
// (a single-frame GIF, PNG, SVG ...) is shown still. Frames are drawn from
// the top-left corner over the control's background colour (the palette's
// window colour until set; an invalid colour leaves the parent visible).
class AnimationControl : public QWidget {
    Q_OBJECT
public:
    explicit AnimationControl(QWidget* parent = nullptr);
    ~AnimationControl() override;

    // From a file or a Qt resource path; false when it holds no picture.
    bool Load(const QString& path);
    bool LoadFromData(const QByteArray& data);
    void Start();
    void Stop();

    bool IsAnimated() const { return movie_ != nullptr; }
    bool IsRunning() const { return timer_.isActive(); }
    int FrameCount() const;
    int CurrentFrame() const;
    // The picture's size in device-independent pixels (the GIF's logical screen).
    QSize PictureSize() const { return pictureSize_; }
    void SetBackgroundColor(const QColor& color);

    QSize sizeHint() const override;

    // Frames whose delay is this short or shorter are shown this long: such
    // delays come from pictures made for players that never honoured them.
    static constexpr int kShortDelayMs = 40;
    static constexpr int kShortDelayShownMs = 100;

signals:
    void FrameShown(int frame);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Clear();
    void ShowNextFrame();

    QByteArray data_;
    std::unique_ptr<QBuffer> buffer_;
    std::unique_ptr<QMovie> movie_;
    std::unique_ptr<QSvgRenderer> svg_;
    QPixmap still_;
    QSize pictureSize_;
    QColor background_;
    QTimer timer_;
};

} // namespace quorvane::ui
