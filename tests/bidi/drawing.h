// Helpers for tests that measure and look at drawn text.
#pragma once

#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <cstdlib>

// DejaVu Sans (fonts-dejavu-core) has Arabic and its presentation forms, so
// widths and ink do not depend on which fallback font the machine picks.
inline QFont TestFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(14);
    font.setStyleStrategy(QFont::NoFontMerging);
    return font;
}

// The widget as the screen would show it.
inline QImage Grab(QWidget* widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Bounding box of the pixels inside area that differ from background by
// more than anti-aliasing (or, with exact, that equal it); null if none.
inline QRect InkBox(const QImage& image, const QRect& area, QColor background = Qt::white, bool exact = false)
{
    QRect box;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int diff = std::abs(c.red() - background.red()) + std::abs(c.green() - background.green())
                + std::abs(c.blue() - background.blue());
            if (exact ? diff == 0 : diff > 40)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}
