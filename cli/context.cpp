#include "commands.h"

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
    if (!cityFileDirectory.isEmpty()) {
        auto file = std::make_unique<CTerrafindFile>();
        if (!file->Init(cityFileDirectory.utf16())) {
            const QString separator = cityFileDirectory.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/");
            std::fprintf(stderr, "terrafind: cannot open %s%skvCities.bin: missing, unreadable or not a city file\n",
                         qPrintable(cityFileDirectory), qPrintable(separator));
            return nullptr;
        }
        if (arabic)
            file->SetArabic();
        m_backend = std::move(file);
        return m_backend.get();
    }
    auto backend = std::make_unique<CTerrafind30>();
    if (!backend->Init()) {
        const QString where = qEnvironmentVariableIsEmpty("TERRAFIND_DB")
            ? QStringLiteral("the per-user place database (see 'terrafind where')")
            : qEnvironmentVariable("TERRAFIND_DB");
        std::fprintf(stderr, "terrafind: cannot open %s: missing, unreadable or not a place database\n",
                     qPrintable(where));
        return nullptr;
    }
    if (arabic)
        backend->SetArabic();
    m_backend = std::move(backend);
    return m_backend.get();
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

bool ParseReal(const QString& text, const char* what, double* value)
{
    bool ok = false;
    *value = text.toDouble(&ok);
    if (ok)
        return true;
    std::fprintf(stderr, "terrafind: %s must be a number, not '%s'\n", what, qPrintable(text));
    return false;
}
