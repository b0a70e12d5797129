// Filter and sort texts against the journal's fields: first line the filter, second the sort.
#include "platform/RecordSet.h"

using namespace tw::platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size));
    const int zeile = text.indexOf(u'\n');
    const QString filter = zeile < 0 ? text : text.left(zeile);
    const QString sort = zeile < 0 ? QString() : text.mid(zeile + 1);

    static RecordSet rs = [] {
        RecordSet r;
        static_cast<void>(r.Append(QStringLiteral("Sitzung"), adType::Integer, 4));
        static_cast<void>(r.Append(QStringLiteral("Pfad"), adType::VarWChar, 255));
        static_cast<void>(r.Append(QStringLiteral("Zeit"), adType::DBTime, 8));
        static_cast<void>(r.Append(QStringLiteral("Betrag"), adType::Double, 8));
        static_cast<void>(r.Open());
        const QVariant werte[][4] = {
            {1, QStringLiteral("/a/b.txt"), QStringLiteral("12:00:00"), 1.5},
            {2, QStringLiteral("Ä*'x"), QVariant(), -3},
            {QVariant(), QString(), QStringLiteral("00:00:01"), QVariant()},
        };
        for (const auto& zeile : werte) {
            static_cast<void>(r.AddNew());
            static_cast<void>(r.setValue(u"Sitzung", zeile[0]));
            static_cast<void>(r.setValue(u"Pfad", zeile[1]));
            static_cast<void>(r.setValue(u"Zeit", zeile[2]));
            static_cast<void>(r.setValue(u"Betrag", zeile[3]));
            static_cast<void>(r.Update());
        }
        return r;
    }();
    if (rs.setFilter(filter) && rs.setSort(sort)) {
        for (rs.toFirst(); !rs.Eof(); rs.toNext())
            static_cast<void>(rs.text(u"Pfad"));
    }
    rs.clearFilter();
    rs.clearSort();
    return 0;
}
