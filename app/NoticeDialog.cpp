#include "app/NoticeDialog.h"

#include "app/Artwork.h"
#include "app/Theme.h"
#include "ui/controls/AnimationControl.h"
#include "ui/controls/BitmapButton.h"
#include "ui/controls/CTransparentStatic2.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace quorvane::app {

NoticeDialog::NoticeDialog(QWidget* parent)
    : SkinnedDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Tessik Vista Check"));
    SetBackground(Artwork::kDialogBackground, kStretch);
    setModal(true);

    const auto label = [this](const QString& text, const QFont& font) {
        auto* item = new ui::CTransparentStatic2(text, this);
        item->SetTextColor(Qt::white);
        item->setFont(font);
        item->setWordWrap(true);
        return item;
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

    auto* ok = new ui::BitmapButton(this);
    const Artwork::ButtonArt art = Artwork::Button(QStringLiteral("ok"));
    ok->SetBitmaps(art.normal, art.pressed);
    ok->setText(QStringLiteral("OK"));
    ok->SetTooltip(QStringLiteral("OK"));
    connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(12);
    texts->addWidget(greeting);
    texts->addWidget(intro);
    texts->addWidget(steps);
    texts->addWidget(closing);
    auto* top = new QHBoxLayout;
    top->setSpacing(20);
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(26, 26, 26, 20);
    column->setSpacing(18);
    column->addLayout(top);
    column->addWidget(ok, 0, Qt::AlignRight);
    setFixedWidth(560);
    setFixedHeight(column->totalHeightForWidth(560));
    ok->setFocus();
}

} // namespace quorvane::app
