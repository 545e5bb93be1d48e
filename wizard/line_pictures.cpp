#include "line_pictures.h"

#include <QPainter>

namespace {

constexpr int kSize = 32;
constexpr int kInset = 3;
constexpr qreal kRimWidth = 2;

QPixmap Lamp(const QColor &colour) {
    QPixmap picture(kSize, kSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(192, 192, 255), kRimWidth));
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(kInset, kInset, kSize - 2 * kInset, kSize - 2 * kInset));
    return picture;
}

} // namespace

QPixmap ConnectedPicture() {
    return Lamp(QColor(0, 176, 64));
}

QPixmap NotConnectedPicture() {
    return Lamp(QColor(192, 32, 32));
}
