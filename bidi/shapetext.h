// Shaped Arabic text for labels, through the bidirectional-text library
// libKVBiDi12.so, which is found and loaded on first use and never unloaded.
#pragma once

#include <QString>

#include <memory>

class QLibrary;

// Loads the bidirectional-text library: by its bare name through the
// loader's search first, then from the component's own directory (see
// ComponentDirectory). Null when neither finds it.
std::unique_ptr<QLibrary> LoadBiDiLibrary();

// Fills destination with the display form of source (presentation forms,
// lam-alef ligatures; never longer than source) through the library's
// StringShape; mode 0 English, 1 Arabic. Returns 1 when at least one
// character came back, else 0. Without the library destination is left as
// it was; without StringShape, or when it returns 0, destination is empty.
int ShapeText(QString source, QString& destination, int mode);

// The directory of the file that holds the component's code: the directory
// of libterrafind.so, or of an executable built with the component's
// objects (the tests). Empty if it cannot be told.
QString ComponentDirectory();

// Names the library LoadBiDiLibrary looks for ("KVBiDi12" unless set; the
// platform's prefix and suffix are added) and forgets the library loaded
// so far, so that tests can make it missing or incomplete.
void SetBiDiLibraryName(const QString& name);
