// Opens a city file of any content and runs every read operation of the
// file back end on it: the body of the corruption test and of the fuzz
// target. Memory faults are the sanitizers' to catch; what this checks is
// what must hold for any input whatever: lists exactly as long as the
// counts say, identifiers inside their ranges, names zero-terminated within
// their fields.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Runs the operations on the file at path. The result lists the broken
// promises, empty when every check held.
QStringList ExerciseCityFile(const QString& path);

// The same on bytes: writes them to an anonymous in-memory file and opens
// that by its /proc/self/fd path.
QStringList ExerciseCityFileBytes(const QByteArray& bytes);
