#include "app/SplashWindow.h"

#include "app/Artwork.h"
#include "app/Theme.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace quorvane::app {

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), picture_(Artwork::kSplash) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(QStringLiteral("Quorvane"));
    setFixedSize(picture_.IsNull() ? QSize(560, 320) : picture_.Size());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void SplashWindow::ShowFor(int milliseconds) {
    show();
    raise();
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    close();
}

void SplashWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_.Pixmap(size(), devicePixelRatioF()));
    painter.setFont(Theme::UiFont(11));
    painter.setPen(QColor(0x9f, 0xb7, 0xca));
    painter.drawText(rect().adjusted(0, 0, -18, -14), Qt::AlignRight | Qt::AlignBottom,
                     QStringLiteral("Version " QUORVANE_VERSION));
}

} // namespace quorvane::app
