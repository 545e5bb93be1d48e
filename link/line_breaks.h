#pragma once

#include <QByteArray>

// Gives texts from the host one kind of line break for display: CR LF and
// LF CR each become CR LF; a CR or LF on its own is dropped.
QByteArray NormaliseLineBreaks(const QByteArray &text);
