// Helpers for tests that measure and look at drawn text.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>

// DejaVu Sans (fonts-dejavu-core) at a fixed pixel size: it has Arabic and
// the Arabic presentation forms, so widths and ink do not depend on which
// fallback font the machine would pick.
QFont TestFont();

// A white ARGB image of the given size.
QImage WhiteImage(int width, int height);

// Bounding box of the pixels inside area that differ from background by
// more than a little anti-aliasing; null when there are none.
QRect InkBox(const QImage& image, const QRect& area, QColor background);

// Widget under test rendered as the screen would show it.
class QWidget;
QImage Grab(QWidget* widget);
