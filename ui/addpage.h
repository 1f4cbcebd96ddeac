// The Add page: countries of a tapped map region and their cities, added
// and edited through the country and city forms, written at once through
// the back end.
#pragma once

#include "mappage.h"

#include <cstdint>

class QGroupBox;
class QPushButton;
class QTreeWidget;

class CAddPage : public CMapPage {
    Q_OBJECT
public:
    explicit CAddPage(QWidget* parent = nullptr);

    // Highlights the region at (x, y), in map pixels, and lists its
    // countries; no country is selected afterwards.
    void OnMapClick(unsigned int x, unsigned int y) override;
    // The region grid and the highlight frame over the bitmap.
    void OnMapPaint(QPainter* painter, const QRect& rect) override;

    // The highlighted region's frame colour (0xRRGGBB).
    static constexpr unsigned kHighlightRgb = 0xE0102A;
    // The region last hit on the map, in map pixels; all zero before and
    // after a tap outside every region.
    const tagRECT& Highlight() const { return m_highlight; }
    QTreeWidget* CountryList() const { return m_countries; }
    QTreeWidget* CityList() const { return m_cities; }

protected:
    void OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void MirrorForArabic();
    void OnCountryTapped();
    void OnCityTapped();
    void OnAddCountry();
    void OnEditCountry();
    void OnAddCity();
    void OnEditCity();
    void EnableButtons(bool countryAdd, bool countryEdit, bool cityAdd, bool cityEdit);
    bool HighlightIsEmpty() const;

    tagRECT m_highlight;
    QTreeWidget* m_countries = nullptr;
    QTreeWidget* m_cities = nullptr;
    QGroupBox* m_countriesGroup = nullptr;
    QGroupBox* m_citiesGroup = nullptr;
    QPushButton* m_countryEdit = nullptr;
    QPushButton* m_cityEdit = nullptr;
    QPushButton* m_countryAdd = nullptr;
    QPushButton* m_cityAdd = nullptr;
};
