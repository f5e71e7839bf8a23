#pragma once

#include "ui/controls/SkinImage.h"

#include <QWidget>

namespace quorvane::app {

// The picture shown while the program starts: no caption, centred on the
// screen.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(QWidget* parent = nullptr);

    // Shows the window for `milliseconds` while the event loop runs (the
    // window keeps painting and timers fire), then closes it.
    void ShowFor(int milliseconds);

    static constexpr int kDurationMs = 2000;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ui::SkinImage picture_;
};

} // namespace quorvane::app
