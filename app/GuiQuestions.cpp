#include "app/GuiQuestions.h"

#include "app/BadSectorDialog.h"

#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

namespace quorvane::app {

GuiQuestions::GuiQuestions(QObject* parent) : QObject(parent) {}

template <typename Ask> auto GuiQuestions::OnWindowThread(Ask ask) {
    using Answer = decltype(ask());
    if (QThread::currentThread() == thread()) {
        return ask();
    }
    Answer answer{};
    QMetaObject::invokeMethod(
        this, [&answer, &ask] { answer = ask(); }, Qt::BlockingQueuedConnection);
    return answer;
}

BadSectorChoice GuiQuestions::AskBadSector() {
    return OnWindowThread([this] {
        BadSectorDialog dialog(window_);
        return dialog.Ask();
    });
}

MessageAnswer GuiQuestions::ShowMessage(std::string_view text, std::string_view caption,
                                        MessageIcon icon, MessageButtons buttons) {
    const QString body = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QString title = QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
    return OnWindowThread([&] {
        QMessageBox box(window_);
        box.setWindowTitle(title);
        box.setText(body);
        box.setWindowModality(Qt::ApplicationModal);
        switch (icon) {
        case MessageIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MessageIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MessageIcon::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case MessageIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MessageIcon::None:
            break;
        }
        switch (buttons) {
        case MessageButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MessageButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case MessageButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        case MessageButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        }
        switch (box.exec()) {
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        case QMessageBox::Cancel:
            return MessageAnswer::Cancel;
        default:
            // A box closed without a button answers as its least harmful one.
            return buttons == MessageButtons::Ok      ? MessageAnswer::Ok
                   : buttons == MessageButtons::YesNo ? MessageAnswer::No
                                                      : MessageAnswer::Cancel;
        }
    });
}

} // namespace quorvane::app
