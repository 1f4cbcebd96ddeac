// Commands over the back end's data operations.
#include "commands.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <cstdio>

#include <limits>

namespace {

constexpr long long kMaxID = std::numeric_limits<std::uint32_t>::max();
constexpr long long kShortMin = std::numeric_limits<short>::min();
constexpr long long kShortMax = std::numeric_limits<short>::max();

int Finish(CReport& report, HRESULT status)
{
    report.Status(status);
    return report.Finish(status < 0 ? kFailure : kSuccess);
}

int Where(CContext& context, const QStringList&)
{
    CReport report(context.m_json);
    QString path = PlaceDatabaseFile();
    if (!context.m_cityFileDirectory.isEmpty())
        path = QDir(context.m_cityFileDirectory).filePath(QStringLiteral("kvCities.bin"));
    const bool exists = QFileInfo::exists(path);
    report.Set(QStringLiteral("path"), path);
    report.Set(QStringLiteral("exists"), exists);
    report.Line(path + (exists || !context.m_cityFileDirectory.isEmpty() ? QString() : QStringLiteral(" (created on first use)")));
    return report.Finish(kSuccess);
}

int Execute(CContext& context, const QStringList& args)
{
    CTerrafind* backend = context.Backend();
    if (!backend)
        return kFailure;
    CReport report(context.m_json);
    return Finish(report, backend->ExecuteStatement(args[0]));
}

int Count(CContext& context, const QStringList& args)
{
    CTerrafind* backend = context.Backend();
    if (!backend)
        return kFailure;
    CReport report(context.m_json);
    const int rows = backend->GetRecordsetCount(args[0]);
    report.Set(QStringLiteral("rows"), rows);
    report.Line(rows < 0 ? QStringLiteral("the query failed") : QString::number(rows));
    return report.Finish(rows < 0 ? kFailure : kSuccess);
}

int ListReport(CContext& context, HRESULT status, const QStringList& names, const QList<unsigned int>& ids)
{
    CReport report(context.m_json);
    report.Set(QStringLiteral("items"), NamedIDs(names, ids));
    for (qsizetype i = 0; i < names.size(); ++i)
        report.Line(QStringLiteral("%1\t%2").arg(ids.value(i)).arg(names[i]));
    return Finish(report, status);
}

// Countries with no argument, a country's cities with one.
int List(CContext& context, const QStringList& args)
{
    long long country = 0;
    if (!args.isEmpty() && !ParseNumber(args[0], "COUNTRY", 0, kMaxID, &country))
        return kUsage;
    CTerrafind* backend = context.Backend();
    if (!backend)
        return kFailure;
    QStringList names;
    QList<unsigned int> ids;
    const HRESULT status = args.isEmpty() ? backend->GetAllCountries(&names, &ids)
                                          : backend->GetCities(std::uint32_t(country), &names, &ids);
    return ListReport(context, status, names, ids);
}

int Country(CContext& context, const QStringList& args)
{
    long long id;
    if (!ParseNumber(args[0], "ID", 0, kMaxID, &id))
        return kUsage;
    CTerrafind* backend = context.Backend();
    if (!backend)
        return kFailure;
    QString name, arabicName;
    short method = 0;
    const HRESULT status = backend->GetCountry(std::uint32_t(id), name, arabicName, &method);
    CReport report(context.m_json);
    if (status >= 0) {
        report.Set(QStringLiteral("name"), name);
        report.Set(QStringLiteral("arabicName"), arabicName);
        report.Set(QStringLiteral("method"), method);
        report.Line(QStringLiteral("%1 | %2 | method %3").arg(name, arabicName).arg(method));
    }
    return Finish(report, status);
}

int City(CContext& context, const QStringList& args)
{
    long long id;
    QDateTime at;
    if (args.size() != 1 && !(args.size() == 3 && args[1] == QLatin1String("--at")))
        return CommandUsage(context);
    if (!ParseNumber(args[0], "ID", 0, kMaxID, &id) || (args.size() == 3 && !ParseInstant(args[2], &at)))
        return kUsage;
    CTerrafind* backend = context.Backend();
    if (!backend)
        return kFailure;
    CCity city;
    const HRESULT status = backend->GetCity(std::uint32_t(id), &city);
    CReport report(context.m_json);
    tagCityDetails details;
    if (status >= 0) {
        ReportCity(report, city);
        if (GetCityDetails(*backend, city.m_dwID, &details) == S_OK) {
            report.Set(QStringLiteral("admin1"), details.admin1);
            report.Set(QStringLiteral("admin1Arabic"), details.admin1Arabic);
            report.Set(QStringLiteral("population"), details.population);
            report.Set(QStringLiteral("zone"), details.zone);
            // A place without a known division shows none rather than empty fields.
            QStringList facts{details.admin1, details.admin1Arabic,
                              QStringLiteral("population %1").arg(details.population), details.zone};
            facts.removeAll(QString());
            report.Line(facts.join(QLatin1String(" | ")));
        }
        ReportLocalTime(report, *backend, city.m_dwID, at);
    }
    return Finish(report, status);
}

int At(CContext& context, const QStringList& args)
{
    long long x, y;
    if (!ParseNumber(args[0], "X", 0, kMaxID, &x) || !ParseNumber(args[1], "Y", 0, kMaxID, &y))
        return kUsage;
    CTerrafind* backend = context.Backend();
    if (!backend)
        return kFailure;
    CReport report(context.m_json);
    std::uint32_t region = 0;
    tagRECT rect;
    if (backend->GetRegionID(unsigned(x), unsigned(y), &region, &rect) >= 0) {
        report.Set(QStringLiteral("region"), QJsonObject{{QStringLiteral("id"), qint64(region)},
            {QStringLiteral("left"), rect.left}, {QStringLiteral("top"), rect.top},
            {QStringLiteral("right"), rect.right}, {QStringLiteral("bottom"), rect.bottom}});
        report.Line(QStringLiteral("region %1: (%2,%3)-(%4,%5)").arg(region).arg(rect.left).arg(rect.top)
                        .arg(rect.right).arg(rect.bottom));
    } else {
        report.Line(QStringLiteral("no region at (%1,%2)").arg(x).arg(y));
    }
    QStringList names;
    QList<unsigned int> ids;
    const HRESULT status = backend->GetCountries(unsigned(x), unsigned(y), &names, &ids);
    report.Set(QStringLiteral("items"), NamedIDs(names, ids));
    for (qsizetype i = 0; i < names.size(); ++i)
        report.Line(QStringLiteral("%1\t%2").arg(ids.value(i)).arg(names[i]));
    return Finish(report, status);
}

// EnumRegions hands each rectangle to a plain function; this collects them.
QJsonArray g_regions;

void CollectRegion(HDC, unsigned int left, unsigned int top, unsigned int right, unsigned int bottom)
{
    g_regions.append(QJsonArray{int(left), int(top), int(right), int(bottom)});
}

int Regions(CContext& context, const QStringList&)
{
    CTerrafind* backend = context.Backend();
    if (!backend)
        return kFailure;
    g_regions = {};
    const HRESULT status = backend->EnumRegions(nullptr, CollectRegion);
    CReport report(context.m_json);
    report.Set(QStringLiteral("regions"), g_regions);
    for (const QJsonValue& region : g_regions) {
        const QJsonArray r = region.toArray();
        report.Line(QStringLiteral("(%1,%2)-(%3,%4)").arg(r[0].toInt()).arg(r[1].toInt()).arg(r[2].toInt()).arg(r[3].toInt()));
    }
    return Finish(report, status);
}

int AddCountry(CContext& context, const QStringList& args)
{
    long long region, method;
    if (!ParseNumber(args[2], "REGION", 0, kMaxID, &region) || !ParseNumber(args[3], "METHOD", 0, 4, &method))
        return kUsage;
    CTerrafind* backend = context.Backend();
    if (!backend)
        return kFailure;
    std::uint32_t id = 0;
    const HRESULT status = backend->AddCountry(args[0], args[1], &id, std::uint32_t(region), short(method));
    CReport report(context.m_json);
    report.Set(QStringLiteral("id"), qint64(id));
    if (status == S_OK)
        report.Line(QStringLiteral("country %1 in region %2").arg(id).arg(region));
    else if (status == E_INVALIDARG)
        report.Line(QStringLiteral("country %1 is already in region %2").arg(id).arg(region));
    return Finish(report, status);
}

// The four signed angles and the time zone, at args[first]... The library
// would wrap an angle beyond 16 bits and store a time zone that is not a
// number as 0, so both are refused here.
bool ParsePosition(const QStringList& args, int first, short angles[4], double* hours)
{
    const char* names[] = {"LONDEG", "LONMIN", "LATDEG", "LATMIN"};
    for (int i = 0; i < 4; ++i) {
        long long value;
        if (!ParseNumber(args[first + i], names[i], kShortMin, kShortMax, &value))
            return false;
        angles[i] = short(value);
    }
    bool ok = false;
    *hours = args[first + 4].toDouble(&ok);
    if (ok && std::isfinite(*hours) && *hours >= -13 && *hours <= 13)
        return true;
    std::fprintf(stderr, "terrafind: HOURS must be a number from -13 to 13, not '%s'\n", qPrintable(args[first + 4]));
    return false;
}

int AddCity(CContext& context, const QStringList& args)
{
    long long country;
    short angles[4];
    double hours;
    if (!ParseNumber(args[0], "COUNTRY", 0, kMaxID, &country) || !ParsePosition(args, 3, angles, &hours))
        return kUsage;
    CTerrafind* backend = context.Backend();
    if (!backend)
        return kFailure;
    std::uint32_t id = 0;
    const HRESULT status = backend->AddCity(std::uint32_t(country), args[1], args[2], angles[0], angles[1],
                                            angles[2], angles[3], hours, &id);
    CReport report(context.m_json);
    if (status == S_OK) {
        report.Set(QStringLiteral("id"), qint64(id));
        report.Line(QStringLiteral("city %1").arg(id));
    } else if (status == E_INVALIDARG) {
        report.Line(QStringLiteral("country %1 already has a city named %2").arg(country).arg(args[1]));
    }
    return Finish(report, status);
}

int ModifyCountry(CContext& context, const QStringList& args)
{
    long long id, method;
    if (!ParseNumber(args[0], "ID", 0, kMaxID, &id) || !ParseNumber(args[3], "METHOD", 0, 4, &method))
        return kUsage;
    CTerrafind* backend = context.Backend();
    if (!backend)
        return kFailure;
    CReport report(context.m_json);
    return Finish(report, backend->ModifyCountry(std::uint32_t(id), args[1], args[2], short(method)));
}

int ModifyCity(CContext& context, const QStringList& args)
{
    long long country, city;
    short angles[4];
    double hours;
    if (!ParseNumber(args[0], "COUNTRY", 0, kMaxID, &country) || !ParseNumber(args[1], "CITY", 0, kMaxID, &city)
        || !ParsePosition(args, 4, angles, &hours))
        return kUsage;
    CTerrafind* backend = context.Backend();
    if (!backend)
        return kFailure;
    CReport report(context.m_json);
    return Finish(report, backend->ModifyCity(std::uint32_t(country), std::uint32_t(city), args[2], args[3],
                                              angles[0], angles[1], angles[2], angles[3], hours));
}

// Tabs, line breaks and backslashes in a value would break the columns.
QString Escaped(QString text)
{
    return text.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('\t'), QLatin1String("\\t"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"))
        .replace(QLatin1Char('\r'), QLatin1String("\\r"));
}

int Sql(CContext& context, const QStringList& args)
{
    // Opened first, so that a database that does not open is told as for
    // every other command.
    if (!context.Backend())
        return kFailure;
    QStringList columns;
    QList<QStringList> rows;
    const HRESULT status = QueryPlaceDatabase(args[0], &columns, &rows);
    CReport report(context.m_json);
    QJsonArray values;
    for (const QStringList& row : rows)
        values.append(QJsonArray::fromStringList(row));
    report.Set(QStringLiteral("columns"), QJsonArray::fromStringList(columns));
    report.Set(QStringLiteral("rows"), values);
    if (!columns.isEmpty())
        report.Line(columns.join(QLatin1Char('\t')));
    for (QStringList row : rows) {
        for (QString& value : row)
            value = Escaped(value);
        report.Line(row.join(QLatin1Char('\t')));
    }
    return Finish(report, status);
}

} // namespace

QList<tagCommand> DatabaseCommands()
{
    const char* position =
        "LONDEG LONMIN LATDEG LATMIN: signed degrees and minutes, east and north\n"
        "positive, the minutes carrying the sign of their degrees (0 -30 is 0°30′ W);\n"
        "each from -32768 to 32767. HOURS: the time zone in hours, -13 to 13 (-3.75\n"
        "is stored as -37 tenths, truncated toward zero).\n";
    return {
        {"where", "", "print where the place database lives", 0, Where, 0,
         "With --file, where the city file is.\n"},
        {"countries", "", "list every country", 0, List, 0,
         "Lines are ID, a tab and the name, in name order (Arabic with --arabic).\n"},
        {"cities", "COUNTRY", "list a country's cities", 1, List, 0,
         "Lines are ID, a tab and the name, in name order. On a city file the\n"
         "first column is the city's index within its country.\n"},
        {"country", "ID", "read one country", 1, Country, kDatabaseOnly},
        {"city", "ID [--at TIME]", "read one city with its country", -1, City, 0,
         "Also its time zone and UTC offset now, or at TIME, an ISO 8601 instant\n"
         "such as 2025-03-15T12:00:00Z (--json: \"zone\", \"utcOffsetMinutes\"; from\n"
         "this system's time zone data). On a city file, which keeps no zones, ID\n"
         "is the city's number in the whole file.\n"},
        {"at", "X Y", "the region and countries at a map pixel", 2, At, kDatabaseOnly,
         "X Y: a pixel of the 225 x 120 world map.\n"},
        {"regions", "", "list the map regions", 0, Regions, kDatabaseOnly,
         "Each region's rectangle, left, top, right and bottom, in map pixels.\n"},
        {"add-country", "NAME ARABIC REGION METHOD", "add a country to a region", 4, AddCountry, kDatabaseOnly,
         "REGION: a region ID. METHOD: the prayer-time calculation method, 0 to 4.\n"
         "A country of that English name already there is linked to the region;\n"
         "exit 1 when it already is.\n"},
        {"add-city", "COUNTRY NAME ARABIC LONDEG LONMIN LATDEG LATMIN HOURS", "add a city", 8, AddCity,
         kDatabaseOnly, position},
        {"modify-country", "ID NAME ARABIC METHOD", "replace a country", 4, ModifyCountry, kDatabaseOnly},
        {"modify-city", "COUNTRY CITY NAME ARABIC LONDEG LONMIN LATDEG LATMIN HOURS", "replace a city", 9,
         ModifyCity, kDatabaseOnly, position},
        {"exec", "STATEMENT", "run one SQL statement that yields no rows", 1, Execute, kDatabaseOnly},
        {"count", "QUERY", "count the rows of an SQL query", 1, Count, kDatabaseOnly},
        {"sql", "QUERY", "print the rows of one read-only SQL query", 1, Sql, kDatabaseOnly,
         "A line of column names, then one line per row, values separated by tabs\n"
         "(NULL prints as nothing; a tab, line break or backslash in a value as \\t,\n"
         "\\n or \\\\). With --json: \"columns\", an array of names, and \"rows\", an\n"
         "array of rows, each an array of values as strings. A statement that would\n"
         "change the database is refused without being run.\n"},
    };
}
