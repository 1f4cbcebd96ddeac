// Commands over the back end's data operations.
#include "commands.h"

#include <QFileInfo>

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
    CReport report(context.json);
    const QString path = PlaceDatabaseFile();
    report.Set(QStringLiteral("path"), path);
    report.Set(QStringLiteral("exists"), QFileInfo::exists(path));
    report.Line(path + (QFileInfo::exists(path) ? QString() : QStringLiteral(" (created on first use)")));
    return report.Finish(kSuccess);
}

int Execute(CContext& context, const QStringList& args)
{
    CTerrafind* backend = context.Backend();
    if (!backend)
        return kFailure;
    CReport report(context.json);
    return Finish(report, backend->ExecuteStatement(args[0]));
}

int Count(CContext& context, const QStringList& args)
{
    CTerrafind* backend = context.Backend();
    if (!backend)
        return kFailure;
    CReport report(context.json);
    const int rows = backend->GetRecordsetCount(args[0]);
    report.Set(QStringLiteral("rows"), rows);
    report.Line(rows < 0 ? QStringLiteral("the query failed") : QString::number(rows));
    return report.Finish(rows < 0 ? kFailure : kSuccess);
}

int ListReport(CContext& context, HRESULT status, const QStringList& names, const QList<unsigned int>& ids)
{
    CReport report(context.json);
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
    CReport report(context.json);
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
    if (!ParseNumber(args[0], "ID", 0, kMaxID, &id))
        return kUsage;
    CTerrafind* backend = context.Backend();
    if (!backend)
        return kFailure;
    CCity city;
    const HRESULT status = backend->GetCity(std::uint32_t(id), &city);
    CReport report(context.json);
    if (status >= 0) {
        ReportCity(report, city);
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
    CReport report(context.json);
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
    CReport report(context.json);
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
    CReport report(context.json);
    report.Set(QStringLiteral("id"), qint64(id));
    if (status == S_OK)
        report.Line(QStringLiteral("country %1 in region %2").arg(id).arg(region));
    else if (status == E_INVALIDARG)
        report.Line(QStringLiteral("country %1 is already in region %2").arg(id).arg(region));
    return Finish(report, status);
}

// The four signed angles and the time zone, at args[first]...
bool ParsePosition(const QStringList& args, int first, short angles[4], double* hours)
{
    const char* names[] = {"LONDEG", "LONMIN", "LATDEG", "LATMIN"};
    for (int i = 0; i < 4; ++i) {
        long long value;
        if (!ParseNumber(args[first + i], names[i], kShortMin, kShortMax, &value))
            return false;
        angles[i] = short(value);
    }
    return ParseReal(args[first + 4], "HOURS", hours);
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
    CReport report(context.json);
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
    CReport report(context.json);
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
    CReport report(context.json);
    return Finish(report, backend->ModifyCity(std::uint32_t(country), std::uint32_t(city), args[2], args[3],
                                              angles[0], angles[1], angles[2], angles[3], hours));
}

} // namespace

QList<CCommand> DatabaseCommands()
{
    return {
        {"where", "", "print where the place database lives", 0, Where},
        {"countries", "", "list every country", 0, List},
        {"cities", "COUNTRY", "list a country's cities", 1, List},
        {"country", "ID", "read one country", 1, Country},
        {"city", "ID", "read one city with its country", 1, City},
        {"at", "X Y", "the region and countries at a map pixel", 2, At},
        {"regions", "", "list the map regions", 0, Regions},
        {"add-country", "NAME ARABIC REGION METHOD", "add a country to a region", 4, AddCountry},
        {"add-city", "COUNTRY NAME ARABIC LONDEG LONMIN LATDEG LATMIN HOURS", "add a city", 8, AddCity},
        {"modify-country", "ID NAME ARABIC METHOD", "replace a country", 4, ModifyCountry},
        {"modify-city", "COUNTRY CITY NAME ARABIC LONDEG LONMIN LATDEG LATMIN HOURS", "replace a city", 9, ModifyCity},
        {"exec", "STATEMENT", "run one SQL statement that yields no rows", 1, Execute},
        {"count", "QUERY", "count the rows of an SQL query", 1, Count},
    };
}
