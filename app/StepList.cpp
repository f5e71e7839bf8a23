#include "app/StepList.h"

#include "app/Theme.h"

#include <QPainter>
#include <QPainterPath>

namespace quorvane::app {

namespace {

constexpr int kRowHeight = 58;
constexpr int kBadge = 26;

} // namespace

StepList::StepList(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

const QStringList& StepList::Titles() {
    static const QStringList titles = {QStringLiteral("Disk and search type"),
                                       QStringLiteral("Partition or range"),
                                       QStringLiteral("Search"), QStringLiteral("Browse and save")};
    return titles;
}

void StepList::SetCurrent(int step) {
    current_ = step;
    update();
}

QSize StepList::sizeHint() const {
    return {190, kRowHeight * static_cast<int>(Titles().size())};
}

void StepList::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QStringList& titles = Titles();
    for (int i = 0; i < titles.size(); ++i) {
        const int top = i * kRowHeight;
        const QRectF badge(2, top + 2, kBadge, kBadge);
        // The line that joins a badge to the next one.
        if (i + 1 < titles.size()) {
            painter.setPen(QPen(QColor(255, 255, 255, i < current_ ? 110 : 40), 2));
            painter.drawLine(QPointF(badge.center().x(), badge.bottom() + 4),
                             QPointF(badge.center().x(), top + kRowHeight - 2));
        }
        const bool done = i < current_;
        const bool now = i == current_;
        painter.setPen(now    ? QPen(Theme::kAccentLight, 2)
                       : done ? QPen(QColor(255, 255, 255, 120), 1.5)
                              : QPen(QColor(255, 255, 255, 70), 1.5));
        painter.setBrush(now ? QBrush(Theme::kAccent)
                             : QBrush(QColor(255, 255, 255, done ? 40 : 12)));
        painter.drawEllipse(badge);
        if (done) {
            QPainterPath tick;
            tick.moveTo(badge.left() + 8, badge.center().y() + 0.5);
            tick.lineTo(badge.left() + 11.5, badge.center().y() + 4);
            tick.lineTo(badge.right() - 7.5, badge.center().y() - 4);
            painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(tick);
        } else {
            painter.setPen(now ? Qt::white : QColor(255, 255, 255, 150));
            painter.setFont(Theme::UiFont(12, true));
            painter.drawText(badge, Qt::AlignCenter, QString::number(i + 1));
        }
        painter.setFont(Theme::UiFont(13, now));
        painter.setPen(now ? Qt::white : QColor(255, 255, 255, done ? 190 : 130));
        painter.drawText(QRectF(kBadge + 14, top + 2, width() - kBadge - 14, kBadge),
                         Qt::AlignLeft | Qt::AlignVCenter, titles[i]);
    }
}

} // namespace quorvane::app
