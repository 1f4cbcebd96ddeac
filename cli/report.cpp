#include "report.h"

#include <QJsonDocument>

#include <cstdio>

QString StatusText(HRESULT status)
{
    return QStringLiteral("0x%1 (%2)")
        .arg(static_cast<std::uint32_t>(status), 8, 16, QLatin1Char('0'))
        .arg(DescribeStatus(status));
}

void CReport::Line(const QString& text)
{
    if (!m_json)
        std::printf("%s\n", text.toUtf8().constData());
}

void CReport::Status(HRESULT status)
{
    Set(QStringLiteral("status"), status);
    Set(QStringLiteral("statusText"), DescribeStatus(status));
    Line(QStringLiteral("status: ") + StatusText(status));
}

int CReport::Finish(int exitCode)
{
    if (m_json)
        std::printf("%s", QJsonDocument(m_object).toJson(QJsonDocument::Indented).constData());
    std::fflush(stdout);
    return exitCode;
}

QJsonArray NamedIDs(const QStringList& names, const QList<unsigned int>& ids)
{
    QJsonArray list;
    for (qsizetype i = 0; i < names.size() && i < ids.size(); ++i)
        list.append(QJsonObject{{QStringLiteral("id"), qint64(ids[i])}, {QStringLiteral("name"), names[i]}});
    return list;
}
