#include "line_breaks.h"

QByteArray NormaliseLineBreaks(const QByteArray &text) {
    QByteArray result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            result.append(c);
            continue;
        }
        const char partner = c == '\r' ? '\n' : '\r';
        if (i + 1 < text.size() && text[i + 1] == partner) {
            result.append("\r\n");
            ++i;
        }
    }
    return result;
}
