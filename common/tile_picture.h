#pragma once

#include <QList>
#include <QPoint>
#include <cstdint>

class QLabel;
class QPainter;
class QWidget;

// Top-left corners, in twips, of the tiles that cover a target of the given
// inner size: column by column, top to bottom within a column, the last
// column and row hanging over the edge. Positions are 16-bit: a target
// whose tiles would run past that range gets the tiles up to it. A tile of
// zero width or height gives none.
QList<QPoint> TileOrigins(int scaleWidth, int scaleHeight, int tileWidth, int tileHeight,
                          std::int16_t firstRow);

// Covers the target with copies of the tile's picture. Call from the
// target's paint event. Without a picture nothing is painted.
void TilePicture(QWidget &target, const QLabel &tile, std::int16_t firstRow);
