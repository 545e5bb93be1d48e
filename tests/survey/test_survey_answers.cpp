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
    void codes() {
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
        // Only "Y" ticks a box.
        for (const QByteArray text : {"Y", "y", "N", "Yes", ""}) {
            std::int16_t value = 7;
            CheckValueFromYesNo(text, value);
            QCOMPARE(value, text == "Y" ? 1 : 0);
        }
        QCOMPARE(YesNo(1) + YesNo(0) + YesNo(-1), "YNY");
    }

    // Line ends; short or unquoted lines; codes out of range; monitor positions;
    // box texts; list and check values kept as they are; a file cut short;
    // binary bytes.
    void fileLines() {
        const QList<std::tuple<QByteArray, bool, Lines>> rows{
            {"\"03Student\"\r\n\"07Y\"\n\"10N\"\r\"06\"",
             true,
             {{3, "Student"}, {7, "Y"}, {10, "N"}, {6, ""}}},
            {"\"0\"\r\n\"03\r\n03x\"\r\n'03x'\r\n\r\n\"07Y\"", true, {{7, "Y"}}},
            {"\"00x\"\n\"78x\"\n\"7Y\"\n\" 7Y\"\n\"-1x\"\n\"77Up\"", true, {{77, "Up"}}},
            {"\"09-1\"\n\"094\"\n\"095\"\n\"09-2\"\n\"09\"\n\"091.5\"\n\"09 1\"\n\"09x\"",
             true,
             {{9, "-1"}, {9, "4"}}},
            {"\"06AMD K6 233\"\n\"06a,b\"\n\"06say \"hi\"\"\n\"06" + QByteArray(31, 'x') +
                 "\"\n\"06" + QByteArray(30, 'x') + "\"",
             true,
             {{6, "AMD K6 233"}, {6, QByteArray(30, 'x')}}},
            {"\"03no such job\"\n\"07y\"\n\"01 16-25\"",
             true,
             {{3, "no such job"}, {7, "y"}, {1, " 16-25"}}},
            {"\"07Y\"\r\n\"10Y", false, {{7, "Y"}}},
            {QByteArray("\0\xff\"\r\"07Y\"\n\"\0\xfe\"", 14), true, {{7, "Y"}}}};
        for (const auto &[content, complete, lines] : rows)
            QCOMPARE(std::pair(content, SurveyFileLines(content, complete)),
                     std::pair(content, lines));
    }

    // Only a regular file is read (a pipe without a writer would block whoever
    // opens it), and only up to the limit.
    void readingOddFiles() {
        for (const QByteArray kind :
             {"huge, no line ends", "exactly the limit", "folder", "pipe", "missing"}) {
            ProgramFolder folder;
            const QString path = folder.path() + u"/survey.txt"_s;
            const bool huge = kind.startsWith("huge");
            if (huge || kind.endsWith("limit"))
                folder.writeFile(u"survey.txt"_s,
                                 QByteArray((huge ? 4 : 1) * kSurveyFileReadLimit, '"'));
            else if (kind == "folder")
                QVERIFY(QDir().mkdir(path));
            else if (kind == "pipe")
                QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
            const SurveyFileContent content = ReadSurveyFile(QFile::encodeName(path));
            QCOMPARE(
                std::tuple(kind, content.bytes.size(), content.complete),
                std::tuple(kind, huge || kind.endsWith("limit") ? kSurveyFileReadLimit : 0, !huge));
            QVERIFY(SurveyFileLines(content.bytes, content.complete).isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(SurveyAnswersTest)
#include "test_survey_answers.moc"
