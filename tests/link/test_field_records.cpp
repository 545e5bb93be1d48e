#include "field_records.h"

#include <QList>
#include <QPair>
#include <QTest>

namespace {

using Record = QPair<std::int16_t, QByteArray>;

struct Walk {
    Flag result = kFalse;
    QList<Record> records;
};

Walk WalkFields(const QByteArray &data1, const QByteArray &data2 = QByteArray()) {
    Walk walk;
    walk.result =
        PacketProcessFields(data1, data2, [&walk](std::int16_t nbr, const QByteArray &text) {
            walk.records.append({nbr, text});
        });
    return walk;
}

} // namespace

class FieldRecordsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void encoding_data();
    void encoding();
    void recordsWalkInOrderAcrossBothHalves();
    void truncatedRecordsHandOverWhatThereIs();
    void numbersAboveSignedRangeStopTheWalk();
};

void FieldRecordsTest::encoding_data() {
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("record");
    QTest::newRow("odd length padded") << QByteArray("5") << QByteArray(" abcde ")
                                       << QByteArray("\x05\x00\x05\x00"
                                                     "abcde ",
                                                     10);
    QTest::newRow("even length") << QByteArray("26") << QByteArray("abcd")
                                 << QByteArray("\x1a\x00\x04\x00"
                                               "abcd",
                                               8);
    QTest::newRow("empty value") << QByteArray("7") << QByteArray("   ")
                                 << QByteArray("\x07\x00\x00\x00", 4);
    QTest::newRow("only blanks trimmed")
        << QByteArray("1") << QByteArray("\tx ") << QByteArray("\x01\x00\x02\x00\tx", 6);
    QTest::newRow("two-byte number") << QByteArray("300") << QByteArray("ab")
                                     << QByteArray("\x2c\x01\x02\x00"
                                                   "ab",
                                                   6);
    QTest::newRow("not a number") << QByteArray("x") << QByteArray("ab")
                                  << QByteArray("\x00\x00\x02\x00"
                                                "ab",
                                                6);
}

void FieldRecordsTest::encoding() {
    QFETCH(QByteArray, number);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, record);
    QCOMPARE(FieldEncode(number, value), record);
}

void FieldRecordsTest::recordsWalkInOrderAcrossBothHalves() {
    const QByteArray data = FieldEncode("24", "\x01\x03Plan") + FieldEncode("25", "abc") +
                            FieldEncode("26", QByteArray());
    const Walk walk = WalkFields(data.left(5), data.mid(5));
    QCOMPARE(walk.result, kTrue);
    const QList<Record> expected{{24, "\x01\x03Plan"}, {25, "abc"}, {26, QByteArray()}};
    QCOMPARE(walk.records, expected);

    const Walk empty = WalkFields(QByteArray());
    QCOMPARE(empty.result, kTrue);
    QVERIFY(empty.records.isEmpty());
}

void FieldRecordsTest::truncatedRecordsHandOverWhatThereIs() {
    Walk walk = WalkFields(QByteArray("\x19\x00\x0a\x00"
                                      "abc",
                                      7));
    QCOMPARE(walk.result, kTrue);
    QCOMPARE(walk.records, QList<Record>({{25, "abc"}}));

    // A lone byte after the last record reads as a field number with an
    // empty text.
    walk = WalkFields(FieldEncode("1", "a") + "\x02");
    QCOMPARE(walk.result, kTrue);
    QCOMPARE(walk.records, QList<Record>({{1, "a"}, {2, QByteArray()}}));
}

void FieldRecordsTest::numbersAboveSignedRangeStopTheWalk() {
    Walk walk = WalkFields(FieldEncode("1", "ab") + QByteArray("\x00\x80\x00\x00", 4) +
                           FieldEncode("3", "cd"));
    QCOMPARE(walk.result, kFalse);
    QCOMPARE(walk.records, QList<Record>({{1, "ab"}}));

    walk = WalkFields(QByteArray("\x01\x00\xff\xff"
                                 "ab",
                                 6));
    QCOMPARE(walk.result, kFalse);
    QVERIFY(walk.records.isEmpty());
}

QTEST_GUILESS_MAIN(FieldRecordsTest)
#include "test_field_records.moc"
