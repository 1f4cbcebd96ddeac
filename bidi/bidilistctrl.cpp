#include "bidilistctrl.h"

#include "bidi/fittext.h"
#include "bidi/textlibs/kvbidi12.h"

#include <QBrush>
#include <QHeaderView>
#include <QPainter>

#include <algorithm>
#include <climits>

namespace {

// What a list cell holds at most: a 256-character buffer with its terminator.
constexpr int kMaxCellText = 255;
constexpr int kTextMargin = 2;

QRect ToQRect(const tagRECT& r)
{
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// A frame of every other pixel just inside the cell, as a focus rectangle
// is drawn.
void DrawFocusFrame(QPainter* dc, const tagRECT& cell, const QColor& colour)
{
    if (cell.right - cell.left < 1 || cell.bottom - cell.top < 1)
        return;
    dc->save();
    QPen dots(colour, 1);
    dots.setDashPattern({1, 1});
    dc->setPen(dots);
    dc->setBrush(Qt::NoBrush);
    dc->drawRect(cell.left, cell.top, cell.right - cell.left - 1, cell.bottom - cell.top - 1);
    dc->restore();
}

} // namespace

CBiDiListCtrl::CBiDiListCtrl(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(0);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
}

CBiDiListCtrl::~CBiDiListCtrl() = default;

void CBiDiListCtrl::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const
{
    if (index.parent().isValid())
        return; // the list is flat
    const QTreeWidgetItem* item = topLevelItem(index.row());
    if (item == nullptr)
        return;

    unsigned int state = 0;
    if (item->isSelected())
        state |= kStateSelected;
    const QModelIndex current = currentIndex();
    if ((hasFocus() || viewport()->hasFocus()) && current.isValid() && !current.parent().isValid()
        && current.row() == index.row())
        state |= kStateFocus;

    painter->save();
    painter->setFont(font());
    painter->setPen(palette().color(QPalette::Text));
    painter->setBackground(palette().brush(QPalette::Base));
    painter->setBackgroundMode(Qt::OpaqueMode);
    emit PrePaint(painter);
    DrawItem(painter, index.row(), state, option.rect);
    painter->restore();
}

bool CBiDiListCtrl::CellRect(int column, bool rightToLeft, const QRect& row, tagRECT* cell) const
{
    cell->top = row.top();
    cell->bottom = row.top() + row.height();
    if (column != 0) {
        if (header()->isSectionHidden(column))
            return false;
        cell->left = columnViewportPosition(column);
        cell->right = cell->left + columnWidth(column);
        return true;
    }

    // Column 0 is cut from the bounds of the whole row, from the side the
    // list reads from.
    int left = INT_MAX;
    int right = INT_MIN;
    for (int c = 0; c < header()->count(); ++c) {
        if (header()->isSectionHidden(c))
            continue;
        left = std::min(left, columnViewportPosition(c));
        right = std::max(right, columnViewportPosition(c) + columnWidth(c));
    }
    if (left > right)
        return false;
    if (rightToLeft)
        left = right - columnWidth(0);
    else
        right = left + columnWidth(0);
    cell->left = left;
    cell->right = right;
    return true;
}

void CBiDiListCtrl::DrawItem(QPainter* dc, int item, unsigned int state, const QRect& row) const
{
    const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
    const QHeaderView* columns = header();
    if (columns == nullptr || columns->count() == 0)
        return;
    const QTreeWidgetItem* rowItem = topLevelItem(item);
    const QTreeWidgetItem* headings = headerItem();
    if (rowItem == nullptr || headings == nullptr)
        return;

    for (int column = 0; column < columns->count(); ++column) {
        QString text = rowItem->text(column).left(kMaxCellText);
        const int format = headings->textAlignment(column);

        tagRECT cell;
        if (!CellRect(column, rightToLeft, row, &cell))
            return;

        dc->fillRect(ToQRect(cell), palette().color(QPalette::Base));
        if (column == 0) {
            if (state & kStateSelected) {
                if (!m_selectionBrush)
                    m_selectionBrush = std::make_unique<QBrush>(QColor::fromRgb(kSelectionRgb));
                dc->fillRect(ToQRect(cell), *m_selectionBrush);
            }
            if (state & kStateFocus)
                DrawFocusFrame(dc, cell, palette().color(QPalette::Text));
        }

        // Each name reads in its own direction (that of its first strong
        // letter), so that a Latin name in an Arabic list, or the other way
        // round, keeps its punctuation where it belongs; the list's
        // direction only places it.
        const bool textRightToLeft = text.isRightToLeft();
        cell.left += kTextMargin;
        cell.right -= kTextMargin;
        FitTextToWidth(dc, text, cell.left, cell.top, cell.right, cell.bottom, textRightToLeft);
        const auto* units = text.utf16();
        const int length = int(text.size());
        const int width = BiDiTextWidth(dc, units, length, textRightToLeft ? 1 : 0);

        int x = cell.left;
        if (column == 0 && rightToLeft)
            x = cell.right - width;
        else if (format & Qt::AlignHCenter)
            x = cell.left + ((cell.right - width) - cell.left) / 2;
        else if (format & Qt::AlignRight)
            x = cell.right - width;
        BiDiTextOut(dc, x, cell.top, units, length, textRightToLeft ? 1 : 0);
    }
}
