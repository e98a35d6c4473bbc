#pragma once
#include "Edition.h"
#include "KVJargon.h"
#include "Seams.h"
#include "Settings.h"
#include "ticket/SignatureCapture.h"
#include "document/Sheet.h"
#include "ticket/TBon.h"

#include <QImage>
#include <QString>
#include <array>
#include <functional>
#include <memory>

class Database;
class Table;

// The synchronisation's entry points that other subsystems call. The cloud code fills them in;
// until then (and whenever CloudSyncEnabled is false) they do nothing. kind is the table code:
// "kv" tickets, "og" clients, "od" parts. Database errors of the cloud connection end the
// calling action silently (KVAbort).
struct CloudSeam {
    // Sends the current row of table to the inboxes of the other active units; what cannot be
    // sent now (no connection, a server error) waits in the outbox for the next check. Returns
    // true when every unit has it now.
    std::function<bool(const QString& kind, Table& table)> fanOut;
    // The company page was confirmed and settings.cloud holds its values: the connection takes
    // the account (prefixed name, password, server) on its next use; sets CloudSyncEnabled.
    std::function<void()> applyAccount;
    // The connection test of the company page's "Synchronisatie" row, with settings.cloud
    // holding the page's three edits (the user normalised): connects, counts the units and
    // shows "Verbinding met server OK. Units: N" or "Geen verbinding met server.".
    std::function<void()> connectionTest;
    // SBUploadKV: pushes the tickets at positions startRow..endRow of BonTable (its current
    // order, 0-based), each followed by "woosh.mp3".
    std::function<void(int startRow, int endRow)> uploadTickets;
    // SBDownloadKV / SBDownloadOG / SBDownloadOD: moves the own inbox of the kind into the
    // local table, then "pop.mp3" when something came, "nono.mp3" when nothing did.
    std::function<void(const QString& kind)> download;

    bool FanOut(const QString& kind, Table& table) const { return fanOut ? fanOut(kind, table) : true; }
    void ApplyAccount() const { if (applyAccount) applyAccount(); }
    void ConnectionTest() const { if (connectionTest) connectionTest(); }
    void UploadTickets(int startRow, int endRow) const { if (uploadTickets) uploadTickets(startRow, endRow); }
    void Download(const QString& kind) const { if (download) download(kind); }
};

// The document's row plan (see the document layout code).
struct RowPlan {
    int DescriptionRows = 0, TypesRow = 0, WeekRow = 0, UsedPartsRow = 0;
    int NeededPartsRow = 0, RemarksRow = 0, SignatureRow = 0, FooterRow = 0;
};

// Record identifier inputs and the per-run counter.
struct IdState {
    QString IdLocation, IdMachine, IdUser;
    qint32 IdCounter = 0;
};

// The application state for the life of the process. Created by the executable (or a test)
// with its own documents folder and passed by reference; there are no hidden globals.
class KVGlobal {
public:
    KVGlobal(Edition edition, QString documentsFolder);
    ~KVGlobal();
    KVGlobal(const KVGlobal&) = delete;
    KVGlobal& operator=(const KVGlobal&) = delete;

    const Edition edition;
    bool EnglishEdition() const { return edition == Edition::English; }

    // The folder of every file of the system, always ending in "/".
    const QString& DocumentsFolder() const { return m_documents; }
    QString SettingsPath() const { return m_documents + QStringLiteral("kvrn.ini"); }
    QString TermsPath() const { return m_documents + QStringLiteral("jargon.ini"); }
    QString DatabasePath() const { return m_documents + QStringLiteral("kolvarn.db3"); }

    // Plays DocumentsFolder + name through the sound seam.
    void PlaySound(const QString& name) const;
    // Translate of the current language.
    QString Translate(const QString& text) const { return jargon.Translate(text); }

    Seams seams;
    CloudSeam cloud;
    KVJargon jargon;
    Settings settings;

    // In-memory aliases of settings keys that the system names on their own.
    int& OwnUnit() { return settings.inst.unit; }
    int& MaxUsedRows() { return settings.inst.maxgebruikt; }
    int& MaxNeededRows() { return settings.inst.maxnodig; }
    std::array<TSyncDev, 11>& SyncDevs() { return settings.syncDevs; }

    bool CloudSyncEnabled = false;
    int SyncUnits = 0;
    IdState ids;

    TBon bon;
    SignaturePads pads; // the pads of the signing page
    RowPlan rowPlan;
    QImage logo; // the image-list item "logo"
    Sheet sheet; // the ticket document, built at start-up and kept for the life of the process

    // Computed totals of the current ticket (document fill).
    std::array<double, 5> WeekTotals{};  // 1 work, 2 overtime, 3 travel (hours), 4 distance; index 0 unused
    std::array<double, 5> WeekAmounts{}; // the same four times their rates
    double TotalEx = 0, VatAmount = 0, TotalInc = 0;

    // Page-mode flags.
    int CurrentDay = 1;
    int CurrentList = 1;
    std::array<int, 3> LineIndex{};     // 1..2
    std::array<bool, 3> AddingLine{};   // 1..2
    bool SignedThisVisit = false;
    bool SignFromPreview = false;
    bool CatalogueMode = false;
    bool NewCataloguePart = false;
    bool ClientCatalogueMode = false;
    bool NewCatalogueClient = false;
    // The catalogue rows (rowids) that "Laden" put on the client page and the part page, -1 when
    // the catalogue was empty: their confirmation edits that row, wherever the cursor is by then.
    qint64 LoadedClientRow = -1;
    qint64 LoadedPartRow = -1;
    bool PreviewZoomed = false;
    bool LogoPickPending = false;

    // The local store: opened at start-up, closed when it failed to open.
    Database& db() { return *m_db; }
    Table& BonTable() { return *m_bonTable; }
    Table& OpdrachtgeverTable() { return *m_clientTable; }
    Table& OnderdeelTable() { return *m_partTable; }
    Table& HulpTable() { return *m_hulpTable; }

private:
    QString m_documents;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<Table> m_bonTable, m_clientTable, m_partTable, m_hulpTable;
};
