#include "terms_text.h"

QByteArray TermsText(const QList<QByteArray> &lines) {
    QByteArray text;
    bool first = true;
    for (const QByteArray &line : lines) {
        if (line.startsWith('*'))
            continue;
        if (!first)
            text += "\r\n";
        text += line;
        first = false;
    }
    return text;
}
