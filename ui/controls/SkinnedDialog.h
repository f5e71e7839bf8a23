#pragma once

#include "ui/controls/SkinImage.h"

#include <QDialog>

#include <memory>

namespace quorvane::ui {

// A dialog that paints a picture as its background: tiled from the top-left
// corner, centred (at 0 on an axis where the picture is larger) or stretched
// over the whole window. Without a picture it paints its normal background.
class SkinnedDialog : public QDialog {
    Q_OBJECT
public:
    enum Mode : int { kTile = 0, kCenter = 1, kStretch = 2 };

    explicit SkinnedDialog(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~SkinnedDialog() override;

    // A picture that cannot be loaded leaves the dialog without one.
    void SetBackground(const QString& path, int mode = kTile);
    // Modes other than 0, 1 and 2 are ignored.
    void SetBackgroundMode(int mode);
    int BackgroundMode() const { return mode_; }
    bool HasBackground() const { return background_ && !background_->IsNull(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<SkinImage> background_;
    int mode_ = kTile;
};

} // namespace quorvane::ui
