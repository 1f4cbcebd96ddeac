#include "worldmap.h"

#include <QPainter>

#include <cmath>

namespace {

const QColor kSea(0xAE, 0xCB, 0xE8);
const QColor kLand(0xE9, 0xE1, 0xC0);
const QColor kBorder(0x9C, 0x8A, 0x6E);

QPointF MapPoint(double longitude, double latitude)
{
    return {(longitude + 180.0) * CWorldMap::kWidth / 360.0, (90.0 - latitude) * CWorldMap::kHeight / 180.0};
}

// Longitudes made continuous: a step of more than 180° is the same line
// crossing the ±180° meridian, not a jump across the world.
tagRing Unwrapped(const tagRing& ring)
{
    tagRing out;
    double shift = 0;
    for (qsizetype i = 0; i < ring.size(); ++i) {
        if (i > 0) {
            const double step = ring[i].x() - ring[i - 1].x();
            if (step > 180)
                shift -= 360;
            else if (step < -180)
                shift += 360;
        }
        out.append({ring[i].x() + shift, ring[i].y()});
    }
    return out;
}

// The 360° shifts that bring some part of [minimum, maximum] onto the map.
QList<double> Copies(double minimum, double maximum)
{
    QList<double> shifts;
    for (int k = int(std::floor((-180 - maximum) / 360)); k <= int(std::ceil((180 - minimum) / 360)); ++k)
        if (minimum + 360.0 * k < 180 && maximum + 360.0 * k > -180)
            shifts.append(360.0 * k);
    return shifts;
}

void AddRing(QPainterPath& path, const tagRing& ring, double shift)
{
    for (qsizetype i = 0; i < ring.size(); ++i) {
        const QPointF p = MapPoint(ring[i].x() + shift, ring[i].y());
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    path.closeSubpath();
}

QList<QColor> Palette()
{
    // Steps between the three colours, so that antialiased edges keep
    // their shading in 8 bits.
    QList<QColor> colours;
    auto blend = [&](const QColor& a, const QColor& b, int steps) {
        for (int i = 0; i <= steps; ++i) {
            const double t = double(i) / steps;
            colours.append(QColor::fromRgb(qRound(a.red() + (b.red() - a.red()) * t),
                                           qRound(a.green() + (b.green() - a.green()) * t),
                                           qRound(a.blue() + (b.blue() - a.blue()) * t)));
        }
    };
    blend(kSea, kLand, 15);
    blend(kLand, kBorder, 15);
    blend(kSea, kBorder, 15);
    return colours;
}

} // namespace

QPoint CWorldMap::PixelOfMinutes(int longitude, int latitude)
{
    // 360° over 225 pixels is 96' a pixel; 180° over 120 is 90'.
    const int x = (longitude + 180 * 60) / 96;
    const int y = (90 * 60 - latitude) / 90;
    return {std::clamp(x, 0, kWidth - 1), std::clamp(y, 0, kHeight - 1)};
}

QList<QPainterPath> CWorldMap::Polygons(const tagShape& shape)
{
    QList<QPainterPath> paths;
    for (const tagPolygon& polygon : shape.polygons) {
        QList<tagRing> rings;
        double minimum = 1e9, maximum = -1e9;
        for (const tagRing& raw : polygon) {
            if (raw.size() < 3)
                continue;
            tagRing ring = Unwrapped(raw);
            const double turn = ring.back().x() - ring.front().x();
            if (std::abs(turn) > 180) {
                // Goes once around the globe: close it along the nearer pole.
                double latitudes = 0;
                for (const QPointF& p : ring)
                    latitudes += p.y();
                const double pole = latitudes < 0 ? -90.0 : 90.0;
                ring.append({ring.back().x(), pole});
                ring.append({ring.front().x(), pole});
            }
            for (const QPointF& p : ring) {
                minimum = std::min(minimum, p.x());
                maximum = std::max(maximum, p.x());
            }
            rings.append(ring);
        }
        if (rings.isEmpty())
            continue;
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        for (const double shift : Copies(minimum, maximum))
            for (const tagRing& ring : rings)
                AddRing(path, ring, shift);
        paths.append(path);
    }
    return paths;
}

QImage CWorldMap::Render(int scale, const QList<tagShape>& land, const QList<tagRing>& borders)
{
    QImage picture(kWidth * scale, kHeight * scale, QImage::Format_RGB32);
    picture.fill(kSea);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        painter.setPen(Qt::NoPen);
        painter.setBrush(kLand);
        for (const tagShape& shape : land)
            for (const QPainterPath& polygon : Polygons(shape))
                painter.drawPath(polygon);

        QPen pen(kBorder, 0.5);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        for (const tagRing& arc : borders) {
            const tagRing line = Unwrapped(arc);
            double minimum = 1e9, maximum = -1e9;
            for (const QPointF& p : line) {
                minimum = std::min(minimum, p.x());
                maximum = std::max(maximum, p.x());
            }
            for (const double shift : Copies(minimum, maximum)) {
                QPainterPath path;
                for (qsizetype i = 0; i < line.size(); ++i) {
                    const QPointF p = MapPoint(line[i].x() + shift, line[i].y());
                    i == 0 ? path.moveTo(p) : path.lineTo(p);
                }
                painter.drawPath(path);
            }
        }
    }
    QList<QRgb> table;
    for (const QColor& colour : Palette())
        table.append(colour.rgb());
    // Nearest palette colour, no dithering: the same picture every time.
    return picture.convertToFormat(QImage::Format_Indexed8, table,
                                   Qt::ThresholdDither | Qt::AvoidDither | Qt::ColorOnly);
}

QList<QPoint> CWorldMap::LandPixels(const tagShape& shape)
{
    // Supersampled 8 x 8 without antialiasing: coverage is a count of
    // sample points, exact and the same on every run.
    constexpr int kSamples = 8;
    QImage mask(kWidth * kSamples, kHeight * kSamples, QImage::Format_Grayscale8);
    mask.fill(0);
    {
        QPainter painter(&mask);
        painter.scale(kSamples, kSamples);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        for (const QPainterPath& polygon : Polygons(shape))
            painter.drawPath(polygon);
    }
    QList<QPoint> pixels;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            int covered = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                const uchar* row = mask.constScanLine(y * kSamples + sy) + x * kSamples;
                for (int sx = 0; sx < kSamples; ++sx)
                    covered += row[sx] != 0;
            }
            if (covered * 4 >= kSamples * kSamples)
                pixels.append({x, y});
        }
    }
    return pixels;
}
