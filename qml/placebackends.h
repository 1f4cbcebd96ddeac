// The back ends every model of the module reads through. A process may
// hold one live object of each place-database class, and a back end's
// SetArabic cannot be undone, so English names and order come from a
// CTerrafind30 and Arabic ones from a CTerrafind31, each with a connection
// of its own: a model switches language without reopening anything.
#pragma once

#include <terrafind/terrafind.h>

#include <QObject>

#include <memory>

class CPlaceBackEnds : public QObject {
    Q_OBJECT
public:
    // The open back end for names in Arabic or English; null while the
    // place database cannot be opened (it is tried again on the next call).
    static CTerrafind* For(bool arabic);

private:
    // Owned by the application object, so the connections close before
    // the library's own globals go.
    explicit CPlaceBackEnds(QObject* parent) : QObject(parent) {}
    ~CPlaceBackEnds() override;

    std::unique_ptr<CTerrafind30> m_english;
    std::unique_ptr<CTerrafind31> m_arabic;
};
