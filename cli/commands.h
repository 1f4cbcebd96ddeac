// The host program's subcommands. Each group of commands lives in its own
// file and hands its table to main.
#pragma once

#include "report.h"

#include <memory>

struct tagCommand;

// What the global options chose, and the back end they open.
class CContext {
public:
    bool m_json = false;
    bool m_arabic = false;
    QString m_cityFileDirectory; // --file DIR: the read-only city file back end
    const tagCommand* m_command = nullptr;

    // Opens the chosen back end on first use; null (after printing why)
    // when it cannot be opened or the command needs a place database and
    // --file chose a city file.
    CTerrafind* Backend();
    ~CContext();

private:
    std::unique_ptr<CTerrafind> m_backend;
    bool m_tried = false;
};

// Exit codes of every command.
enum ExitCode { kSuccess = 0, kFailure = 1, kUsage = 2 };

enum CommandTraits {
    kDatabaseOnly = 1, // refused on a city file, where the operations do nothing
    kOpensWindows = 2, // main creates no application: the library runs one for the picker
};

struct tagCommand {
    const char* name;
    const char* arguments; // as shown by --help
    const char* summary;
    int argumentCount;     // exact number of arguments, -1 for any
    int (*run)(CContext& context, const QStringList& arguments);
    int traits = 0;
    const char* details = ""; // more lines for 'terrafind COMMAND --help'
};

QList<tagCommand> DatabaseCommands();
QList<tagCommand> PickCommands();
QList<tagCommand> FileCommands();
QList<tagCommand> GpsCommands();
QList<tagCommand> GeoCommands();
QList<tagCommand> SearchCommands();

// The command's name and arguments, as usage lines show them.
QString Synopsis(const tagCommand& command);
// Prints the usage line of the running command; returns kUsage.
int CommandUsage(const CContext& context);
// Parses a decimal integer argument; prints a usage error when it is not one.
bool ParseNumber(const QString& text, const char* what, long long minimum, long long maximum, long long* value);
// Prints why the place database did not open, in one line, from the status
// that Init met (GetInitStatus).
void ReportPlaceDatabaseFailure(HRESULT status);

// The city nearest to a position as "nearest" (with "distanceKm") and a
// line; nothing when there is none.
void ReportNearest(CReport& report, CTerrafind& places, double latitude, double longitude, bool arabic);
// A city's time zone and UTC offset at an instant (now when at is invalid)
// as "utcOffsetMinutes" and a line; nothing for a city without a zone.
void ReportLocalTime(CReport& report, CTerrafind& places, std::uint32_t cityID, const QDateTime& at);
// An ISO 8601 instant with Z or an offset; prints a usage error otherwise.
bool ParseInstant(const QString& text, QDateTime* instant);
