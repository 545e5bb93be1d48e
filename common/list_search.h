#pragma once

#include <QByteArray>
#include <QList>

// The lists' prefix search: the first entry whose text begins with the text,
// ignoring letter case (in the code page, accented letters included),
// searching from the second entry to the last and then the first. An empty
// text finds nothing. Returns the entry's index, -1 when none is found.
int FindListEntry(const QList<QByteArray> &entries, const QByteArray &text);
