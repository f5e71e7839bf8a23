#include "app/StartUp.h"

#include "app/MainWindow.h"
#include "app/NoticeDialog.h"
#include "app/SplashWindow.h"

#include <QCommandLineParser>

namespace quorvane::app {

std::optional<StartOptions> ParseCommandLine(const QStringList& arguments, QString& error,
                                             QString& output) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Quorvane: the data-recovery wizard. Disks and disk images are read "
                       "sector by sector and never written to."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption noSplash(QStringLiteral("no-splash"),
                                      QStringLiteral("Start without the splash window."));
    const QCommandLineOption image(
        QStringLiteral("image"),
        QStringLiteral("A disk image file or block device to offer as a disk (repeatable)."),
        QStringLiteral("FILE"));
    const QCommandLineOption floppy(
        QStringLiteral("floppy"),
        QStringLiteral("A disk image or device to offer as the 1.44\" floppy."),
        QStringLiteral("FILE"));
    parser.addOptions({noSplash, image, floppy});

    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return std::nullopt;
    }
    if (parser.isSet(help)) {
        output = parser.helpText();
        return std::nullopt;
    }
    if (parser.isSet(version)) {
        output = QStringLiteral("quorvane " QUORVANE_VERSION "\n");
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        error = QStringLiteral("unexpected argument '%1' (name disk images with --image FILE)")
                    .arg(parser.positionalArguments().front());
        return std::nullopt;
    }
    if (parser.values(floppy).size() > 1) {
        error = QStringLiteral("--floppy can be given once");
        return std::nullopt;
    }
    StartOptions options;
    options.noSplash = parser.isSet(noSplash);
    for (const QString& path : parser.values(image)) {
        options.named.push_back({path.toStdString(), false});
    }
    for (const QString& path : parser.values(floppy)) {
        options.named.push_back({path.toStdString(), true});
    }
    return options;
}

int RunStartSequence(AppServices& services, const StartOptions& options) {
    if (!options.noSplash) {
        SplashWindow splash;
        splash.ShowFor(SplashWindow::kDurationMs);
    }
    if (NoticeDialog::Required(services.os)) {
        NoticeDialog notice;
        notice.exec();
    }
    MainWindow window(services, options);
    if (!window.Initialise()) {
        return window.ExitCode();
    }
    window.exec();
    return 0;
}

} // namespace quorvane::app
