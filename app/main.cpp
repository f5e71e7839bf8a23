#include "app/Artwork.h"
#include "app/GuiQuestions.h"
#include "app/StartUp.h"
#include "app/Theme.h"
#include "platform/RegistryFile.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorvane"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quorvane"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVANE_VERSION));
    QApplication::setWindowIcon(quorvane::app::Artwork::AppIcon());

    QString error;
    QString output;
    const std::optional<quorvane::app::StartOptions> options =
        quorvane::app::ParseCommandLine(QApplication::arguments(), error, output);
    if (!options) {
        if (!error.isEmpty()) {
            std::fprintf(stderr, "quorvane: %s\n", error.toLocal8Bit().constData());
            return 2;
        }
        std::fputs(output.toLocal8Bit().constData(), stdout);
        return 0;
    }
    quorvane::app::Theme::Apply(application);

    platform::RegistryFile registry = platform::RegistryFile::ForThisProgram();
    platform::SystemProcessLauncher launcher;
    platform::SystemShell shell;
    quorvane::app::GuiQuestions questions;
    quorvane::app::AppServices services{registry, launcher, shell, questions,
                                        platform::GetOsVersion()};
    return quorvane::app::RunStartSequence(services, *options);
}
