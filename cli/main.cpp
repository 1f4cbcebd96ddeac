// terrafind: the command-line host of the Terrafind library.
#include "commands.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

namespace {

QList<tagCommand> AllCommands()
{
    return PickCommands() + SearchCommands() + DatabaseCommands() + GeoCommands() + FileCommands() + GpsCommands();
}

const char kOptions[] =
    "Options, before or after the command:\n"
    "  --json        print one JSON object instead of text\n"
    "  --arabic      list names in Arabic, in Arabic order\n"
    "  --db PATH     use the place database at PATH instead of the per-user one\n"
    "                (same as setting TERRAFIND_DB=PATH)\n"
    "  --file DIR    read the city file DIR/kvCities.bin instead (read-only); there\n"
    "                'cities' lists each city's index within its country, 'city'\n"
    "                takes a city's number in the whole file, and the commands that\n"
    "                need a place database fail\n"
    "  -h, --help    show this help; after a command, that command's\n"
    "  --            what follows is arguments, even if it starts with '-'\n";

void PrintHelp()
{
    std::printf(
        "Usage: terrafind [OPTIONS] COMMAND [ARGUMENTS]\n"
        "\n"
        "Chooses, lists, reads and edits the places of the Terrafind place database\n"
        "or city file, and reads the position of a GPS receiver.\n"
        "\n"
        "%s"
        "\n"
        "Commands ('terrafind COMMAND --help' tells more):\n", kOptions);
    for (const tagCommand& command : AllCommands())
        std::printf("  %s\n      %s\n", qPrintable(Synopsis(command)), command.summary);
    std::printf(
        "\n"
        "The per-user place database is $XDG_DATA_HOME/terrafind/KVCities\n"
        "(~/.local/share/terrafind/KVCities); it is created from the shipped one on\n"
        "first use. Positions are signed degrees and minutes, east and north positive,\n"
        "the minutes carrying the sign of their degrees. Time zones are in hours.\n"
        "\n"
        "Exit status: 0 success, 1 the operation failed, 2 usage error.\n");
}

void PrintCommandHelp(const tagCommand& command)
{
    QString summary = QString::fromUtf8(command.summary);
    summary[0] = summary[0].toUpper();
    std::printf("Usage: terrafind [OPTIONS] %s\n\n%s.\n", qPrintable(Synopsis(command)), qPrintable(summary));
    if (*command.details)
        std::printf("%s", command.details);
    if (command.traits & kDatabaseOnly)
        std::printf("Needs a place database: fails with --file.\n");
    std::printf("\n%s\nExit status: 0 success, 1 the operation failed, 2 usage error.\n", kOptions);
}

int Usage(const QString& message)
{
    std::fprintf(stderr, "terrafind: %s\nTry 'terrafind --help'.\n", qPrintable(message));
    return kUsage;
}

// Takes the global options out of args, wherever they stand; what is left
// are the command and its arguments. kSuccess to go on, else the exit code.
int TakeOptions(QStringList& args, CContext& context, bool* help)
{
    for (qsizetype i = 0; i < args.size();) {
        const QString option = args[i];
        if (option == QLatin1String("--")) {
            args.removeAt(i);
            break;
        }
        // Anything else before the command that starts with '-' must be an
        // option; after it, a negative number or a command's own option.
        const bool beforeCommand = i == 0;
        if (option == QLatin1String("-h") || option == QLatin1String("--help")) {
            *help = true;
        } else if (option == QLatin1String("--json")) {
            context.m_json = true;
        } else if (option == QLatin1String("--arabic")) {
            context.m_arabic = true;
        } else if (option == QLatin1String("--db") || option == QLatin1String("--file")) {
            if (i + 1 >= args.size() || args[i + 1].isEmpty())
                return Usage(option == QLatin1String("--db") ? QStringLiteral("--db needs a path")
                                                             : QStringLiteral("--file needs a directory"));
            if (option == QLatin1String("--db"))
                qputenv("TERRAFIND_DB", args[i + 1].toLocal8Bit());
            else
                context.m_cityFileDirectory = args[i + 1];
            args.removeAt(i);
        } else if (beforeCommand && option.startsWith(QLatin1Char('-'))) {
            return Usage(QStringLiteral("unknown option '%1'").arg(option));
        } else {
            ++i;
            continue;
        }
        args.removeAt(i);
    }
    return kSuccess;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    CContext context;
    bool help = false;
    if (const int exitCode = TakeOptions(args, context, &help); exitCode != kSuccess)
        return exitCode;
    if (args.isEmpty() && help) {
        PrintHelp();
        return kSuccess;
    }
    if (args.isEmpty())
        return Usage(QStringLiteral("no command given"));

    const QString name = args.takeFirst();
    const QList<tagCommand> commands = AllCommands();
    for (const tagCommand& command : commands) {
        if (name != QLatin1String(command.name))
            continue;
        context.m_command = &command;
        if (help) {
            PrintCommandHelp(command);
            return kSuccess;
        }
        if (command.argumentCount >= 0 && args.size() != command.argumentCount)
            return CommandUsage(context);
        std::unique_ptr<QCoreApplication> app;
        if (!(command.traits & kOpensWindows))
            app = std::make_unique<QCoreApplication>(argc, argv);
        return command.run(context, args);
    }
    return Usage(QStringLiteral("unknown command '%1'").arg(name));
}
