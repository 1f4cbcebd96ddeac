#include "healing.h"

#include "collation.h"
#include "placefile.h"
#include "searchindex.h"
#include "upgrade.h"

#include "common/usermessages.h"

#include <QDateTime>
#include <QFile>

#include <limits>
#include <optional>

#include <sqlite3.h>

namespace {

constexpr std::int64_t kMaxKey = std::numeric_limits<std::int64_t>::max();

// Journal files SQLite keeps beside a database, named after it.
constexpr const char* kJournalSuffixes[] = {"-wal", "-shm", "-journal"};

QString AsideName(const QString& path)
{
    const QString base = path + QStringLiteral(".damaged-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = base;
    for (int n = 2; QFile::exists(name); ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    return name;
}

bool MoveWithJournals(const QString& from, const QString& to)
{
    if (!QFile::rename(from, to))
        return false;
    for (const char* suffix : kJournalSuffixes)
        if (QFile::exists(from + QLatin1String(suffix)))
            QFile::rename(from + QLatin1String(suffix), to + QLatin1String(suffix));
    return true;
}

// The journal files that reading a file in WAL mode leaves beside it,
// which were not there before: the damaged file is kept as it was.
class CJournalCleaner {
public:
    explicit CJournalCleaner(const QString& path) : m_path(path)
    {
        for (const char* suffix : kJournalSuffixes)
            if (!QFile::exists(path + QLatin1String(suffix)))
                m_suffixes.append(QLatin1String(suffix));
    }
    ~CJournalCleaner()
    {
        for (const QString& suffix : m_suffixes)
            QFile::remove(m_path + suffix);
    }
    Q_DISABLE_COPY(CJournalCleaner)

private:
    QString m_path;
    QStringList m_suffixes;
};

// One table of the damaged file read in key order, as far as its pages
// read: a page that does not read ends a walk, and the walk goes on at the
// first key past it that reads again (found by doubling steps, then
// halving). Each row read goes to the insert into the fresh copy's temp
// table (its columns bound in order); each stretch of keys walked without
// a fault to known, so that a key missing there is known to be missing.
class CDamagedTable {
public:
    CDamagedTable(CConnection& damaged, CConnection& fresh, const QString& select, const QString& insert,
                  const QString& known)
        : m_select(damaged.Handle(), select), m_insert(fresh.Handle(), insert), m_known(fresh.Handle(), known)
    {
    }

    bool IsReady() const { return m_select.IsReady() && m_insert.IsReady() && m_known.IsReady(); }

    void Read()
    {
        std::int64_t key = std::numeric_limits<std::int64_t>::min();
        while (true) {
            m_select.Reset();
            m_select.Bind(1, key);
            std::optional<std::int64_t> last;
            while (m_select.Step()) {
                last = m_select.Int64(0);
                for (int i = 1; i < m_select.ColumnCount(); ++i)
                    BindValue(i, i);
                m_insert.Run();
                m_insert.Reset();
            }
            if (m_select.Status() >= 0) {
                Known(key, kMaxKey);
                return;
            }
            if (last)
                Known(key, *last);
            // The fault lies after the last row read (or at key, when none came).
            if (last == kMaxKey || !NextReadable(last ? *last + 1 : key, &key))
                return;
        }
    }

private:
    void BindValue(int column, int parameter)
    {
        switch (m_select.Type(column)) {
        case SQLITE_INTEGER:
            m_insert.Bind(parameter, m_select.Int64(column));
            break;
        case SQLITE_FLOAT:
            m_insert.Bind(parameter, m_select.Real(column));
            break;
        case SQLITE_NULL:
            m_insert.BindNull(parameter);
            break;
        default:
            m_insert.Bind(parameter, m_select.Text(column));
        }
    }

    void Known(std::int64_t from, std::int64_t to)
    {
        if (to < from)
            return;
        m_known.Reset();
        m_known.Bind(1, from).Bind(2, to).Run();
    }

    // Whether a walk from key starts without a fault.
    bool Reads(std::int64_t key)
    {
        m_select.Reset();
        m_select.Bind(1, key);
        return m_select.Step() || m_select.Status() >= 0;
    }

    // The first key after fault from which the walk reads again. Offsets
    // from the fault are unsigned: the walk may start at the smallest key.
    bool NextReadable(std::int64_t fault, std::int64_t* key)
    {
        const auto at = [fault](std::uint64_t offset) { return std::int64_t(std::uint64_t(fault) + offset); };
        const std::uint64_t room = std::uint64_t(kMaxKey) - std::uint64_t(fault);
        std::uint64_t bad = 0, step = 1;
        while (true) {
            const std::uint64_t probe = step >= room - bad ? room : bad + step;
            if (Reads(at(probe))) {
                std::uint64_t good = probe;
                while (good - bad > 1) {
                    const std::uint64_t middle = bad + (good - bad) / 2;
                    (Reads(at(middle)) ? good : bad) = middle;
                }
                *key = at(good);
                return true;
            }
            if (probe == room)
                return false;
            bad = probe;
            step *= 2;
        }
    }

    CStatement m_select, m_insert, m_known;
};

// The fresh copy's temporary tables that the damaged rows go into, and the
// carry-over from them, in order. NewCountry and NewCity: the user's own
// rows and their edits of shipped ones; GoneCountry and GoneCity: shipped
// rows the user deleted (missing from a stretch that read).
constexpr const char* kTempTables[] = {
    "CREATE TEMP TABLE DamagedCountry AS SELECT * FROM main.Country WHERE 0",
    "CREATE TEMP TABLE DamagedCity AS SELECT * FROM main.City WHERE 0",
    "CREATE TEMP TABLE DamagedLink AS SELECT * FROM main.Region2County WHERE 0",
    "CREATE TEMP TABLE DamagedInfo (CityID INTEGER PRIMARY KEY, DivisionID INTEGER, population INTEGER, zone TEXT)",
    "CREATE TEMP TABLE KnownCountry (lo INTEGER, hi INTEGER)",
    "CREATE TEMP TABLE KnownCity (lo INTEGER, hi INTEGER)",
    "CREATE TEMP TABLE KnownInfo (lo INTEGER, hi INTEGER)",
    "CREATE TEMP TABLE KnownLink (lo INTEGER, hi INTEGER)",
};

constexpr const char* kCarryOver[] = {
    "CREATE TEMP TABLE NewCountry AS SELECT d.* FROM temp.DamagedCountry d WHERE NOT EXISTS (SELECT 1 FROM "
    "main.Country m WHERE m.ID = d.ID AND m.name IS d.name AND m.arabic_name IS d.arabic_name AND m.Method IS d.Method)",
    "CREATE TEMP TABLE GoneCountry AS SELECT m.ID FROM main.Country m WHERE m.ID NOT IN "
    "(SELECT ID FROM temp.DamagedCountry) AND EXISTS (SELECT 1 FROM temp.KnownCountry k WHERE m.ID BETWEEN k.lo AND k.hi)",
    "CREATE TEMP TABLE NewCity AS SELECT d.* FROM temp.DamagedCity d WHERE NOT EXISTS (SELECT 1 FROM main.City m "
    "WHERE m.ID = d.ID AND m.name IS d.name AND m.arabic_name IS d.arabic_name AND m.longitude_Degree IS "
    "d.longitude_Degree AND m.longitude_Minute IS d.longitude_Minute AND m.latitude_Degree IS d.latitude_Degree AND "
    "m.latitude_Minute IS d.latitude_Minute AND m.gmt IS d.gmt AND m.County_ID IS d.County_ID)",
    "CREATE TEMP TABLE GoneCity AS SELECT m.ID FROM main.City m WHERE m.ID NOT IN (SELECT ID FROM temp.DamagedCity) "
    "AND EXISTS (SELECT 1 FROM temp.KnownCity k WHERE m.ID BETWEEN k.lo AND k.hi)",
    "INSERT OR REPLACE INTO main.Country SELECT * FROM temp.NewCountry",
    "DELETE FROM main.Country WHERE ID IN (SELECT ID FROM temp.GoneCountry)",
    "UPDATE main.City SET (name, arabic_name, longitude_Degree, longitude_Minute, latitude_Degree, latitude_Minute, "
    "gmt, County_ID) = (SELECT name, arabic_name, longitude_Degree, longitude_Minute, latitude_Degree, "
    "latitude_Minute, gmt, County_ID FROM temp.NewCity n WHERE n.ID = City.ID) WHERE ID IN (SELECT ID FROM temp.NewCity)",
    "INSERT INTO main.City SELECT * FROM temp.NewCity WHERE ID NOT IN (SELECT ID FROM main.City)",
    "DELETE FROM main.City WHERE ID IN (SELECT ID FROM temp.GoneCity)",
    "INSERT INTO main.Region2County SELECT RegionID, CountyID FROM temp.DamagedLink "
    "WHERE CountyID IN (SELECT ID FROM main.Country) EXCEPT SELECT RegionID, CountyID FROM main.Region2County",
    // The facts of the user's cities as they had them; those whose row did
    // not read get them as an edit would give them.
    "INSERT OR REPLACE INTO main.CityInfo SELECT i.* FROM temp.DamagedInfo i WHERE i.CityID IN (SELECT ID FROM temp.NewCity)",
};

constexpr char kRecovered[] = "SELECT (SELECT count(*) FROM temp.NewCountry) + (SELECT count(*) FROM temp.GoneCountry) "
                              "+ (SELECT count(*) FROM temp.NewCity) + (SELECT count(*) FROM temp.GoneCity)";
// A city whose facts read but whose own row did not, and which is no
// shipped place: a place of the user's that is lost.
constexpr char kUnreadable[] =
    "SELECT count(*) FROM temp.DamagedInfo i WHERE i.CityID NOT IN (SELECT ID FROM main.City) AND NOT EXISTS "
    "(SELECT 1 FROM temp.KnownCity k WHERE i.CityID BETWEEN k.lo AND k.hi)";

void ReadDamaged(CConnection& damaged, CConnection& fresh)
{
    struct tagTable {
        const char* select;
        const char* insert;
        const char* known;
    };
    static constexpr tagTable kTables[] = {
        {"SELECT ID, ID, name, arabic_name, Method FROM Country WHERE ID >= ?1 ORDER BY ID",
         "INSERT INTO temp.DamagedCountry VALUES (?1, ?2, ?3, ?4)", "INSERT INTO temp.KnownCountry VALUES (?1, ?2)"},
        {"SELECT ID, ID, name, arabic_name, longitude_Degree, longitude_Minute, latitude_Degree, latitude_Minute, gmt, "
         "County_ID FROM City WHERE ID >= ?1 ORDER BY ID",
         "INSERT INTO temp.DamagedCity VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)",
         "INSERT INTO temp.KnownCity VALUES (?1, ?2)"},
        {"SELECT rowid, RegionID, CountyID FROM Region2County WHERE rowid >= ?1 ORDER BY rowid",
         "INSERT INTO temp.DamagedLink VALUES (?1, ?2)", "INSERT INTO temp.KnownLink VALUES (?1, ?2)"},
        {"SELECT CityID, CityID, DivisionID, population, zone FROM CityInfo WHERE CityID >= ?1 ORDER BY CityID",
         "INSERT OR REPLACE INTO temp.DamagedInfo VALUES (?1, ?2, ?3, ?4)", "INSERT INTO temp.KnownInfo VALUES (?1, ?2)"},
    };
    for (const tagTable& table : kTables) {
        CDamagedTable reader(damaged, fresh, QString::fromUtf8(table.select), QString::fromUtf8(table.insert),
                             QString::fromUtf8(table.known));
        // A table whose schema does not read (or an earlier release's
        // file without CityInfo) gives nothing.
        if (reader.IsReady())
            reader.Read();
    }
}

// Carries the damaged file's rows over into the fresh copy at path, in one
// transaction; false leaves the fresh copy as shipped.
bool CarryOver(const QString& path, const QString& aside, tagHealing* outcome)
{
    const CJournalCleaner cleaner(aside);
    CConnection fresh, damaged;
    if (OpenPlaceFile(&fresh, path) < 0)
        return false;
    AddPlaceTriggers(&fresh);
    // The damaged file is only read; one whose header does not read gives no rows.
    if (damaged.Open(aside, CConnection::Mode::ReadOnly) >= 0)
        RegisterNameCollations(damaged.Handle());
    CTransaction transaction(&fresh);
    if (transaction.Status() < 0)
        return false;
    for (const char* create : kTempTables)
        if (fresh.Execute(QString::fromUtf8(create)) < 0)
            return false;
    if (damaged.IsOpen())
        ReadDamaged(damaged, fresh);
    for (const char* step : kCarryOver)
        if (fresh.Execute(QString::fromUtf8(step)) < 0)
            return false;
    if (!GiveUserPlacesFacts(fresh.Handle()))
        return false;
    for (const QString& statement : KeepCitySearchStatements(QStringLiteral(
             "c.ID IN (SELECT ID FROM temp.NewCity) OR c.County_ID IN (SELECT ID FROM temp.NewCountry)")))
        if (fresh.Execute(statement) < 0)
            return false;
    outcome->recovered = int(QueryInteger(fresh.Handle(), kRecovered, 0));
    outcome->unreadable = int(QueryInteger(fresh.Handle(), kUnreadable, 0));
    return transaction.Commit() >= 0;
}

} // namespace

bool HealPlaceDatabase(const QString& path, tagHealing* outcome)
{
    tagHealing healing;
    healing.keptAt = AsideName(path);
    if (!MoveWithJournals(path, healing.keptAt))
        return false;
    if (EnsurePlaceDatabase().isEmpty()) {
        MoveWithJournals(healing.keptAt, path);
        return false;
    }
    const bool carried = CarryOver(path, healing.keptAt, &healing);
    if (!carried)
        healing.recovered = 0;
    CUserMessages::Current().Show(
        nullptr, CUserMessages::Warning, QString(),
        QStringLiteral("The place database %1 was damaged and has been replaced by a fresh copy of the shipped "
                       "places. %2 of your own places and changes were recovered; %3 could not be read. The "
                       "damaged file was kept as %4.")
            .arg(path)
            .arg(healing.recovered)
            .arg(healing.unreadable)
            .arg(healing.keptAt));
    if (outcome)
        *outcome = healing;
    return true;
}
