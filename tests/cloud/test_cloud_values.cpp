// What another unit writes into the inbox is untrusted: every value is made fit for the local
// column before it is stored, and every value sent is made fit for the cloud column.
#include "CloudTestSupport.h"

#include <gtest/gtest.h>
#include <limits>

using namespace CloudColumns;

namespace {
const Column& col(CloudKind kind, const QString& name)
{
    for (const Column& c : Columns(kind))
        if (c.name == name)
            return c;
    throw std::runtime_error("no column " + name.toStdString());
}
CloudValue bytes(const char* s) { return QByteArray(s); }
}

TEST(CloudColumns, KindsHaveTheColumnsOfTheirInboxTables)
{
    EXPECT_EQ(Columns(CloudKind::Tickets).size(), 135u);
    EXPECT_EQ(Columns(CloudKind::Clients).size(), 19u);
    EXPECT_EQ(Columns(CloudKind::Parts).size(), 4u);
    for (CloudKind k : {CloudKind::Tickets, CloudKind::Clients, CloudKind::Parts})
        EXPECT_EQ(Columns(k).front().name, "id");
    const auto& kv = Columns(CloudKind::Tickets);
    EXPECT_EQ(kv[2].name, "handtekening");
    EXPECT_EQ(kv[133].name, "handtekening2");
    EXPECT_EQ(kv[134].name, "numnodig");
    EXPECT_EQ(TableName(CloudKind::Tickets, 0), "kv0");
    EXPECT_EQ(TableName(CloudKind::Clients, 10), "og10");
    EXPECT_EQ(TableName(CloudKind::Parts, 3), "od3");
    // Of a ticket, only the photo columns stay local.
    QStringList kept;
    for (const Column& c : kv)
        if (!c.takenOver)
            kept << c.name;
    EXPECT_EQ(kept, QStringList({"foto1", "foto2", "foto3", "foto4", "numfoto"}));
}

TEST(CloudColumns, IncomingTextsAreCleanedAndCutToTheLocalColumn)
{
    struct Case {
        CloudKind kind;
        const char* column;
        QByteArray in;
        QString out;
    } cases[] = {
        {CloudKind::Clients, "btwnr", "NL0123456789B01XYZ", "NL0123456789B01"},
        // A cut never splits a character made of two UTF-16 units.
        {CloudKind::Clients, "telnr", "06123456789012\xF0\x9F\x98\x80", "06123456789012"},
        {CloudKind::Clients, "naam", "Jan\r\nBcc: x\tY\x01\x7F", "Jan Bcc: x Y"},
        {CloudKind::Tickets, "werkzh", "regel 1\r\nregel 2\r\n", "regel 1\r\nregel 2\r\n"},
        {CloudKind::Tickets, "bonnr", "../../etc/x", ".._.._etc_x"},
        {CloudKind::Tickets, "bonnr", "1\\2", "1_2"},
        {CloudKind::Parts, "omschr", "Kraan \xC3\xAB\xE2\x82\xAC \xFF\xFE", QString::fromUtf8("Kraan ë€ \uFFFD\uFFFD")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FromCloud(col(c.kind, c.column), c.in).toString(), c.out) << c.column << " " << c.in.constData();
    EXPECT_EQ(FromCloud(col(CloudKind::Tickets, "werkzh"), QByteArray(200000, 'a')).toString().size(), 65535);
    EXPECT_EQ(FromCloud(col(CloudKind::Clients, "naam"), std::nullopt).toString(), "");
}

TEST(CloudColumns, IncomingNumbersAreParsedAndKeptInRange)
{
    struct Case {
        CloudKind kind;
        const char* column;
        CloudValue in;
        double out;
    } cases[] = {
        {CloudKind::Tickets, "aantal1", bytes("12"), 12},
        {CloudKind::Tickets, "aantal1", bytes("-3"), -3},
        {CloudKind::Tickets, "aantal1", bytes("99999999999999"), std::numeric_limits<qint32>::max()},
        {CloudKind::Tickets, "km1", bytes("-99999999999999"), std::numeric_limits<qint32>::min()},
        {CloudKind::Tickets, "km1", bytes("12.9"), 12},
        {CloudKind::Tickets, "km1", bytes("veel"), 0},
        {CloudKind::Tickets, "km1", std::nullopt, 0},
        // The counts of parts lines index the 13 lines of a ticket.
        {CloudKind::Tickets, "numodd", bytes("99"), 13},
        {CloudKind::Tickets, "numnodig", bytes("-1"), 0},
        {CloudKind::Tickets, "prijs1", bytes("12.50"), 12.5},
        {CloudKind::Tickets, "werk1", bytes("1e400"), 0},
        {CloudKind::Tickets, "werk1", bytes("nan"), 0},
        {CloudKind::Tickets, "werk1", bytes("inf"), 0},
        {CloudKind::Parts, "prijs", bytes("-1e300"), -MaxDecimal},
        {CloudKind::Clients, "percob", bytes("21"), 21},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FromCloud(col(c.kind, c.column), c.in).toDouble(), c.out)
            << c.column << " " << (c.in ? c.in->constData() : "null");
}

TEST(CloudColumns, IncomingBooleans)
{
    const Column& tw = col(CloudKind::Tickets, "tw1");
    for (const auto& [in, out] : {std::pair{"1", true}, {"0", false}, {"-1", true}, {"true", true}, {"TRUE", true},
                                  {"ja", false}, {"", false}})
        EXPECT_EQ(FromCloud(tw, bytes(in)).toBool(), out) << in;
    EXPECT_FALSE(FromCloud(tw, std::nullopt).toBool());
}

TEST(CloudColumns, AnImageIsTakenOnlyWhenItIsAPicture)
{
    const Column& sign = col(CloudKind::Tickets, "handtekening");
    const QByteArray png = SamplePng();
    EXPECT_EQ(FromCloud(sign, png).toByteArray(), png);
    for (const CloudValue& bad : {CloudValue(QByteArray("not a picture at all")), CloudValue(png.left(20)),
                                  CloudValue(QByteArray("\x89PNG\r\n\x1a\n", 8)), CloudValue(QByteArray()),
                                  CloudValue(std::nullopt), CloudValue(SamplePng(MaxImageSide + 1, 2)),
                                  CloudValue(png + QByteArray(MaxImageBytes, 'x'))}) {
        const QVariant v = FromCloud(sign, bad);
        EXPECT_FALSE(v.isValid()) << (bad ? bad->size() : -1);
    }
}

TEST(CloudColumns, RecordIdentifiers)
{
    EXPECT_TRUE(IsRecordId("LMKVL2FDjU63001"));
    for (const char* bad : {"", "17", "LMKVL2FDjU6300", "LMKVL2FDjU630012", "LMKVL2FDjU63/01", "LMKVL2FDjU63 01"})
        EXPECT_FALSE(IsRecordId(QString::fromLatin1(bad))) << bad;
    EXPECT_FALSE(IsRecordId(QString::fromUtf8("LMKVL2FDjU6300\u00EB")));
}

TEST(CloudColumns, OutgoingValuesFitTheCloudColumns)
{
    EXPECT_EQ(ToCloud(col(CloudKind::Parts, "bestelnr"), QString(40, 'x')).toString().size(), 30);
    EXPECT_EQ(ToCloud(col(CloudKind::Clients, "naam"), QVariant()).toString(), "");
    EXPECT_EQ(ToCloud(col(CloudKind::Tickets, "aantal1"), qint64(1) << 40).toLongLong(), std::numeric_limits<qint32>::max());
    EXPECT_EQ(ToCloud(col(CloudKind::Tickets, "km1"), QStringLiteral("12")).toLongLong(), 12);
    EXPECT_EQ(ToCloud(col(CloudKind::Tickets, "prijs1"), std::numeric_limits<double>::infinity()).toDouble(), 0);
    EXPECT_EQ(ToCloud(col(CloudKind::Tickets, "tw1"), 1).toBool(), true);
    EXPECT_EQ(ToCloud(col(CloudKind::Tickets, "tw1"), QStringLiteral("0")).toBool(), false);
    // No picture: the cloud column becomes null.
    EXPECT_FALSE(ToCloud(col(CloudKind::Tickets, "handtekening"), QByteArray()).isValid());
    EXPECT_EQ(ToCloud(col(CloudKind::Tickets, "handtekening"), QByteArray("png")).toByteArray(), "png");
}
