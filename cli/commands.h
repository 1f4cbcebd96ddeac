// The host program's subcommands. Each group of commands lives in its own
// file and hands its table to main.
#pragma once

#include "report.h"

#include <memory>

// What the global options chose, and the back end they open.
class CContext {
public:
    bool json = false;
    bool arabic = false;
    QString cityFileDirectory; // --file DIR: the read-only city file back end

    // Opens the chosen back end on first use; null (after printing why)
    // when it cannot be opened.
    CTerrafind* Backend();
    ~CContext();

private:
    std::unique_ptr<CTerrafind> m_backend;
    bool m_tried = false;
};

// Exit codes of every command.
enum ExitCode { kSuccess = 0, kFailure = 1, kUsage = 2 };

struct CCommand {
    const char* name;
    const char* arguments; // as shown by --help
    const char* summary;
    int argumentCount;     // exact number of arguments, -1 for any
    int (*run)(CContext& context, const QStringList& arguments);
    // The command opens the picker: main then creates no application of its
    // own, and the library runs one for the picker, as in any host.
    bool opensWindows = false;
};

QList<CCommand> DatabaseCommands();
QList<CCommand> PickCommands();
QList<CCommand> FileCommands();
QList<CCommand> GpsCommands();

// Parses a decimal integer argument; prints a usage error when it is not one.
bool ParseNumber(const QString& text, const char* what, long long minimum, long long maximum, long long* value);
bool ParseReal(const QString& text, const char* what, double* value);
