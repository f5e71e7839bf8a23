#include "app/AboutDialog.h"

#include "app/Artwork.h"
#include "app/DialogParts.h"
#include "app/Theme.h"
#include "ui/controls/AnimationControl.h"
#include "ui/controls/BitmapButton.h"
#include "ui/controls/CTransparentStatic2.h"

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

    auto* name = DialogText(this, QStringLiteral("Quorvane"), Theme::UiFont(26, true));
    auto* version =
        DialogText(this, QStringLiteral("Data Recovery Wizard, version " QUORVANE_VERSION),
                   Theme::UiFont(13), QColor(0xcf, 0xe3, 0xee));
    auto* what = DialogText(this,
                            QStringLiteral("Recovers files from FAT12, FAT16, FAT32 and NTFS "
                                           "volumes, deleted ones included, from disks and disk "
                                           "images whose partitions or folders were lost."),
                            Theme::UiFont(12));
    auto* promise =
        DialogText(this, QStringLiteral("Disks are read sector by sector and never written to."),
                   Theme::UiFont(12, true), Theme::kAccentLight);
    auto* ok = DialogButton(this, QStringLiteral("ok"), QStringLiteral("OK"), QStringLiteral("OK"));
    connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);
    LayOutPictureAndTexts(this, icon, QList<QWidget*>{name, version, what, promise}, {ok}, 8);
    setFixedSize(460, 300);
    ok->setFocus();
}

} // namespace quorvane::app
