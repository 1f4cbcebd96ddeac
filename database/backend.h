// What the place-database back ends' three rooms share: the connection
// slot of each class (backendslots.cpp), the reads (placereads.cpp) and the
// edits (placeedits.cpp).
#pragma once

#include "placestore.h"

#include <QString>

// The open place database of the class's slot (30 or 31), healed first
// when it was found damaged since; null when the slot is empty.
CPlaceStore* Store(int version);

// Runs the rows of stmt through row(stmt). A walk that meets a damaged
// file fails with SQLite's status (and the store takes note, so the file
// is healed); any other failed step ends the walk quietly, what was read
// so far standing.
template <typename Row>
HRESULT Walk(CPlaceStore& store, CStatement& stmt, Row row)
{
    while (stmt.Step())
        row(stmt);
    if (IsDamageStatus(stmt.Status())) {
        store.NoteStatus(stmt.Status());
        return stmt.Status();
    }
    return S_OK;
}

// A fresh statement on the store's connection whose text the trace sees as it is.
CStatement Query(CPlaceStore& store, const QString& text);
// The store's statement of sql, prepared once, bound to value in ?1; the
// trace sees sql with the value written in, as a statement of text.
CStatementUse CachedQuery(CPlaceStore& store, const char* sql, long long value);

// Every integer in a statement is formatted as a signed 32-bit "%d".
QString Decimal(long long value);
// Names go into statements between single quotes. Doubling each quote
// keeps N'Djamena a name and keeps any name from ending its literal early.
QString Quoted(QString name);
