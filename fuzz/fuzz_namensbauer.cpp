// The name builder's checks of a pattern: pieces separated by NUL are the pattern, the text before the
// edit, a counter field and the old path.
#include "rename/Namensbauer.h"

#include <cstdlib>

using namespace tw::rename;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList teile =
        QString::fromUtf8(reinterpret_cast<const char*>(data), int(size)).split(QChar(0));
    const QString muster = teile.value(0);
    const QString vortext = teile.value(1);
    const QString feld = teile.value(2);
    const QString pfad = teile.value(3, QStringLiteral("/a/b.txt"));

    static_cast<void>(text_check(muster, vortext, ZaehlerMarke));
    static_cast<void>(text_check(muster, vortext, NameMarke));
    if (const auto wert = zaehlerwert(feld); wert && (*wert < 0 || *wert > hoechsterZaehler))
        std::abort();
    static_cast<void>(zaehlerfeldVerlassen(0, feld, vortext, 100));
    static_cast<void>(zaehlerfeldVerlassen(1, vortext, feld, 100));

    Zaehlwerk zaehlwerk;
    zaehlwerk.Zaehler(muster);
    for (int schritt = 0; schritt < 3; ++schritt) {
        const NeuerName n = Neuen_Pfad_erstellen(pfad, muster, zaehlwerk, Ursprungsfad);
        if (bleibtImOrdner(n, Ursprungsfad) && !nurNamenszeichen(n.neuerName))
            std::abort();
        static_cast<void>(Neuen_Pfad_erstellen(pfad, muster, zaehlwerk, QStringLiteral("/ziel")));
        zaehlwerk.Umbenennen(static_cast<int>(feld.size() % 12));
    }
    return 0;
}
