#pragma once

#include "engine/core/UserInterface.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace quorvane::app {

// The engine's questions as real dialogs. They are always shown on the
// window's thread; a worker that asks waits there until the user answers.
class GuiQuestions final : public QObject, public UserQuestions {
    Q_OBJECT
public:
    explicit GuiQuestions(QObject* parent = nullptr);

    // The window the dialogs are centred on (none: the screen).
    void SetWindow(QWidget* window) { window_ = window; }

    BadSectorChoice AskBadSector() override;
    MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                              MessageButtons buttons) override;

private:
    template <typename Ask> auto OnWindowThread(Ask ask);
    QPointer<QWidget> window_;
};

} // namespace quorvane::app
