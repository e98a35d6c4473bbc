#pragma once
#include <QImage>
#include <QString>
#include <QStringList>
#include <array>

// One parts line of a ticket.
struct TOnderdeel {
    QString bestelnr;
    qint32 aantal = 0;
    QString omschr;
    double prijs = 0;
    double bedrag = 0; // aantal * prijs, never stored
};

// The current ticket. Fields carry the names of the bon columns; arrays are indexed from 1 as
// the columns are numbered (element 0 is unused).
struct TBon {
    QString id;     // "NEWNEW" until first stored
    QString bonnr;  // empty: there is no current ticket
    bool ondertekend = false;
    QImage handtekening, handtekening2;
    QString projectnr, werklocatie, contactpers, opdrachtgever, email, opdrachtnr, code, adres, pcplaats;
    QString datum; // "DD-MM-YYYY"
    int week = 0;
    QStringList werkzh, opm;
    std::array<bool, 11> tw{};        // 1..10
    std::array<QString, 11> twd;      // 7..10
    std::array<QString, 8> dag;       // 1..7, Monday..Sunday
    std::array<double, 8> werk{}, over{}, reis{};
    std::array<int, 8> km{};
    int numodd = 0;
    std::array<TOnderdeel, 14> gebruikt; // 1..13
    int numnodig = 0;
    std::array<TOnderdeel, 14> benodigd; // 1..13
    int numfoto = 0;
    std::array<QString, 5> foto, desc;   // 1..4
    double uurprijswerk = 0, uurprijsover = 0, uurprijsreis = 0, kmprijs = 0, percob = 0;
    bool autocomp = true;
    bool prijsinc = false;

    bool IsCurrent() const { return !bonnr.isEmpty(); }
};
