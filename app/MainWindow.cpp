#include "app/MainWindow.h"

#include "app/AboutDialog.h"
#include "app/Artwork.h"
#include "app/StepList.h"
#include "app/Theme.h"
#include "ui/controls/BitmapButton.h"
#include "ui/controls/CTransparentStatic2.h"
#include "ui/controls/OptionButton.h"
#include "ui/controls/TextProgressBar.h"

#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace quorvane::app {

namespace {

constexpr std::string_view kCaption = "Quorvane";
constexpr int kMenuAbout = 16;

// The regions of the window's picture (scripts/make-artwork.py draws them).
constexpr int kContentLeft = 244;
constexpr int kContentRight = 980;
constexpr int kAreaTop = 124;
constexpr int kAreaHeight = 320;
constexpr int kTreeWidth = 260;
constexpr int kListLeft = 520;
constexpr int kRowOne = 458;
constexpr int kRowTwo = 500;

const QColor kCaptionColor(0xa9, 0xc4, 0xd8);

std::string_view AsView(const std::string& text) {
    return text;
}

QString FromEngine(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QTreeWidget* MakeView(QWidget* parent) {
    auto* view = new QTreeWidget(parent);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setIconSize(QSize(16, 16));
    view->header()->setStretchLastSection(true);
    view->header()->setSectionsMovable(false);
    return view;
}

QFrame* MakeFrame(QWidget* parent, QWidget*& view, const QRect& geometry) {
    auto* frame = new QFrame(parent);
    frame->setGeometry(geometry);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    return frame;
}

} // namespace

MainWindow::MainWindow(AppServices& services, StartOptions options, QWidget* parent)
    : SkinnedDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      services_(services), options_(std::move(options)),
      session_(std::make_unique<RecoverySession>(devices_, services.questions)),
      catalogue_(services.registry, services.launcher) {
    setWindowTitle(QStringLiteral("Quorvane"));
    setObjectName(QStringLiteral("id1124"));
}

MainWindow::~MainWindow() {
    // Whatever still runs ends at its next safe point before the records it
    // writes go away.
    worker_.StopAndWait();
}

bool MainWindow::Initialise() {
    // 1. The window's picture, stretched over the whole window.
    SetBackground(Artwork::kMainBackground, kStretch);
    setFixedSize(kWidth, kHeight);

    // 2. The install entry.
    installFolder_ = FromEngine(ReadInstallFolder(services_.registry));
    if (installFolder_.isEmpty()) {
        services_.questions.ShowMessage(
            "Quorvane is not installed properly,\nPlease run setup again.", kCaption,
            MessageIcon::Error, MessageButtons::Ok);
        exitCode_ = 0;
        return false;
    }

    // 3 to 10: the controls, the window menu, the icons, the skinned buttons,
    // the transparent labels and the fonts. The window's maximise is never
    // offered: its size is fixed.
    treeImages_ = Artwork::TreeImages();
    listIcons_ = Artwork::ListIcons();
    setWindowIcon(Artwork::AppIcon());
    BuildControls();
    SkinButtons();

    // 11. The temporary folder, for the save.
    tempFolder_ = platform::TempFolder();

    // 12. The hint of the first step.
    SetHint(QStringLiteral("Select disk which you want to recover then select search type "
                           "(Standard or Professional) after that peoceed with Next."));

    // 13. The disk catalogue; the wizard is then on its first step.
    BuildCatalogue();
    if (ending_) {
        return false;
    }
    ShowPage(WizardPage::DiskChoice);
    SetStep(0);
    // Nothing lies behind the first step, and Next waits for a disk and a mode.
    controls_.back->setEnabled(false);
    controls_.next->setEnabled(false);
    controls_.tree->setFocus();
    return true;
}

void MainWindow::Register(int id, QWidget* widget) {
    byId_[id] = widget;
    widget->setObjectName(QStringLiteral("id%1").arg(id));
}

QWidget* MainWindow::Control(int id) const {
    const auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : it->second;
}

QString MainWindow::HelpPagePath() const {
    return QDir(installFolder_).filePath(QStringLiteral("help.html"));
}

void MainWindow::BuildControls() {
    MainWindowControls& c = controls_;
    const auto label = [this](const QString& text, const QRect& geometry, const QFont& font,
                              const QColor& color = Qt::white) {
        auto* item = new ui::CTransparentStatic2(text, this);
        item->setGeometry(geometry);
        item->setFont(font);
        item->SetTextColor(color);
        return item;
    };
    const auto button = [this](const QString& text, QPoint at) {
        auto* item = new ui::BitmapButton(this);
        item->setText(text);
        item->move(at);
        item->SetCaptionFont(Theme::UiFont(12, true));
        return item;
    };
    const auto option = [this](ui::OptionButton::Kind kind, const QString& text,
                               const QRect& geometry) {
        auto* item = new ui::OptionButton(kind, text, this);
        item->setGeometry(geometry);
        item->SetTextColor(Qt::white);
        return item;
    };
    const auto edit = [this](const QRect& geometry) {
        auto* item = new QLineEdit(this);
        item->setGeometry(geometry);
        return item;
    };
    const auto bar = [this](const QRect& geometry) {
        auto* item = new ui::TextProgressBar(this);
        item->setGeometry(geometry);
        item->SetBarColor(Theme::kAccent);
        item->SetBkColor(Theme::kTrack);
        item->setFont(Theme::UiFont(12, true));
        return item;
    };

    // Header: the window menu behind the product's mark, the name, and the
    // tool buttons on the right.
    c.menuButton = new ui::BitmapButton(this);
    c.menuButton->SetBitmaps(Artwork::kMark);
    c.menuButton->move(18, 12);
    c.menuButton->SetTooltip(QStringLiteral("Quorvane menu"));
    connect(c.menuButton, &QAbstractButton::clicked, this, &MainWindow::ShowWindowMenu);
    label(QStringLiteral("Quorvane"), QRect(76, 12, 200, 30), Theme::UiFont(24, true));
    label(QStringLiteral("Data Recovery Wizard"), QRect(77, 42, 220, 18), Theme::UiFont(12),
          kCaptionColor);
    c.loadLog = button(QStringLiteral("LOAD LOG"), {448, 21});
    c.saveLog = button(QStringLiteral("SAVE LOG"), {556, 21});
    c.save = button(QStringLiteral("SAVE"), {664, 21});
    c.settings = button(QStringLiteral("SETTINGS"), {772, 21});
    c.help = button(QStringLiteral("HELP"), {880, 21});
    Register(1159, c.loadLog);
    Register(1254, c.saveLog);
    Register(1160, c.save);
    Register(1166, c.settings);
    Register(1164, c.help);

    // Left rail: the steps.
    c.stepsCaption =
        label(QStringLiteral("Recovery Process Steps"), QRect(20, 92, 200, 24), Theme::UiFont(16));
    Register(1323, c.stepsCaption);
    c.steps = new StepList(this);
    c.steps->setGeometry(20, 136, 196, c.steps->sizeHint().height());

    // The step's title over the tree and the list.
    c.stepTitle = label(QString(), QRect(kContentLeft, 88, kContentRight - kContentLeft, 26),
                        Theme::UiFont(17, true));

    // The tree of every step and MainList.
    QWidget* view = c.tree = MakeView(this);
    c.tree->setHeaderHidden(true);
    c.tree->setRootIsDecorated(true);
    c.treeFrame = MakeFrame(this, view, QRect(kContentLeft, kAreaTop, kTreeWidth, kAreaHeight));
    Register(100, c.treeFrame);
    connect(c.tree, &QTreeWidget::itemSelectionChanged, this, &MainWindow::OnTreeItemChosen);
    view = c.mainList = MakeView(this);
    c.listFrame =
        MakeFrame(this, view, QRect(kListLeft, kAreaTop, kContentRight - kListLeft, kAreaHeight));
    Register(1145, c.listFrame);

    // Step 0: the search modes.
    const QFont modeFont = Theme::UiFont(13);
    c.standard = option(ui::OptionButton::Kind::Radio, QStringLiteral("Standard Search"),
                        QRect(kContentLeft, kRowOne + 4, 170, 24));
    c.professional = option(ui::OptionButton::Kind::Radio, QStringLiteral("Professional Search"),
                            QRect(kContentLeft + 194, kRowOne + 4, 190, 24));
    c.raw = option(ui::OptionButton::Kind::Radio, QStringLiteral("Raw Recovery"),
                   QRect(kContentLeft + 388, kRowOne + 4, 170, 24));
    for (ui::OptionButton* mode : {c.standard, c.professional, c.raw}) {
        mode->setFont(modeFont);
    }
    c.standard->SetTooltip(QStringLiteral(
        "Searches the chosen partition's data area for its folders and rebuilds its tree."));
    c.professional->SetTooltip(QStringLiteral(
        "Searches every sector of a range for folders and boot sectors, and finds the file "
        "systems they belong to, also when the partition table is gone."));
    c.raw->SetTooltip(QStringLiteral(
        "Finds Word, Excel, PowerPoint and ZIP files by their signatures when no file system "
        "can be used."));
    const QString modeNotes[] = {QStringLiteral("Rebuilds the folders of one partition."),
                                 QStringLiteral("Searches every sector for lost file systems."),
                                 QStringLiteral("Finds documents by their signatures.")};
    int noteLeft = kContentLeft;
    for (const QString& note : modeNotes) {
        auto* text = label(note, QRect(noteLeft + 24, kRowOne + 30, 170, 34), Theme::UiFont(11),
                           kCaptionColor);
        text->setWordWrap(true);
        text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        c.modeNotes.push_back(text);
        noteLeft += 194;
    }
    Register(1171, c.standard);
    Register(1172, c.professional);
    Register(1173, c.raw);

    // Step 1: the partition's type and range, the partition search.
    const QFont small = Theme::UiFont(12);
    c.partitionTypeLabel = label(QStringLiteral("Partition Type :"),
                                 QRect(kContentLeft, kRowOne + 4, 104, 22), small, kCaptionColor);
    c.partitionType = new QComboBox(this);
    c.partitionType->addItems({QStringLiteral("FAT16"), QStringLiteral("FAT32"),
                               QStringLiteral("NTFS"), QStringLiteral("UNKNOWN")});
    c.partitionType->setGeometry(kContentLeft + 106, kRowOne, 112, 30);
    Register(1174, c.partitionType);
    c.startLabel = label(QStringLiteral("Start Sector :"),
                         QRect(kContentLeft + 236, kRowOne + 4, 90, 22), small, kCaptionColor);
    c.start = edit(QRect(kContentLeft + 326, kRowOne, 120, 30));
    Register(1177, c.start);
    c.endLabel = label(QStringLiteral("End Sector :"),
                       QRect(kContentLeft + 464, kRowOne + 4, 80, 22), small, kCaptionColor);
    c.end = edit(QRect(kContentLeft + 544, kRowOne, 120, 30));
    Register(1178, c.end);
    c.wholeDisk = option(ui::OptionButton::Kind::CheckBox, QStringLiteral("Search Entire Disk"),
                         QRect(kContentLeft, kRowTwo + 6, 170, 24));
    Register(1203, c.wholeDisk);
    c.searchPartitions =
        button(QStringLiteral("Search More Partitions"), {kContentLeft + 186, kRowTwo});
    c.stopSearchPartitions =
        button(QStringLiteral("Stop Search Partitions"), {kContentLeft + 186, kRowTwo});
    Register(1156, c.searchPartitions);
    Register(1157, c.stopSearchPartitions);
    c.partitionProgress =
        bar(QRect(kContentLeft + 412, kRowTwo + 4, kContentRight - kContentLeft - 412, 24));
    c.partitionStatus =
        label(QStringLiteral("Searching Partition..."),
              QRect(kContentLeft + 412, kRowTwo + 32, 300, 20), small, kCaptionColor);
    Register(1184, c.partitionProgress);
    Register(1185, c.partitionStatus);

    // Step 1 in Raw Recovery mode: file types and totals in the two areas,
    // the range under the file types.
    view = c.fileTypeList = MakeView(this);
    c.fileTypeList->setGeometry(kContentLeft, kAreaTop, kTreeWidth, 150);
    Register(1220, c.fileTypeList);
    c.entireDisk = option(ui::OptionButton::Kind::Radio, QStringLiteral("Entire Disk"),
                          QRect(kContentLeft, kAreaTop + 166, 120, 24));
    c.sectorRange = option(ui::OptionButton::Kind::Radio, QStringLiteral("Sector Range"),
                           QRect(kContentLeft + 128, kAreaTop + 166, 130, 24));
    Register(1213, c.entireDisk);
    Register(1214, c.sectorRange);
    c.rawStartLabel = label(QStringLiteral("Start Sector :"),
                            QRect(kContentLeft, kAreaTop + 210, 96, 22), small, kCaptionColor);
    c.rawStart = edit(QRect(kContentLeft + 100, kAreaTop + 206, 160, 30));
    c.rawEndLabel = label(QStringLiteral("End Sector :"),
                          QRect(kContentLeft, kAreaTop + 252, 96, 22), small, kCaptionColor);
    c.rawEnd = edit(QRect(kContentLeft + 100, kAreaTop + 248, 160, 30));
    Register(1182, c.rawStartLabel);
    Register(1215, c.rawStart);
    Register(1183, c.rawEndLabel);
    Register(1216, c.rawEnd);
    c.startRecovery = button(QStringLiteral("S&tart Recovery"), {kContentLeft, kRowOne});
    Register(1217, c.startRecovery);
    c.rawProgress =
        bar(QRect(kContentLeft + 226, kRowOne + 4, kContentRight - kContentLeft - 226, 24));
    c.rawStatus =
        label(QString(), QRect(kContentLeft, kRowTwo + 4, kContentRight - kContentLeft, 20), small,
              kCaptionColor);
    Register(1218, c.rawProgress);
    Register(1226, c.rawStatus);
    view = c.rawResultList = MakeView(this);
    c.rawResultList->setGeometry(kListLeft, kAreaTop, kContentRight - kListLeft, kAreaHeight);
    Register(1219, c.rawResultList);

    // Step 2: what is being searched and what was found, beside MainList.
    const struct {
        int id;
        const char* caption;
    } searchRows[] = {
        {1188, "Disk"},        {1190, "Search Range"},      {1192, "Partition Type"},
        {1198, "Search Mode"}, {1196, "Directories Found"}, {1194, "Boot Sectors Found"}};
    int top = kAreaTop + 4;
    for (const auto& row : searchRows) {
        c.searchTexts[row.id] =
            label(QLatin1String(row.caption), QRect(kContentLeft + 4, top, kTreeWidth, 16),
                  Theme::UiFont(11, true), kCaptionColor);
        c.searchTexts[row.id + 1] = label(
            QString(), QRect(kContentLeft + 4, top + 17, kTreeWidth, 22), Theme::UiFont(15, true));
        Register(row.id, c.searchTexts[row.id]);
        Register(row.id + 1, c.searchTexts[row.id + 1]);
        top += 52;
    }
    c.progress = bar(QRect(kContentLeft, kRowOne, kContentRight - kContentLeft, 28));
    Register(1186, c.progress);
    c.status = label(QString(), QRect(kContentLeft, kRowTwo + 6, 500, 22), Theme::UiFont(12));
    Register(1187, c.status);
    c.stopSearching = button(QStringLiteral("Stop Searching"), {kContentRight - 208, kRowTwo});
    Register(1204, c.stopSearching);

    // Step 3: the folder shown in MainList.
    c.currentFolderCaption =
        label(QStringLiteral("Current Folder  :"), QRect(kContentLeft, kRowOne + 4, 120, 22),
              Theme::UiFont(12, true), kCaptionColor);
    c.currentFolder = label(
        QString(), QRect(kContentLeft + 122, kRowOne + 4, kContentRight - kContentLeft - 122, 22),
        Theme::UiFont(12, true));
    Register(1205, c.currentFolderCaption);
    Register(1206, c.currentFolder);

    // Footer: the hint and the wizard's buttons.
    c.hint = label(QString(), QRect(20, kHeight - 60, 456, 56), Theme::UiFont(13));
    c.hint->setWordWrap(true);
    c.hint->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Register(1322, c.hint);
    const int navTop = kHeight - 50;
    c.back = button(QStringLiteral("&Back"), {kContentRight - 440, navTop});
    c.next = button(QStringLiteral("&Next"), {kContentRight - 328, navTop});
    c.cancel = button(QStringLiteral("Cancel"), {kContentRight - 216, navTop});
    c.exit = button(QStringLiteral("E&xit"), {kContentRight - 104, navTop});
    Register(1144, c.back);
    Register(1147, c.next);
    Register(2, c.cancel);
    Register(1165, c.exit);

    connect(c.help, &QAbstractButton::clicked, this, &MainWindow::Help);
    connect(c.exit, &QAbstractButton::clicked, this, &MainWindow::Exit);
    connect(c.cancel, &QAbstractButton::clicked, this, &MainWindow::Cancel);
    connect(c.settings, &QAbstractButton::clicked, this, [this] {
        ShowMessage(
            QStringLiteral("The recovery settings come with the next version of the wizard."),
            MessageIcon::Information);
    });
    windowMenu_ = new QMenu(this);
    QAction* about = windowMenu_->addAction(QStringLiteral("&About Quorvane"));
    about->setData(kMenuAbout);
    connect(about, &QAction::triggered, this, &MainWindow::About);
    windowMenu_->addSeparator();
    QAction* helpItem = windowMenu_->addAction(QStringLiteral("&Help"));
    helpItem->setShortcut(QKeySequence(Qt::Key_F1));
    helpItem->setShortcutVisibleInContextMenu(true);
    connect(helpItem, &QAction::triggered, this, &MainWindow::Help);
    connect(windowMenu_->addAction(QStringLiteral("E&xit")), &QAction::triggered, this,
            &MainWindow::Exit);
    auto* helpKey = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(helpKey, &QShortcut::activated, this, &MainWindow::Help);

    // The order of the keyboard: the step's views and inputs, the wizard's
    // buttons, then the header.
    const QList<QWidget*> order = {c.tree,
                                   c.fileTypeList,
                                   c.entireDisk,
                                   c.sectorRange,
                                   c.rawStart,
                                   c.rawEnd,
                                   c.mainList,
                                   c.rawResultList,
                                   c.standard,
                                   c.professional,
                                   c.raw,
                                   c.partitionType,
                                   c.start,
                                   c.end,
                                   c.wholeDisk,
                                   c.searchPartitions,
                                   c.stopSearchPartitions,
                                   c.startRecovery,
                                   c.stopSearching,
                                   c.back,
                                   c.next,
                                   c.cancel,
                                   c.exit,
                                   c.loadLog,
                                   c.saveLog,
                                   c.save,
                                   c.settings,
                                   c.help,
                                   c.menuButton};
    for (qsizetype i = 0; i + 1 < order.size(); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }
}

void MainWindow::SkinButtons() {
    struct Skin {
        ui::BitmapButton* button;
        const char* art;
        bool threeImages;
        const char* tooltip;
    };
    const MainWindowControls& c = controls_;
    const Skin skins[] = {
        {c.help, "help", false, "Help"},
        {c.settings, "settings", false, "Settings"},
        {c.loadLog, "load-log", false, "Load Log"},
        {c.saveLog, "save-log", false, "Save Log"},
        {c.save, "save", false, "Save"},
        {c.back, "back", true, "Back"},
        {c.next, "next", true, "Next"},
        {c.searchPartitions, "search-partitions", false, "Search Partition"},
        {c.stopSearchPartitions, "stop-search-partitions", false, "Stop Search Partition"},
        {c.stopSearching, "stop-searching", false, "Stop Search"},
        {c.startRecovery, "start-recovery", false, "Start Recovery"},
        {c.cancel, "cancel", false, "Cancel"},
        {c.exit, "exit", false, "Exit"},
    };
    for (const Skin& skin : skins) {
        const Artwork::ButtonArt art = Artwork::Button(QLatin1String(skin.art), skin.threeImages);
        skin.button->SetBitmaps(art.normal, art.pressed, art.disabled);
        skin.button->SetTooltip(QLatin1String(skin.tooltip));
        // Buttons without a picture of their own for it show their state in
        // the caption.
        skin.button->SetTextColors(Qt::white, QColor(255, 255, 255, skin.threeImages ? 150 : 110));
    }
    c.save->hide();
    c.saveLog->hide();
    c.loadLog->hide();
}

void MainWindow::BuildCatalogue() {
    const CatalogueOutcome outcome =
        catalogue_.Build(services_.os, installFolder_.toStdString(), options_.named,
                         session_->Selection, session_->FolderTree);
    if (outcome.endProgram) {
        // Without the registry keys no disk can be offered; say which key
        // failed rather than vanish without a word.
        ShowMessage(QStringLiteral("Quorvane cannot start: %1.").arg(FromEngine(outcome.failure)),
                    MessageIcon::Error);
        exitCode_ = outcome.exitCode;
        ending_ = true;
        return;
    }
    if (!outcome.failure.empty()) {
        ShowMessage(QStringLiteral("No disks can be listed: %1.").arg(FromEngine(outcome.failure)),
                    MessageIcon::Error);
    }
    if (!outcome.rejected.empty()) {
        QStringList reasons;
        for (const std::string& reason : outcome.rejected) {
            reasons.push_back(FromEngine(reason));
        }
        ShowMessage(QStringLiteral("These disks cannot be offered:\n\n%1").arg(reasons.join('\n')),
                    MessageIcon::Error);
    }
    catalogue_.MapDevices(devices_);
    RefreshTree();
    RefreshMainList();
    RefreshList(controls_.fileTypeList, session_->Tables.FileTypeList, true);
    RefreshList(controls_.rawResultList, session_->Tables.RawResultList, false);
}

void MainWindow::RefreshTree() {
    // A copy of the engine's tree for the catalogue's few items; the steps
    // that list many folders show the engine's model through an item model.
    QTreeWidget* view = controls_.tree;
    const QSignalBlocker quiet(view);
    view->clear();
    const TreeModel& tree = session_->FolderTree;
    const auto icon = [this](int image) {
        return image >= 0 && image < treeImages_.size() ? treeImages_[image] : QIcon();
    };
    std::vector<std::pair<TreeModel::Item, QTreeWidgetItem*>> pending;
    for (TreeModel::Item top : tree.TopLevel()) {
        auto* item = new QTreeWidgetItem(view, {FromEngine(tree.At(top).text)});
        pending.emplace_back(top, item);
    }
    while (!pending.empty()) {
        const auto [model, item] = pending.back();
        pending.pop_back();
        const TreeModel::Node& node = tree.At(model);
        item->setIcon(0, icon(node.image));
        item->setData(0, Qt::UserRole, model);
        for (TreeModel::Item child : node.children) {
            pending.emplace_back(child,
                                 new QTreeWidgetItem(item, {FromEngine(tree.At(child).text)}));
        }
        item->setExpanded(node.expanded);
    }
}

void MainWindow::RefreshMainList() {
    RefreshList(controls_.mainList, session_->Tables.MainList, false);
}

void MainWindow::RefreshList(QTreeWidget* view, const ListModel& list, bool checkBoxes) {
    // A copy of the engine's list, as for the tree: the file lists of the
    // browse step are shown through an item model instead.
    view->clear();
    QStringList headers;
    for (const ListModel::Column& column : list.Columns()) {
        headers.push_back(FromEngine(column.header));
    }
    view->setHeaderLabels(headers);
    for (std::size_t i = 0; i < list.Columns().size(); ++i) {
        view->setColumnWidth(static_cast<int>(i), list.Columns()[i].width);
    }
    for (std::size_t r = 0; r < list.RowCount(); ++r) {
        const ListModel::Row& row = list.RowAt(r);
        QStringList cells;
        for (const std::string& cell : row.cells) {
            cells.push_back(FromEngine(cell));
        }
        auto* item = new QTreeWidgetItem(view, cells);
        if (row.image >= 0 && row.image < listIcons_.size()) {
            item->setIcon(0, listIcons_[row.image]);
        }
        if (checkBoxes) {
            item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
        }
    }
}

void MainWindow::OnTreeItemChosen() {
    // The first step shows the chosen disk's details.
    if (page_ != WizardPage::DiskChoice) {
        return;
    }
    const QList<QTreeWidgetItem*> chosen = controls_.tree->selectedItems();
    if (chosen.isEmpty()) {
        return;
    }
    const auto item = chosen.front()->data(0, Qt::UserRole).value<TreeModel::Item>();
    for (const CatalogueDisk& disk : catalogue_.Disks()) {
        if (disk.item == item) {
            catalogue_.ShowDiskDetails(disk.number, session_->Selection.PlatformFamily,
                                       session_->Tables.MainList);
            RefreshMainList();
            return;
        }
    }
}

void MainWindow::ShowPage(WizardPage page) {
    page_ = page;
    const MainWindowControls& c = controls_;
    const bool disks = page == WizardPage::DiskChoice;
    const bool partitions = page == WizardPage::PartitionChoice;
    const bool raw = page == WizardPage::RawRecovery;
    const bool search = page == WizardPage::Search;
    const bool results = page == WizardPage::Results;

    c.treeFrame->setVisible(disks || partitions || results);
    c.listFrame->setVisible(!raw);
    for (QWidget* w : {static_cast<QWidget*>(c.standard), static_cast<QWidget*>(c.professional),
                       static_cast<QWidget*>(c.raw)}) {
        w->setVisible(disks);
    }
    for (QWidget* note : c.modeNotes) {
        note->setVisible(disks);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{c.partitionTypeLabel, c.partitionType,
                                                      c.startLabel, c.start, c.endLabel, c.end,
                                                      c.wholeDisk, c.searchPartitions}) {
        w->setVisible(partitions);
    }
    // The partition search's own controls appear while it runs.
    for (QWidget* w : std::initializer_list<QWidget*>{c.stopSearchPartitions, c.partitionProgress,
                                                      c.partitionStatus}) {
        w->setVisible(false);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{c.fileTypeList, c.entireDisk, c.sectorRange,
                                                      c.rawStartLabel, c.rawStart, c.rawEndLabel,
                                                      c.rawEnd, c.startRecovery, c.rawStatus,
                                                      c.rawProgress, c.rawResultList}) {
        w->setVisible(raw);
    }
    for (const auto& [id, text] : c.searchTexts) {
        text->setVisible(search);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{c.progress, c.status, c.stopSearching}) {
        w->setVisible(search);
    }
    c.currentFolderCaption->setVisible(results);
    c.currentFolder->setVisible(results);
}

void MainWindow::SetStep(int step) {
    controls_.steps->SetCurrent(step);
    const QStringList& titles = StepList::Titles();
    controls_.stepTitle->SetText(step >= 0 && step < titles.size()
                                     ? QStringLiteral("Step %1 of %2:  %3")
                                           .arg(step + 1)
                                           .arg(titles.size())
                                           .arg(titles[step])
                                     : QString());
}

void MainWindow::SetHint(const QString& text) {
    controls_.hint->SetText(text);
}

void MainWindow::ShowMessage(const QString& text, MessageIcon icon) {
    const std::string bytes = text.toStdString();
    services_.questions.ShowMessage(AsView(bytes), kCaption, icon, MessageButtons::Ok);
}

void MainWindow::Help() {
    std::string error;
    if (!services_.shell.OpenWithAssociatedProgram(HelpPagePath().toStdString(), error)) {
        ShowMessage(FromEngine(error), MessageIcon::Error);
    }
}

void MainWindow::About() {
    AboutDialog about(this);
    emit AboutShown();
    about.exec();
}

void MainWindow::ShowWindowMenu() {
    windowMenu_->exec(controls_.menuButton->mapToGlobal(QPoint(0, controls_.menuButton->height())));
}

void MainWindow::Exit() {
    if (AskExit(services_.questions, *this) == EndDecision::EndProgram) {
        ending_ = true;
        done(0);
    }
}

void MainWindow::Cancel() {
    if (AskCancel(services_.questions, *this) == EndDecision::EndProgram) {
        ending_ = true;
        done(0);
    }
}

void MainWindow::reject() {
    Cancel();
}

void MainWindow::StopWorker() {
    worker_.StopAndWait();
}

void MainWindow::SaveRecoveryLog() {
    ShowMessage(QStringLiteral("Saving the recovery log comes with the next version of the wizard; "
                               "nothing was written."),
                MessageIcon::Information);
}

void MainWindow::OpenWebPage() {
    Help();
}

} // namespace quorvane::app
