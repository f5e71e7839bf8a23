#include "app/Theme.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

namespace quorvane::app::Theme {

QFont UiFont(int pixelSize, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void Apply(QApplication& application) {
    application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    application.setFont(UiFont(12));

    QPalette palette = application.palette();
    palette.setColor(QPalette::Window, QColor(0xee, 0xf2, 0xf6));
    palette.setColor(QPalette::WindowText, kText);
    palette.setColor(QPalette::Base, kPanel);
    palette.setColor(QPalette::AlternateBase, QColor(0xee, 0xf3, 0xf7));
    palette.setColor(QPalette::Text, kText);
    palette.setColor(QPalette::Button, QColor(0xe6, 0xec, 0xf2));
    palette.setColor(QPalette::ButtonText, kText);
    palette.setColor(QPalette::Highlight, kAccent);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, QColor(0x15, 0x31, 0x4d));
    palette.setColor(QPalette::ToolTipText, Qt::white);
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x8a, 0x99, 0xa8));
    application.setPalette(palette);

    application.setStyleSheet(QStringLiteral(R"(
QTreeView, QListView, QTreeWidget {
    background: #f7f9fb;
    border: 1px solid #0b1d2e;
    border-radius: 6px;
    padding: 2px;
    selection-background-color: #2a9d8f;
    selection-color: #ffffff;
}
QTreeView:focus, QTreeWidget:focus, QListView:focus { border: 1px solid #3fb8af; }
QTreeView::item { padding: 2px 0px; }
QHeaderView::section {
    background: #e3eaf0;
    color: #3e5366;
    border: none;
    border-bottom: 1px solid #c8d4de;
    padding: 4px 6px;
    font-weight: bold;
}
QLineEdit, QComboBox {
    background: #f7f9fb;
    border: 1px solid #0b1d2e;
    border-radius: 4px;
    padding: 3px 6px;
    min-height: 18px;
}
QLineEdit:focus, QComboBox:focus { border: 1px solid #3fb8af; }
QLineEdit:disabled, QComboBox:disabled { background: #c9d3dc; color: #5f6f7e; }
QToolTip { border: 1px solid #3fb8af; padding: 4px; }
QMenu { background: #f7f9fb; border: 1px solid #9fb1c2; }
QMenu::item { padding: 5px 22px; }
QMenu::item:selected { background: #2a9d8f; color: #ffffff; }
)"));
}

} // namespace quorvane::app::Theme
