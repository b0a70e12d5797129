#include "Zurueck.h"

#include "journal/Journalansicht.h"
#include "platform/FileOps.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalBlocker>

namespace tw::journal {

namespace {

const QString bitteAuswaehlen = QStringLiteral("Bitte auswählen");
constexpr double schrift = 8.25;

void zuruecksetzen(QComboBox* combo)
{
    combo->setCurrentIndex(-1);
}

} // namespace

Zurueck::Zurueck(ZurueckUmgebung umgebung, QWidget* parent)
    : platform::TwipsForm(*umgebung.screen, parent,
                          Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowCloseButtonHint),
      m_umgebung(std::move(umgebung)), m_writer(std::make_unique<platform::AtomicFileWriter>())
{
    setObjectName(QStringLiteral("Zurueck"));
    setWindowTitle(QStringLiteral("Änderungen rückganig machen"));
    // Text1 is disabled only so that it cannot be edited: the pattern it shows must stay readable.
    QPalette lesbar = palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        lesbar.setColor(QPalette::Disabled, role, QColor(0x5A, 0x5A, 0x5A));
    setPalette(lesbar);

    const char* beschriftungen[4] = {"Bitte Sicherungsdatei wählen:", "Bitte Programmstart wählen:",
                                     "Bitte Sitzung wählen:", "Änderungsstring"};
    const float labelPlaetze[4][4] = {
        {240, 210, 3885, 255}, {240, 600, 3855, 255}, {240, 1020, 3855, 255}, {240, 1380, 3855, 255}};
    for (int i = 0; i < 4; ++i) {
        Label1[i] = new QLabel(QString::fromUtf8(beschriftungen[i]), this);
        Label1[i]->setObjectName(QStringLiteral("Label1_%1").arg(i));
        Label1[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        const auto& p = labelPlaetze[i];
        addControl(Label1[i], p[0], p[1], p[2], p[3], schrift);
    }

    File1 = new QListWidget(this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setSelectionMode(QAbstractItemView::SingleSelection);
    addControl(File1, 4320, 150, 4365, 390, 12);
    // A file counts as chosen when it is selected, not when the list merely takes the focus.
    connect(File1, &QListWidget::itemSelectionChanged, this, [this] {
        if (!File1->selectedItems().isEmpty())
            File1_Click();
    });

    auto combo = [this](const char* name, float top) {
        auto* c = new QComboBox(this);
        c->setObjectName(QString::fromLatin1(name));
        c->setPlaceholderText(bitteAuswaehlen);
        c->setEnabled(false);
        addControl(c, 4320, top, 4365, 315, schrift);
        return c;
    };
    Combo1 = combo("Combo1", 600);
    Combo2 = combo("Combo2", 990);
    connect(Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });
    connect(Combo2, &QComboBox::activated, this, [this] { Combo2_Click(); });

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setEnabled(false);
    addControl(Text1, 4320, 1380, 4365, 285, schrift);

    auto button = [this](const char* name, const char* text, float left) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QString::fromLatin1(name));
        addControl(b, left, 1830, 2775, 375, schrift);
        return b;
    };
    Command1 = button("Command1", "Betrachten", 120);
    Command2 = button("Command2", "Aktionen rückgangig machen", 3000);
    Command3 = button("Command3", "Abbrechen", 5970);
    connect(Command1, &QPushButton::clicked, this, &Zurueck::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Zurueck::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Zurueck::Command3_Click);

    setTabOrder(File1, Combo1);
    setTabOrder(Combo1, Combo2);
    setTabOrder(Combo2, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);
    setTabOrder(Command3, Text1);

    setFixedSize(toPixelsX(8865), toPixelsY(2280));
    dateienAuflisten();
    File1->setFocus();
}

Zurueck::~Zurueck() = default;

QString Zurueck::comboText(const QComboBox* combo)
{
    return combo->currentIndex() < 0 ? bitteAuswaehlen : combo->currentText();
}

void Zurueck::dateienAuflisten(const QString& auswahl)
{
    const QSignalBlocker still(File1);
    File1->clear();
    const QStringList namen =
        QDir(m_umgebung.programmordner)
            .entryList({QStringLiteral("Sich*.xml")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    File1->addItems(namen);
    const auto treffer = File1->findItems(auswahl, Qt::MatchExactly);
    if (!auswahl.isEmpty() && !treffer.isEmpty())
        File1->setCurrentItem(treffer.first());
}

void Zurueck::File1_Click()
{
    m_gewaehlt.reset();
    Text1->clear();
    Combo1->clear();
    Combo2->clear();
    Combo1->setEnabled(false);
    const auto gewaehlt = File1->selectedItems();
    m_datei =
        gewaehlt.isEmpty() ? QString() : QDir(m_umgebung.programmordner).filePath(gewaehlt.first()->text());
    if (m_datei.isEmpty())
        Sicherungsdaten.reset();
    else
        Datenbankchecken(m_datei);
    zuruecksetzen(Combo1);
    Combo2->setEnabled(false);
    zuruecksetzen(Combo2);
}

void Zurueck::Datenbankchecken(const QString& pfad)
{
    Sicherungsdaten = std::make_unique<platform::RecordSet>();
    if (!platform::fileExists(pfad))
        return;
    // Only a read long enough to let events run locks the window, so that choosing a small journal
    // with the arrow keys keeps the focus in the list.
    std::optional<std::array<bool, 6>> bedienbar;
    const platform::Result geoeffnet = journalOeffnenNebenher(pfad, *Sicherungsdaten, [this, &bedienbar] {
        if (!bedienbar)
            bedienbar = sperren();
        QCoreApplication::processEvents();
    });
    if (bedienbar)
        freigeben(*bedienbar);
    if (!geoeffnet) {
        Sicherungsdaten.reset();
        // The entry stays (the file may be mended and chosen again) but shows that it cannot be read.
        for (QListWidgetItem* eintrag : File1->findItems(QFileInfo(pfad).fileName(), Qt::MatchExactly)) {
            eintrag->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
            eintrag->setToolTip(QStringLiteral("Nicht lesbar: %1").arg(geoeffnet.message()));
        }
        m_umgebung.messages->show(
            this,
            QStringLiteral("Dies ist keine Datenbank von Tauschwerk\n\n%1 kann nicht gelesen "
                           "werden; die Datei bleibt unverändert.\n%2")
                .arg(QDir::toNativeSeparators(pfad), geoeffnet.message()),
            platform::MessageBox::Icon::Critical);
        return;
    }
    const QStringList starts = Programmstarts(*Sicherungsdaten);
    Combo1->addItems(starts);
    Combo1->setEnabled(!starts.isEmpty());
}

void Zurueck::Combo1_Click()
{
    m_gewaehlt.reset();
    Combo2->clear();
    Combo2->setEnabled(false);
    const auto filter = auswahlFilter(comboText(Combo1));
    if (Sicherungsdaten && filter && Sicherungsdaten->setFilter(*filter))
        combo_aktion(1);
    zuruecksetzen(Combo2);
    Text1->clear();
}

void Zurueck::combo_aktion(int index)
{
    Combo2->clear();
    if (index != 1 || !Sicherungsdaten)
        return;
    const QStringList sitzungen = Sitzungen(*Sicherungsdaten);
    Combo2->addItems(sitzungen);
    if (!sitzungen.isEmpty())
        Combo2->setEnabled(true);
}

bool Zurueck::beideGewaehlt() const
{
    return comboText(Combo1) != bitteAuswaehlen && comboText(Combo2) != bitteAuswaehlen && m_gewaehlt;
}

bool Zurueck::sitzungFiltern()
{
    const auto filter = auswahlFilter(comboText(Combo1), comboText(Combo2));
    return Sicherungsdaten && filter && Sicherungsdaten->setFilter(*filter) && !Sicherungsdaten->Eof();
}

void Zurueck::Combo2_Click()
{
    m_gewaehlt.reset();
    if (!sitzungFiltern()) {
        // A session the filter cannot reach is not chosen: the buttons must not act on an older choice.
        zuruecksetzen(Combo2);
        Text1->clear();
        return;
    }
    m_gewaehlt = Sitzungssatz::lesen(*Sicherungsdaten);
    Text1->setText(Sicherungsdaten->text(u"Aktionsstring"));
}

void Zurueck::Command1_Click()
{
    if (!beideGewaehlt()) {
        m_umgebung.messages->show(this, QStringLiteral("Bitte erst alle Eingaben machen"),
                                  platform::MessageBox::Icon::Information);
        return;
    }
    Anzeigen();
}

void Zurueck::Anzeigen()
{
    // The page is written from the record kept at the choice, so the sort changes nothing here.
    if (Sicherungsdaten)
        static_cast<void>(Sicherungsdaten->setSort(QStringLiteral("Programmstart Desc")));
    const platform::Expected<QString> seite =
        tw::journal::Anzeigen(m_umgebung.programmordner, m_gewaehlt, *m_writer);
    if (!seite) {
        m_umgebung.messages->show(this, seite.error().message(), platform::MessageBox::Icon::Warning);
        return;
    }
    if (const platform::Result geoeffnet = m_umgebung.opener->open(*seite); !geoeffnet)
        m_umgebung.messages->show(
            this, QStringLiteral("Die Seite konnte nicht geöffnet werden.\n%1").arg(geoeffnet.message()),
            platform::MessageBox::Icon::Warning);
}

void Zurueck::Command2_Click()
{
    if (!beideGewaehlt()) {
        m_umgebung.messages->show(this, QStringLiteral("Bitte erst alle Eingaben machen"),
                                  platform::MessageBox::Icon::Information);
        return;
    }
    if (!m_umgebung.messages->askYesNo(
            this, QStringLiteral("Möchten Sie wirklich diese Sitzung rückgängig machen")))
        return;
    meldung(Rueckgaengig());
}

RueckgaengigErgebnis Zurueck::Rueckgaengig()
{
    using Stand = RueckgaengigErgebnis::Stand;
    if (!m_gewaehlt) {
        RueckgaengigErgebnis e;
        e.stand = Stand::NichtGefunden;
        e.grund = QStringLiteral("Es ist keine Sitzung gewählt.");
        return e;
    }
    const auto bedienbar = sperren();
    const QString datei = m_datei;
    const Sitzungssatz satz = *m_gewaehlt;
    // An undo that takes a moment shows the busy cursor, also while it waits for another program's lock.
    bool beschaeftigt = false;
    RueckgaengigErgebnis e;
    {
        const auto danach = qScopeGuard([&] {
            if (beschaeftigt)
                QGuiApplication::restoreOverrideCursor();
            freigeben(bedienbar);
        });
        e = tw::journal::RueckgaengigNebenher(datei, satz, m_umkehrer, *m_writer, [&beschaeftigt] {
            if (!beschaeftigt) {
                beschaeftigt = true;
                QGuiApplication::setOverrideCursor(Qt::BusyCursor);
            }
            QCoreApplication::processEvents();
        });
    }
    if (e.stand == Stand::Ausgefuehrt || e.stand == Stand::NichtGefunden) {
        dateienAuflisten(QFileInfo(m_datei).fileName());
        File1_Click();
    }
    return e;
}

std::array<bool, 6> Zurueck::sperren()
{
    const std::array<QWidget*, 6> bedienung{File1, Combo1, Combo2, Command1, Command2, Command3};
    std::array<bool, 6> bedienbar{};
    m_fokus = focusWidget();
    for (std::size_t i = 0; i < bedienung.size(); ++i) {
        bedienbar[i] = bedienung[i]->isEnabled();
        bedienung[i]->setEnabled(false);
    }
    m_laeuft = true;
    return bedienbar;
}

void Zurueck::freigeben(const std::array<bool, 6>& bedienbar)
{
    m_laeuft = false;
    const std::array<QWidget*, 6> bedienung{File1, Combo1, Combo2, Command1, Command2, Command3};
    for (std::size_t i = 0; i < bedienung.size(); ++i)
        bedienung[i]->setEnabled(bedienbar[i]);
    if (m_fokus)
        m_fokus->setFocus();
}

void Zurueck::meldung(const RueckgaengigErgebnis& e)
{
    using Icon = platform::MessageBox::Icon;
    using Stand = RueckgaengigErgebnis::Stand;
    Icon icon = Icon::None;
    switch (e.stand) {
    case Stand::Ausgefuehrt:
        icon = e.fehlgeschlagen.isEmpty() && e.journal ? Icon::None : Icon::Warning;
        break;
    case Stand::NichtGefunden:
    case Stand::Besetzt:
        icon = Icon::Information;
        break;
    case Stand::Beschaedigt:
    case Stand::NichtLesbar:
        icon = Icon::Critical;
        break;
    }
    m_umgebung.messages->show(this, ergebnisMeldung(e), icon);
}

void Zurueck::Command3_Click()
{
    close();
}

void Zurueck::closeEvent(QCloseEvent* event)
{
    if (m_laeuft) {
        event->ignore();
        return;
    }
    platform::TwipsForm::closeEvent(event);
}

} // namespace tw::journal
