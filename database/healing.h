// Healing a per-user place database that SQLite finds damaged (a disk that
// filled up mid-write, a crash of the file system, a file cut short by a
// copy): the user's own places are inside it, so it is never just replaced.
#pragma once

#include <QString>

struct tagHealing {
    QString keptAt;     // where the damaged file now is
    int recovered = 0;  // the user's countries and places carried over, and deletions of shipped ones
    int unreadable = 0; // the user's places known to exist (by their side rows) whose rows did not read
};

// Moves the damaged file at path aside, to path.damaged-YYYYMMDD-HHMMSS
// with its journal files beside it, makes a fresh copy of the shipped
// database at path, and carries over from the damaged file, row by row as
// far as its pages read, the user's own countries, places and region links
// and their edits and deletions of shipped places, told apart from the
// shipped rows by ID, so the IDs a host stored stay valid. The damaged file
// is only read. Tells the user once, through CUserMessages. False when no
// fresh copy could be made: the damaged file is then put back.
bool HealPlaceDatabase(const QString& path, tagHealing* outcome = nullptr);
