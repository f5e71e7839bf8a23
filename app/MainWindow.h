#pragma once

#include "app/AppServices.h"
#include "app/EndOfRun.h"
#include "app/WorkerSlot.h"
#include "engine/disk/DiskCatalogue.h"
#include "engine/session/RecoverySession.h"
#include "platform/DeviceMap.h"
#include "ui/controls/SkinnedDialog.h"

#include <QIcon>
#include <QList>
#include <QString>

#include <map>
#include <memory>
#include <vector>

class QComboBox;
class QFrame;
class QLineEdit;
class QMenu;
class QTreeWidget;
class QWidget;

namespace quorvane::ui {
class BitmapButton;
class CTransparentStatic2;
class OptionButton;
class TextProgressBar;
} // namespace quorvane::ui

namespace quorvane::app {

class StepList;

// The controls of the main window, by their role. Each is also reachable by
// its control id (MainWindow::Control).
struct MainWindowControls {
    // Header
    ui::BitmapButton* menuButton = nullptr; // the window menu ("&About Quorvane")
    ui::BitmapButton* help = nullptr;       // 1164
    ui::BitmapButton* settings = nullptr;   // 1166
    ui::BitmapButton* loadLog = nullptr;    // 1159
    ui::BitmapButton* saveLog = nullptr;    // 1254
    ui::BitmapButton* save = nullptr;       // 1160
    // Left rail
    ui::CTransparentStatic2* stepsCaption = nullptr; // 1323
    StepList* steps = nullptr;
    ui::CTransparentStatic2* stepTitle = nullptr;
    // The tree of every step (100) and MainList (1145): frames whose views the
    // wizard may replace, with the views they hold now.
    QFrame* treeFrame = nullptr;
    QFrame* listFrame = nullptr;
    QTreeWidget* tree = nullptr;
    QTreeWidget* mainList = nullptr;
    // Step 0
    ui::OptionButton* standard = nullptr;            // 1171
    ui::OptionButton* professional = nullptr;        // 1172
    ui::OptionButton* raw = nullptr;                 // 1173
    std::vector<ui::CTransparentStatic2*> modeNotes; // a line on each mode
    // Step 1
    ui::CTransparentStatic2* partitionTypeLabel = nullptr;
    QComboBox* partitionType = nullptr; // 1174
    ui::CTransparentStatic2* startLabel = nullptr;
    QLineEdit* start = nullptr; // 1177
    ui::CTransparentStatic2* endLabel = nullptr;
    QLineEdit* end = nullptr;                           // 1178
    ui::OptionButton* wholeDisk = nullptr;              // 1203
    ui::BitmapButton* searchPartitions = nullptr;       // 1156
    ui::BitmapButton* stopSearchPartitions = nullptr;   // 1157
    ui::TextProgressBar* partitionProgress = nullptr;   // 1184
    ui::CTransparentStatic2* partitionStatus = nullptr; // 1185
    // Step 1, Raw Recovery
    QTreeWidget* fileTypeList = nullptr;              // 1220
    ui::OptionButton* entireDisk = nullptr;           // 1213
    ui::OptionButton* sectorRange = nullptr;          // 1214
    ui::CTransparentStatic2* rawStartLabel = nullptr; // 1182
    QLineEdit* rawStart = nullptr;                    // 1215
    ui::CTransparentStatic2* rawEndLabel = nullptr;   // 1183
    QLineEdit* rawEnd = nullptr;                      // 1216
    ui::BitmapButton* startRecovery = nullptr;        // 1217
    ui::CTransparentStatic2* rawStatus = nullptr;     // 1226
    ui::TextProgressBar* rawProgress = nullptr;       // 1218
    QTreeWidget* rawResultList = nullptr;             // 1219
    // Step 2, the search page: captions 1188, 1190, 1192, 1194, 1196, 1198
    // and their values 1189 (disk), 1191 (range), 1193 (file system), 1195
    // (boot sectors found), 1197 (directories found), 1199 (search mode).
    std::map<int, ui::CTransparentStatic2*> searchTexts;
    ui::TextProgressBar* progress = nullptr;   // 1186
    ui::CTransparentStatic2* status = nullptr; // 1187
    ui::BitmapButton* stopSearching = nullptr; // 1204
    // Step 3
    ui::CTransparentStatic2* currentFolderCaption = nullptr; // 1205
    ui::CTransparentStatic2* currentFolder = nullptr;        // 1206
    // Footer
    ui::CTransparentStatic2* hint = nullptr; // 1322
    ui::BitmapButton* back = nullptr;        // 1144
    ui::BitmapButton* next = nullptr;        // 1147
    ui::BitmapButton* cancel = nullptr;      // 2
    ui::BitmapButton* exit = nullptr;        // 1165
};

// The pages of the wizard: which of the step controls are shown.
enum class WizardPage { DiskChoice, PartitionChoice, RawRecovery, Search, Results };

// The main window: the fixed furniture of the wizard (pictures, buttons,
// texts, the tree and list areas of every step), its start-up and its end.
// The steps themselves drive it through Controls() and ShowPage().
class MainWindow : public ui::SkinnedDialog, public RunControl {
    Q_OBJECT
public:
    static constexpr int kWidth = 1000;
    static constexpr int kHeight = 640;

    MainWindow(AppServices& services, StartOptions options, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Runs the window's initialisation (install entry, controls, disk
    // catalogue). False when the program must end; ExitCode() says with what.
    bool Initialise();
    int ExitCode() const { return exitCode_; }

    RecoverySession& Session() { return *session_; }
    DiskCatalogue& Catalogue() { return catalogue_; }
    WorkerSlot& Worker() { return worker_; }
    const MainWindowControls& Controls() const { return controls_; }
    // A control by its id; null for an id the window does not have.
    QWidget* Control(int id) const;
    const QString& InstallFolder() const { return installFolder_; }
    const std::string& TempFolder() const { return tempFolder_; }
    // The help page in the install folder.
    QString HelpPagePath() const;

    void ShowPage(WizardPage page);
    WizardPage Page() const { return page_; }
    // The wizard's step (0..3) as the left rail shows it.
    void SetStep(int step);
    void SetHint(const QString& text);

    // The engine's tree and MainList drawn into the two views.
    void RefreshTree();
    void RefreshMainList();
    void RefreshList(QTreeWidget* view, const ListModel& list, bool checkBoxes);

    // Commands.
    void Help();
    void About();
    void Exit();
    void Cancel();

    // RunControl: the wizard reports its state through these setters.
    void SetShowsResults(bool shows) { showsResults_ = shows; }
    void SetRecoverySaved(bool saved) { recoverySaved_ = saved; }
    WorkerKind RunningWorker() const override { return worker_.Running(); }
    bool ShowsResults() const override { return showsResults_; }
    bool RecoverySaved() const override { return recoverySaved_; }
    void StopWorker() override;
    void SaveRecoveryLog() override;
    void OpenWebPage() override;

    // The window menu ("&About Quorvane", Help, Exit), opened by the header's
    // menu button.
    QMenu* WindowMenu() const { return windowMenu_; }
    void ShowWindowMenu();

signals:
    void AboutShown();

protected:
    // Esc and the window's close box are Cancel.
    void reject() override;

private:
    void BuildControls();
    void BuildCatalogue();
    void Register(int id, QWidget* widget);
    void SkinButtons();
    void OnTreeItemChosen();
    void ShowMessage(const QString& text, MessageIcon icon);

    AppServices& services_;
    StartOptions options_;
    platform::DeviceMap devices_;
    std::unique_ptr<RecoverySession> session_;
    DiskCatalogue catalogue_;
    WorkerSlot worker_;
    MainWindowControls controls_;
    std::map<int, QWidget*> byId_;
    QMenu* windowMenu_ = nullptr;
    QList<QIcon> treeImages_;
    QList<QIcon> listIcons_;
    QString installFolder_;
    std::string tempFolder_;
    WizardPage page_ = WizardPage::DiskChoice;
    bool showsResults_ = false;
    bool recoverySaved_ = false;
    bool ending_ = false;
    int exitCode_ = 0;
};

} // namespace quorvane::app
