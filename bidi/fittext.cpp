#include "fittext.h"

#include "bidi/textlibs/kvbidi12.h"

namespace {

constexpr QChar kLeftToRightMark = QChar(0x200E);

int Width(QPainter* dc, const QString& text, bool rightToLeft)
{
    return BiDiTextWidth(dc, text.utf16(), int(text.size()), rightToLeft ? 1 : 0);
}

} // namespace

int FitTextToWidth(QPainter* dc, QString& text, int left, int, int right, int, bool rightToLeft)
{
    const bool endsInMark = text.endsWith(kLeftToRightMark);
    if (endsInMark)
        text.chop(1);

    const int room = right - left;
    if (Width(dc, text, rightToLeft) > room) {
        text += QStringLiteral("...");
        do {
            // The character just before the "...", or the first one once
            // the dots themselves are being eaten.
            text.remove(text.size() < 4 ? 0 : text.size() - 4, 1);
        } while (!text.isEmpty() && Width(dc, text, rightToLeft) > room);
    }

    if (endsInMark)
        text += kLeftToRightMark;
    return 1;
}
