#include "tile_picture.h"

#include "twips.h"

#include <QLabel>
#include <QPainter>
#include <QWidget>
#include <limits>

QList<QPoint> TileOrigins(int scaleWidth, int scaleHeight, int tileWidth, int tileHeight,
                          std::int16_t firstRow) {
    QList<QPoint> origins;
    if (tileWidth <= 0 || tileHeight <= 0)
        return origins;
    constexpr int kLimit = std::numeric_limits<std::int16_t>::max();
    for (int x = 0; x <= scaleWidth && x <= kLimit; x += tileWidth) {
        for (int y = firstRow; y <= scaleHeight && y <= kLimit; y += tileHeight)
            origins.append(QPoint(x, y));
    }
    return origins;
}

void TilePicture(QWidget &target, const QLabel &tile, std::int16_t firstRow) {
    const QPixmap picture = tile.pixmap();
    if (picture.isNull())
        return;
    QPainter painter(&target);
    const QSize size(Twips(tile.width()), Twips(tile.height()));
    for (const QPoint &origin : TileOrigins(Twips(target.width()), Twips(target.height()),
                                            size.width(), size.height(), firstRow)) {
        painter.drawPixmap(QRect(Px(origin.x()), Px(origin.y()), tile.width(), tile.height()),
                           picture);
    }
}
