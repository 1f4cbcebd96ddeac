// The generator's text outputs: the rows of the place database, and the
// record of which map pixels each country's land covers.
#pragma once

#include "placelist.h"
#include "regiongrid.h"

#include <QByteArray>
#include <QList>
#include <QPoint>

// INSERT statements for Region, Country, Region2County and City, and for
// the side tables Division, CityInfo and CityAlternate, in one transaction,
// for a database made from database/schema.sql.
QByteArray PlacesSql(const CPlaceList& places, const QList<tagRegion>& regions);

// One line per country: code, ID, and its land pixels as "x,y" pairs.
QByteArray LandRecord(const CPlaceList& places, const QList<QList<QPoint>>& landPixels);

// An angle in degrees as a signed whole number of minutes, rounded to the
// nearest minute: what the place database keeps of a position.
int SignedMinutes(double angle);

// The same as whole degrees and minutes, both carrying the angle's sign
// (-0.25 is 0 and -15).
QPair<int, int> DegreesMinutes(double angle);
