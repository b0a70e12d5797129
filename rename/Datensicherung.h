#pragma once

#include "platform/FileOutcome.h"
#include "platform/Result.h"
#include "rename/Ueberwachung.h"

#include <QString>
#include <functional>

namespace tw::journal {
class DatenBanken;
}
namespace tw::platform {
class RecordSet;
}

namespace tw::rename {

// Action index of the folder option: rename in place, copy into a folder, move into a folder.
enum Aktion
{
    Umbenennen = 0,
    Kopieren = 1,
    Verschieben = 2,
};

// The journal's text for an action index.
QString aktionstext(int aktion);

// Renames, copies or moves one file and writes the result line on the monitor. Returns 0, or the
// error number of the failure. Rename and move never replace an existing file; an action index other
// than 0, 1, 2 does nothing.
int Datei_aendern(const QString& quelle, const QString& ziel, int aktion, Ueberwachung& monitor);

// The journal session a run records every file's action in. An entry that cannot be made stops the run;
// an intent that cannot be noted stops it before the file is touched.
class Sitzungsprotokoll
{
public:
    virtual ~Sitzungsprotokoll() = default;
    // What is about to happen to a file, noted where a crash cannot take it.
    virtual platform::Result Aktion_vorhaben(const QString& alterPfad, const QString& neuerPfad,
                                             const QString& aktion)
    {
        Q_UNUSED(alterPfad);
        Q_UNUSED(neuerPfad);
        Q_UNUSED(aktion);
        return platform::Result::success();
    }
    virtual platform::Result Aktion_eintragen(const QString& alterPfad, const QString& neuerPfad,
                                              const QString& aktion) = 0;
    // A run has ended: what was noted goes to disk now.
    virtual void Lauf_beendet() {}
    // Whether a crash during this action leaves nothing to settle but whether it happened, so that it may
    // go on beside the run while the intents of the files after it are noted.
    virtual bool zielUnerheblich(const QString& aktion, const QString& alterPfad, const QString& neuerPfad)
    {
        Q_UNUSED(aktion);
        Q_UNUSED(alterPfad);
        Q_UNUSED(neuerPfad);
        return false;
    }
};

// The catalogue that every processed file leaves.
class Dateikatalog
{
public:
    virtual ~Dateikatalog() = default;
    virtual void entfernen(const QString& pfad) = 0;
    // Readies the lookup of paths before a run, letting events run through zwischendurch meanwhile.
    virtual void vorbereiten(const std::function<void()>& zwischendurch) { static_cast<void>(zwischendurch); }
};

// The session of the day's journal store.
class Journalsitzung : public Sitzungsprotokoll
{
public:
    explicit Journalsitzung(journal::DatenBanken& db) : m_db(db) {}
    platform::Result Aktion_vorhaben(const QString& alterPfad, const QString& neuerPfad,
                                     const QString& aktion) override;
    platform::Result Aktion_eintragen(const QString& alterPfad, const QString& neuerPfad,
                                      const QString& aktion) override;
    void Lauf_beendet() override;
    bool zielUnerheblich(const QString& aktion, const QString& alterPfad, const QString& neuerPfad) override;

private:
    journal::DatenBanken& m_db;
};

// The selection window's catalogue table. Only the record of exactly the processed path goes, and a
// path without a record removes nothing.
class Katalogtabelle : public Dateikatalog
{
public:
    explicit Katalogtabelle(platform::RecordSet& katalog) : m_katalog(katalog) {}
    void entfernen(const QString& pfad) override;
    void vorbereiten(const std::function<void()>& zwischendurch) override;

private:
    platform::RecordSet& m_katalog;
};

} // namespace tw::rename
