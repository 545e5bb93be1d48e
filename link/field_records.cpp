#include "field_records.h"

#include "number_codec.h"
#include "text.h"
#include "wipe.h"

namespace {

constexpr qsizetype kRecordHeaderSize = 4;

} // namespace

QByteArray FieldEncode(const QByteArray &strFieldNbr, const QByteArray &strValue) {
    bool isNumber = false;
    const std::int32_t fieldNbr = strFieldNbr.trimmed().toInt(&isNumber);
    QByteArray text = Trim(strValue);
    QByteArray record;
    record.reserve(kRecordHeaderSize + text.size() + 1);
    record.append(IntToBytes(isNumber ? fieldNbr : 0))
        .append(IntToBytes(static_cast<std::int32_t>(text.size())))
        .append(text);
    if (text.size() % 2 != 0)
        record.append(' ');
    // A value trimmed into a copy of its own (a card number, say) goes wiped.
    WipeIfLast(text);
    return record;
}

Flag PacketProcessFields(const QByteArray &strData1, const QByteArray &strData2,
                         const PacketDataHandler &PacketProcessData) {
    const QByteArray data = strData1 + strData2;
    qsizetype position = 0;
    while (position < data.size()) {
        const std::optional<std::int16_t> fieldNbr = BytesToInt(data.mid(position, 2));
        const std::optional<std::int16_t> textLength = BytesToInt(data.mid(position + 2, 2));
        if (!fieldNbr || !textLength)
            return kFalse;
        PacketProcessData(*fieldNbr, data.mid(position + kRecordHeaderSize, *textLength));
        position += kRecordHeaderSize + *textLength + *textLength % 2;
    }
    return kTrue;
}
