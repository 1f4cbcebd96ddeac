// The owner-drawn list used for every country and city list: a report view
// (one column and no header unless the user of the list adds them) whose
// cells are measured, shortened and drawn through the bidirectional-text
// library, so that Arabic names come out shaped and right to left.
#pragma once

#include <terrafind/interface.h>

#include <QTreeWidget>

#include <memory>

class QBrush;
class QPainter;

class CBiDiListCtrl : public QTreeWidget {
    Q_OBJECT

public:
    // Bits of a row's state in a draw request.
    static constexpr unsigned int kStateSelected = 0x0001;
    static constexpr unsigned int kStateFocus = 0x0010;
    // The brush selected rows are filled with: red 0xC8, green 0xC8, blue 0xFA.
    static constexpr unsigned int kSelectionRgb = 0xC8C8FA;

    explicit CBiDiListCtrl(QWidget* parent = nullptr);
    ~CBiDiListCtrl() override;

    // Draws top-level row `item` with dc as it is (font, pen colour,
    // background brush and mode), one cell per column from column 0:
    // window-colour fill; for column 0 the selection fill and the focus frame
    // as state says; the text, cut to 255 characters and shortened with
    // "..." to the cell less 2 pixels each side, at the cell's top. A
    // column's format is its header item's text alignment: Qt::AlignHCenter
    // centres, Qt::AlignRight right-aligns, anything else left-aligns. The
    // list reads right to left when its layout direction is right to left;
    // its first column is then right-aligned whatever its format. Each text
    // is drawn in the direction of its own first strong letter. Only the
    // top and bottom of row are used; columns come from the header.
    void DrawItem(QPainter* dc, int item, unsigned int state, const QRect& row) const;

    // Null until the first selected row was drawn, then the list's own brush
    // until it is destroyed.
    const QBrush* SelectionBrush() const { return m_selectionBrush.get(); }

signals:
    // Before each row is drawn, with the painter reset to the list's
    // defaults (its font, text colour, window-colour background, opaque
    // background): the owner of the list may set other colours and mode.
    void PrePaint(QPainter* dc) const;

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;

private:
    // A cell in viewport pixels; its right and bottom edges are outside it.
    bool CellRect(int column, bool rightToLeft, const QRect& row, tagRECT* cell) const;

    mutable std::unique_ptr<QBrush> m_selectionBrush;
};
