#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <optional>

// The single-byte code page of every text the programs exchange with the
// host, the registry, the settings and the service's files: Windows-1252,
// since those files come from Windows. Texts stay byte strings inside the
// programs and are converted here, at the widgets.

// Each byte as its character. The five bytes the code page leaves unused
// become the control characters of the same number, as on Windows, so that
// every byte string survives the trip to a widget and back.
QString FromCodePage(const QByteArray &bytes);

// Each character as its byte; characters the code page cannot hold are
// dropped, never replaced by a substitute such as "?".
QByteArray ToCodePage(const QString &text);

// The byte of one character, or nothing when the code page lacks it.
std::optional<unsigned char> CodePageByte(QChar character);
