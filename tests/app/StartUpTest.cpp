#include "app/StartUp.h"
#include "app/MainWindow.h"
#include "app/NoticeDialog.h"
#include "app/SplashWindow.h"
#include "tests/app/AppTestSupport.h"
#include "ui/controls/CTransparentStatic2.h"

#include <QTest>

using namespace quorvane;
using namespace quorvane::app;

class StartUpTest : public QObject {
    Q_OBJECT
private slots:
    void CommandLineNamesDisksAndRejectsWhatItDoesNotKnow();
    void OnlyReleaseSixGetsTheNotice();
    void NoticeShowsItsTexts();
    void SplashKeepsTheEventLoopRunning();
    void StartSequenceShowsTheNoticeThenTheWindow();
    void WithoutInstallEntryTheProgramEnds();
};

void StartUpTest::CommandLineNamesDisksAndRejectsWhatItDoesNotKnow() {
    QString error;
    QString output;
    const auto options = ParseCommandLine(
        {"quorvane", "--image", "a.img", "--no-splash", "--image=/dev/sdz", "--floppy", "f.img"},
        error, output);
    QVERIFY2(options.has_value(), qPrintable(error));
    QVERIFY(options->noSplash);
    QCOMPARE(options->named.size(), std::size_t{3});
    QCOMPARE(options->named[0].path, std::string("a.img"));
    QVERIFY(!options->named[0].floppy);
    QCOMPARE(options->named[1].path, std::string("/dev/sdz"));
    QCOMPARE(options->named[2].path, std::string("f.img"));
    QVERIFY(options->named[2].floppy);
    QVERIFY(!ParseCommandLine({"quorvane"}, error, output)->noSplash);

    const QList<QStringList> bad = {{"quorvane", "--imag", "a.img"},
                                    {"quorvane", "disk.img"},
                                    {"quorvane", "--image"},
                                    {"quorvane", "--floppy", "a", "--floppy", "b"}};
    for (const QStringList& arguments : bad) {
        error.clear();
        QVERIFY(!ParseCommandLine(arguments, error, output).has_value());
        QVERIFY2(!error.isEmpty(), qPrintable(arguments.join(' ')));
    }
    error.clear();
    QVERIFY(!ParseCommandLine({"quorvane", "--help"}, error, output).has_value());
    QVERIFY(error.isEmpty());
    QVERIFY(output.contains(QLatin1String("--no-splash")));
}

void StartUpTest::OnlyReleaseSixGetsTheNotice() {
    const auto release = [](unsigned major) {
        platform::OsVersionInfo info;
        info.majorVersion = major;
        return std::optional<platform::OsVersionInfo>(info);
    };
    QVERIFY(NoticeDialog::Required(release(6)));
    QVERIFY(!NoticeDialog::Required(release(5)));
    QVERIFY(!NoticeDialog::Required(release(10)));
    QVERIFY(!NoticeDialog::Required(std::nullopt));
    QVERIFY(!NoticeDialog::Required(platform::GetOsVersion())); // this system
}

void StartUpTest::NoticeShowsItsTexts() {
    NoticeDialog notice;
    QCOMPARE(notice.windowTitle(), QStringLiteral("Tessik Vista Check"));
    QStringList texts;
    for (const auto* label : notice.findChildren<ui::CTransparentStatic2*>()) {
        texts.push_back(label->text());
    }
    QVERIFY(texts.contains(QStringLiteral("Dear Quorvane user,")));
    QVERIFY(texts.contains(QStringLiteral(
        "Currently you are using Windows Vista Oprating System, We recommend  you  that  before "
        "procedding next please  uncheck the User Account Check (UAC) from your control "
        "panel.\n\nTo disable User Account Control (UAC) follow the instructions:")));
    QVERIFY(texts.contains(QStringLiteral(
        "Open Control Panel >>Switch to Classic View >>Click on  User Accounts >>Click on Turn "
        "User Account Control on or off >>Uncheck Use User Account Control (UAC) to protect your "
        "computer")));
    QVERIFY(texts.contains(QStringLiteral(
        "Once User Access Control (UAC) is disable, Run Orlune Data Recovery.\n\nIf you have "
        "already disable the UAC of your windows Vista, Please ignore this message and "
        "continue.")));
    QVERIFY(notice.width() <= 1366 && notice.height() <= 700);
}

void StartUpTest::SplashKeepsTheEventLoopRunning() {
    SplashWindow splash;
    QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    int ticks = 0;
    bool visibleWhileTicking = true;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&] {
        ++ticks;
        visibleWhileTicking = visibleWhileTicking && splash.isVisible();
    });
    ticker.start(10);
    splash.ShowFor(400);
    ticker.stop();
    QVERIFY(ticks > 0); // timers fired during the splash: nothing froze
    QVERIFY(visibleWhileTicking);
    QVERIFY(!splash.isVisible());
    QCOMPARE(SplashWindow::kDurationMs, 2000);
}

void StartUpTest::StartSequenceShowsTheNoticeThenTheWindow() {
    for (const unsigned major : {6U, 10U}) {
        test::TestServices services;
        platform::OsVersionInfo os;
        os.majorVersion = major;
        services.Services().os = os;
        StartOptions options;
        options.noSplash = true;
        options.named.push_back({test::DemoImage(), false});

        // The notice (when shown) is accepted; then the window, once up, is
        // left through Exit.
        QStringList titles;
        std::function<void(int)> watch = [&](int attempts) {
            test::Soon(
                [&, attempts] {
                    QWidget* modal = QApplication::activeModalWidget();
                    auto* window = qobject_cast<MainWindow*>(modal);
                    if (window != nullptr) {
                        titles.push_back(window->windowTitle());
                        services.Answers().answers.push_back(MessageAnswer::Yes);
                        window->Exit();
                        return;
                    }
                    if (modal != nullptr && !titles.contains(modal->windowTitle())) {
                        titles.push_back(modal->windowTitle());
                        QMetaObject::invokeMethod(modal, "accept");
                    }
                    if (attempts > 0) {
                        watch(attempts - 1);
                    }
                },
                20);
        };
        watch(500);
        QCOMPARE(RunStartSequence(services.Services(), options), 0);
        const QStringList expected =
            major == 6 ? QStringList{"Tessik Vista Check", "Quorvane"} : QStringList{"Quorvane"};
        QCOMPARE(titles, expected);
        QCOMPARE(services.Answers().Texts(), std::vector<std::string>{"Do you want to Exit?"});
    }
}

void StartUpTest::WithoutInstallEntryTheProgramEnds() {
    test::TestServices services(false);
    StartOptions options;
    options.noSplash = true;
    QCOMPARE(RunStartSequence(services.Services(), options), 0);
    const auto& asked = services.Answers().asked;
    QCOMPARE(asked.size(), std::size_t{1});
    QCOMPARE(asked[0].text,
             std::string("Quorvane is not installed properly,\nPlease run setup again."));
    QCOMPARE(asked[0].caption, std::string("Quorvane"));
    QCOMPARE(asked[0].icon, MessageIcon::Error);
    QCOMPARE(asked[0].buttons, MessageButtons::Ok);
}

QTEST_MAIN(StartUpTest)
#include "StartUpTest.moc"
