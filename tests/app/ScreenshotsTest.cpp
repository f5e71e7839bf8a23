#include "app/AboutDialog.h"
#include "app/Artwork.h"
#include "app/BadSectorDialog.h"
#include "app/MainWindow.h"
#include "app/NoticeDialog.h"
#include "app/SplashWindow.h"
#include "app/Theme.h"
#include "tests/app/AppTestSupport.h"
#include "ui/controls/BitmapButton.h"
#include "ui/controls/CTransparentStatic2.h"
#include "ui/controls/OptionButton.h"
#include "ui/controls/SkinnedDialog.h"
#include "ui/controls/TextProgressBar.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace quorvane;
using namespace quorvane::app;

namespace {

// Screenshots go to the build tree; with QT_SCALE_FACTOR=2 they are the
// HiDPI renders, named with "@2x".
QString ShotPath(const QString& name) {
    QDir().mkpath(QStringLiteral(QUORVANE_SCREENSHOT_DIR));
    const QString suffix = qEnvironmentVariable("QUORVANE_SCREENSHOT_SUFFIX");
    return QStringLiteral(QUORVANE_SCREENSHOT_DIR "/%1%2.png").arg(name, suffix);
}

void Shoot(QWidget& widget, const QString& name) {
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    QCoreApplication::processEvents();
    const QPixmap shot = widget.grab();
    QCOMPARE(shot.deviceIndependentSize().toSize(), widget.size());
    QVERIFY(shot.save(ShotPath(name)));
}

ui::CTransparentStatic2* Caption(const QString& text, QWidget* parent, int size = 12) {
    auto* label = new ui::CTransparentStatic2(text, parent);
    label->SetTextColor(Qt::white);
    label->setFont(Theme::UiFont(size, size > 12));
    return label;
}

} // namespace

class ScreenshotsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Theme::Apply(*qApp); }
    void Splash();
    void MainWindowPages();
    void Dialogs();
    void ControlGallery();
};

void ScreenshotsTest::Splash() {
    SplashWindow splash;
    Shoot(splash, QStringLiteral("splash"));
}

void ScreenshotsTest::MainWindowPages() {
    test::TestServices services;
    MainWindow window(services.Services(), StartOptions{true, {{test::DemoImage(), false}}});
    QVERIFY(window.Initialise());
    const MainWindowControls& c = window.Controls();
    // The first step as a user sees it after choosing the demo disk.
    const QList<QTreeWidgetItem*> disks =
        c.tree->findItems(QStringLiteral("Disk0"), Qt::MatchExactly | Qt::MatchRecursive);
    QVERIFY(!disks.isEmpty());
    c.tree->setCurrentItem(disks.front());
    c.standard->setChecked(true);
    c.next->setEnabled(true);
    Shoot(window, QStringLiteral("main-window"));

    // The pages the later steps fill, with sample values, to check the layout.
    window.ShowPage(WizardPage::PartitionChoice);
    window.SetStep(1);
    c.start->setText(QStringLiteral("2048"));
    c.end->setText(QStringLiteral("68640"));
    c.back->setEnabled(true);
    Shoot(window, QStringLiteral("page-partition"));

    window.ShowPage(WizardPage::Search);
    window.SetStep(2);
    const std::map<int, QString> values = {
        {1189, QStringLiteral("Disk0")}, {1191, QStringLiteral("2048 To 68639")},
        {1193, QStringLiteral("FAT32")}, {1199, QStringLiteral("Standard")},
        {1197, QStringLiteral("17")},    {1195, QStringLiteral("0")}};
    for (const auto& [id, text] : values) {
        c.searchTexts.at(id)->SetText(text);
    }
    c.progress->SetPos(62);
    c.progress->SetText(QStringLiteral("62% Completed"));
    c.status->SetText(QStringLiteral("Searching Lost Directories. Please Wait..."));
    c.back->setEnabled(false);
    c.next->setEnabled(false);
    window.SetHint(QStringLiteral("Please wait, revovery process is going on. You can stop this "
                                  "process by pressing Stop Search button at any moment but we "
                                  "recommended you that complete the whole process."));
    Shoot(window, QStringLiteral("page-search"));

    window.ShowPage(WizardPage::RawRecovery);
    window.SetStep(1);
    c.entireDisk->setChecked(true);
    c.rawProgress->SetPos(0);
    Shoot(window, QStringLiteral("page-raw"));
    window.ShowPage(WizardPage::Results);
    window.SetStep(3);
    c.currentFolder->SetText(QStringLiteral("Lost\\Dir3"));
    Shoot(window, QStringLiteral("page-results"));
}

void ScreenshotsTest::Dialogs() {
    AboutDialog about;
    Shoot(about, QStringLiteral("about"));
    NoticeDialog notice;
    Shoot(notice, QStringLiteral("notice"));
    BadSectorDialog badSector;
    Shoot(badSector, QStringLiteral("bad-sector"));
}

void ScreenshotsTest::ControlGallery() {
    ui::SkinnedDialog gallery;
    gallery.setWindowTitle(QStringLiteral("Controls"));
    gallery.SetBackground(Artwork::kSettingsBackground, ui::SkinnedDialog::kStretch);
    auto* column = new QVBoxLayout(&gallery);
    column->setContentsMargins(24, 22, 24, 22);
    column->setSpacing(12);

    column->addWidget(Caption(QStringLiteral("Buttons: normal, pressed, disabled"), &gallery, 14));
    auto* buttons = new QHBoxLayout;
    const auto addButton = [&](const QString& art, const QString& text, bool three, int state) {
        auto* button = new ui::BitmapButton(&gallery);
        const Artwork::ButtonArt pictures = Artwork::Button(art, three);
        button->SetBitmaps(pictures.normal, pictures.pressed, pictures.disabled);
        button->setText(text);
        button->SetCaptionFont(Theme::UiFont(12, true));
        button->SetTextColors(Qt::white, QColor(255, 255, 255, 150));
        button->setDown(state == 1);
        button->setEnabled(state != 2);
        buttons->addWidget(button);
    };
    addButton(QStringLiteral("next"), QStringLiteral("&Next"), true, 0);
    addButton(QStringLiteral("next"), QStringLiteral("&Next"), true, 1);
    addButton(QStringLiteral("next"), QStringLiteral("&Next"), true, 2);
    addButton(QStringLiteral("back"), QStringLiteral("&Back"), true, 0);
    addButton(QStringLiteral("help"), QStringLiteral("HELP"), false, 0);
    addButton(QStringLiteral("save"), QStringLiteral("SAVE"), false, 0);
    buttons->addStretch();
    column->addLayout(buttons);
    auto* wide = new QHBoxLayout;
    std::swap(buttons, wide);
    addButton(QStringLiteral("search-partitions"), QStringLiteral("Search More Partitions"), false,
              0);
    addButton(QStringLiteral("stop-searching"), QStringLiteral("Stop Searching"), false, 0);
    addButton(QStringLiteral("stop-searching"), QStringLiteral("Stop Searching"), false, 1);
    buttons->addStretch();
    column->addLayout(buttons);

    column->addWidget(Caption(QStringLiteral("Text progress bars"), &gallery, 14));
    const auto addBar = [&](int position, const QString& text) {
        auto* bar = new ui::TextProgressBar(&gallery);
        bar->SetBarColor(Theme::kAccent);
        bar->SetBkColor(Theme::kTrack);
        bar->setFont(Theme::UiFont(12, true));
        bar->setFixedHeight(26);
        bar->SetPos(position);
        bar->SetText(text);
        column->addWidget(bar);
    };
    addBar(45, QString());
    addBar(70, QStringLiteral("70 % Completed"));

    column->addWidget(Caption(QStringLiteral("Options"), &gallery, 14));
    auto* options = new QHBoxLayout;
    const auto addOption = [&](ui::OptionButton::Kind kind, const QString& text, bool checked,
                               bool enabled) {
        auto* option = new ui::OptionButton(kind, text, &gallery);
        option->SetTextColor(Qt::white);
        option->setAutoExclusive(false);
        option->setChecked(checked);
        option->setEnabled(enabled);
        options->addWidget(option);
    };
    addOption(ui::OptionButton::Kind::Radio, QStringLiteral("Standard Search"), true, true);
    addOption(ui::OptionButton::Kind::Radio, QStringLiteral("Professional Search"), false, true);
    addOption(ui::OptionButton::Kind::CheckBox, QStringLiteral("Search Entire Disk"), true, true);
    addOption(ui::OptionButton::Kind::CheckBox, QStringLiteral("Disabled"), false, false);
    options->addStretch();
    column->addLayout(options);

    column->addWidget(Caption(QStringLiteral("Tree images 0-7, check states 1-3, list icons 0-20"),
                              &gallery, 14));
    const auto iconRow = [&](const QList<QIcon>& icons, int first, int count, int size) {
        auto* row = new QHBoxLayout;
        row->setSpacing(10);
        for (int i = first; i < first + count && i < icons.size(); ++i) {
            auto* cell = new QVBoxLayout;
            auto* picture = new QLabel(&gallery);
            picture->setPixmap(icons[i].pixmap(QSize(size, size), gallery.devicePixelRatioF()));
            picture->setFixedSize(size + 8, size + 8);
            picture->setAlignment(Qt::AlignCenter);
            picture->setStyleSheet(QStringLiteral("background: #f7f9fb; border-radius: 4px;"));
            cell->addWidget(picture, 0, Qt::AlignHCenter);
            cell->addWidget(Caption(QString::number(i), &gallery, 10), 0, Qt::AlignHCenter);
            row->addLayout(cell);
        }
        row->addStretch();
        column->addLayout(row);
    };
    iconRow(Artwork::TreeImages(), 0, Artwork::kTreeImageCount, 16);
    iconRow(Artwork::StateImages(), 1, 3, Artwork::kStateImageSize);
    iconRow(Artwork::ListIcons(), 0, 11, 16);
    iconRow(Artwork::ListIcons(), 11, 10, 16);
    gallery.setFixedWidth(720);
    gallery.adjustSize();
    Shoot(gallery, QStringLiteral("controls"));
}

QTEST_MAIN(ScreenshotsTest)
#include "ScreenshotsTest.moc"
