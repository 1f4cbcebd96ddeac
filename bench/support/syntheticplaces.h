// Place databases for the benchmarks, made at start-up in a temporary
// directory that lasts as long as the program.
#pragma once

#include <QString>

// Writes a place database of 250 countries and `cities` cities with random
// Latin and Arabic names and random positions to path. City counts fall off
// with the country's rank: the largest country holds about a tenth of them.
// The same seed always gives the same places.
void MakeSyntheticPlaces(const QString& path, int cities);

// A writable copy of the shipped place database (made once).
QString ShippedPlacesCopy();
