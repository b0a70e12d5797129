#include "Laufbericht.h"

#include <QDir>
#include <QFileInfo>

namespace tw::rename {

namespace {

// A box taller than the screen would hide its button.
constexpr int gezeigt = 5;

QString partizip(platform::FileAction aktion)
{
    switch (aktion) {
    case platform::FileAction::Rename:
        break;
    case platform::FileAction::Copy:
        return QStringLiteral("kopiert");
    case platform::FileAction::Move:
        return QStringLiteral("verschoben");
    }
    return QStringLiteral("umbenannt");
}

} // namespace

void Laufbericht::erfassen(const platform::FileOutcome& ergebnis)
{
    ++m_bearbeitet;
    if (ergebnis.done())
        return;
    if (++m_fehlgeschlagen <= gezeigt)
        m_erste.append(ergebnis);
}

QString Laufbericht::text() const
{
    if (m_fehlgeschlagen == 0)
        return {};
    const bool eine = m_fehlgeschlagen == 1;
    QString text =
        QStringLiteral("%1 von %2 %3 dieses Laufs %4 nicht %5:\n")
            .arg(m_fehlgeschlagen)
            .arg(m_bearbeitet)
            .arg(m_bearbeitet == 1 ? QStringLiteral("Datei") : QStringLiteral("Dateien"),
                 eine ? QStringLiteral("wurde") : QStringLiteral("wurden"), partizip(m_erste.first().action));
    for (const platform::FileOutcome& f : m_erste) {
        // A new name in the file's own folder is shown as the name alone, so that the line stays short.
        const QFileInfo alt(f.source), neu(f.target);
        const QString ziel = neu.path() == alt.path() ? neu.fileName() : QDir::toNativeSeparators(f.target);
        text += QStringLiteral("\n%1 → %2\n    %3").arg(QDir::toNativeSeparators(f.source), ziel, f.reason);
    }
    if (m_fehlgeschlagen > gezeigt)
        text += QStringLiteral("\n… und %1 weitere.").arg(m_fehlgeschlagen - gezeigt);
    return text + (eine ? QStringLiteral("\n\nIn der Sicherungsdatei wird sie als „Fehler“ geführt.")
                        : QStringLiteral("\n\nIn der Sicherungsdatei werden sie als „Fehler“ geführt."));
}

} // namespace tw::rename
