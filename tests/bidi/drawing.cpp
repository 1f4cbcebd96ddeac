#include "drawing.h"

#include <QPixmap>
#include <QWidget>

#include <cstdlib>

QFont TestFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(14);
    font.setStyleStrategy(QFont::NoFontMerging);
    return font;
}

QImage WhiteImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

QRect InkBox(const QImage& image, const QRect& area, QColor background)
{
    constexpr int kTolerance = 40;
    QRect box;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int diff = std::abs(c.red() - background.red())
                + std::abs(c.green() - background.green())
                + std::abs(c.blue() - background.blue());
            if (diff > kTolerance)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

QImage Grab(QWidget* widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}
