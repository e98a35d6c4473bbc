#include "KVGlobal.h"

#include "SettingsStore.h"
#include "store/Database.h"
#include "store/Table.h"

namespace {
QString withSlash(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}
}

KVGlobal::KVGlobal(Edition e, QString documentsFolder)
    : edition(e)
    , settings(SettingsStore::Defaults(e))
    , m_documents(withSlash(std::move(documentsFolder)))
    , m_db(std::make_unique<Database>())
{
    m_bonTable = std::make_unique<Table>(*m_db, QStringLiteral("bon"), QStringLiteral("bonnr"));
    m_clientTable = std::make_unique<Table>(*m_db, QStringLiteral("opdrachtgever"), QStringLiteral("naam"));
    m_partTable = std::make_unique<Table>(*m_db, QStringLiteral("onderdeel"), QStringLiteral("omschr"));
    m_hulpTable = std::make_unique<Table>(*m_db, QString());
}

KVGlobal::~KVGlobal() = default;

void KVGlobal::PlaySound(const QString& name) const
{
    seams.PlaySound(m_documents + name);
}
