// A TopoJSON topology (as world-atlas ships Natural Earth): shared arcs,
// quantized and delta-encoded, and geometries that list arcs by index.
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QPointF>
#include <QString>

// Positions are (longitude, latitude) in degrees.
using tagRing = QList<QPointF>;
// An exterior ring and its holes.
using tagPolygon = QList<tagRing>;

struct tagShape {
    QString id;   // the geometry's id (ISO 3166-1 numeric in world-atlas); may be empty
    QString name; // its "name" property
    QList<tagPolygon> polygons;
};

class CTopology {
public:
    // Reads a topology file; on failure returns false and says why.
    bool Load(const QString& path, QString* error);

    // The polygons and multipolygons of one object collection ("countries", "land").
    QList<tagShape> Shapes(const QString& object) const;

    // Arcs used by two or more geometries of a collection: the borders
    // between its shapes, each as a line of positions.
    QList<tagRing> SharedArcs(const QString& object) const;

private:
    tagRing Ring(const QJsonArray& arcIndexes) const;
    QJsonArray Geometries(const QString& object) const;

    QList<tagRing> m_arcs; // decoded to degrees
    QJsonObject m_objects;
};
