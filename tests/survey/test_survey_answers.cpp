#include "program_folder.h"
#include "survey_answers.h"
#include "survey_file.h"

#include <QFile>
#include <QtTest>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

using Lines = QList<SurveyFileLine>;

class SurveyAnswersTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void optionCodes();
    void checkValues_data();
    void checkValues();
    void prefixSearch_data();
    void prefixSearch();
    void fileLines_data();
    void fileLines();
    void readingOddFiles_data();
    void readingOddFiles();
};

void SurveyAnswersTest::optionCodes() {
    const QByteArrayList ages{"<8", "9-15", "16-25", "25-35", "35-45", "45+"};
    for (int option = 0; option < kAgeOptions; ++option)
        QCOMPARE(AgeCode(option) + '|' + QByteArray::number(AgeOption(ages[option])),
                 ages[option] + '|' + QByteArray::number(option));
    QCOMPARE(GenderCode(0) + GenderCode(1) + QByteArray::number(GenderOption("F")), "MF1");
    // Codes are matched exactly.
    for (const QByteArray code : {"45+ ", "16 - 25", "", "m", "f", "MF"}) {
        QCOMPARE(AgeOption(code), -1);
        QCOMPARE(GenderOption(code), -1);
    }
}

void SurveyAnswersTest::checkValues_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("Y") << QByteArray("Y") << 1;
    QTest::newRow("lower-case y") << QByteArray("y") << 0;
    QTest::newRow("N") << QByteArray("N") << 0;
    QTest::newRow("Yes") << QByteArray("Yes") << 0;
    QTest::newRow("empty") << QByteArray() << 0;
}

void SurveyAnswersTest::checkValues() {
    QFETCH(QByteArray, text);
    QFETCH(int, value);
    std::int16_t result = 7;
    CheckValueFromYesNo(text, result);
    QCOMPARE(result, value);
    QCOMPARE(YesNo(value), value != 0 ? "Y" : "N");
}

void SurveyAnswersTest::prefixSearch_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("index");
    QTest::newRow("exact") << QByteArray("Pentium 166") << 4;
    QTest::newRow("first item found last") << QByteArray("486") << 0;
    QTest::newRow("prefix from the second item") << QByteArray("pentium") << 1;
    QTest::newRow("case ignored") << QByteArray("OTHER") << 7;
    QTest::newRow("no match") << QByteArray("Pentium 166 MMX") << -1;
    QTest::newRow("empty stays unanswered") << QByteArray() << -1;
}

void SurveyAnswersTest::prefixSearch() {
    QFETCH(QByteArray, text);
    QFETCH(int, index);
    const QList<QByteArray> items{
        "486",         "Pentium 60-75", "Pentium 90-100", "Pentium 120-133",
        "Pentium 166", "Pentium 200",   "Pentium Duo",    "Other"};
    QCOMPARE(PrefixSearch(items, text), index);
}

void SurveyAnswersTest::fileLines_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<Lines>("lines");
    QTest::newRow("line ends") << QByteArray("\"03Student\"\r\n\"07Y\"\n\"10N\"\r\"06\"") << true
                               << Lines{{3, "Student"}, {7, "Y"}, {10, "N"}, {6, ""}};
    QTest::newRow("short or unquoted")
        << QByteArray("\"0\"\r\n\"03\r\n03x\"\r\n'03x'\r\n\r\n\"07Y\"") << true << Lines{{7, "Y"}};
    QTest::newRow("codes") << QByteArray("\"00x\"\n\"78x\"\n\"7Y\"\n\" 7Y\"\n\"-1x\"\n\"77Up\"")
                           << true << Lines{{77, "Up"}};
    QTest::newRow("monitor positions")
        << QByteArray("\"09-1\"\n\"094\"\n\"095\"\n\"09-2\"\n\"09\"\n\"091.5\"\n\"09 1\"\n\"09x\"")
        << true << Lines{{9, "-1"}, {9, "4"}};
    QTest::newRow("box texts") << QByteArray("\"06AMD K6 233\"\n\"06a,b\"\n\"06say \"hi\"\"\n\"06" +
                                             QByteArray(31, 'x') + "\"\n\"06" +
                                             QByteArray(30, 'x') + "\"")
                               << true << Lines{{6, "AMD K6 233"}, {6, QByteArray(30, 'x')}};
    QTest::newRow("list and check values kept as they are")
        << QByteArray("\"03no such job\"\n\"07y\"\n\"01 16-25\"") << true
        << Lines{{3, "no such job"}, {7, "y"}, {1, " 16-25"}};
    QTest::newRow("cut short") << QByteArray("\"07Y\"\r\n\"10Y") << false << Lines{{7, "Y"}};
    QTest::newRow("binary") << QByteArray("\0\xff\"\r\"07Y\"\n\"\0\xfe\"", 14) << true
                            << Lines{{7, "Y"}};
}

void SurveyAnswersTest::fileLines() {
    QFETCH(QByteArray, content);
    QFETCH(bool, complete);
    QFETCH(Lines, lines);
    QCOMPARE(SurveyFileLines(content, complete), lines);
}

void SurveyAnswersTest::readingOddFiles_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("complete");
    QTest::newRow("huge, no line ends") << int(kSurveyFileReadLimit) << false;
    QTest::newRow("exactly the limit") << int(kSurveyFileReadLimit) << true;
    QTest::newRow("folder") << 0 << true;
    QTest::newRow("pipe") << 0 << true;
    QTest::newRow("missing") << 0 << true;
}

void SurveyAnswersTest::readingOddFiles() {
    QFETCH(int, size);
    QFETCH(bool, complete);
    const QByteArray kind = QTest::currentDataTag();
    ProgramFolder folder;
    const QString path = folder.path() + u"/survey.txt"_s;
    if (kind.startsWith("huge"))
        folder.writeFile(u"survey.txt"_s, QByteArray(4 * kSurveyFileReadLimit, '"'));
    else if (kind.endsWith("limit"))
        folder.writeFile(u"survey.txt"_s, QByteArray(kSurveyFileReadLimit, 'x'));
    else if (kind == "folder")
        QVERIFY(QDir().mkdir(path));
    else if (kind == "pipe")
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    // A pipe without a writer would block whoever opens it.
    const SurveyFileContent content = ReadSurveyFile(QFile::encodeName(path));
    QCOMPARE(content.bytes.size(), size);
    QCOMPARE(content.complete, complete);
    QVERIFY(SurveyFileLines(content.bytes, content.complete).isEmpty());
}

QTEST_GUILESS_MAIN(SurveyAnswersTest)
#include "test_survey_answers.moc"
