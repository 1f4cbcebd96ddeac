// The cities of one country, ordered by name in the model's language; an
// unknown countryId gives no row.
#pragma once

#include "placelistmodel.h"

#include <QHash>

class CCityModel : public CPlaceListModel {
    Q_OBJECT
    QML_NAMED_ELEMENT(CityModel)
    Q_PROPERTY(int countryId READ CountryId WRITE SetCountryId NOTIFY countryIdChanged)
public:
    explicit CCityModel(QObject* parent = nullptr) : CPlaceListModel(parent) {}

    int CountryId() const { return m_countryId; }
    void SetCountryId(int countryId);

signals:
    void countryIdChanged();

protected:
    int Load(CTerrafind* backEnd) override;
    tagPlaceRow Row(int row) const override;

private:
    int m_countryId = 0;
    // The list holds thousands of cities in the largest countries: only
    // their names and IDs are read at once, each city's facts when a view
    // or get() first asks for its row.
    QStringList m_names;
    QList<unsigned int> m_ids;
    mutable QHash<int, tagPlaceRow> m_read;
};
