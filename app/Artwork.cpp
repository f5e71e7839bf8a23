#include "app/Artwork.h"

#include <QDir>

namespace quorvane::app::Artwork {

namespace {

// The files of one folder of the resources, in name order (the names begin
// with their index).
QList<QIcon> IconsOf(const QString& folder, int expected) {
    const QStringList names =
        QDir(folder).entryList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name);
    QList<QIcon> icons;
    for (const QString& name : names) {
        icons.push_back(QIcon(folder + QLatin1Char('/') + name));
    }
    while (icons.size() < expected) {
        icons.push_back(QIcon());
    }
    return icons;
}

} // namespace

ButtonArt Button(const QString& name, bool withDisabled) {
    const QString base = QStringLiteral(":/buttons/") + name;
    return {base + QStringLiteral(".svg"), base + QStringLiteral("-pressed.svg"),
            withDisabled ? base + QStringLiteral("-disabled.svg") : QString()};
}

QList<QIcon> TreeImages() {
    return IconsOf(QStringLiteral(":/tree"), kTreeImageCount);
}

QList<QIcon> StateImages() {
    return IconsOf(QStringLiteral(":/state"), kStateImageCount);
}

QList<QIcon> ListIcons() {
    return IconsOf(QStringLiteral(":/list"), kListIconCount);
}

QIcon AppIcon() {
    return QIcon(kAppIcon);
}

} // namespace quorvane::app::Artwork
