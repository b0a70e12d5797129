#include "platform/AdoXml.h"
#include "platform/FileOps.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QBuffer>
#include <gtest/gtest.h>

using namespace tw::platform;

namespace {

struct Zaehler
{
    int anrufe = 0;
    Breather atem{[this] { ++anrufe; }, 0};
};

RowsetData einFeld(const QString& wert)
{
    return {{FieldDef{u8("Ergebnisstring"), adType::VarChar, -1}}, {{wert}, {u8("klein")}}};
}

} // namespace

// A value of megabytes goes out in pieces and is escaped a slice at a time: what stands at the seams
// of the slices (a pair of surrogates, a stand-in before its second character) reads back unchanged.
TEST(Atem, ALargeValueWrittenInPiecesAndReadWithEventsBetweenReadsBackUnchanged)
{
    // The slices begin at 0, 65537 (the first seam moves past the pair) and 131073.
    QString wert(3 * 1024 * 1024, u'a');
    wert[65535] = QChar(0xD83D);
    wert[65536] = QChar(0xDE00);
    wert[131072] = QChar(0xFDD0); // a stand-in of the value itself, before a second character
    wert[131073] = QChar(0xFDD1);
    wert[200000] = u'\x01';
    wert[200001] = u'\'';
    Zaehler schreiben;
    QByteArray datei;
    int stuecke = 0;
    const Result geschrieben = writeRowsetXml(
        einFeld(wert),
        [&](QByteArrayView stueck) {
            EXPECT_LE(stueck.size(), 2 * 1024 * 1024);
            ++stuecke;
            datei.append(stueck);
            return Result::success();
        },
        &schreiben.atem);
    ASSERT_TRUE(geschrieben.ok());
    EXPECT_GT(stuecke, 2);
    EXPECT_EQ(schreiben.anrufe, stuecke) << "the events ran between the pieces";

    Zaehler lesen;
    QBuffer quelle(&datei);
    quelle.open(QIODevice::ReadOnly);
    const Expected<RowsetData> zurueck = readRowsetXml(quelle, &lesen.atem);
    ASSERT_TRUE(zurueck) << zurueck.error().message().toStdString();
    ASSERT_EQ(zurueck->rows.size(), 2u);
    EXPECT_TRUE(valueText(zurueck->rows[0][0]) == wert);
    EXPECT_GE(lesen.anrufe, datei.size() / (64 * 1024)) << "the events ran between the chunks read";
}

// A failure of the disk in the middle of a file stops the writing at once and leaves the old journal.
TEST(Atem, AFailedPieceStopsTheWriterAndTheReplacementLeavesTheOldFile)
{
    int stuecke = 0;
    const Result voll = writeRowsetXml(einFeld(QString(4 * 1024 * 1024, u'x')), [&](QByteArrayView) {
        ++stuecke;
        return Result::failure(28, u8("voll"));
    });
    EXPECT_EQ(std::pair(voll.message(), stuecke), std::pair(u8("voll"), 1));

    tw::test::TempDir dir;
    const QString pfad = dir.write(u8("Sich_05.12.2026.xml"), "alt");
    AtomicFileWriter writer;
    const Result ersetzt = writer.replace(
        pfad,
        [](const AtomicFileWriter::Sink& sink) {
            static_cast<void>(sink("<xml>"));
            return Result::failure(28, u8("voll"));
        },
        nullptr);
    EXPECT_FALSE(ersetzt.ok());
    EXPECT_EQ(tw::test::tree(dir.path()), u8s({"Sich_05.12.2026.xml: alt"})) << "no temporary file left";
}
