// The world map across the top of both picker pages.
//
// Map coordinates are the bitmap's pixels: the bitmap is drawn unscaled at
// the map control's origin, taps are reported unscaled, and the region
// rectangles of the back ends use the same pixels.
#pragma once

#include <terrafind/interface.h>

#include <QPixmap>
#include <QWidget>

#include <cstdint>
#include <functional>

class CMapPage;
class QTreeWidget;
class QTreeWidgetItem;

// The map bitmap (resource 140), 225 x 120 pixels; a 2x version is used on
// high-density screens so that it stays sharp at the same logical size.
class CMapBitmap {
public:
    virtual ~CMapBitmap() = default;
    // 1 when the bitmap was found; without it nothing is drawn, but taps and
    // overlays still work.
    int Load(int resourceId);
    bool IsLoaded() const { return !m_bitmap.isNull(); }
    // Copies dest's size from the bitmap at source to dest, 1:1.
    void Blit(QPainter& painter, const QRect& dest, QPoint source) const;
    QSize Size() const;

private:
    QPixmap m_bitmap;
};

// The map control, laid over its invisible placeholder on the page.
class CMapPicture : public QWidget {
    Q_OBJECT
public:
    explicit CMapPicture(QWidget* parent = nullptr) : QWidget(parent) {}
    // Takes the placeholder's rectangle; the control's ID is the
    // placeholder's plus 100 (1201 on the Select page, 1202 on the Add page).
    virtual bool CreateOverPlaceholder(CMapPage* page, int placeholderId);
    void SetBitmap(const CMapBitmap* bitmap);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    const CMapBitmap* m_bitmap = nullptr;
    CMapPage* m_page = nullptr;
};

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
    QTreeWidget* m_cityList = nullptr;
    int m_templateId;
    bool m_initialised = false;
};
