#pragma once

#include <QPixmap>

// The service logo (183 x 180 pixels) built into the program.
QPixmap BuiltInLogo();
