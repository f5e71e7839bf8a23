#pragma once

#include <QColor>
#include <QFont>

class QApplication;

namespace quorvane::app {

// The wizard's look beyond its pictures: the style, the palette of lists and
// inputs, and the fonts.
namespace Theme {

inline const QColor kText = QColor(0x1c, 0x2b, 0x39);
inline const QColor kAccent = QColor(0x2a, 0x9d, 0x8f);
inline const QColor kAccentLight = QColor(0x3f, 0xb8, 0xaf);
inline const QColor kPanel = QColor(0xf7, 0xf9, 0xfb);
inline const QColor kTrack = QColor(0xe3, 0xea, 0xf0);
inline const QColor kMuted = QColor(0xa9, 0xbf, 0xd1);

void Apply(QApplication& application);
// The system's Arial where it is installed, else a close match.
QFont UiFont(int pixelSize, bool bold = false);

} // namespace Theme

} // namespace quorvane::app
