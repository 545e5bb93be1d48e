#pragma once

#include <QByteArray>
#include <QString>

// Card details, and the packets that carry them, are overwritten before
// their memory is let go, so that no copy lingers in freed memory.

// Overwrites the text where it lies, its whole allocation, and empties it.
// Every copy that shares the allocation is overwritten with it and is left
// holding zeros: only for texts whose every copy is to go.
void Wipe(QByteArray &bytes);
void Wipe(QString &text);

// Empties the text, overwriting it first unless another copy still shares
// it: the last copy to go does the wiping.
void WipeIfLast(QByteArray &bytes);
