// Commands about the city file.
#include "commands.h"

#include "cityfile/cityfilewriter.h"

#include <cstdio>

namespace {

// export-cityfile OUT: the place database as a city file. The database is
// read through its own back end whatever --file says, so the English order
// and the Arabic positions are the database's own.
int ExportCityFile(CContext& context, const QStringList& args)
{
    const QString out = args[0];
    if (out.isEmpty())
        return CommandUsage(context);

    CTerrafind30 places;
    if (!places.Init()) {
        ReportPlaceDatabaseFailure(GetInitStatus(places));
        return kFailure;
    }
    CCityFileWriter writer;
    const bool written = writer.Read(places) && writer.Write(out);
    places.Close();
    if (!written) {
        std::fprintf(stderr, "terrafind: %s; %s not written\n", qPrintable(writer.Error()), qPrintable(out));
        return kFailure;
    }

    CReport report(context.m_json);
    report.Set(QStringLiteral("path"), out);
    report.Set(QStringLiteral("countries"), int(writer.Countries().size()));
    report.Set(QStringLiteral("cities"), writer.CityCount());
    report.Set(QStringLiteral("shortenedNames"), writer.ShortenedNames());
    report.Set(QStringLiteral("replacedNames"), writer.ReplacedNames());
    report.Set(QStringLiteral("leftOut"), writer.LeftOut());
    report.Line(QStringLiteral("%1: %2 countries, %3 cities").arg(out).arg(writer.Countries().size()).arg(writer.CityCount()));
    if (writer.LeftOut())
        report.Line(QStringLiteral("%1 cities left out: a city file holds at most 65535").arg(writer.LeftOut()));
    if (writer.ShortenedNames() || writer.ReplacedNames())
        report.Line(QStringLiteral("%1 names cut to 31 bytes, %2 with characters outside code page 1256 replaced")
                        .arg(writer.ShortenedNames()).arg(writer.ReplacedNames()));
    return report.Finish(kSuccess);
}

} // namespace

QList<tagCommand> FileCommands()
{
    return {
        {"export-cityfile", "OUT", "write the place database as a city file", 1, ExportCityFile, 0,
         "Reads the place database (the per-user one, or --db PATH) even with --file.\n"
         "Names are stored in code page 1256, cut to 31 bytes; characters it lacks\n"
         "are replaced, and the counts of both are printed. A file holds at most\n"
         "65535 cities: each country keeps its 10 first, the rest go to the first of\n"
         "the others: cities of known population, most populous first, then seats\n"
         "of government, then the rest. The number left out is printed. Exit 1,\n"
         "leaving OUT as it was, when the places do not fit a city file.\n"},
    };
}
