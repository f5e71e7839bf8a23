#include "app/MainWindow.h"
#include "tests/app/AppTestSupport.h"
#include "ui/controls/BitmapButton.h"
#include "ui/controls/CTransparentStatic2.h"
#include "ui/controls/OptionButton.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <atomic>

using namespace quorvane;
using namespace quorvane::app;

namespace {

// A window after its initialisation, with the demo disk named.
struct Started {
    explicit Started(std::vector<NamedDisk> named = {{test::DemoImage(), false}})
        : window(services.Services(), StartOptions{true, std::move(named)}) {
        ok = window.Initialise();
        window.show();
    }
    test::TestServices services;
    MainWindow window;
    bool ok = false;
};

QTreeWidgetItem* FindItem(QTreeWidget* tree, const QString& text) {
    const QList<QTreeWidgetItem*> found =
        tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void StartsWithTheCatalogueAndItsFurniture();
    void NamedDisksThatCannotBeOfferedAreNamed();
    void HelpOpensTheInstalledPage();
    void ExitAndEscAskBeforeTheyEnd();
    void CancelEndsARunningWorkerOnlyWhenAsked();
    void WindowMenuOffersTheAboutBox();
    void EveryPageFitsAndCanBeReachedByKeyboard();
};

void MainWindowTest::StartsWithTheCatalogueAndItsFurniture() {
    Started run;
    QVERIFY(run.ok);
    MainWindow& window = run.window;
    const MainWindowControls& c = window.Controls();
    QVERIFY(run.services.Answers().asked.empty());
    QVERIFY(window.width() <= 1366 && window.height() <= 768 - 60);
    QVERIFY(!window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!window.windowIcon().isNull());

    // The catalogue: the root and the demo image as the first free disk.
    QTreeWidgetItem* root = FindItem(c.tree, QStringLiteral("My Computer"));
    QVERIFY(root != nullptr);
    QVERIFY(root->isExpanded());
    QTreeWidgetItem* disk = FindItem(c.tree, QStringLiteral("Disk0"));
    QVERIFY(disk != nullptr);
    QCOMPARE(disk->parent(), root);
    QCOMPARE(c.mainList->headerItem()->text(0), QStringLiteral("Disk Details"));
    QCOMPARE(c.mainList->topLevelItemCount(), 0);
    c.tree->setCurrentItem(disk);
    QCOMPARE(c.mainList->topLevelItemCount(), 7);
    QCOMPARE(c.mainList->topLevelItem(0)->text(0), QStringLiteral("Physical Disk Number    :   0"));
    QCOMPARE(c.mainList->topLevelItem(1)->text(0),
             QStringLiteral("Model                             :   demo.img"));

    // The buttons: pictures, tooltips, and the ones that wait for later steps hidden.
    const struct {
        int id;
        const char* tooltip;
        int pictures;
    } buttons[] = {{1164, "Help", 2},
                   {1166, "Settings", 2},
                   {1159, "Load Log", 2},
                   {1254, "Save Log", 2},
                   {1160, "Save", 2},
                   {1144, "Back", 3},
                   {1147, "Next", 3},
                   {1156, "Search Partition", 2},
                   {1157, "Stop Search Partition", 2},
                   {1204, "Stop Search", 2}};
    for (const auto& expected : buttons) {
        auto* button = qobject_cast<ui::BitmapButton*>(window.Control(expected.id));
        QVERIFY2(button != nullptr, qPrintable(QString::number(expected.id)));
        QCOMPARE(button->toolTip(), QString::fromLatin1(expected.tooltip));
        QCOMPARE(button->ImageCount(), expected.pictures);
    }
    for (int hidden : {1160, 1254, 1159}) {
        QVERIFY(!window.Control(hidden)->isVisible());
    }
    QVERIFY(window.Control(1164)->isVisible());

    // Texts and fonts.
    auto* hint = qobject_cast<ui::CTransparentStatic2*>(window.Control(1322));
    QCOMPARE(hint->text(), QStringLiteral("Select disk which you want to recover then select "
                                          "search type (Standard or Professional) after that "
                                          "peoceed with Next."));
    auto* steps = qobject_cast<ui::CTransparentStatic2*>(window.Control(1323));
    QCOMPARE(steps->text(), QStringLiteral("Recovery Process Steps"));
    QCOMPARE(steps->TextColor(), QColor(Qt::white));
    QVERIFY(steps->font().pixelSize() > hint->font().pixelSize());
    for (int id : {1171, 1172}) {
        QCOMPARE(window.Control(id)->font().pixelSize(), hint->font().pixelSize());
    }
    QVERIFY(!window.TempFolder().empty());
    QCOMPARE(window.Page(), WizardPage::DiskChoice);
    QVERIFY(window.Control(1171)->isVisible() && !window.Control(1186)->isVisible());
}

void MainWindowTest::NamedDisksThatCannotBeOfferedAreNamed() {
    Started run({{"/nonexistent/disk.img", false}, {test::DemoImage(), false}});
    QVERIFY(run.ok); // the window still opens with what can be offered
    const auto& asked = run.services.Answers().asked;
    QCOMPARE(asked.size(), std::size_t{1});
    QVERIFY(asked[0].text.find("/nonexistent/disk.img") != std::string::npos);
    QCOMPARE(asked[0].icon, MessageIcon::Error);
    QVERIFY(FindItem(run.window.Controls().tree, QStringLiteral("Disk0")) != nullptr);
}

void MainWindowTest::HelpOpensTheInstalledPage() {
    Started run;
    QVERIFY(run.ok);
    run.window.Help();
    const auto& opened = run.services.Shell().opened;
    QCOMPARE(opened.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(opened[0]), run.window.HelpPagePath());
    QVERIFY(run.window.HelpPagePath().startsWith(run.window.InstallFolder()));
    QVERIFY(QFile::exists(run.window.HelpPagePath())); // the build put it there

    // F1 is Help too; a failure to open is reported and the window goes on.
    run.services.Shell().fail = true;
    run.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&run.window));
    QTest::keyClick(&run.window, Qt::Key_F1);
    QCOMPARE(run.services.Shell().opened.size(), std::size_t{2});
    QCOMPARE(run.services.Answers().asked.size(), std::size_t{1});
    QCOMPARE(run.services.Answers().asked[0].icon, MessageIcon::Error);
    QVERIFY(run.window.isVisible());
}

void MainWindowTest::ExitAndEscAskBeforeTheyEnd() {
    Started run;
    QVERIFY(run.ok);
    test::ScriptedAnswers& answers = run.services.Answers();
    QSignalSpy finished(&run.window, &QDialog::finished);

    answers.answers = {MessageAnswer::No};
    QTest::mouseClick(run.window.Control(1165), Qt::LeftButton);
    QCOMPARE(answers.Texts(), std::vector<std::string>{"Do you want to Exit?"});
    QVERIFY(run.window.isVisible());

    answers.asked.clear();
    answers.answers = {MessageAnswer::No};
    QTest::keyClick(&run.window, Qt::Key_Escape);
    QCOMPARE(answers.Texts(), std::vector<std::string>{"Do you want to exit from Quorvane?"});
    QVERIFY(run.window.isVisible());
    QVERIFY(run.services.Shell().opened.empty());
    QCOMPARE(finished.size(), 0);

    // Yes to Cancel opens the product's page and closes the window.
    answers.asked.clear();
    answers.answers = {MessageAnswer::Yes};
    QTest::mouseClick(run.window.Control(2), Qt::LeftButton);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.front().front().toInt(), 0);
    QVERIFY(!run.window.isVisible());
    QCOMPARE(QString::fromStdString(run.services.Shell().opened.at(0)), run.window.HelpPagePath());
}

void MainWindowTest::CancelEndsARunningWorkerOnlyWhenAsked() {
    Started run;
    QVERIFY(run.ok);
    std::atomic<int> rows{0};
    std::atomic<bool> stoppedCleanly{false};
    QVERIFY(run.window.Worker().Start(WorkerKind::PartitionSearch, [&](std::stop_token stop) {
        while (!stop.stop_requested()) {
            ++rows;
            std::this_thread::yield();
        }
        stoppedCleanly = true;
    }));
    test::ScriptedAnswers& answers = run.services.Answers();
    answers.answers = {MessageAnswer::No};
    run.window.Cancel();
    QCOMPARE(answers.Texts(), std::vector<std::string>{"Do you want terminate current process?"});
    QVERIFY(run.window.Worker().IsRunning()); // declined: the search goes on
    const int before = rows;
    QTRY_VERIFY(rows > before);

    answers.answers = {MessageAnswer::Yes};
    run.window.Cancel();
    QVERIFY(stoppedCleanly); // asked to stop and came to its end itself
    QVERIFY(!run.window.Worker().IsRunning());
    QVERIFY(!run.window.isVisible());
    QVERIFY(run.services.Shell().opened.empty());
}

void MainWindowTest::WindowMenuOffersTheAboutBox() {
    Started run;
    QVERIFY(run.ok);
    QMenu* menu = run.window.WindowMenu();
    QStringList items;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            items.push_back(action->text());
        }
    }
    QCOMPARE(items, (QStringList{"&About Quorvane", "&Help", "E&xit"}));
    QCOMPARE(menu->actions().front()->data().toInt(), 16);
    QString aboutTitle;
    test::AcceptNextModal(&aboutTitle);
    QSignalSpy shown(&run.window, &MainWindow::AboutShown);
    menu->actions().front()->trigger();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(aboutTitle, QStringLiteral("About Quorvane"));
}

void MainWindowTest::EveryPageFitsAndCanBeReachedByKeyboard() {
    Started run;
    QVERIFY(run.ok);
    MainWindow& window = run.window;
    for (WizardPage page : {WizardPage::DiskChoice, WizardPage::PartitionChoice,
                            WizardPage::RawRecovery, WizardPage::Search, WizardPage::Results}) {
        window.ShowPage(page);
        // Every shown control lies inside the window and no two of them overlap.
        QList<QWidget*> shown;
        for (QWidget* child :
             window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (child->isVisible() && !child->inherits("QMenu")) {
                QVERIFY2(window.rect().contains(child->geometry()),
                         qPrintable(child->objectName()));
                shown.push_back(child);
            }
        }
        for (qsizetype i = 0; i < shown.size(); ++i) {
            for (qsizetype j = i + 1; j < shown.size(); ++j) {
                QVERIFY2(!shown[i]->geometry().intersects(shown[j]->geometry()),
                         qPrintable(QStringLiteral("%1 overlaps %2")
                                        .arg(shown[i]->objectName(), shown[j]->objectName())));
            }
        }
        // Tab walks through every shown control that takes the focus.
        QSet<QWidget*> reached;
        QWidget* first = window.focusWidget();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        for (int i = 0; i < 60; ++i) {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window,
                            Qt::Key_Tab);
            reached.insert(QApplication::focusWidget());
        }
        Q_UNUSED(first);
        for (int id : {1144, 1147, 2, 1165, 1164, 1166}) {
            QWidget* control = window.Control(id);
            if (control->isVisible() && control->isEnabled()) {
                QVERIFY2(reached.contains(control), qPrintable(QString::number(id)));
            }
        }
    }
    // The mnemonics work from anywhere in the window.
    window.ShowPage(WizardPage::DiskChoice);
    test::ScriptedAnswers& answers = run.services.Answers();
    answers.answers = {MessageAnswer::No};
    QTest::keyClick(window.focusWidget(), Qt::Key_X, Qt::AltModifier);
    QTRY_COMPARE(answers.Texts(), std::vector<std::string>{"Do you want to Exit?"});
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
