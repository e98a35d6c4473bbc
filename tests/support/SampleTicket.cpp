#include "SampleTicket.h"

#include "app/KVGlobal.h"
#include "document/KVGrid.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

QImage SampleSignature(int variant)
{
    // As the signature pads hand them on: opaque, white ground.
    QImage img(392, 136, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 0, 200), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath path;
    path.moveTo(40, 90);
    for (int i = 1; i <= 60; ++i) {
        const double t = i / 60.0;
        path.lineTo(40 + 300 * t, 80 - 35 * std::sin(t * (9 + variant * 3)) * (1 - t * 0.5));
    }
    p.drawPath(path);
    p.drawLine(60, 110, 330 - variant * 40, 104);
    return img;
}

void MakeSampleTicket(KVGlobal& g)
{
    g.settings.inst.email = QStringLiteral("kantoor@voorbeeld.nl");
    g.settings.inst.monteur = QStringLiteral("Jürgen Weiß");
    g.settings.pro.footer1 = QStringLiteral("Levering volgens algemene leveringsvoorwaarden, prijzen in € excl. BTW");
    g.settings.pro.footer2 = QStringLiteral("Controleer het werk voordat u tekent — ë ü ß");
    g.settings.pro.footer3 = QStringLiteral("Bedankt voor uw opdracht. IBAN NL00 BANK 0123 4567 89");

    TBon& b = g.bon;
    b = TBon();
    b.id = QStringLiteral("NEWNEW");
    b.bonnr = QStringLiteral("1-20200042");
    b.datum = QStringLiteral("17-02-2021");
    b.week = 7;
    b.projectnr = QStringLiteral("P-2021-ë17");
    b.opdrachtnr = QStringLiteral("OR-55231");
    b.code = QStringLiteral("ZÜ-3");
    b.werklocatie = QStringLiteral("Schiedamseweg 12, Rotterdam");
    b.opdrachtgever = QStringLiteral("Bakkerij Groß & Zonen");
    b.contactpers = QStringLiteral("Noël de Vries");
    b.adres = QStringLiteral("Straße van Brabant 1");
    b.pcplaats = QStringLiteral("3011 AB Rotterdam");
    b.email = QStringLiteral("info@gross.example");
    b.werkzh = {QStringLiteral("Storing aan de koelcel verholpen: de verdamperventilator liep niet meer aan omdat het "
                               "relais op de besturingsprint was verbrand. Relais vervangen, print gereinigd en alle "
                               "aansluitingen nagelopen; daarna de \"ontdooicyclus\" twee keer volledig doorlopen."),
                QStringLiteral("Temperatuur na 2 uur: -18 °C. Klant geïnformeerd over het onderhoudscontract "
                               "(€ 245,- per jaar), zie 'offerte 2021-114 van 12 februari'.")};
    b.opm = {QStringLiteral("Deurrubber van de vriescel is gescheurd en moet binnen twee weken worden vervangen; "
                            "onderdeel is besteld en wordt bij het volgende bezoek gemonteerd."),
             QStringLiteral("Sleutel ligt bij de buren (nr. 14). Groeten aan Zoë!")};
    for (int k = 1; k <= 9; ++k)
        b.tw[k] = k % 2 == 1 || k == 8;
    b.twd[7] = QStringLiteral("Storingsdienst");
    b.twd[8] = QStringLiteral("Garantie");
    b.twd[9] = QStringLiteral("Onderhoud");
    const char* days[] = {"", "15-02-2021", "16-02-2021", "17-02-2021", "18-02-2021", "19-02-2021", "20-02-2021", "21-02-2021"};
    const double werk[] = {0, 8, 7.5, 8.25, 6, 4.75, 0, 0};
    const double over[] = {0, 1.5, 0, 0.25, 2, 0, 3, 0};
    const double reis[] = {0, 0.75, 1, 0.5, 0.5, 1.25, 0.5, 0};
    const int km[] = {0, 42, 38, 12, 75, 60, 18, 0};
    for (int d = 1; d <= 7; ++d) {
        b.dag[d] = QString::fromLatin1(days[d]);
        b.werk[d] = werk[d];
        b.over[d] = over[d];
        b.reis[d] = reis[d];
        b.km[d] = km[d];
    }
    const char* usedNr[] = {"RL-2201", "PCB-88", "KAB-3x1.5", "ZEK-16A", "VENT-230", "TAPE-ISO", "SCHR-M4", "KIT-SIL"};
    const char* usedDesc[] = {"Relais 230 V, 16 A", "Besturingsprint koelcel", "Kabel 3 × 1,5 mm² (meter)",
                              "Zekering 16 A traag", "Ventilatormotor verdamper", "Isolatietape zwart",
                              "Schroeven M4 × 20 (doos)", "Siliconenkit transparant"};
    const int usedQty[] = {2, 1, 12, 4, 1, 3, 1, 2};
    const double usedPrice[] = {14.95, 189.00, 1.35, 2.10, 124.50, 3.99, 8.75, 9.45};
    b.numodd = 8;
    for (int i = 1; i <= 8; ++i) {
        TOnderdeel& l = b.gebruikt[i];
        l.bestelnr = QString::fromUtf8(usedNr[i - 1]);
        l.omschr = QString::fromUtf8(usedDesc[i - 1]);
        l.aantal = usedQty[i - 1];
        l.prijs = usedPrice[i - 1];
        l.bedrag = l.aantal * l.prijs;
    }
    const char* neededNr[] = {"DR-VC12", "THERM-3", "FLT-400", "LAMP-LED", "SLOT-K"};
    const char* neededDesc[] = {"Deurrubber vriescel", "Thermostaat digitaal", "Filter 400 × 400",
                                "LED-armatuur koelcel", "Deurslot met sleutel"};
    b.numnodig = 5;
    for (int i = 1; i <= 5; ++i) {
        TOnderdeel& l = b.benodigd[i];
        l.bestelnr = QString::fromUtf8(neededNr[i - 1]);
        l.omschr = QString::fromUtf8(neededDesc[i - 1]);
        l.aantal = i;
        l.prijs = 10.0 * i + 0.5;
    }
    b.uurprijswerk = 52.50;
    b.uurprijsover = 68.25;
    b.uurprijsreis = 45.00;
    b.kmprijs = 0.38;
    b.percob = 21;
    b.autocomp = true;
    b.prijsinc = false;
    b.ondertekend = true;
    b.handtekening = SampleSignature(0);
    b.handtekening2 = SampleSignature(1);

    g.MaxUsedRows() = 8;
    g.MaxNeededRows() = 5;
    ClearDocument(g);
    PlanDocumentRows(g);
    BuildDocument(g);
}
