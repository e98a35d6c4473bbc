#pragma once
#include <QString>
#include <QStringList>
#include <array>

// One sync slot: 0 is the office, 1..10 the units.
struct TSyncDev {
    QString naam;
    bool actief = false;
};

// Every key of kvrn.ini held in memory, named after its section and key.
// Defaults are those of a fresh installation; the edition-dependent ones are filled in by
// SettingsStore::Defaults().
struct Settings {
    struct Inst {
        float schaal = 0;
        int unit = 1;
        QString monteur;
        QString email;
        int bon = 20200001;
        double werk = 0, over = 0, reis = 0, km = 0;
        double btw = 21;
        bool autoComp = true;   // key "auto"
        bool prijsinc = false;
        int maxgebruikt = 13;
        int maxnodig = 0;
        bool correctie = false;
    } inst;
    struct Mail {
        int port = 0;
        QString smtp, user, ww, reply;
        bool std = true;
        bool tlsRequired = false; // key "starttls": off, STARTTLS is used whenever it is offered
    } mail;
    struct Cloud {
        QString user, ww, server;
        bool tlsRequired = false; // key "TLS": off, TLS is used whenever it is offered
        QString ca;               // key "CA": the authorities' file; empty, the system's trust store
    } cloud;
    struct Pro {
        QString logo, bedrijf;
        QString footer1, footer2, footer3;
    } pro;
    struct Branche {
        int taal = 4;
        QString valuta = QStringLiteral("\u20AC");
        QString afstand = QStringLiteral("Km");
    } branche;
    // The window's last place on the screen (its inside, without the frame); a width or height
    // of 0 means none was stored and the window takes its default place.
    struct Venster {
        int x = 0, y = 0;
        int breedte = 0, hoogte = 0;
    } venster;
    std::array<TSyncDev, 11> syncDevs;
    QStringList mailtekst; // the lines of MemoMail
};
