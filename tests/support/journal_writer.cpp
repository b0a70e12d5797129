// Saves a number of one-action sessions into the day's journal of a folder, as a second program
// would; used to test that concurrent saves lose nothing.
#include "journal/DatenBanken.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: journal_writer FOLDER PROGRAMMSTART COUNT\n");
        return 2;
    }
    tw::platform::SystemClock clock;
    tw::journal::DatenBanken db(args[1], clock);
    const auto start = static_cast<qint16>(args[2].toInt());
    const int count = args[3].toInt();
    for (int i = 1; i <= count; ++i) {
        db.Sitzung_beginnen();
        auto saved =
            db.Aktion_eintragen(QStringLiteral("/alt/%1-%2").arg(start).arg(i),
                                QStringLiteral("/neu/%1-%2").arg(start).arg(i), QStringLiteral("Umbenannt"));
        if (saved)
            saved = db.Sitzung_speichern(start, i, QStringLiteral("Muster"));
        if (!saved.ok()) {
            std::fprintf(stderr, "%s\n", qPrintable(saved.message()));
            return 1;
        }
    }
    return 0;
}
