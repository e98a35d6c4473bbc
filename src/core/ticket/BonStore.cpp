#include "BonStore.h"

#include "app/KVGlobal.h"
#include "store/KVid.h"
#include "store/Table.h"

void BonTableNewRecord(KVGlobal& g, Table& t)
{
    t.SetString(QStringLiteral("id"), NewRecordId(g));
    t.SetNull(QStringLiteral("handtekening"));
    t.SetNull(QStringLiteral("handtekening2"));
}
