// Terrafind: city picking for prayer-time applications.
//
// A host constructs one back end (CTerrafind30 or CTerrafind31 over the
// place database, or CTerrafindFile over a city file), calls Init, then the
// data operations or Show, then Close, and destroys it. Every operation
// reports by its returned status; nothing throws and nothing is logged.
//
// This header is all a host includes: the interface and the types it
// passes, the place-database back ends, the city file back end, the GPS
// reading, the nearest place and local time, and the search, each
// declared in a header of its own.
#pragma once

#include <terrafind/interface.h>
#include <terrafind/terrafinddb.h>
#include <terrafind/terrafindfile.h>
#include <terrafind/terrafindgps.h>
#include <terrafind/terrafindgeo.h>
#include <terrafind/terrafindsearch.h>
