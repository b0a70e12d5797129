#include "platform/DocumentOpener.h"
#include "platform/FileOps.h"
#include "platform/MessageBox.h"
#include "platform/QtScreenMetrics.h"
#include "shell/ProgrammStart.h"
#include "stack/ForgroundWindow.h"

#include <QApplication>
#include <QLocale>
#include <QTranslator>
#include <QLibraryInfo>

int main(int argc, char* argv[])
{
    // The window stack places top-level windows itself, which only X11 allows.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tauschwerk"));
    QApplication::setQuitOnLastWindowClosed(true);

    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    tw::platform::SystemClock clock;
    tw::platform::QtScreenMetrics screen;
    tw::platform::QtMessageBox messages;
    tw::platform::DesktopDocumentOpener opener;

    tw::shell::StartDependencies deps;
    deps.programFolder = tw::platform::programFolder();
    deps.clock = &clock;
    deps.screen = &screen;
    deps.messages = &messages;
    deps.opener = &opener;
    deps.documentation = QApplication::applicationDirPath() + QStringLiteral("/Tauschwerk.html");

    tw::shell::ProgrammStart start(deps);
    start.fensterPruefen = [] { tw::stack::Fenster_pruefen(); };
    start.show();
    return QApplication::exec();
}
