#include "TestSupport.h"
#include "app/IniFile.h"
#include "app/KVError.h"
#include "app/SettingsStore.h"
#include "store/LocalStore.h"
#include "store/Table.h"
#include "ticket/TicketOps.h"

#include <QBuffer>
#include <QFile>
#include <functional>
#include <limits>
#include <gtest/gtest.h>

namespace {

// A state with the installed database opened, as after start-up.
struct StoreApp : TestApp {
    StoreApp()
    {
        ReadSettings(*g);
        EXPECT_TRUE(OpenDatabase(*g));
    }
    TBon& b() { return g->bon; }
    Table& bon() { return g->BonTable(); }
    QString newStoredTicket()
    {
        NewBon(*g);
        StoreBon(*g);
        return g->bon.id;
    }
};

QImage stroke(QColor colour)
{
    QImage picture = SignatureCapture::BlankPicture(SignatureCapture::DefaultPictureSize());
    for (int x = 50; x < 300; ++x)
        for (int y = 100; y < 104; ++y)
            picture.setPixelColor(x, y, colour);
    return picture;
}

QByteArray png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

TOnderdeel line(const QString& nr, int aantal, double prijs)
{
    TOnderdeel l;
    l.bestelnr = nr;
    l.aantal = aantal;
    l.omschr = QStringLiteral("Buis ø22 – %1").arg(nr);
    l.prijs = prijs;
    return l;
}

// A ticket with a value in every field of the field map, non-ASCII text included.
void fillEveryField(TBon& b)
{
    b.bonnr = QStringLiteral("1-20210007");
    b.ondertekend = true;
    b.projectnr = QStringLiteral("P-ë1");
    b.werklocatie = QStringLiteral("Kelder €");
    b.contactpers = QStringLiteral("Jörg Straße");
    b.opdrachtgever = QStringLiteral("Bakkerij Ëlzinga");
    b.email = QStringLiteral("info@bakkerij.test");
    b.opdrachtnr = QStringLiteral("O-12");
    b.code = QStringLiteral("K1");
    b.adres = QStringLiteral("Dorpsstraat 1");
    b.pcplaats = QStringLiteral("1234 AB Ütrecht");
    b.datum = QStringLiteral("05-03-2021");
    b.werkzh = {QStringLiteral("Ketel vervangen"), QString(), QStringLiteral("ß")};
    b.opm = {QStringLiteral("Graag terugbellen")};
    for (int k = 1; k <= 10; ++k)
        b.tw[k] = k % 3 == 1;
    for (int k = 7; k <= 10; ++k)
        b.twd[k] = QStringLiteral("Soort %1").arg(k);
    for (int d = 1; d <= 7; ++d) {
        b.dag[d] = QStringLiteral("0%1-03-2021").arg(d);
        b.werk[d] = d * 0.5;
        b.over[d] = d * 0.25;
        b.reis[d] = d == 3 ? 1.75 : 0;
        b.km[d] = d * 11;
    }
    b.numodd = 3;
    for (int k = 1; k <= 3; ++k)
        b.gebruikt[k] = line(QStringLiteral("G%1").arg(k), k, 2.5 * k);
    b.numnodig = 2;
    for (int k = 1; k <= 2; ++k)
        b.benodigd[k] = line(QStringLiteral("N%1").arg(k), 10 + k, 1.25);
    b.numfoto = 2;
    b.foto[1] = QStringLiteral("foto-1-20210007-101010.jpg");
    b.foto[2] = QStringLiteral("foto-1-20210007-101011.jpg");
    b.desc[1] = QStringLiteral("Meter");
    b.desc[2] = QStringLiteral("Lekkage\nbij de ketel");
    b.uurprijswerk = 45.5;
    b.uurprijsover = 60.25;
    b.uurprijsreis = 30;
    b.kmprijs = 0.37;
    b.percob = 9;
    b.autocomp = false;
    b.prijsinc = true;
}

// Every stored field of the ticket: its column and how to read it from TBon.
struct Field {
    QString column;
    std::function<QVariant(const TBon&)> get;
};

QList<Field> fieldMap()
{
    QList<Field> f;
    auto text = [&f](const char* column, QString TBon::*member) {
        f.append({QLatin1String(column), [member](const TBon& b) { return QVariant(b.*member); }});
    };
    text("bonnr", &TBon::bonnr);
    text("projectnr", &TBon::projectnr);
    text("werklocatie", &TBon::werklocatie);
    text("contactpers", &TBon::contactpers);
    text("opdrachtgever", &TBon::opdrachtgever);
    text("email", &TBon::email);
    text("opdrachtnr", &TBon::opdrachtnr);
    text("code", &TBon::code);
    text("adres", &TBon::adres);
    text("pcplaats", &TBon::pcplaats);
    text("datum", &TBon::datum);
    f.append({"ondertekend", [](const TBon& b) { return QVariant(b.ondertekend); }});
    f.append({"werkzh", [](const TBon& b) { return QVariant(JoinLines(b.werkzh)); }});
    f.append({"opm", [](const TBon& b) { return QVariant(JoinLines(b.opm)); }});
    for (int k = 1; k <= 10; ++k)
        f.append({QStringLiteral("tw%1").arg(k), [k](const TBon& b) { return QVariant(b.tw[k]); }});
    for (int k = 7; k <= 10; ++k)
        f.append({QStringLiteral("twd%1").arg(k), [k](const TBon& b) { return QVariant(b.twd[k]); }});
    for (int d = 1; d <= 7; ++d) {
        f.append({QStringLiteral("dag%1").arg(d), [d](const TBon& b) { return QVariant(b.dag[d]); }});
        f.append({QStringLiteral("werk%1").arg(d), [d](const TBon& b) { return QVariant(b.werk[d]); }});
        f.append({QStringLiteral("over%1").arg(d), [d](const TBon& b) { return QVariant(b.over[d]); }});
        f.append({QStringLiteral("reis%1").arg(d), [d](const TBon& b) { return QVariant(b.reis[d]); }});
        f.append({QStringLiteral("km%1").arg(d), [d](const TBon& b) { return QVariant(b.km[d]); }});
    }
    f.append({"numodd", [](const TBon& b) { return QVariant(b.numodd); }});
    f.append({"numnodig", [](const TBon& b) { return QVariant(b.numnodig); }});
    // Used lines in groups 1..3, needed lines in groups 4..5.
    for (int group = 1; group <= 5; ++group) {
        auto lineOf = [group](const TBon& b) -> const TOnderdeel& {
            return group <= 3 ? b.gebruikt[group] : b.benodigd[group - 3];
        };
        f.append({QStringLiteral("bestelnr%1").arg(group), [lineOf](const TBon& b) { return QVariant(lineOf(b).bestelnr); }});
        f.append({QStringLiteral("aantal%1").arg(group), [lineOf](const TBon& b) { return QVariant(lineOf(b).aantal); }});
        f.append({QStringLiteral("omschr%1").arg(group), [lineOf](const TBon& b) { return QVariant(lineOf(b).omschr); }});
        f.append({QStringLiteral("prijs%1").arg(group), [lineOf](const TBon& b) { return QVariant(lineOf(b).prijs); }});
    }
    f.append({"numfoto", [](const TBon& b) { return QVariant(b.numfoto); }});
    for (int k = 1; k <= 2; ++k) {
        f.append({QStringLiteral("foto%1").arg(k), [k](const TBon& b) { return QVariant(b.foto[k]); }});
        f.append({QStringLiteral("desc%1").arg(k), [k](const TBon& b) { return QVariant(b.desc[k]); }});
    }
    f.append({"uurprijswerk", [](const TBon& b) { return QVariant(b.uurprijswerk); }});
    f.append({"uurprijsover", [](const TBon& b) { return QVariant(b.uurprijsover); }});
    f.append({"uurprijsreis", [](const TBon& b) { return QVariant(b.uurprijsreis); }});
    f.append({"kmprijs", [](const TBon& b) { return QVariant(b.kmprijs); }});
    f.append({"percob", [](const TBon& b) { return QVariant(b.percob); }});
    f.append({"autocomp", [](const TBon& b) { return QVariant(b.autocomp); }});
    f.append({"prijsinc", [](const TBon& b) { return QVariant(b.prijsinc); }});
    return f;
}

QVariant stored(const Table& t, const QString& column, const QVariant& like)
{
    switch (like.typeId()) {
    case QMetaType::Bool: return t.AsBoolean(column);
    case QMetaType::Int: return static_cast<int>(t.AsInteger(column));
    case QMetaType::Double: return t.AsFloat(column);
    default: return t.AsString(column);
    }
}

} // namespace

TEST(TicketStore, EveryFieldGoesToItsColumnAndComesBack)
{
    StoreApp app;
    NewBon(*app.g);
    fillEveryField(app.b());
    app.g->pads.Client().SetPicture(stroke(Qt::blue));
    app.g->pads.Mechanic().SetPicture(stroke(Qt::darkBlue));
    StoreBon(*app.g);
    const TBon original = app.b();

    Table& t = app.bon();
    ASSERT_TRUE(t.Locate("id", original.id));
    for (const Field& field : fieldMap()) {
        const QVariant want = field.get(original);
        EXPECT_EQ(stored(t, field.column, want), want) << field.column.toStdString();
    }
    EXPECT_EQ(t.AsString("werkzh"), "Ketel vervangen\r\n\r\nß\r\n");
    for (int group = 6; group <= 13; ++group)
        for (const char* stem : {"bestelnr", "aantal", "omschr", "prijs"})
            EXPECT_TRUE(t.IsNull(QLatin1String(stem) + QString::number(group))) << stem << group;
    for (int k = 3; k <= 4; ++k) {
        EXPECT_TRUE(t.IsNull(QStringLiteral("foto%1").arg(k)));
        EXPECT_TRUE(t.IsNull(QStringLiteral("desc%1").arg(k)));
    }
    EXPECT_EQ(QImage::fromData(t.AsBytes("handtekening")).convertToFormat(QImage::Format_RGB32), stroke(Qt::blue));
    EXPECT_EQ(QImage::fromData(t.AsBytes("handtekening2")).convertToFormat(QImage::Format_RGB32), stroke(Qt::darkBlue));

    // Load it into a fresh ticket: every field as it was, the used lines with their amounts.
    NewBon(*app.g);
    const LoadResult loaded = LoadBon(*app.g, original.id);
    ASSERT_TRUE(loaded.found);
    const TBon& b = app.b();
    EXPECT_EQ(b.id, original.id);
    for (const Field& field : fieldMap())
        EXPECT_EQ(field.get(b), field.get(original)) << field.column.toStdString();
    EXPECT_DOUBLE_EQ(b.gebruikt[3].bedrag, 3 * 7.5);
    EXPECT_EQ(b.gebruikt[4].bestelnr, "");
    EXPECT_EQ(b.benodigd[3].bestelnr, "");
    EXPECT_EQ(b.week, 9);
    EXPECT_EQ(b.handtekening, stroke(Qt::blue));
    EXPECT_EQ(app.g->pads.Mechanic().Picture(), stroke(Qt::darkBlue));
    EXPECT_EQ(loaded.details.algemeen, "05-03-2021");
    EXPECT_EQ(loaded.details.type, "Regie Meerwerk Soort 7 Soort 10 ");
    EXPECT_EQ(loaded.details.ondertekening, "Bakkerij Ëlzinga");

    // Storing the loaded ticket again writes the same row.
    StoreBon(*app.g);
    ASSERT_TRUE(t.Locate("id", original.id));
    for (const Field& field : fieldMap())
        EXPECT_EQ(stored(t, field.column, field.get(original)), field.get(original)) << field.column.toStdString();
}

TEST(TicketStore, FirstStoreAppendsSecondStoreUpdates)
{
    StoreApp app;
    NewBon(*app.g);
    EXPECT_EQ(app.b().id, "NEWNEW");
    const int before = app.bon().RecordCount();
    StoreBon(*app.g);
    EXPECT_EQ(app.bon().RecordCount(), before + 1);
    const QString id = app.b().id;
    EXPECT_EQ(id.size(), 15);
    app.b().werklocatie = QStringLiteral("Zolder");
    StoreBon(*app.g);
    EXPECT_EQ(app.bon().RecordCount(), before + 1);
    EXPECT_EQ(app.b().id, id);
    ASSERT_TRUE(app.bon().Locate("id", id));
    EXPECT_EQ(app.bon().AsString("werklocatie"), "Zolder");
}

TEST(TicketStore, NewTicketTakesTheNextNumberAndTheDefaultPrices)
{
    StoreApp app;
    app.g->settings.inst.unit = 3;
    app.g->settings.inst.werk = 52.5;
    app.g->settings.inst.btw = 9;
    fillEveryField(app.b());
    const TicketDetails details = NewBon(*app.g);
    const TBon& b = app.b();
    EXPECT_EQ(b.bonnr, "3-20200001");
    EXPECT_EQ(IniFile(app.g->SettingsPath()).ReadInteger("INST", "bon", 0), 20200002);
    EXPECT_EQ(b.id, "NEWNEW");
    for (const QString* s : {&b.projectnr, &b.opdrachtgever, &b.datum, &b.email, &b.code, &b.adres, &b.dag[3], &b.twd[7]})
        EXPECT_TRUE(s->isEmpty());
    EXPECT_TRUE(b.werkzh.isEmpty());
    EXPECT_FALSE(b.tw[1]);
    EXPECT_EQ(b.km[7], 0);
    EXPECT_EQ(b.numodd + b.numnodig + b.numfoto, 0);
    EXPECT_EQ(b.gebruikt[1].bestelnr, "");
    EXPECT_FALSE(b.ondertekend);
    EXPECT_DOUBLE_EQ(b.uurprijswerk, 52.5);
    EXPECT_DOUBLE_EQ(b.percob, 9);
    EXPECT_TRUE(b.autocomp);
    EXPECT_EQ(details.algemeen, "....");
    EXPECT_EQ(details.dag[7], "....");
}

// A damaged or hand-edited settings file can hold a unit or a counter that the settings page
// could not have set: no ticket gets a number like "1--5", and the counter never wraps round.
TEST(TicketStore, ANumberOnlyFromAUnitAndACounterInRange)
{
    constexpr int kMax = std::numeric_limits<int>::max();
    struct Case {
        int unit, bon;
        const char* number; // nullptr: refused
    };
    const Case cases[] = {
        {0, 0, "0-0"},
        {1000, kMax - 1, "1000-2147483646"},
        {1, kMax, nullptr},
        {1, -5, nullptr},
        {1, std::numeric_limits<int>::min(), nullptr},
        {-1, 20200001, nullptr},
        {1001, 20200001, nullptr},
    };
    for (const Case& c : cases) {
        StoreApp app;
        app.g->settings.inst.unit = c.unit;
        app.g->settings.inst.bon = c.bon;
        const QString before = app.b().bonnr = "7-20200003";
        if (c.number) {
            NewBon(*app.g);
            EXPECT_EQ(app.b().bonnr, c.number);
            EXPECT_TRUE(app.rec.messages.isEmpty());
            continue;
        }
        EXPECT_THROW(NewBon(*app.g), KVAbort) << c.unit << " " << c.bon;
        ASSERT_EQ(app.rec.messages.size(), 1);
        EXPECT_EQ(app.rec.messages[0], QStringLiteral("Geen nieuw bonnummer: unit of bonteller ligt buiten het bereik. (%1, %2) "
                                                      "Pas ze aan in de instellingen.").arg(c.unit).arg(c.bon));
        EXPECT_EQ(app.b().bonnr, before) << "the current ticket stays";
        EXPECT_EQ(app.g->settings.inst.bon, c.bon);
        EXPECT_FALSE(QFile::exists(app.g->SettingsPath())) << "nothing written";
    }
}

TEST(TicketStore, UnsignedTicketLoadsWithBlankPadsWhateverItsColumnsHold)
{
    StoreApp app;
    const QString id = app.newStoredTicket();
    Table& t = app.bon();
    ASSERT_TRUE(t.Locate("id", id));
    t.Edit();
    t.SetBytes("handtekening", png(stroke(Qt::blue)));
    t.SetBytes("handtekening2", png(stroke(Qt::blue)));
    t.SetBoolean("ondertekend", false);
    t.Post();
    app.g->pads.Client().SetPicture(stroke(Qt::red));
    const LoadResult r = LoadBon(*app.g, id);
    const QImage blank = SignatureCapture::BlankPicture(SignatureCapture::DefaultPictureSize());
    EXPECT_EQ(app.g->pads.Client().Picture(), blank);
    EXPECT_EQ(app.g->pads.Mechanic().Picture(), blank);
    EXPECT_EQ(app.b().handtekening, blank);
    EXPECT_EQ(r.details.ondertekening, "....");

    // Signed with a null column: a blank picture of the pad's size.
    t.Edit();
    t.SetBoolean("ondertekend", true);
    t.SetNull("handtekening");
    t.Post();
    LoadBon(*app.g, id);
    EXPECT_EQ(app.b().handtekening, blank);
    EXPECT_EQ(app.b().handtekening2, stroke(Qt::blue));
}

TEST(TicketStore, LoadOfAnUnknownIdChangesNothing)
{
    StoreApp app;
    app.newStoredTicket();
    app.b().werklocatie = QStringLiteral("kept");
    EXPECT_FALSE(LoadBon(*app.g, "XXXXXXXXXXXXXXX").found);
    EXPECT_EQ(app.b().werklocatie, "kept");
}

TEST(TicketStore, LoadKeepsTheWeekOfAnUnreadableDateAndShowsOnlyUsedDays)
{
    StoreApp app;
    NewBon(*app.g);
    app.b().datum = QStringLiteral("2021-03-05");
    app.b().dag[2] = QStringLiteral("02-03-2021");
    app.b().km[2] = 12;
    app.b().dag[4] = QStringLiteral("04-03-2021");
    StoreBon(*app.g);
    app.b().week = 33;
    const LoadResult r = LoadBon(*app.g, app.b().id);
    EXPECT_EQ(app.b().week, 33);
    EXPECT_EQ(r.details.dag[2], "02-03-2021");
    EXPECT_EQ(r.details.dag[4], "....");
    EXPECT_EQ(r.details.type, "....");
}

TEST(TicketStore, LoadWidensTheMaximaOnceAndHoldsCountsInRange)
{
    StoreApp app;
    app.g->settings.inst.maxgebruikt = 8;
    app.g->settings.inst.maxnodig = 5;
    NewBon(*app.g);
    app.b().numodd = 10;
    for (int k = 1; k <= 10; ++k)
        app.b().gebruikt[k] = line(QString::number(k), 1, 1);
    StoreBon(*app.g);
    const QString id = app.b().id;
    EXPECT_TRUE(LoadBon(*app.g, id).maximaChanged);
    EXPECT_EQ(app.g->settings.inst.maxgebruikt, 10);
    EXPECT_EQ(app.g->settings.inst.maxnodig, 3);
    EXPECT_FALSE(LoadBon(*app.g, id).maximaChanged);

    // Counts that another unit got wrong are held inside the 13 groups and the 4 photos.
    Table& t = app.bon();
    ASSERT_TRUE(t.Locate("id", id));
    t.Edit();
    t.SetInteger("numodd", 40);
    t.SetInteger("numnodig", 7);
    t.SetInteger("numfoto", 9);
    t.Post();
    LoadBon(*app.g, id);
    EXPECT_EQ(app.b().numodd, 13);
    EXPECT_EQ(app.b().numnodig, 0);
    EXPECT_EQ(app.b().numfoto, 4);
}

TEST(TicketStore, CopyIsANewNumberedRowThatLeavesTheCurrentTicketAlone)
{
    StoreApp app;
    NewBon(*app.g);
    fillEveryField(app.b());
    app.g->pads.Client().SetPicture(stroke(Qt::blue));
    StoreBon(*app.g);
    const QString source = app.b().id;
    Table& t = app.bon();
    ASSERT_TRUE(t.Locate("id", source));
    t.Edit();
    t.SetString("monteur", "Piet");
    t.Post();

    app.b().bonnr = QStringLiteral("current");
    const int rows = t.RecordCount();
    const int counter = app.g->settings.inst.bon;
    ASSERT_TRUE(CopyBon(*app.g, source));
    EXPECT_EQ(t.RecordCount(), rows + 1);
    EXPECT_EQ(app.b().bonnr, "current");
    EXPECT_EQ(app.b().id, source);
    EXPECT_EQ(app.g->settings.inst.bon, counter + 1);
    EXPECT_EQ(IniFile(app.g->SettingsPath()).ReadInteger("INST", "bon", 0), counter + 1);

    ASSERT_TRUE(t.Locate("bonnr", QStringLiteral("1-%1").arg(counter)));
    EXPECT_NE(t.AsString("id"), source);
    EXPECT_EQ(t.AsString("id").size(), 15);
    EXPECT_TRUE(t.IsNull("handtekening"));
    EXPECT_TRUE(t.IsNull("handtekening2"));
    EXPECT_TRUE(t.AsBoolean("ondertekend"));
    EXPECT_EQ(t.AsString("foto2"), "foto-1-20210007-101011.jpg");
    EXPECT_EQ(t.AsString("desc2"), "Lekkage\nbij de ketel");
    EXPECT_EQ(t.AsString("monteur"), "Piet");
    EXPECT_EQ(t.AsString("werkzh"), "Ketel vervangen\r\n\r\nß\r\n");
    EXPECT_EQ(t.AsString("omschr5"), "Buis ø22 – N2");
    EXPECT_EQ(t.AsInteger("numnodig"), 2);
    EXPECT_DOUBLE_EQ(t.AsFloat("kmprijs"), 0.37);

    // A missing source uses no number.
    EXPECT_FALSE(CopyBon(*app.g, "XXXXXXXXXXXXXXX"));
    EXPECT_EQ(app.g->settings.inst.bon, counter + 1);
    EXPECT_EQ(t.RecordCount(), rows + 1);
}

TEST(TicketStore, DeleteRemovesExactlyTheSelectedRows)
{
    StoreApp app;
    QStringList ids;
    for (int i = 0; i < 5; ++i)
        ids << app.newStoredTicket();
    Table& t = app.bon();
    // Rows are ordered by number; ids[i] is at position i.
    DeleteBonRows(*app.g, 3, 1); // last before first: nothing
    EXPECT_EQ(t.RecordCount(), 5);
    DeleteBonRows(*app.g, 1, 3);
    EXPECT_EQ(t.RecordCount(), 2);
    for (int i : {1, 2, 3})
        EXPECT_FALSE(t.Locate("id", ids[i])) << i;
    for (int i : {0, 4})
        EXPECT_TRUE(t.Locate("id", ids[i])) << i;
    // A range past the end removes only the rows that are there.
    DeleteBonRows(*app.g, 1, 6);
    EXPECT_EQ(t.RecordCount(), 1);
    EXPECT_TRUE(t.Locate("id", ids[0]));
    // The current ticket's own row gone: the next store appends it again.
    app.b().id = ids[4];
    StoreBon(*app.g);
    EXPECT_EQ(t.RecordCount(), 2);
    EXPECT_NE(app.b().id, ids[4]);
}

TEST(TicketStore, FinishSharesOnlyASignedTicketWithItsSound)
{
    StoreApp app;
    QStringList pushed;
    app.g->cloud.fanOut = [&](const QString& kind, Table& t) {
        pushed << kind + ":" + t.AsString("bonnr");
        return true; // went out
    };
    const struct {
        bool cloud, signedTicket, pushes;
    } cases[] = {{true, false, false}, {false, true, false}, {true, true, true}};
    for (const auto& c : cases) {
        pushed.clear();
        app.rec.sounds.clear();
        app.g->CloudSyncEnabled = c.cloud;
        NewBon(*app.g);
        app.b().ondertekend = c.signedTicket;
        EXPECT_EQ(FinishBon(*app.g), c.pushes);
        EXPECT_EQ(pushed, c.pushes ? QStringList{"kv:" + app.b().bonnr} : QStringList()) << c.cloud << c.signedTicket;
        EXPECT_EQ(app.rec.sounds, c.pushes ? QStringList{"woosh.mp3"} : QStringList()) << c.cloud << c.signedTicket;
    }
}
