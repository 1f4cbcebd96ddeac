#include "kvbidi12.h"

#include <QPainter>
#include <QString>
#include <QTextLayout>

#include <fribidi.h>

#include <cmath>
#include <vector>

namespace {

// UTF-16 to code points. A lone surrogate is kept as it is, so every unit
// of the source is accounted for.
std::vector<FriBidiChar> CodePoints(const unsigned short* text, int length)
{
    std::vector<FriBidiChar> points;
    points.reserve(std::size_t(length));
    for (int i = 0; i < length; ++i) {
        const char16_t unit = text[i];
        if (QChar::isHighSurrogate(unit) && i + 1 < length && QChar::isLowSurrogate(text[i + 1])) {
            points.push_back(QChar::surrogateToUcs4(unit, text[i + 1]));
            ++i;
        } else {
            points.push_back(unit);
        }
    }
    return points;
}

// A one-line layout of the text with the painter's font, its left edge at
// x = 0 whatever the base direction, so that measuring and drawing agree.
class CTextLine {
public:
    CTextLine(QPainter* dc, const unsigned short* text, int length, bool rightToLeft)
        : m_layout(QString(reinterpret_cast<const QChar*>(text), length), dc->font(), dc->device())
    {
        QTextOption option(Qt::AlignLeft | Qt::AlignAbsolute);
        option.setTextDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
        option.setWrapMode(QTextOption::NoWrap);
        // GDI counts trailing blanks in a text's extent; so do we.
        option.setFlags(QTextOption::IncludeTrailingSpaces);
        m_layout.setTextOption(option);
        m_layout.beginLayout();
        m_line = m_layout.createLine();
        m_layout.endLayout();
    }

    // Whole pixels, rounded up so that the drawn ink never passes the width.
    int Width() const { return m_line.isValid() ? int(std::ceil(m_line.naturalTextWidth())) : 0; }
    qreal Height() const { return m_line.isValid() ? m_line.height() : 0; }
    void Draw(QPainter* dc, int x, int y) const
    {
        if (m_line.isValid())
            m_line.draw(dc, QPointF(x, y));
    }

private:
    QTextLayout m_layout;
    QTextLine m_line;
};

bool IsText(const unsigned short* text, int length)
{
    return length >= 0 && (text != nullptr || length == 0);
}

} // namespace

int StringShape(QPainter*, const unsigned short* source, int length, unsigned short* destination,
                int mode)
{
    if (source == nullptr || destination == nullptr || length <= 0)
        return 0;

    const std::vector<FriBidiChar> logical = CodePoints(source, length);
    const auto count = FriBidiStrIndex(logical.size());

    // Joining only happens between letters of one embedding level, so the
    // levels of the paragraph come first.
    std::vector<FriBidiCharType> types(logical.size());
    fribidi_get_bidi_types(logical.data(), count, types.data());
    std::vector<FriBidiBracketType> brackets(logical.size());
    fribidi_get_bracket_types(logical.data(), count, types.data(), brackets.data());
    FriBidiParType direction = mode == 0 ? FRIBIDI_PAR_LTR : FRIBIDI_PAR_RTL;
    std::vector<FriBidiLevel> levels(logical.size());
    if (fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), count, &direction,
                                            levels.data()) == 0)
        return 0;

    std::vector<FriBidiArabicProp> joining(logical.size());
    fribidi_get_joining_types(logical.data(), count, joining.data());
    fribidi_join_arabic(types.data(), count, levels.data(), joining.data());
    std::vector<FriBidiChar> shaped = logical;
    fribidi_shape_arabic(FRIBIDI_FLAG_SHAPE_ARAB_PRES | FRIBIDI_FLAG_SHAPE_ARAB_LIGA, levels.data(),
                         count, joining.data(), shaped.data());

    // A ligature takes the place of its first letter and leaves a filler
    // (U+FEFF) in place of the second; the fillers go, a U+FEFF of the
    // source stays.
    int written = 0;
    for (std::size_t i = 0; i < shaped.size(); ++i) {
        if (shaped[i] == FRIBIDI_CHAR_FILL && logical[i] != FRIBIDI_CHAR_FILL)
            continue;
        const bool pair = QChar::requiresSurrogates(shaped[i]);
        if (written + (pair ? 2 : 1) > length)
            break; // cannot happen with Unicode's tables; the caller's buffer is what counts
        if (pair) {
            destination[written++] = QChar::highSurrogate(shaped[i]);
            destination[written++] = QChar::lowSurrogate(shaped[i]);
        } else {
            destination[written++] = static_cast<unsigned short>(shaped[i]);
        }
    }
    return written;
}

int BiDiTextWidth(QPainter* dc, const unsigned short* text, int length, unsigned char rightToLeft)
{
    if (dc == nullptr || !IsText(text, length) || length == 0)
        return 0;
    return CTextLine(dc, text, length, rightToLeft != 0).Width();
}

int BiDiTextOut(QPainter* dc, int x, int y, const unsigned short* text, int length,
                unsigned char rightToLeft)
{
    if (dc == nullptr || !IsText(text, length))
        return 0;
    if (length == 0)
        return 1;
    const CTextLine line(dc, text, length, rightToLeft != 0);
    if (dc->backgroundMode() == Qt::OpaqueMode)
        dc->fillRect(QRectF(x, y, line.Width(), line.Height()), dc->background());
    line.Draw(dc, x, y);
    return 1;
}
