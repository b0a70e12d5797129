#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tw::rename {

// Encloses a counter, "start - end", in a name pattern.
inline constexpr QChar ZaehlerMarke = QChar(0x00A9);
// Marks a placeholder for the file's old base name.
inline constexpr QChar NameMarke = QChar(0x00AE);
inline const QString Ursprungsfad = QStringLiteral("Ursprungsfad");
inline constexpr qint64 hoechsterZaehler = 2147483647;

struct Zaehlerangabe
{
    QString start;
    QString ende;
};

// The pattern with a counter appended; zero padding fills the start to the width of the end.
QString zaehlerEinfuegen(const QString& muster, const QString& von, const QString& bis,
                         bool nullenAuffuellen);
// The pattern with the old-name placeholder appended.
QString nameEinfuegen(const QString& muster);

// A counter field's text as a whole number from 0 to 2147483647, or nothing.
std::optional<qint64> zaehlerwert(const QString& text);

// What leaving a counter field changes: the field texts (the field left without its blanks), the message
// to show, and the field that gets the focus back (-1: none). The end never exceeds the highest counter.
struct Feldpruefung
{
    QString von;
    QString bis;
    QString meldung;
    bool fehlerSymbol = false;
    int fokus = -1;
};
Feldpruefung zaehlerfeldVerlassen(int feld, const QString& von, const QString& bis, int listenAnzahl);

// Why the chosen folder cannot take the files (it is missing or cannot be entered); empty when it can, or
// when nothing was chosen.
QString zielordnerFehler(const QString& ordner);

// Whether a text holds only characters that a file name can hold: no "/" and no NUL.
bool nurNamenszeichen(const QString& text);

// Whether an edit of the pattern from vortext to text leaves every marked segment of one marker kind as
// it was; false rejects the edit.
bool text_check(const QString& text, const QString& vortext, QChar marke);

// The counters of a run: one per pair of counter markers, left to right, stepped like an odometer whose
// rightmost counter is the lowest digit.
class Zaehlwerk
{
public:
    // Reads the counters of the pattern and sets each to its start.
    void Zaehler(const QString& muster);
    // One step; zaehlerbreite is the width every counter is padded to.
    void Umbenennen(int zaehlerbreite);
    void Collection_leeren();

    QList<Zaehlerangabe> Zaehlerliste;
    QStringList Zaehlerstand;
};

// The names of one entry of the work list.
struct NeuerName
{
    QString alterPfad;   // alterOrdner + alterName, as the work list holds it
    QString alterOrdner; // ends with the separator
    QString alterName;
    QString basisname;
    QString endung;
    QString neuerName;
    QString neuerPfad;
    QString neuerOrdner; // ends with the separator
};

NeuerName Neuen_Pfad_erstellen(const QString& pfad, const QString& muster, const Zaehlwerk& zaehlwerk,
                               const QString& zielordner);

// Whether the new path is a file of its own directly in the chosen folder (the old folder under
// "Ursprungsfad"), and no name leads elsewhere.
bool bleibtImOrdner(const NeuerName& name, const QString& zielordner);

} // namespace tw::rename
