#pragma once

#include "app/AppServices.h"
#include "platform/RegistryFile.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quorvane::test {

// Answers the wizard's questions from a script (No, or OK, when it runs out)
// and keeps every question.
class ScriptedAnswers final : public UserQuestions {
public:
    struct Question {
        std::string text;
        std::string caption;
        MessageIcon icon;
        MessageButtons buttons;
    };
    std::deque<MessageAnswer> answers;
    std::vector<Question> asked;
    // Runs while the question is "on screen" (before it is answered).
    std::function<void(const Question&)> onAsk;

    BadSectorChoice AskBadSector() override { return BadSectorChoice::Skip; }
    MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                              MessageButtons buttons) override {
        asked.push_back({std::string(text), std::string(caption), icon, buttons});
        if (onAsk) {
            onAsk(asked.back());
        }
        if (answers.empty()) {
            return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
        }
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Question& question : asked) {
            texts.push_back(question.text);
        }
        return texts;
    }
};

// Keeps what it was asked to open instead of starting a program.
class RecordingShell final : public platform::Shell {
public:
    std::vector<std::string> opened;
    bool fail = false;
    bool OpenWithAssociatedProgram(const std::string& target, std::string& error) override {
        opened.push_back(target);
        if (fail) {
            error = "No program is set up to open " + target + ".";
            return false;
        }
        return true;
    }
};

// The services of one test: a registry store of its own over the build's
// install entry (or none), the real helper program reading an empty device
// tree, and scripted answers.
class TestServices {
public:
    explicit TestServices(bool installed = true)
        : registry_(
              std::filesystem::path(folder_.filePath(QStringLiteral("registry")).toStdString()),
              installed
                  ? std::filesystem::path(QUORVANE_BINARY_DIR) / "share" / "quorvane" /
                        "machine.reg"
                  : std::filesystem::path(folder_.filePath(QStringLiteral("none")).toStdString())) {
        // probenix finds no removable disk here: only the named images are listed.
        QDir(folder_.path()).mkpath(QStringLiteral("sys/block"));
        qputenv("PROBENIX_SYSFS", folder_.filePath(QStringLiteral("sys")).toLocal8Bit());
        qputenv("PROBENIX_DEV", folder_.filePath(QStringLiteral("dev")).toLocal8Bit());
        qputenv("QUORVANE_REGISTRY", folder_.filePath(QStringLiteral("registry")).toLocal8Bit());
    }

    app::AppServices& Services() { return services_; }
    ScriptedAnswers& Answers() { return answers_; }
    RecordingShell& Shell() { return shell_; }
    QString Folder() const { return folder_.path(); }

private:
    QTemporaryDir folder_;
    platform::RegistryFile registry_;
    platform::SystemProcessLauncher launcher_;
    RecordingShell shell_;
    ScriptedAnswers answers_;
    app::AppServices services_{registry_, launcher_, shell_, answers_, std::nullopt};
};

inline std::string DemoImage() {
    return std::string(QUORVANE_FIXTURE_DIR) + "/demo.img";
}

// Runs `act` on the next turn of the event loop, e.g. to answer a dialog
// that is about to be shown modally.
inline void Soon(std::function<void()> act, int milliseconds = 0) {
    QTimer::singleShot(milliseconds, qApp, std::move(act));
}

// Closes the modal dialog shown now, once one is, with accept(); its title.
inline void AcceptNextModal(QString* title, int attempts = 200) {
    Soon(
        [title, attempts] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr) {
                if (attempts > 0) {
                    AcceptNextModal(title, attempts - 1);
                }
                return;
            }
            if (title != nullptr) {
                *title = modal->windowTitle();
            }
            QMetaObject::invokeMethod(modal, "accept");
        },
        10);
}

} // namespace quorvane::test
