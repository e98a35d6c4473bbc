#include "TestSupport.h"
#include "app/KVError.h"
#include "store/KVid.h"

#include <gtest/gtest.h>

namespace {

QDateTime At(int y, int mo, int d, int h, int mi, int s, int ms) { return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms)); }

// The message of the error the call throws, or "" when it returns.
template <class F> QString ErrorOf(F&& f)
{
    try {
        f();
    } catch (const KVError& e) {
        return e.text();
    }
    return QString();
}

TEST(RecordId, DigitAlphabet)
{
    const std::pair<quint16, char> cases[] = {{0, '0'}, {9, '9'}, {10, 'A'}, {35, 'Z'}, {36, 'a'}, {61, 'z'}};
    for (const auto& [value, digit] : cases)
        EXPECT_EQ(IdDigit(value), QLatin1Char(digit)) << value;
    EXPECT_EQ(ErrorOf([] { IdDigit(62); }), "ID overflow 62 ");
    EXPECT_EQ(ErrorOf([] { IdDigit(65535); }), "ID overflow 65535 ");
}

TEST(RecordId, Layout)
{
    struct Case {
        QDateTime moment;
        qint32 counterBefore;
        const char* id; // or the error message
    };
    const Case cases[] = {
        {At(2021, 2, 15, 13, 45, 30, 123), 0, "LMKVL2FDjU63001"},
        {At(2021, 12, 31, 23, 59, 59, 999), 238326, "LMKVLCVNxxnJzzz"},
        {At(2021, 12, 31, 23, 59, 59, 999), 238327, "LMKVLCVNxxnJ000"}, // the counter wraps to 0
        {At(2000, 1, 1, 0, 0, 0, 0), 61, "LMKV01100000010"},
        {At(2061, 6, 1, 12, 0, 0, 0), 3843, "LMKVz61C0000100"},
        {At(2062, 1, 1, 0, 0, 0, 0), 0, "ID overflow 62 "},
        {At(1999, 12, 31, 23, 59, 59, 0), 0, "ID overflow 65535 "},
    };
    for (const Case& c : cases) {
        IdState ids;
        ids.IdCounter = c.counterBefore;
        QString got;
        const QString error = ErrorOf([&] { got = NewRecordId(ids, "L", "M", "KV", c.moment); });
        EXPECT_EQ(error.isEmpty() ? got : error, QLatin1String(c.id)) << c.moment.toString(Qt::ISODateWithMs).toStdString();
    }
}

TEST(RecordId, CounterAdvancesPerCallAndOnFailure)
{
    IdState ids;
    const QDateTime same = At(2021, 2, 15, 13, 45, 30, 123);
    const QString a = NewRecordId(ids, "L", "M", "KV", same);
    const QString b = NewRecordId(ids, "L", "M", "KV", same);
    EXPECT_EQ(a.left(12), b.left(12));
    EXPECT_EQ(a.mid(12), "001");
    EXPECT_EQ(b.mid(12), "002");

    EXPECT_EQ(ErrorOf([&] { NewRecordId(ids, "LL", "M", "KV", same); }),
              "lengte locatie, machine of gebruikerstring niet voldoende \"LL\" \"M\" \"KV\" ");
    EXPECT_EQ(ErrorOf([&] { NewRecordId(ids, "L", "M", "K", same); }),
              "lengte locatie, machine of gebruikerstring niet voldoende \"L\" \"M\" \"K\" ");
    EXPECT_EQ(ids.IdCounter, 4);
    EXPECT_EQ(NewRecordId(ids, "L", "M", "KV", same).mid(12), "005");
}

TEST(RecordId, FromTheApplicationStateUsesItsCodesAndClock)
{
    TestApp app(Edition::Dutch, false);
    app.g->ids.IdLocation = "L";
    app.g->ids.IdMachine = "M";
    app.g->ids.IdUser = "KV";
    EXPECT_EQ(NewRecordId(*app.g), "LMKVL2FDjU63001");
    app.rec.clock = At(1999, 5, 1, 8, 0, 0, 0);
    EXPECT_EQ(ErrorOf([&] { NewRecordId(*app.g); }), "ID overflow 65535 ");
}

}
