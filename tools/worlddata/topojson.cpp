#include "topojson.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <map>
#include <set>

bool CTopology::Load(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    QJsonParseError parse;
    const QJsonObject topology = QJsonDocument::fromJson(file.readAll(), &parse).object();
    if (parse.error != QJsonParseError::NoError || topology.value(QStringLiteral("type")).toString() != u"Topology") {
        *error = QStringLiteral("%1 is not a TopoJSON topology").arg(path);
        return false;
    }

    // Quantized topologies store each arc's first position and then the
    // differences, in integer steps of the transform's scale.
    const QJsonObject transform = topology.value(QStringLiteral("transform")).toObject();
    const QJsonArray scale = transform.value(QStringLiteral("scale")).toArray();
    const QJsonArray translate = transform.value(QStringLiteral("translate")).toArray();
    const bool quantized = !transform.isEmpty();
    m_arcs.clear();
    for (const QJsonValue& arcValue : topology.value(QStringLiteral("arcs")).toArray()) {
        tagRing arc;
        double x = 0, y = 0;
        for (const QJsonValue& positionValue : arcValue.toArray()) {
            const QJsonArray position = positionValue.toArray();
            if (quantized) {
                x += position[0].toDouble();
                y += position[1].toDouble();
                arc.append({x * scale[0].toDouble() + translate[0].toDouble(),
                            y * scale[1].toDouble() + translate[1].toDouble()});
            } else {
                arc.append({position[0].toDouble(), position[1].toDouble()});
            }
        }
        m_arcs.append(arc);
    }
    m_objects = topology.value(QStringLiteral("objects")).toObject();
    return true;
}

QJsonArray CTopology::Geometries(const QString& object) const
{
    return m_objects.value(object).toObject().value(QStringLiteral("geometries")).toArray();
}

tagRing CTopology::Ring(const QJsonArray& arcIndexes) const
{
    tagRing ring;
    for (const QJsonValue& value : arcIndexes) {
        // A negative index ~i is arc i walked backwards.
        const int index = value.toInt();
        const bool reversed = index < 0;
        const int arc = reversed ? ~index : index;
        if (arc < 0 || arc >= m_arcs.size())
            continue;
        tagRing points = m_arcs[arc];
        if (reversed)
            std::reverse(points.begin(), points.end());
        // Consecutive arcs share their meeting position.
        if (!ring.isEmpty() && !points.isEmpty())
            points.removeFirst();
        ring += points;
    }
    return ring;
}

QList<tagShape> CTopology::Shapes(const QString& object) const
{
    QList<tagShape> shapes;
    for (const QJsonValue& value : Geometries(object)) {
        const QJsonObject geometry = value.toObject();
        const QString type = geometry.value(QStringLiteral("type")).toString();
        QJsonArray polygons = geometry.value(QStringLiteral("arcs")).toArray();
        if (type == u"Polygon")
            polygons = QJsonArray{polygons};
        else if (type != u"MultiPolygon")
            continue;

        tagShape shape;
        const QJsonValue id = geometry.value(QStringLiteral("id"));
        shape.id = id.isString() ? id.toString() : id.isDouble() ? QString::number(id.toInt()) : QString();
        shape.name = geometry.value(QStringLiteral("properties")).toObject().value(QStringLiteral("name")).toString();
        for (const QJsonValue& polygonValue : polygons) {
            tagPolygon polygon;
            for (const QJsonValue& ringValue : polygonValue.toArray())
                polygon.append(Ring(ringValue.toArray()));
            shape.polygons.append(polygon);
        }
        shapes.append(shape);
    }
    return shapes;
}

QList<tagRing> CTopology::SharedArcs(const QString& object) const
{
    std::map<int, std::set<int>> users; // arc -> geometries using it
    const QJsonArray geometries = Geometries(object);
    for (int g = 0; g < geometries.size(); ++g) {
        const QJsonObject geometry = geometries[g].toObject();
        const bool multi = geometry.value(QStringLiteral("type")).toString() == u"MultiPolygon";
        const QJsonArray polygons = multi ? geometry.value(QStringLiteral("arcs")).toArray()
                                          : QJsonArray{geometry.value(QStringLiteral("arcs")).toArray()};
        for (const QJsonValue& polygon : polygons)
            for (const QJsonValue& ring : polygon.toArray())
                for (const QJsonValue& index : ring.toArray())
                    users[index.toInt() < 0 ? ~index.toInt() : index.toInt()].insert(g);
    }
    QList<tagRing> shared;
    for (const auto& [arc, geometriesUsing] : users)
        if (geometriesUsing.size() > 1 && arc < m_arcs.size())
            shared.append(m_arcs[arc]);
    return shared;
}
