#include "entry_routines.h"

#include "code_page.h"
#include "text.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

constexpr std::int16_t kSpace = 32;

bool isDropped(std::int16_t code, std::int16_t firstDropped) {
    return (code >= firstDropped && code <= '/') || (code >= ':' && code <= '~');
}

char upperCase(char byte) {
    const QString upper = FromCodePage(QByteArray(1, byte)).toUpper();
    if (upper.size() != 1)
        return byte;
    const std::optional<unsigned char> converted = CodePageByte(upper[0]);
    return converted ? static_cast<char>(*converted) : byte;
}

} // namespace

std::int16_t KeyUpperCase(std::int16_t KeyAscii) {
    return KeyAscii >= 'a' && KeyAscii <= 'z' ? static_cast<std::int16_t>(KeyAscii - 32) : KeyAscii;
}

std::int16_t KeyDigitsOnly(std::int16_t KeyAscii) {
    return isDropped(KeyAscii, kSpace) ? 0 : KeyAscii;
}

std::int16_t KeyDigitsAndSpace(std::int16_t KeyAscii) {
    return isDropped(KeyAscii, kSpace + 1) ? 0 : KeyAscii;
}

std::int16_t KeyAlphaNumeric(std::int16_t KeyAscii) {
    const bool passes =
        (KeyAscii >= 'A' && KeyAscii <= 'Z') || (KeyAscii >= 'a' && KeyAscii <= 'z') ||
        (KeyAscii >= '0' && KeyAscii <= '9') || KeyAscii == kSpace || KeyAscii == kKeyBackspace;
    return passes ? KeyAscii : 0;
}

void SelectAllText(QWidget *control) {
    if (auto *line = qobject_cast<QLineEdit *>(control))
        line->setSelection(0, static_cast<int>(line->text().size()));
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(control))
        plain->selectAll();
    else if (auto *rich = qobject_cast<QTextEdit *>(control))
        rich->selectAll();
    else if (auto *combo = qobject_cast<QComboBox *>(control);
             combo != nullptr && combo->isEditable())
        combo->lineEdit()->selectAll();
}

QByteArray ProperCase(const QByteArray &value) {
    QByteArray result = value;
    for (qsizetype i = 0; i < result.size(); ++i) {
        if (i == 0 || result[i - 1] == ' ')
            result[i] = upperCase(result[i]);
    }
    return Trim(result);
}
