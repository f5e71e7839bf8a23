#include "app/NoticeDialog.h"

#include "app/Artwork.h"
#include "app/DialogParts.h"
#include "app/Theme.h"
#include "ui/controls/AnimationControl.h"
#include "ui/controls/BitmapButton.h"
#include "ui/controls/CTransparentStatic2.h"

#include <QBoxLayout>

namespace quorvane::app {

NoticeDialog::NoticeDialog(QWidget* parent)
    : SkinnedDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Tessik Vista Check"));
    SetBackground(Artwork::kDialogBackground, kStretch);
    setModal(true);

    const auto label = [this](const QString& text, const QFont& font) {
        return DialogText(this, text, font);
    };
    auto* picture = new ui::AnimationControl(this);
    picture->Load(Artwork::kNoticePicture);
    picture->SetBackgroundColor(QColor());
    picture->setFixedSize(picture->PictureSize());

    auto* greeting = label(QStringLiteral("Dear Quorvane user,"), Theme::UiFont(15, true));
    auto* intro =
        label(QStringLiteral("Currently you are using Windows Vista Oprating System, We recommend  "
                             "you  that  before procedding next please  uncheck the User Account "
                             "Check (UAC) from your control panel.\n\nTo disable User Account "
                             "Control (UAC) follow the instructions:"),
              Theme::UiFont(12));
    auto* steps = label(QStringLiteral("Open Control Panel >>Switch to Classic View >>Click on  "
                                       "User Accounts >>Click on Turn User Account Control on or "
                                       "off >>Uncheck Use User Account Control (UAC) to protect "
                                       "your computer"),
                        Theme::UiFont(12, true));
    steps->SetTextColor(Theme::kAccentLight);
    auto* closing = label(QStringLiteral("Once User Access Control (UAC) is disable, Run Orlune "
                                         "Data Recovery.\n\nIf you have already disable the UAC "
                                         "of your windows Vista, Please ignore this message and "
                                         "continue."),
                          Theme::UiFont(12));

    auto* ok = DialogButton(this, QStringLiteral("ok"), QStringLiteral("OK"), QStringLiteral("OK"));
    connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);
    QBoxLayout* column = LayOutPictureAndTexts(
        this, picture, QList<QWidget*>{greeting, intro, steps, closing}, {ok}, 12);
    setFixedWidth(560);
    setFixedHeight(column->totalHeightForWidth(560));
    ok->setFocus();
}

} // namespace quorvane::app
