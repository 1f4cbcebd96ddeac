// terrafind pick: the picker, run as a host runs it.
#include "commands.h"

namespace {

int Pick(CContext& context, const QStringList&)
{
    CTerrafind* backend = context.Backend();
    if (!backend)
        return kFailure;
    // Start on the first city of the first country, as a host without a
    // current city would.
    CCity city;
    city.m_dwID = 0xFFFFFFFFu;
    city.m_dwCountryID = 0xFFFFFFFFu;
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
    return {{"pick", "", "choose a city on the map and in the lists; prints it (exit 1 if cancelled)", 0,
             Pick, kOpensWindows, "Opens a window. With --file, the picker has no Add tab.\n"}};
}
