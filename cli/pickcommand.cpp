// terrafind pick: the picker, run as a host runs it.
#include "commands.h"

#include <cstdio>
#include <limits>

namespace {

int Pick(CContext& context, const QStringList& args)
{
    long long id = -1;
    if (!args.isEmpty()) {
        if (args.size() != 2 || args[0] != QLatin1String("--city"))
            return CommandUsage(context);
        if (!ParseNumber(args[1], "ID", 0, std::numeric_limits<std::uint32_t>::max(), &id))
            return kUsage;
    }
    CTerrafind* backend = context.Backend();
    if (!backend)
        return kFailure;
    // Without --city, start on the first city of the first country, as a
    // host without a current city would; with it, on that city, as a host
    // passes its current one.
    CCity city;
    city.m_dwID = 0xFFFFFFFFu;
    city.m_dwCountryID = 0xFFFFFFFFu;
    if (id >= 0 && backend->GetCity(std::uint32_t(id), &city) < 0) {
        std::fprintf(stderr, "terrafind: no city with ID %lld\n", id);
        return kFailure;
    }
    const int result = backend->Show(&city, context.m_arabic ? 1 : 0);
    CReport report(context.m_json);
    report.Set(QStringLiteral("result"), result);
    if (result == 1) {
        ReportCity(report, city);
        return report.Finish(kSuccess);
    }
    report.Line(QStringLiteral("no city chosen"));
    return report.Finish(kFailure);
}

} // namespace

QList<tagCommand> PickCommands()
{
    return {{"pick", "[--city ID]", "choose a city on the map and in the lists; prints it (exit 1 if cancelled)", -1,
             Pick, kOpensWindows,
             "Opens a window. With --file, the picker's Add tab is disabled.\n"
             "  --city ID     open on that city (as 'terrafind city ID' reads it) and its country\n"}};
}
