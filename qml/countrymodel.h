// Every country of the place database, ordered by name in the model's
// language. Rows carry name, arabicName, countryId and countryName; the
// city roles are empty.
#pragma once

#include "placelistmodel.h"

class CCountryModel : public CPlaceListModel {
    Q_OBJECT
    QML_NAMED_ELEMENT(CountryModel)
public:
    explicit CCountryModel(QObject* parent = nullptr) : CPlaceListModel(parent) {}

protected:
    int Load(CTerrafind* backEnd) override;
    tagPlaceRow Row(int row) const override { return m_rows.value(row); }

private:
    // A few hundred rows, read whole: the lists show every one at once.
    QList<tagPlaceRow> m_rows;
};
