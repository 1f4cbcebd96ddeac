// Opens a city file of any content and runs every read operation of the
// file back end on it: the body of the corruption test and of the fuzz
// target. Memory faults are the sanitizers' to catch; this checks what must
// hold for any input: lists as long as the counts say, identifiers inside
// their ranges, names zero-terminated within their fields.
#pragma once

#include <QByteArray>
#include <QStringList>

// The promises broken on bytes taken as a city file; empty when all held.
QStringList ExerciseCityFileBytes(const QByteArray& bytes);
