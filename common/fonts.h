#pragma once

#include <QFont>

// The windows' captions are designed in Arial (a metric twin stands in
// where Arial itself is not installed).
inline QFont Arial(qreal points, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}
