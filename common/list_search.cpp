#include "list_search.h"

#include "code_page.h"

namespace {

bool BeginsWith(const QByteArray &entry, const QString &text) {
    return FromCodePage(entry).startsWith(text, Qt::CaseInsensitive);
}

} // namespace

int FindListEntry(const QList<QByteArray> &entries, const QByteArray &text) {
    if (text.isEmpty())
        return -1;
    const QString wanted = FromCodePage(text);
    for (qsizetype i = 1; i < entries.size(); ++i) {
        if (BeginsWith(entries[i], wanted))
            return static_cast<int>(i);
    }
    return !entries.isEmpty() && BeginsWith(entries[0], wanted) ? 0 : -1;
}
