// The Select page: a country list narrowed by map taps, and the cities of
// the chosen country; a tap on a city closes the picker with it.
#pragma once

#include "mappage.h"

#include <QPointF>

#include <cstdint>
#include <optional>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

class CSelectPage : public CMapPage {
    Q_OBJECT
public:
    explicit CSelectPage(QWidget* parent = nullptr);

    // The pin on the highlighted city, and the dots on the other matches
    // of a search, each ringed in white to stand out on land and sea.
    static constexpr unsigned kPinRgb = 0xE0102A;
    static constexpr unsigned kMatchRgb = 0x1D3A8F;

    // Set by Show before the sheet runs: the city and country to preselect.
    // On exit the pending ID is the chosen city (0xFFFFFFFF once the
    // caller's city was listed and nothing is selected).
    std::uint32_t m_dwPendingCityID = 0xFFFFFFFFu;
    std::uint32_t m_dwCurrentCountryID = 0xFFFFFFFFu;
    // Map taps are ignored on a read-only sheet.
    bool m_bReadOnly = false;

    void OnMapClick(unsigned int x, unsigned int y) override;
    // Records the selected city as the pending city ID (and a found
    // city's country as the current country); the sheet calls it as the
    // page goes away.
    void RecordChosenCity();
    // Lists the places matching query in the city list, named as PlaceName
    // names them, most populous first, the first one highlighted; a blank
    // query lists the chosen country's cities again.
    void ShowSearch(const QString& query);

    void OnMapPaint(QPainter* painter, const QRect& rect) override;
    // Where the pin is, in map pixels; none while no city is highlighted.
    std::optional<QPointF> MarkedPoint() const { return m_marked; }

    QTreeWidget* CountryList() const { return m_countries; }
    QTreeWidget* CityList() const { return m_cities; }

signals:
    // A city was tapped: the sheet ends with OK.
    void CityChosen();

protected:
    void OnInitDialog() override;

private:
    void OnCountryChosen();
    void FillCities(std::uint32_t countryID);
    void MirrorForArabic();
    // Moves the pin to the highlighted city and names it in the map's
    // description.
    void MarkHighlightedCity();
    bool ReadCity(const QTreeWidgetItem* row, CCity* city, tagCityDetails* details) const;

    QLabel* m_countriesLabel = nullptr;
    QLabel* m_citiesLabel = nullptr;
    QTreeWidget* m_countries = nullptr;
    QTreeWidget* m_cities = nullptr;
    std::optional<QPointF> m_marked;
    // The map pixels of the search's matches; empty while not searching.
    QList<QPointF> m_matches;
    // The city highlighted when the search began, highlighted again when
    // the search is cleared.
    bool m_searching = false;
    std::uint32_t m_cityBeforeSearch = 0xFFFFFFFFu;
};
