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

// The map bitmap (resource 140), 225 x 120 pixels, and its 2x version,
// from which the map is drawn wherever it is shown larger than 1:1.
class CMapBitmap {
public:
    virtual ~CMapBitmap() = default;
    // 1 when the bitmap was found; without it nothing is drawn, but taps and
    // overlays still work.
    int Load(int resourceId);
    bool IsLoaded() const { return !m_bitmap.isNull(); }
    // Draws the whole map into target, 1:1 when target has the map's size,
    // smoothly scaled from the sharper version when it is larger.
    void Draw(QPainter& painter, const QRect& target) const;
    // The map's size in map pixels.
    QSize Size() const;

private:
    QPixmap m_bitmap;
    QPixmap m_bitmap2x;
};

// The map control, laid over its invisible placeholder on the page. It may
// be shown larger than the bitmap (never with another aspect ratio): taps
// are reported and overlays drawn in map pixels all the same.
class CMapPicture : public QWidget {
    Q_OBJECT
public:
    explicit CMapPicture(QWidget* parent = nullptr) : QWidget(parent) {}
    // Takes the placeholder's rectangle; the control's ID is the
    // placeholder's plus 100 (1201 on the Select page, 1202 on the Add page).
    virtual bool CreateOverPlaceholder(CMapPage* page, int placeholderId);
    void SetBitmap(const CMapBitmap* bitmap);
    // Repaints what covers rect, given in map pixels.
    void UpdateMapRect(const QRect& rect);
    // Widget pixels per map pixel, the same both ways.
    qreal Scale() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

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
