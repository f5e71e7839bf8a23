#include "ui/controls/SkinnedDialog.h"

#include <QPainter>

#include <algorithm>

namespace quorvane::ui {

SkinnedDialog::SkinnedDialog(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags) {}

SkinnedDialog::~SkinnedDialog() = default;

void SkinnedDialog::SetBackground(const QString& path, int mode) {
    background_ = std::make_unique<SkinImage>(path);
    if (background_->IsNull()) {
        background_.reset();
    }
    SetBackgroundMode(mode);
    update();
}

void SkinnedDialog::SetBackgroundMode(int mode) {
    if (mode >= kTile && mode <= kStretch) {
        mode_ = mode;
        update();
    }
}

void SkinnedDialog::paintEvent(QPaintEvent* event) {
    if (!HasBackground()) {
        QDialog::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const qreal dpr = devicePixelRatioF();
    const QRect area = rect();
    switch (mode_) {
    case kStretch:
        // Drawn at the window's size rather than scaled, so an SVG stays sharp.
        painter.drawPixmap(0, 0, background_->Pixmap(area.size(), dpr));
        break;
    case kCenter: {
        const QSize size = background_->Size();
        painter.fillRect(area, palette().window());
        const int x = std::max(0, (area.width() - size.width()) / 2);
        const int y = std::max(0, (area.height() - size.height()) / 2);
        painter.drawPixmap(x, y, background_->Pixmap(dpr));
        break;
    }
    default:
        painter.drawTiledPixmap(area, background_->Pixmap(dpr));
        break;
    }
}

} // namespace quorvane::ui
