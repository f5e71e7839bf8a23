#include "app/AboutDialog.h"

#include "app/Artwork.h"
#include "app/Theme.h"
#include "ui/controls/AnimationControl.h"
#include "ui/controls/BitmapButton.h"
#include "ui/controls/CTransparentStatic2.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace quorvane::app {

AboutDialog::AboutDialog(QWidget* parent)
    : SkinnedDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("About Quorvane"));
    SetBackground(Artwork::kAboutBackground, kStretch);
    setModal(true);

    auto* icon = new ui::AnimationControl(this);
    icon->SetBackgroundColor(QColor());
    icon->setFixedSize(96, 96);
    icon->Load(Artwork::kAppIcon);

    const auto label = [this](const QString& text, const QFont& font, const QColor& color) {
        auto* item = new ui::CTransparentStatic2(text, this);
        item->SetTextColor(color);
        item->setFont(font);
        item->setWordWrap(true);
        return item;
    };
    auto* name = label(QStringLiteral("Quorvane"), Theme::UiFont(26, true), Qt::white);
    auto* version = label(QStringLiteral("Data Recovery Wizard, version " QUORVANE_VERSION),
                          Theme::UiFont(13), QColor(0xcf, 0xe3, 0xee));
    auto* what = label(QStringLiteral("Recovers files from FAT12, FAT16, FAT32 and NTFS volumes, "
                                      "deleted ones included, from disks and disk images whose "
                                      "partitions or folders were lost."),
                       Theme::UiFont(12), Qt::white);
    auto* promise = label(QStringLiteral("Disks are read sector by sector and never written to."),
                          Theme::UiFont(12, true), Theme::kAccentLight);

    auto* ok = new ui::BitmapButton(this);
    const Artwork::ButtonArt art = Artwork::Button(QStringLiteral("ok"));
    ok->SetBitmaps(art.normal, art.pressed);
    ok->setText(QStringLiteral("OK"));
    ok->SetTooltip(QStringLiteral("OK"));
    connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(8);
    texts->addWidget(name);
    texts->addWidget(version);
    texts->addSpacing(8);
    texts->addWidget(what);
    texts->addWidget(promise);
    auto* top = new QHBoxLayout;
    top->setSpacing(22);
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(28, 30, 28, 22);
    column->setSpacing(22);
    column->addLayout(top);
    column->addWidget(ok, 0, Qt::AlignRight);
    setFixedSize(460, 300);
    ok->setFocus();
}

} // namespace quorvane::app
