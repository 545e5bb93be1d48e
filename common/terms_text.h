#pragma once

#include <QByteArray>
#include <QList>

// The terms as shown: every line but the comments (first character "*"),
// joined with CR LF.
QByteArray TermsText(const QList<QByteArray> &lines);
