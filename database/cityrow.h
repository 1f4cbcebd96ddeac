// A city row with its country's columns, read into CCity: one reader for
// every query that gives a city to the host.
#pragma once

#include "statement.h"

// Reads ID, name, arabic_name, longitude_Degree, longitude_Minute,
// latitude_Degree, latitude_Minute, gmt and County_ID of the City row from
// column first on. Angles become magnitudes with hemisphere flags; 0°00′ is
// east (north). NULL reads as 0 or the empty string.
void ReadCityRow(const CStatement& row, int first, CCity* city);

// Reads the country's name, arabic_name and Method from column first on.
void ReadCountryRow(const CStatement& row, int first, CCity* city);
