#include "Vorabprotokoll.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <array>
#include <atomic>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace tw::journal {

using platform::Expected;
using platform::Result;

namespace {

const QByteArray kopfKennung = QByteArrayLiteral("Tauschwerk-Sitzung");
const QByteArray version = QByteArrayLiteral("1");

const char hex[] = "0123456789abcdef";

// UTF-8 of one code point.
char* utf8(char32_t c, char* p)
{
    if (c < 0x80) {
        *p++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *p++ = static_cast<char>(0xC0 | (c >> 6));
        *p++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *p++ = static_cast<char>(0xE0 | (c >> 12));
        *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *p++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *p++ = static_cast<char>(0xF0 | (c >> 18));
        *p++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *p++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return p;
}

char* hexZiffern(unsigned wert, int stellen, char* p)
{
    for (int shift = (stellen - 1) * 4; shift >= 0; shift -= 4)
        *p++ = hex[(wert >> shift) & 0xF];
    return p;
}

// Tabs end fields and line feeds end records, so neither may stand raw in a value; nor may anything that
// does not survive as UTF-8 (a lone surrogate) or that an editor might eat (control characters).
// Writes at most six bytes per UTF-16 unit.
char* maskieren(QStringView wert, char* p)
{
    for (qsizetype i = 0; i < wert.size(); ++i) {
        const char16_t c = wert[i].unicode();
        if (c >= 0x20 && c < 0x7F && c != u'\\') {
            *p++ = static_cast<char>(c);
        } else if (QChar::isHighSurrogate(c) && i + 1 < wert.size() && wert[i + 1].isLowSurrogate()) {
            p = utf8(QChar::surrogateToUcs4(c, wert[i + 1].unicode()), p);
            ++i;
        } else if (QChar::isSurrogate(c)) {
            *p++ = '\\';
            *p++ = 'u';
            p = hexZiffern(c, 4, p);
        } else if (c == u'\\' || c == u'\t' || c == u'\n' || c == u'\r') {
            *p++ = '\\';
            *p++ = c == u'\\' ? '\\' : c == u'\t' ? 't' : c == u'\n' ? 'n' : 'r';
        } else if (c < 0x20 || c == 0x7F) {
            *p++ = '\\';
            *p++ = 'x';
            p = hexZiffern(c, 2, p);
        } else {
            p = utf8(c, p);
        }
    }
    return p;
}

std::optional<QString> demaskieren(QByteArrayView roh)
{
    QString wert;
    QByteArray lauf;
    const auto abschliessen = [&]() {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        wert += utf8.decode(lauf);
        lauf.clear();
        return !utf8.hasError();
    };
    const auto zahl = [&](qsizetype von, int stellen) -> std::optional<char16_t> {
        if (von + stellen > roh.size())
            return std::nullopt;
        bool ok = false;
        const uint z = QByteArray(roh.sliced(von, stellen).data(), stellen).toUInt(&ok, 16);
        return ok ? std::optional<char16_t>(static_cast<char16_t>(z)) : std::nullopt;
    };
    for (qsizetype i = 0; i < roh.size(); ++i) {
        if (roh[i] != '\\') {
            lauf += roh[i];
            continue;
        }
        if (i + 1 >= roh.size() || !abschliessen())
            return std::nullopt;
        const char e = roh[++i];
        std::optional<char16_t> c;
        switch (e) {
        case '\\':
            c = u'\\';
            break;
        case 't':
            c = u'\t';
            break;
        case 'n':
            c = u'\n';
            break;
        case 'r':
            c = u'\r';
            break;
        case 'x':
            c = zahl(i + 1, 2);
            i += 2;
            break;
        case 'u':
            c = zahl(i + 1, 4);
            i += 4;
            break;
        default:
            break;
        }
        if (!c)
            return std::nullopt;
        wert += QChar(*c);
    }
    if (!abschliessen())
        return std::nullopt;
    return wert;
}

// qChecksum's CRC (ISO 3309, the files' check sum), eight bytes at a time: it is computed twice per file of
// a run, and Qt's goes four bits at a time.
struct Pruefsummentafeln
{
    std::array<std::array<quint16, 256>, 8> t{};
    constexpr Pruefsummentafeln()
    {
        for (unsigned i = 0; i < 256; ++i) {
            unsigned c = i;
            for (int bit = 0; bit < 8; ++bit)
                c = (c >> 1) ^ ((c & 1) ? 0x8408u : 0u);
            t[0][i] = static_cast<quint16>(c);
        }
        for (std::size_t k = 1; k < 8; ++k) {
            for (unsigned i = 0; i < 256; ++i)
                t[k][i] = static_cast<quint16>((t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF]);
        }
    }
};

constexpr Pruefsummentafeln tafeln;

quint16 pruefsumme(QByteArrayView daten)
{
    const auto& t = tafeln.t;
    const auto* p = reinterpret_cast<const unsigned char*>(daten.data());
    qsizetype n = daten.size();
    unsigned c = 0xFFFF;
    for (; n >= 8; n -= 8, p += 8) {
        c ^= p[0] | (p[1] << 8);
        c = t[7][c & 0xFF] ^ t[6][c >> 8] ^ t[5][p[2]] ^ t[4][p[3]] ^ t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^
            t[0][p[7]];
    }
    for (; n > 0; --n, ++p)
        c = (c >> 8) ^ t[0][(c ^ *p) & 0xFF];
    return static_cast<quint16>(~c);
}

// Appends one record to aus, straight into its buffer: a run writes two records per file.
void zeileAnfuegen(QByteArray& aus, std::initializer_list<QStringView> felder)
{
    const qsizetype von = aus.size();
    qsizetype hoechstens = 6;
    for (QStringView f : felder)
        hoechstens += f.size() * 6 + 1;
    aus.resize(von + hoechstens);
    char* const anfang = aus.data() + von;
    char* p = anfang;
    bool erstes = true;
    for (QStringView f : felder) {
        if (!erstes)
            *p++ = '\t';
        erstes = false;
        p = maskieren(f, p);
    }
    const quint16 pruef = pruefsumme(QByteArrayView(anfang, p - anfang));
    *p++ = '\t';
    p = hexZiffern(pruef, 4, p);
    *p++ = '\n';
    aus.resize(p - aus.data());
}

QByteArray zeile(std::initializer_list<QStringView> felder)
{
    QByteArray z;
    zeileAnfuegen(z, felder);
    return z;
}

// The fields of a whole record with a matching check sum; nothing for a damaged one.
std::optional<QStringList> felderLesen(QByteArrayView z)
{
    const qsizetype tab = z.lastIndexOf('\t');
    if (tab < 0 || z.size() - tab != 5)
        return std::nullopt;
    const QByteArrayView inhalt = z.first(tab);
    bool ok = false;
    const uint pruef = QByteArray(z.sliced(tab + 1).data(), 4).toUInt(&ok, 16);
    if (!ok || pruef != pruefsumme(inhalt))
        return std::nullopt;
    QStringList felder;
    for (qsizetype von = 0;;) {
        const qsizetype bis = inhalt.indexOf('\t', von);
        const auto wert = demaskieren(inhalt.sliced(von, (bis < 0 ? inhalt.size() : bis) - von));
        if (!wert)
            return std::nullopt;
        felder << *wert;
        if (bis < 0)
            return felder;
        von = bis + 1;
    }
}

std::optional<Sitzungskopf> kopfLesen(const QStringList& f)
{
    if (f.size() != 7 || f[0] != QLatin1String(kopfKennung) || f[1] != QLatin1String(version))
        return std::nullopt;
    Sitzungskopf k;
    bool ok1 = false, ok2 = false;
    k.Programmstart = f[2].toShort(&ok1);
    k.Sitzung = f[3].toInt(&ok2);
    k.Aktionsstring = f[4];
    k.tag = QDate::fromString(f[5], QStringLiteral("dd.MM.yyyy"));
    k.zeit = f[6];
    if (!ok1 || !ok2 || !k.tag.isValid())
        return std::nullopt;
    return k;
}

// Applies one record; false when it is no record of a recovery file.
bool anwenden(const QStringList& f, OffeneSitzung& s)
{
    if (f.size() == 3 && f[0] == u"S") {
        bool ok = false;
        const qint32 sitzung = f[1].toInt(&ok);
        if (!ok)
            return false;
        s.kopf.Sitzung = sitzung;
        s.kopf.Aktionsstring = f[2];
        return true;
    }
    if (f.size() == 6 && f[0] == u"A") {
        s.aktionen.append({{f[1], f[2], f[4], f[3]}, true, f[5]});
        s.letzteZeit = f[4];
        return true;
    }
    if (f.size() == 5 && f[0] == u"E") {
        const Aktionseintrag e{f[1], f[2], f[4], f[3]};
        s.letzteZeit = e.Zeit;
        // The outcome belongs to the intent of the same paths; an entry made without one stands alone.
        for (qsizetype i = s.aktionen.size() - 1; i >= 0; --i) {
            VorabAktion& a = s.aktionen[i];
            if (a.offen && a.eintrag.AlterPfad == e.AlterPfad && a.eintrag.NeuerPfad == e.NeuerPfad) {
                a.eintrag = e;
                a.offen = false;
                return true;
            }
        }
        s.aktionen.append({e, false, QString()});
        return true;
    }
    return false;
}

std::atomic<int> g_naechsteNummer{1};

} // namespace

Expected<OffeneSitzung> vorabLesen(const QByteArray& inhalt)
{
    const auto unlesbar = [](const QString& grund) { return Result::failure(EINVAL, grund); };
    if (inhalt.isEmpty())
        return unlesbar(QStringLiteral("Die Datei ist leer."));
    OffeneSitzung s;
    qsizetype von = 0;
    bool beschaedigt = false;
    for (int nummer = 1; von < inhalt.size(); ++nummer) {
        const qsizetype ende = inhalt.indexOf('\n', von);
        if (ende < 0) {
            // The record being written when the program ended.
            if (nummer == 1)
                return unlesbar(QStringLiteral("Die erste Zeile ist unvollständig."));
            s.abgerissen = true;
            break;
        }
        const auto felder = felderLesen(QByteArrayView(inhalt).sliced(von, ende - von));
        von = ende + 1;
        if (nummer == 1) {
            const auto kopf = felder ? kopfLesen(*felder) : std::nullopt;
            if (!kopf)
                return unlesbar(QStringLiteral("Die erste Zeile ist kein Sitzungsbeginn."));
            s.kopf = *kopf;
            s.letzteZeit = kopf->zeit;
            continue;
        }
        if (felder && !beschaedigt && anwenden(*felder, s))
            continue;
        if (felder && beschaedigt)
            return unlesbar(QStringLiteral("Zeile %1 ist beschädigt.").arg(nummer - 1));
        // A damaged tail is what a power cut leaves; anything whole after it would be damage in the middle.
        beschaedigt = true;
        s.abgerissen = true;
    }
    return s;
}

QString dateikennung(const QString& pfad)
{
    struct stat st = {};
    if (::lstat(QFile::encodeName(pfad).constData(), &st) != 0)
        return QStringLiteral("-");
    return QStringLiteral("%1:%2").arg(quint64(st.st_dev)).arg(quint64(st.st_ino));
}

Vorabprotokoll::Vorabprotokoll(platform::AppendFile datei) : m_datei(std::move(datei))
{
    m_seitSicherung.start();
    m_takt.setSingleShot(true);
    // A failed flush shows in the run's next record.
    QObject::connect(&m_takt, &QTimer::timeout, &m_takt, [this] { static_cast<void>(nebenherSichern()); });
}

Vorabprotokoll::~Vorabprotokoll()
{
    if (m_datei.isOpen())
        static_cast<void>(sichern());
}

Expected<std::unique_ptr<Vorabprotokoll>> Vorabprotokoll::anlegen(const QString& ordner,
                                                                  const Sitzungskopf& kopf)
{
    const QByteArray erste =
        zeile({QString::fromLatin1(kopfKennung), QString::fromLatin1(version),
               QString::number(kopf.Programmstart), QString::number(kopf.Sitzung), kopf.Aktionsstring,
               kopf.tag.toString(QStringLiteral("dd.MM.yyyy")), kopf.zeit});
    for (int versuch = 0;; ++versuch) {
        const QString name = QStringLiteral("Sitzung_%1_%2.offen").arg(::getpid()).arg(g_naechsteNummer++);
        Expected<platform::AppendFile> datei =
            platform::AppendFile::create(QDir(ordner).filePath(name), erste);
        if (datei)
            return std::unique_ptr<Vorabprotokoll>(new Vorabprotokoll(std::move(*datei)));
        // A leftover of an earlier process of the same number.
        if (datei.error().code() != EEXIST || versuch >= 100)
            return datei.error();
    }
}

Result Vorabprotokoll::stand(qint32 sitzung, const QString& aktionsstring)
{
    const qsizetype vorher = m_ausstehend.size();
    zeileAnfuegen(m_ausstehend, {u"S", QString::number(sitzung), aktionsstring});
    return anfuegen(vorher);
}

Result Vorabprotokoll::vorhaben(const Aktionseintrag& a, const QString& ziel)
{
    const qsizetype vorher = m_ausstehend.size();
    zeileAnfuegen(m_ausstehend, {u"A", a.AlterPfad, a.NeuerPfad, a.Aktion, a.Zeit, ziel});
    return anfuegen(vorher);
}

Result Vorabprotokoll::eingetragen(const Aktionseintrag& a)
{
    // Goes out with the next record, the next intent in a run: one write per file. Until then a crash
    // leaves this file in flight, as it would between the operation and a write of its own.
    zeileAnfuegen(m_ausstehend, {u"E", a.AlterPfad, a.NeuerPfad, a.Aktion, a.Zeit});
    if (!m_takt.isActive() && QCoreApplication::instance())
        m_takt.start(Sicherungsabstand);
    return Result::success();
}

Result Vorabprotokoll::anfuegen(qsizetype neuAb)
{
    // The outcomes still waiting go out with the new record, in one write; a refused record is dropped,
    // the outcomes stay for the next try.
    if (Result r = m_datei.append(m_ausstehend); !r) {
        m_ausstehend.truncate(neuAb);
        return r;
    }
    m_ausstehend.resize(0);
    m_ungesichert = true;
    // The first record after a pause, as a single step writes it, is on disk before its file is touched.
    const bool nachPause = !m_seitSatz.isValid() || m_seitSatz.elapsed() >= Sicherungsabstand;
    m_seitSatz.start();
    if (nachPause)
        return sichern();
    // Those of a run go in groups, flushed beside it.
    const qint64 seit = m_seitSicherung.elapsed();
    if (seit >= Sicherungsabstand)
        return nebenherSichern();
    if (!m_takt.isActive() && QCoreApplication::instance())
        m_takt.start(static_cast<int>(Sicherungsabstand - seit));
    return Result::success();
}

Result Vorabprotokoll::ausstehendeSchreiben()
{
    m_takt.stop();
    if (!m_ausstehend.isEmpty()) {
        if (Result r = m_datei.append(m_ausstehend); !r)
            return r;
        m_ausstehend.clear();
        m_ungesichert = true;
    }
    return Result::success();
}

Result Vorabprotokoll::nebenherSichern()
{
    if (Result r = ausstehendeSchreiben(); !r)
        return r;
    if (m_ungesichert && m_datei.syncBeside()) {
        m_ungesichert = false;
        m_seitSicherung.start();
    }
    // The last flush still runs and may not cover what came since: the next record, or this, tries again.
    if (m_ungesichert && !m_takt.isActive() && QCoreApplication::instance())
        m_takt.start(Sicherungsabstand / 10);
    return Result::success();
}

Result Vorabprotokoll::sichern()
{
    if (Result r = ausstehendeSchreiben(); !r)
        return r;
    if (!m_ungesichert)
        return Result::success();
    Result r = m_datei.sync();
    if (r) {
        m_ungesichert = false;
        m_seitSicherung.start();
    }
    return r;
}

Result Vorabprotokoll::entfernen()
{
    m_takt.stop();
    m_ausstehend.clear();
    m_ungesichert = false;
    return m_datei.remove();
}

} // namespace tw::journal
