// The picker pages' common part: template, back end, map and lists.
#pragma once

#include "mapbitmap.h"
#include "mappicture.h"

#include <terrafind/interface.h>

#include <QWidget>

#include <cstdint>
#include <functional>

class QTreeWidget;
class QTreeWidgetItem;

// Base of every picker page: a dialog template, the back end the sheet
// was opened on, the Arabic flag, and the two map hooks.
class CMapPage : public QWidget {
    Q_OBJECT
public:
    explicit CMapPage(int templateId, QWidget* parent = nullptr);

    int TemplateId() const { return m_templateId; }
    void SetBackend(CTerrafind* backend) { m_backend = backend; }
    void SetArabic(int arabic) { m_bArabic = arabic; }
    int IsArabic() const { return m_bArabic; }

    // A tap on the map at (x, y) in map pixels.
    virtual void OnMapClick(unsigned int x, unsigned int y);
    // Draws the page's overlay after the bitmap; rect is the map control's
    // rectangle in global coordinates.
    virtual void OnMapPaint(QPainter* painter, const QRect& rect);

    // Builds the page's controls from its template and runs the page's own
    // set-up. Called once, when the page is first shown.
    void EnsureInitialised();
    // The page's size in the template, its smallest.
    QSize TemplateSize() const { return m_baseSize; }

    // The ID the highlighted row of the page's city list carries: true when
    // a city is highlighted.
    bool HighlightedCity(std::uint32_t* id) const;

signals:
    // The highlighted row of the city list changed, however it was changed.
    void CityHighlightChanged();

protected:
    // List rows carry their place's ID (a country's, a city's; 0 for the
    // all-countries entry).
    static QTreeWidgetItem* MakeItem(const QString& name, std::uint32_t id);
    static std::uint32_t ItemID(const QTreeWidgetItem* item);
    static void AppendItems(QTreeWidget* list, const QStringList& names, const QList<unsigned int>& ids);
    // Takes the countries the last map tap put at the top of the list away
    // and puts those of the region at (x, y) there instead; nothing is
    // selected. m_regionCount counts them.
    void ReplaceRegionBlock(QTreeWidget* countries, unsigned int x, unsigned int y);

    // Calls chosen whenever the highlighted row of list changes, by mouse,
    // keyboard, type-ahead or an accessibility action, and for a tap that
    // leaves it as it was; not while the page itself is filling its lists
    // (m_quiet), which then calls what it needs.
    void WatchChoice(QTreeWidget* list, std::function<void()> chosen);
    // The list whose highlighted row HighlightedCity reports.
    void SetCityList(QTreeWidget* cities);

    virtual void OnInitDialog() {}
    void showEvent(QShowEvent* event) override;
    // Lays the controls out for the page's size (see LayOut).
    void resizeEvent(QResizeEvent* event) override;
    // Builds the page's controls from its template, its lists drawn through
    // the bidirectional-text library.
    void BuildPage();
    // Lays the map over the placeholder and loads bitmap 140.
    void SetUpMap(int placeholderId);

    CTerrafind* m_backend = nullptr;
    int m_bArabic = 0;
    CMapBitmap m_mapBitmap;
    CMapPicture m_mapPicture;
    unsigned int m_regionCount = 0;
    bool m_quiet = false;

private:
    // The template's layout, stretched: the map grows as far as its aspect
    // ratio and a share of the height allow, centred; lists and group boxes
    // take the rest; labels follow; buttons keep their size at their group's
    // nearer corner. At the template's size nothing moves.
    void LayOut();

    QTreeWidget* m_cityList = nullptr;
    // Each control's rectangle as initialisation left it (mirrored in
    // Arabic mode), and the page's size then.
    QList<std::pair<QWidget*, QRect>> m_baseLayout;
    QSize m_baseSize;
    int m_templateId;
    bool m_initialised = false;
};
