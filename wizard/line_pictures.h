#pragma once

#include <QPixmap>

// The two pictures of the connection indicator, drawn rather than shipped:
// the line is up (green) or down (red).
QPixmap ConnectedPicture();
QPixmap NotConnectedPicture();
