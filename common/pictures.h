#pragma once

#include <QByteArray>
#include <QPixmap>

// Loads the picture file at path (a byte string). A missing or unreadable
// picture gives a null pixmap: pictures are optional decoration.
QPixmap LoadPicture(const QByteArray &path);

// True when a file (not a folder) exists at path.
bool FileExists(const QByteArray &path);
