#pragma once

#include "ui/controls/SkinImage.h"

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QPoint>

#include <array>
#include <memory>
#include <optional>

namespace quorvane::ui {

// A push button drawn from one to three pictures: 0 normal, 1 pressed,
// 2 disabled, all drawn at the size of the first. The caption (empty by
// default) is drawn over the picture; a hovered button is lightened and a
// focused one gets a ring, so the pictures need no states of their own for
// those.
class BitmapButton : public QAbstractButton {
    Q_OBJECT
public:
    enum Image : int { kNormal = 0, kPressed = 1, kDisabled = 2 };

    explicit BitmapButton(QWidget* parent = nullptr);
    ~BitmapButton() override;

    // Drops the old pictures and loads the new ones (an empty path: none).
    // Without a normal picture no picture is set and false is returned. The
    // button takes the size of the normal picture.
    bool SetBitmaps(const QString& normal, const QString& pressed = QString(),
                    const QString& disabled = QString());
    void SetTooltip(const QString& text, bool activate = true);
    // The caption's colours; white on both by default.
    void SetTextColors(const QColor& normal, const QColor& disabled);
    // Centred on one line by default.
    void SetTextAlignment(Qt::Alignment alignment) {
        alignment_ = alignment;
        update();
    }
    // A fixed top-left position for the caption; (-1, -1) puts it back into
    // the alignment.
    void SetTextPosition(QPoint position) {
        textPosition_ = position;
        update();
    }
    void SetCaptionFont(const QFont& font);

    int ImageCount() const { return imageCount_; }
    bool HasBitmaps() const { return imageCount_ > 0; }
    // The picture the button's state draws: disabled shows the third picture
    // when there are three, pressed the second when there are two or more,
    // everything else the first.
    int CurrentImage() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    std::array<std::unique_ptr<SkinImage>, 3> images_;
    int imageCount_ = 0;
    QColor textColor_ = Qt::white;
    QColor disabledTextColor_ = Qt::white;
    Qt::Alignment alignment_ = Qt::AlignCenter;
    QPoint textPosition_{-1, -1};
    std::optional<QFont> captionFont_;
    bool hovered_ = false;
};

} // namespace quorvane::ui
