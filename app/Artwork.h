#pragma once

#include <QIcon>
#include <QList>
#include <QString>

namespace quorvane::app {

// The wizard's pictures (app/resources, drawn by scripts/make-artwork.py) by
// the role the windows give them.
namespace Artwork {

inline const QString kMainBackground = QStringLiteral(":/backgrounds/main.svg");
inline const QString kDialogBackground = QStringLiteral(":/backgrounds/dialog.svg");
inline const QString kSettingsBackground = QStringLiteral(":/backgrounds/settings.svg");
inline const QString kAboutBackground = QStringLiteral(":/backgrounds/about.svg");
inline const QString kSplash = QStringLiteral(":/splash.svg");
inline const QString kNoticePicture = QStringLiteral(":/notice.svg");
inline const QString kAppIcon = QStringLiteral(":/icons/quorvane.svg");
inline const QString kMark = QStringLiteral(":/icons/mark.svg");

// A button's pictures: normal, pressed and (for some) disabled.
struct ButtonArt {
    QString normal;
    QString pressed;
    QString disabled;
};
// "next" -> :/buttons/next.svg, next-pressed.svg and, when `withDisabled`,
// next-disabled.svg.
ButtonArt Button(const QString& name, bool withDisabled = false);

// The folder tree's eight images: 0 file system, 1 disk or partition, 2 the
// root of every step, 3 folder, 4 deleted folder, 5 lost folder, 6 floppy,
// 7 the current folder.
QList<QIcon> TreeImages();
inline constexpr int kTreeImageCount = 8;
// The check-box states: 0 none, 1 unchecked, 2 checked, 3 partly checked.
QList<QIcon> StateImages();
inline constexpr int kStateImageCount = 4;
inline constexpr int kStateImageSize = 13;
// MainList's icons by the image index of the listings' type tables (4 Word,
// 5 PowerPoint, 3 Excel, 15 PDF, 7 program, 8 and 9 font and source, 2
// archive, 12 web, 13 help, 16 registry, 17 sound, 18 video, 11 header,
// 20 text, 19 any other file), with 0 folder, 1 details, 6 picture, 10
// deleted file and 14 data for rows of their own.
QList<QIcon> ListIcons();
inline constexpr int kListIconCount = 21;

QIcon AppIcon();

} // namespace Artwork

} // namespace quorvane::app
