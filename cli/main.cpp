// terrafind: the command-line host of the Terrafind library.
#include "commands.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

namespace {

QList<CCommand> AllCommands()
{
    return PickCommands() + DatabaseCommands() + FileCommands() + GpsCommands();
}

void PrintHelp(FILE* out)
{
    std::fprintf(out,
        "Usage: terrafind [OPTIONS] COMMAND [ARGUMENTS]\n"
        "\n"
        "Chooses, lists, reads and edits the places of the Terrafind place database\n"
        "or city file, and reads the position of a GPS receiver.\n"
        "\n"
        "Options:\n"
        "  --json        print one JSON object instead of text\n"
        "  --arabic      list names in Arabic, in Arabic order\n"
        "  --db PATH     use the place database at PATH instead of the per-user one\n"
        "                (same as setting TERRAFIND_DB=PATH)\n"
        "  --file DIR    read the city file DIR/kvCities.bin instead (read-only); there\n"
        "                'cities' lists each city's index within its country and 'city'\n"
        "                takes a city's number in the whole file\n"
        "  -h, --help    show this help\n"
        "\n"
        "Commands:\n");
    for (const CCommand& command : AllCommands())
        std::fprintf(out, "  %s %s\n      %s\n", command.name, command.arguments, command.summary);
    std::fprintf(out,
        "\n"
        "The per-user place database is $XDG_DATA_HOME/terrafind/KVCities\n"
        "(~/.local/share/terrafind/KVCities); it is created from the shipped one on\n"
        "first use. Positions are signed degrees and minutes, east and north positive,\n"
        "the minutes carrying the sign of their degrees. Time zones are in hours.\n"
        "\n"
        "Exit status: 0 success, 1 the operation failed, 2 usage error.\n");
}

int Usage(const QString& message)
{
    std::fprintf(stderr, "terrafind: %s\nTry 'terrafind --help'.\n", qPrintable(message));
    return kUsage;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    CContext context;

    // Global options come before the command.
    while (!args.isEmpty() && args.first().startsWith(QLatin1Char('-'))) {
        const QString option = args.takeFirst();
        if (option == QLatin1String("-h") || option == QLatin1String("--help")) {
            PrintHelp(stdout);
            return kSuccess;
        } else if (option == QLatin1String("--json")) {
            context.json = true;
        } else if (option == QLatin1String("--arabic")) {
            context.arabic = true;
        } else if (option == QLatin1String("--db")) {
            if (args.isEmpty())
                return Usage(QStringLiteral("--db needs a path"));
            qputenv("TERRAFIND_DB", args.takeFirst().toLocal8Bit());
        } else if (option == QLatin1String("--file")) {
            if (args.isEmpty() || args.first().isEmpty())
                return Usage(QStringLiteral("--file needs a directory"));
            context.cityFileDirectory = args.takeFirst();
        } else {
            return Usage(QStringLiteral("unknown option '%1'").arg(option));
        }
    }
    if (args.isEmpty())
        return Usage(QStringLiteral("no command given"));

    const QString name = args.takeFirst();
    for (const CCommand& command : AllCommands()) {
        if (name != QLatin1String(command.name))
            continue;
        if (command.argumentCount >= 0 && args.size() != command.argumentCount)
            return Usage(QStringLiteral("usage: terrafind %1 %2").arg(name, QLatin1String(command.arguments)));
        std::unique_ptr<QCoreApplication> app;
        if (!command.opensWindows)
            app = std::make_unique<QCoreApplication>(argc, argv);
        return command.run(context, args);
    }
    return Usage(QStringLiteral("unknown command '%1'").arg(name));
}
