// terrafind search: places by the first letters of their words.
#include "commands.h"

namespace {

int Search(CContext& context, const QStringList& args)
{
    QString query;
    long long limit = 10;
    bool haveQuery = false;
    for (QStringList rest = args; !rest.isEmpty();) {
        const QString argument = rest.takeFirst();
        if (argument == QLatin1String("--limit")) {
            if (rest.isEmpty())
                return CommandUsage(context);
            if (!ParseNumber(rest.takeFirst(), "N", 1, 1000, &limit))
                return kUsage;
        } else if (!haveQuery) {
            query = argument;
            haveQuery = true;
        } else {
            return CommandUsage(context);
        }
    }
    if (!haveQuery)
        return CommandUsage(context);
    CTerrafind* backend = context.Backend();
    if (!backend)
        return kFailure;

    QList<tagCityHit> hits;
    const HRESULT status = SearchCities(*backend, query, int(limit), &hits);
    CReport report(context.m_json);
    QJsonArray cities;
    for (const tagCityHit& hit : hits) {
        const CCity& city = hit.city;
        const tagCityDetails& details = hit.details;
        cities.append(QJsonObject{{QStringLiteral("city"), CityObject(city)},
                                  {QStringLiteral("admin1"), details.admin1},
                                  {QStringLiteral("admin1Arabic"), details.admin1Arabic},
                                  {QStringLiteral("population"), details.population},
                                  {QStringLiteral("zone"), details.zone}});
        report.Line(QStringLiteral("%1\t%2\t%3")
                        .arg(city.m_dwID)
                        .arg(PlaceNameParts(city, details, context.m_arabic).join(QLatin1Char('\t')))
                        .arg(details.population));
    }
    report.Set(QStringLiteral("cities"), cities);
    report.Status(status);
    return report.Finish(status < 0 ? kFailure : kSuccess);
}

} // namespace

QList<tagCommand> SearchCommands()
{
    return {{"search", "QUERY [--limit N]", "find places by the first letters of their words", -1, Search, 0,
             "Every word of QUERY must start a word of a place's English or Arabic name,\n"
             "of one of its other spellings or of its country's name (\"cairo egypt\");\n"
             "case, accents and harakat do not matter. N: at most this many places, 1 to\n"
             "1000, 10 by default. Lines are ID, name, division, country and population,\n"
             "separated by tabs, most populous first (on a city file, which keeps no\n"
             "populations, by name, and the ID is the city's index within its country).\n"
             "With --json: \"cities\", an array of objects with the keys of 'city'.\n"}};
}
