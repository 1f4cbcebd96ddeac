// Commands about the city file.
#include "commands.h"

#include "cityfile/cityfilewriter.h"

#include <cstdio>

namespace {

// export-cityfile OUT [--db PATH]: the place database as a city file. The
// database is read through its own back end whatever --file says, so the
// English order and the Arabic positions are the database's own.
int ExportCityFile(CContext& context, const QStringList& args)
{
    QString out;
    QStringList rest = args;
    while (!rest.isEmpty()) {
        const QString argument = rest.takeFirst();
        if (argument == QLatin1String("--db")) {
            if (rest.isEmpty()) {
                std::fprintf(stderr, "terrafind: --db needs a path\nTry 'terrafind --help'.\n");
                return kUsage;
            }
            qputenv("TERRAFIND_DB", rest.takeFirst().toLocal8Bit());
        } else if (out.isEmpty() && !argument.isEmpty()) {
            out = argument;
        } else {
            std::fprintf(stderr, "terrafind: usage: terrafind export-cityfile OUT [--db PATH]\n");
            return kUsage;
        }
    }
    if (out.isEmpty()) {
        std::fprintf(stderr, "terrafind: usage: terrafind export-cityfile OUT [--db PATH]\n");
        return kUsage;
    }

    CTerrafind30 places;
    if (!places.Init()) {
        std::fprintf(stderr, "terrafind: cannot open %s: missing, unreadable or not a place database\n",
                     qPrintable(PlaceDatabaseFile()));
        return kFailure;
    }
    CCityFileWriter writer;
    const bool written = writer.Read(places) && writer.Write(out);
    places.Close();
    if (!written) {
        std::fprintf(stderr, "terrafind: %s; %s not written\n", qPrintable(writer.Error()), qPrintable(out));
        return kFailure;
    }

    CReport report(context.json);
    report.Set(QStringLiteral("path"), out);
    report.Set(QStringLiteral("countries"), int(writer.Countries().size()));
    report.Set(QStringLiteral("cities"), writer.CityCount());
    report.Set(QStringLiteral("shortenedNames"), writer.ShortenedNames());
    report.Set(QStringLiteral("replacedNames"), writer.ReplacedNames());
    report.Line(QStringLiteral("%1: %2 countries, %3 cities").arg(out).arg(writer.Countries().size()).arg(writer.CityCount()));
    if (writer.ShortenedNames() || writer.ReplacedNames())
        report.Line(QStringLiteral("%1 names cut to 31 bytes, %2 with characters outside code page 1256 replaced")
                        .arg(writer.ShortenedNames()).arg(writer.ReplacedNames()));
    return report.Finish(kSuccess);
}

} // namespace

QList<CCommand> FileCommands()
{
    return {
        {"export-cityfile", "OUT [--db PATH]", "write the place database as a city file", -1, ExportCityFile},
    };
}
