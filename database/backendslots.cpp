// The connection slots of the place-database back ends: one open place
// database per back-end class, shared by every object (and copy) of that
// class: constructing an object empties it, Init fills it, Close empties it.
#include "backend.h"
#include "placedatabase.h"

#include <terrafind/terrafinddb.h>

namespace {

std::unique_ptr<CPlaceStore> g_store30;
std::unique_ptr<CPlaceStore> g_store31;

std::unique_ptr<CPlaceStore>& Slot(int version)
{
    return version == 31 ? g_store31 : g_store30;
}

} // namespace

CPlaceStore* Store(int version)
{
    CPlaceStore* store = Slot(version).get();
    if (store)
        store->HealIfDamaged();
    return store;
}

CStatement Query(CPlaceStore& store, const QString& text)
{
    TraceStatement(text);
    return CStatement(store.Connection().Handle(), text);
}

CStatementUse CachedQuery(CPlaceStore& store, const char* sql, long long value)
{
    if (IsStatementTraced())
        TraceStatement(QString::fromUtf8(sql).replace(QLatin1String("?1"), Decimal(value)));
    CStatementUse stmt = store.Connection().Cached(sql);
    stmt->Bind(1, std::int64_t(std::int32_t(value)));
    return stmt;
}

QString Decimal(long long value)
{
    return QString::number(static_cast<std::int32_t>(value));
}

QString Quoted(QString name)
{
    return name.replace(QLatin1Char('\''), QLatin1String("''"));
}

int CTerrafindDB::Init()
{
    // The new store takes the slot even when it did not open; the queries
    // then fail on it and Close releases it. The one it replaces is closed
    // rather than leaked.
    Slot(ProviderVersion()) = std::make_unique<CPlaceStore>();
    return Slot(ProviderVersion())->OpenStatus() >= 0 ? 1 : 0;
}

void CTerrafindDB::Close()
{
    // A file found damaged is healed now rather than at the next start.
    if (CPlaceStore* store = Slot(ProviderVersion()).get())
        store->HealIfDamaged();
    Slot(ProviderVersion()).reset();
}

CPlaceSource* CTerrafindDB::PlaceSource()
{
    return Store(ProviderVersion());
}

HRESULT CTerrafindDB::ExecuteStatement(QString statement)
{
    CPlaceStore* store = Store(ProviderVersion());
    if (!store)
        return E_FAIL;
    const HRESULT status = store->Connection().Execute(statement);
    store->NoteStatus(status);
    return status;
}

int CTerrafindDB::GetRecordsetCount(QString query)
{
    CPlaceStore* store = Store(ProviderVersion());
    if (!store || !store->IsOpen())
        return -1;
    CStatement stmt = Query(*store, query);
    if (stmt.Status() < 0 || !stmt.IsReadOnly()) {
        store->NoteStatus(stmt.Status());
        return -1;
    }
    int count = 0;
    return Walk(*store, stmt, [&](const CStatement&) { ++count; }) < 0 ? -1 : count;
}

CTerrafind30::CTerrafind30()
{
    Slot(30).reset();
}

CTerrafind30::CTerrafind30(const CTerrafind30& other) = default;
CTerrafind30& CTerrafind30::operator=(const CTerrafind30& other) = default;

CTerrafind30::~CTerrafind30()
{
    Close();
}

CTerrafind31::CTerrafind31()
{
    Slot(31).reset();
    Init();
}

CTerrafind31::CTerrafind31(const CTerrafind31& other) = default;
CTerrafind31& CTerrafind31::operator=(const CTerrafind31& other) = default;

CTerrafind31::~CTerrafind31()
{
    Close();
}

HRESULT GetInitStatus(CTerrafind& places)
{
    CPlaceSource* source = nullptr;
    const HRESULT found = PlaceSourceOf(places, &source);
    return found < 0 ? found : source->OpenStatus();
}
