#include "catalogue/Dateiauswahl.h"
#include "platform/BrowserWindow.h"
#include "platform/DocumentOpener.h"
#include "platform/FileOps.h"
#include "platform/Heap.h"
#include "platform/MessageBox.h"
#include "platform/ProgramIcon.h"
#include "platform/ProgramPlaces.h"
#include "platform/QtScreenMetrics.h"
#include "platform/WaitCursor.h"
#include "rename/Aenderungen.h"
#include "shell/ProgrammStart.h"
#include "stack/ForgroundWindow.h"
#include "stack/QtFensterumgebung.h"
#include "stack/SystemLaufwerke.h"
#include "stack/frmAuswahlbutton.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[])
{
    tw::platform::shareOneHeap();
    // The window stack places top-level windows itself, which only X11 allows.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tauschwerk"));
    QApplication::setQuitOnLastWindowClosed(true);
    // Every window without an icon of its own shows the program's.
    QApplication::setWindowIcon(tw::platform::programIcon());

    // The window layouts were drawn for a narrow sans-serif; a face with Arial's widths keeps their
    // captions from being cut where one is installed.
    if (QFontDatabase::families().contains(QStringLiteral("Liberation Sans"))) {
        QFont schrift = QApplication::font();
        schrift.setFamily(QStringLiteral("Liberation Sans"));
        QApplication::setFont(schrift);
    }

    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    tw::platform::WaitCursor waitCursor;
    tw::platform::setLockWaitHook(&waitCursor);

    tw::platform::SystemClock clock;
    tw::platform::QtScreenMetrics screen;
    tw::platform::QtMessageBox messages;
    tw::platform::DesktopDocumentOpener opener;
    tw::stack::SystemLaufwerke laufwerke;

    tw::shell::StartDependencies deps;
    const tw::platform::ProgramPlaces places = tw::platform::programPlaces();
    deps.programFolder = places.folder;
    deps.clock = &clock;
    deps.screen = &screen;
    deps.messages = &messages;
    deps.opener = &opener;
    deps.documentation = places.documentation;
    deps.browserErstellen = [] { return std::make_unique<tw::platform::BrowserWindow>(); };
    deps.laufwerke = &laufwerke;
    deps.ordnerWaehlen = [](QWidget* parent, const QString& titel) {
        const QString ordner = QFileDialog::getExistingDirectory(parent, titel, QDir::homePath());
        // No trailing separator, except for the root.
        return ordner.size() > 1 && ordner.endsWith(u'/') ? ordner.chopped(1) : ordner;
    };

    tw::shell::ProgrammStart start(deps);
    tw::stack::QtFensterumgebung::Formulare formulare;
    formulare.auswahlbutton = [&start]() -> QWidget* { return start.auswahlbutton(); };
    formulare.dateiauswahl = [&start]() -> QWidget* { return start.dateiauswahl(); };
    formulare.aenderungen = [&start]() -> QWidget* { return start.aenderungen(); };
    tw::stack::QtFensterumgebung fenster(start, *start.Timer1, std::move(formulare));
    tw::stack::ForgroundWindow waechter(fenster);
    start.fensterPruefen = [&waechter] { waechter.Fenster_pruefen(); };
    start.show();
    return QApplication::exec();
}
