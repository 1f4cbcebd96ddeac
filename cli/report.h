// Output of one command: lines for a person, or one JSON object for a
// script (--json). A command writes both; only one of them is printed.
#pragma once

#include <terrafind/terrafind.h>

#include <QJsonArray>
#include <QJsonObject>

class CReport {
public:
    explicit CReport(bool json) : m_json(json) {}

    void Line(const QString& text);
    void Set(const QString& key, const QJsonValue& value) { m_object.insert(key, value); }
    // Records the operation's status in both forms.
    void Status(HRESULT status);
    // Prints the JSON object (in --json mode) and hands the exit code back.
    int Finish(int exitCode);

private:
    bool m_json;
    QJsonObject m_object;
};

// A list of names with their IDs, as the list operations return them.
QJsonArray NamedIDs(const QStringList& names, const QList<unsigned int>& ids);
QString StatusText(HRESULT status);
// Every field of a city record as a JSON object.
QJsonObject CityObject(const CCity& city);
// Every field of a city record, as lines and as the object "city".
void ReportCity(CReport& report, const CCity& city);
// The object "city" of ReportCity.
QJsonObject CityObject(const CCity& city);
