#include "app/EndOfRun.h"
#include "app/WorkerSlot.h"
#include "tests/app/AppTestSupport.h"

#include <QSignalSpy>
#include <QTest>

#include <atomic>

using namespace quorvane;
using namespace quorvane::app;

namespace {

class FakeRun final : public RunControl {
public:
    WorkerKind running = WorkerKind::None;
    bool results = false;
    bool saved = false;
    int stops = 0;
    int saves = 0;
    int pages = 0;

    WorkerKind RunningWorker() const override { return running; }
    bool ShowsResults() const override { return results; }
    bool RecoverySaved() const override { return saved; }
    void StopWorker() override {
        ++stops;
        running = WorkerKind::None;
    }
    void SaveRecoveryLog() override { ++saves; }
    void OpenWebPage() override { ++pages; }
};

constexpr const char* kExit = "Do you want to Exit?";
constexpr const char* kSave = "Do you want to save the recovery?";
constexpr const char* kLeave = "Do you want to exit from Quorvane?";
constexpr const char* kTerminate = "Do you want terminate current process?";

} // namespace

Q_DECLARE_METATYPE(quorvane::app::WorkerKind)
Q_DECLARE_METATYPE(quorvane::app::EndDecision)

class EndOfRunTest : public QObject {
    Q_OBJECT
private slots:
    void ExitAndCancelAskTheirQuestions_data();
    void ExitAndCancelAskTheirQuestions();
    void WorkerStopsAtItsSafePointWhileTheWindowAnswers();
    void OneWorkerAtATime();
};

void EndOfRunTest::ExitAndCancelAskTheirQuestions_data() {
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<WorkerKind>("running");
    QTest::addColumn<bool>("results");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QList<int>>("answers"); // 1 Yes, 0 No
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<EndDecision>("decision");
    QTest::addColumn<QList<int>>("effects"); // stops, saves, pages

    using W = WorkerKind;
    const auto q = [](std::initializer_list<const char*> texts) {
        QStringList list;
        for (const char* text : texts) {
            list.push_back(QString::fromLatin1(text));
        }
        return list;
    };
    const auto stay = EndDecision::Stay;
    const auto end = EndDecision::EndProgram;
    QTest::newRow("exit declined: nothing stops")
        << false << W::Scan << true << false << QList<int>{0} << q({kExit}) << stay
        << QList<int>{0, 0, 0};
    QTest::newRow("exit on the first step") << false << W::None << false << false << QList<int>{1}
                                            << q({kExit}) << end << QList<int>{0, 0, 0};
    QTest::newRow("exit with results offers the log")
        << false << W::None << true << false << QList<int>{1, 1} << q({kExit, kSave}) << end
        << QList<int>{0, 1, 0};
    QTest::newRow("exit with results, log declined")
        << false << W::None << true << true << QList<int>{1, 0} << q({kExit, kSave}) << end
        << QList<int>{0, 0, 0};
    QTest::newRow("exit during a scan stops it and offers no log")
        << false << W::Scan << true << false << QList<int>{1} << q({kExit}) << end
        << QList<int>{1, 0, 0};
    QTest::newRow("exit during the partition search stops it")
        << false << W::PartitionSearch << false << false << QList<int>{1} << q({kExit}) << end
        << QList<int>{1, 0, 0};
    QTest::newRow("cancel declined") << true << W::None << false << false << QList<int>{0}
                                     << q({kLeave}) << stay << QList<int>{0, 0, 0};
    QTest::newRow("cancel opens the product's page")
        << true << W::None << false << false << QList<int>{1} << q({kLeave}) << end
        << QList<int>{0, 0, 1};
    QTest::newRow("cancel with unsaved results offers the log first")
        << true << W::None << true << false << QList<int>{1, 0} << q({kSave, kLeave}) << stay
        << QList<int>{0, 1, 0};
    QTest::newRow("cancel with saved results") << true << W::None << true << true << QList<int>{1}
                                               << q({kLeave}) << end << QList<int>{0, 0, 1};
    QTest::newRow("cancel during the partition search, declined")
        << true << W::PartitionSearch << false << false << QList<int>{0} << q({kTerminate}) << stay
        << QList<int>{0, 0, 0};
    QTest::newRow("cancel during the partition search")
        << true << W::PartitionSearch << false << false << QList<int>{1} << q({kTerminate}) << end
        << QList<int>{1, 0, 0};
    QTest::newRow("cancel during a scan, declined")
        << true << W::Scan << false << false << QList<int>{0} << q({kTerminate}) << stay
        << QList<int>{0, 0, 0};
    QTest::newRow("cancel during a save at the results")
        << true << W::Save << true << false << QList<int>{1} << q({kTerminate}) << end
        << QList<int>{1, 0, 0};
}

void EndOfRunTest::ExitAndCancelAskTheirQuestions() {
    QFETCH(bool, cancel);
    QFETCH(WorkerKind, running);
    QFETCH(bool, results);
    QFETCH(bool, saved);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, questions);
    QFETCH(EndDecision, decision);
    QFETCH(QList<int>, effects);

    test::ScriptedAnswers asker;
    for (int answer : answers) {
        asker.answers.push_back(answer == 1 ? MessageAnswer::Yes : MessageAnswer::No);
    }
    FakeRun run;
    run.running = running;
    run.results = results;
    run.saved = saved;
    QCOMPARE(cancel ? AskCancel(asker, run) : AskExit(asker, run), decision);
    QStringList asked;
    for (const auto& question : asker.asked) {
        asked.push_back(QString::fromStdString(question.text));
        QCOMPARE(question.caption, std::string("Quorvane"));
        QCOMPARE(question.buttons, MessageButtons::YesNo);
    }
    QCOMPARE(asked, questions);
    QCOMPARE((QList<int>{run.stops, run.saves, run.pages}), effects);
}

void EndOfRunTest::WorkerStopsAtItsSafePointWhileTheWindowAnswers() {
    QObject window;
    WorkerSlot slot;
    QSignalSpy finished(&slot, &WorkerSlot::Finished);
    std::atomic<int> rows{0};
    std::atomic<bool> answered{false};
    std::atomic<bool> sawStop{false};
    QVERIFY(slot.Start(WorkerKind::Scan, [&](std::stop_token stop) {
        while (!stop.stop_requested()) {
            ++rows;
            // Each row asks the window something and waits for the answer,
            // as a worker with a question does.
            QMetaObject::invokeMethod(
                &window, [&] { answered = true; }, Qt::BlockingQueuedConnection);
        }
        sawStop = true;
    }));
    QCOMPARE(slot.Running(), WorkerKind::Scan);
    QTRY_VERIFY(rows > 3);
    slot.StopAndWait(); // must not dead-lock with the waiting worker
    QVERIFY(sawStop);
    QVERIFY(answered);
    QCOMPARE(slot.Running(), WorkerKind::None);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.front().front().value<WorkerKind>(), WorkerKind::Scan);
}

void EndOfRunTest::OneWorkerAtATime() {
    WorkerSlot slot;
    std::atomic<bool> release{false};
    QVERIFY(slot.Start(WorkerKind::PartitionSearch, [&](std::stop_token stop) {
        while (!release && !stop.stop_requested()) {
            std::this_thread::yield();
        }
    }));
    QVERIFY(!slot.Start(WorkerKind::Scan, [](std::stop_token) {}));
    release = true;
    QSignalSpy finished(&slot, &WorkerSlot::Finished);
    QVERIFY(finished.wait(10000));
    QVERIFY(!slot.IsRunning());
    QVERIFY(slot.Start(WorkerKind::Scan, [](std::stop_token) {}));
    slot.StopAndWait();
}

QTEST_MAIN(EndOfRunTest)
#include "EndOfRunTest.moc"
