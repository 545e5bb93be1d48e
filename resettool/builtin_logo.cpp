#include "builtin_logo.h"

QPixmap BuiltInLogo() {
    return QPixmap(QStringLiteral(":/acctrestore/kestrune.png"));
}
