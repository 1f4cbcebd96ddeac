#include "tiersources.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

bool ReadAll(const QString& path, QByteArray* bytes, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    *bytes = file.readAll();
    return true;
}

// A protocol buffer reader of just what cities.pbf uses: varints, zigzag
// varints and length-delimited strings.
class CProtoReader {
public:
    CProtoReader(const QByteArray& bytes, qsizetype begin, qsizetype end) : m_bytes(bytes), m_pos(begin), m_end(end) {}

    bool AtEnd() const { return m_pos >= m_end; }
    qsizetype Pos() const { return m_pos; }
    void Skip(qsizetype size) { m_pos += size; }

    bool Varint(quint64* value)
    {
        *value = 0;
        for (int shift = 0; shift < 64 && m_pos < m_end; shift += 7) {
            const auto byte = quint8(m_bytes[m_pos++]);
            *value |= quint64(byte & 0x7F) << shift;
            if (!(byte & 0x80))
                return true;
        }
        return false;
    }

    bool Signed(qint64* value)
    {
        quint64 raw;
        if (!Varint(&raw))
            return false;
        *value = qint64(raw >> 1) ^ -qint64(raw & 1);
        return true;
    }

    bool Bytes(QByteArray* value)
    {
        quint64 size;
        if (!Varint(&size) || size > quint64(m_end - m_pos))
            return false;
        *value = m_bytes.mid(m_pos, qsizetype(size));
        m_pos += qsizetype(size);
        return true;
    }

private:
    const QByteArray& m_bytes;
    qsizetype m_pos, m_end;
};

} // namespace

bool ReadTierPlaces(const QString& path, QList<tagTierPlace>* places, QString* error)
{
    QByteArray bytes;
    if (!ReadAll(path, &bytes, error))
        return false;
    places->clear();
    CProtoReader file(bytes, 0, bytes.size());
    qint64 longitude = 0, latitude = 0; // 1e-5 degrees, running sums
    while (!file.AtEnd()) {
        quint64 size;
        if (!file.Varint(&size) || size > quint64(bytes.size() - file.Pos()))
            break;
        CProtoReader message(bytes, file.Pos(), file.Pos() + qsizetype(size));
        file.Skip(qsizetype(size));
        tagTierPlace place;
        bool ok = true;
        while (ok && !message.AtEnd()) {
            quint64 key;
            ok = message.Varint(&key);
            const int field = int(key >> 3), wire = int(key & 7);
            quint64 number = 0;
            qint64 signedNumber = 0;
            QByteArray text;
            if (!ok)
                break;
            if (wire == 2) {
                ok = message.Bytes(&text);
            } else if (wire == 0 && (field == 1 || field == 10 || field == 11)) {
                ok = message.Signed(&signedNumber);
            } else if (wire == 0) {
                ok = message.Varint(&number);
            } else {
                ok = false;
            }
            switch (field) {
            case 1: place.geonameId = quint32(signedNumber); break;
            case 2: place.name = QString::fromUtf8(text); break;
            case 3: place.countryCode = QString::fromUtf8(text); break;
            case 7: place.featureCode = QString::fromUtf8(text); break;
            case 8: place.admin1 = QString::fromUtf8(text); break;
            case 9: place.population = quint32(number); break;
            case 10: longitude += signedNumber; break;
            case 11: latitude += signedNumber; break;
            default: break; // other country codes, lower divisions
            }
        }
        if (!ok || !place.geonameId) {
            *error = QStringLiteral("%1: unreadable place after %2 places").arg(path).arg(places->size());
            return false;
        }
        place.longitude = double(longitude) / 1e5;
        place.latitude = double(latitude) / 1e5;
        places->append(place);
    }
    if (places->isEmpty()) {
        *error = QStringLiteral("%1 holds no places").arg(path);
        return false;
    }
    return true;
}

bool ReadDivisionNames(const QString& path, QHash<QString, QString>* names, QString* error)
{
    QByteArray bytes;
    if (!ReadAll(path, &bytes, error))
        return false;
    names->clear();
    for (const QJsonValue& entry : QJsonDocument::fromJson(bytes).array()) {
        const QJsonObject division = entry.toObject();
        names->insert(division.value(QStringLiteral("code")).toString(),
                      division.value(QStringLiteral("name")).toString().trimmed());
    }
    if (names->isEmpty()) {
        *error = QStringLiteral("%1 holds no divisions").arg(path);
        return false;
    }
    return true;
}

bool ReadGeoNamesDump(const QString& path, QList<tagDumpRow>* rows, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    rows->clear();
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().chopped(1).split('\t');
        if (fields.size() < 19)
            continue;
        tagDumpRow row;
        row.geonameId = fields[0].toUInt();
        row.name = QString::fromUtf8(fields[1]);
        row.asciiName = QString::fromUtf8(fields[2]);
        if (!fields[3].isEmpty())
            row.alternates = QString::fromUtf8(fields[3]).split(u',');
        row.latitude = fields[4].toDouble();
        row.longitude = fields[5].toDouble();
        row.featureCode = QString::fromUtf8(fields[7]);
        row.countryCode = QString::fromUtf8(fields[8]);
        row.admin1 = QString::fromUtf8(fields[10]);
        row.admin2 = QString::fromUtf8(fields[11]);
        row.population = fields[14].toUInt();
        row.zone = QString::fromUtf8(fields[17]);
        rows->append(row);
    }
    if (rows->isEmpty()) {
        *error = QStringLiteral("%1 holds no rows").arg(path);
        return false;
    }
    return true;
}

bool ReadJsonPlaces(const QString& path, QList<tagJsonPlace>* places, QString* error)
{
    QByteArray bytes;
    if (!ReadAll(path, &bytes, error))
        return false;
    places->clear();
    for (const QJsonValue& entry : QJsonDocument::fromJson(bytes).array()) {
        const QJsonObject place = entry.toObject();
        places->append({place.value(QStringLiteral("name")).toString().simplified(),
                        place.value(QStringLiteral("country")).toString(),
                        place.value(QStringLiteral("admin1")).toString(),
                        place.value(QStringLiteral("admin2")).toString(),
                        place.value(QStringLiteral("lat")).toString().toDouble(),
                        place.value(QStringLiteral("lng")).toString().toDouble()});
    }
    if (places->isEmpty()) {
        *error = QStringLiteral("%1 holds no places").arg(path);
        return false;
    }
    return true;
}
