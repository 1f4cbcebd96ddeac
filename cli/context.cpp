#include "commands.h"

#include <QFileInfo>

#include <cstdio>

CContext::~CContext()
{
    if (m_backend)
        m_backend->Close();
}

CTerrafind* CContext::Backend()
{
    if (m_tried)
        return m_backend.get();
    m_tried = true;
    if (!m_cityFileDirectory.isEmpty() && m_command && (m_command->traits & kDatabaseOnly)) {
        std::fprintf(stderr, "terrafind: %s is not available on a city file; it needs a place database\n",
                     m_command->name);
        return nullptr;
    }
    if (!m_cityFileDirectory.isEmpty()) {
        auto file = std::make_unique<CTerrafindFile>();
        if (!file->Init(m_cityFileDirectory.utf16())) {
            const QString separator = m_cityFileDirectory.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/");
            std::fprintf(stderr, "terrafind: cannot open %s%skvCities.bin: missing, unreadable or not a city file\n",
                         qPrintable(m_cityFileDirectory), qPrintable(separator));
            return nullptr;
        }
        if (m_arabic)
            file->SetArabic();
        m_backend = std::move(file);
        return m_backend.get();
    }
    auto backend = std::make_unique<CTerrafind30>();
    if (!backend->Init()) {
        ReportPlaceDatabaseFailure(GetInitStatus(*backend));
        return nullptr;
    }
    if (m_arabic)
        backend->SetArabic();
    m_backend = std::move(backend);
    return m_backend.get();
}

void ReportPlaceDatabaseFailure(HRESULT status)
{
    const QString path = PlaceDatabaseFile();
    const QFileInfo file(path);
    QString why;
    if (!file.exists()) {
        why = qEnvironmentVariableIsEmpty("TERRAFIND_DB")
            ? QStringLiteral("it is missing, and no copy of the shipped one could be made there")
            : QStringLiteral("no such file");
    } else if (file.isDir()) {
        why = QStringLiteral("it is a directory");
    } else {
        const auto code = static_cast<std::uint32_t>(status);
        if ((code & 0xFFFF00FFu) == 0x80FF0005u || (code & 0xFFFF00FFu) == 0x80FF0006u)
            why = QStringLiteral("locked by another program; try again when it is done");
        else if (code == 0x80FF001Au)
            why = QStringLiteral("not a database");
        else if (code == 0x80FE0001u)
            why = QStringLiteral("not a place database (an SQLite file without the Region, Country, Region2County "
                                 "and City tables)");
        else if (!file.isReadable())
            why = QStringLiteral("no permission to read it");
        else if (!file.isWritable())
            why = QStringLiteral("no permission to write it");
        else if (status >= 0)
            why = QStringLiteral("it opened only on a second try; run the command again");
        else
            why = DescribeStatus(status);
        if (status < 0)
            why += QStringLiteral(" (status 0x%1)").arg(code, 8, 16, QLatin1Char('0'));
    }
    std::fprintf(stderr, "terrafind: cannot open %s: %s\n", qPrintable(path), qPrintable(why));
}

QString Synopsis(const tagCommand& command)
{
    return (QString::fromUtf8(command.name) + QLatin1Char(' ') + QString::fromUtf8(command.arguments)).trimmed();
}

int CommandUsage(const CContext& context)
{
    std::fprintf(stderr, "terrafind: usage: terrafind %s\nTry 'terrafind %s --help'.\n",
                 qPrintable(Synopsis(*context.m_command)), context.m_command->name);
    return kUsage;
}

bool ParseNumber(const QString& text, const char* what, long long minimum, long long maximum, long long* value)
{
    bool ok = false;
    *value = text.toLongLong(&ok);
    if (ok && *value >= minimum && *value <= maximum)
        return true;
    std::fprintf(stderr, "terrafind: %s must be an integer from %lld to %lld, not '%s'\n", what, minimum,
                 maximum, qPrintable(text));
    return false;
}
