// The modem call's pieces that need no modem, and its settings.
#include "dialling_locations.h"
#include "file_writes.h"
#include "hayes_results.h"
#include "modem_settings.h"
#include "program_folder.h"
#include "settings.h"
#include "startup.h"

#include <QSerialPortInfo>
#include <QTest>

Q_DECLARE_METATYPE(HayesResult)

namespace {

// The lines taken from the pieces, each followed by "|", then what is left.
QByteArray Lines(const QByteArrayList &pieces) {
    ResultLines lines;
    QByteArray seen;
    for (const QByteArray &piece : pieces) {
        lines.append(piece);
        while (const std::optional<QByteArray> line = lines.next())
            seen += *line + '|';
    }
    return seen + "rest:" + lines.takeRest();
}

} // namespace

class ModemPartsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    // A line, what it reads as, and the speed of a connect.
    void resultCodes_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<HayesResult>("result");
        QTest::addColumn<int>("speed");
        const auto rows = [](HayesResult result, std::initializer_list<const char *> lines,
                             int speed = 0) {
            for (const char *line : lines)
                QTest::newRow(line) << QByteArray(line) << result << speed;
        };
        using enum HayesResult;
        rows(Ok, {"OK", "ok", " OK "});
        rows(Connect, {"CONNECT 9600"}, 9600);
        rows(Connect, {"CONNECT 14400/ARQ"}, 14400);
        rows(Busy, {"BUSY"});
        rows(NoCarrier, {"NO CARRIER"});
        rows(NoAnswer, {"NO ANSWER"});
        rows(NoDialtone, {"NO DIALTONE", "NO DIAL TONE"});
        rows(Error, {"ERROR"});
        rows(Other, {"CONNECTED", "ATZ", "", "OKAY"});
    }

    void resultCodes() {
        QFETCH(QByteArray, line);
        QTEST(ParseHayesResult(line), "result");
        if (ParseHayesResult(line) == HayesResult::Connect)
            QTEST(ConnectSpeed(line), "speed");
    }

    void resultLines_data() {
        QTest::addColumn<QByteArrayList>("pieces");
        QTest::addColumn<QByteArray>("seen");
        const QByteArray junk(1000, 'j');
        const QByteArray kept(ResultLines::kLongestLine, 'j');
        const auto row = [](const char *name, const QByteArrayList &pieces,
                            const QByteArray &seen) { QTest::newRow(name) << pieces << seen; };
        row("echo and answer", {"ATZ\r\r\nOK\r\n"}, "ATZ||OK|rest:");
        row("split answer", {"\r\nCONN", "ECT 96", "00\r", "\n"}, "|CONNECT 9600|rest:");
        row("bytes after connect stay", {"CONNECT\r\nLogin: "}, "CONNECT|rest:Login: ");
        row("LF alone", {"OK\nBUSY\n"}, "OK|BUSY|rest:");
        row("LF after connect arriving later", {"CONNECT\r", "\nLogin: "}, "CONNECT|rest:Login: ");
        row("endless line keeps its end", {junk, junk}, "rest:" + kept);
        row("answer after an endless line", {junk, "\r\nOK\r\n"}, kept + "|OK|rest:");
    }

    void resultLines() {
        QFETCH(QByteArrayList, pieces);
        QTEST(Lines(pieces), "seen");
    }

    // A number and the dial string made of it, or "refused".
    void dialStrings_data() {
        QTest::addColumn<QByteArray>("number");
        QTest::addColumn<QByteArray>("dial");
        const auto row = [](const char *name, const char *number, const char *dial) {
            QTest::newRow(name) << QByteArray(number) << QByteArray(dial);
        };
        row("formatting", "(03) 1234-56.78", "0312345678");
        row("dial characters", "*70,#1", "*70,#1");
        for (const char *number : {"", "  ", "123;H0", "123\rATH", "1800 KESTRUNE"})
            row(number, number, "refused");
    }

    void dialStrings() {
        QFETCH(QByteArray, number);
        QTEST(DialString(number).value_or("refused"), "dial");
    }

    // Listed devices first, in their order, then the system's ports, each
    // once; storing a modem (a system port too) lists it and writes the
    // settings file once.
    void modemList() {
        const ProgramFolder machine;
        const int systemPorts = static_cast<int>(QSerialPortInfo::availablePorts().size());
        QCOMPARE(ListModems().size(), systemPorts);

        for (const auto &[key, value] : {std::pair("Device", "/dev/pts/7"),
                                         {"Device2", "/dev/ttyUSB4"},
                                         {"Init2", "AT&F E0"},
                                         {"Device4", "/dev/ttyGap"}})
            SaveSetting(kSettingsApp, kModemSection, key, value);
        QList<ModemEntry> modems = ListModems();
        QCOMPARE(modems.size(), systemPorts + 2);
        SaveSetting(kSettingsApp, kModemSection, "Device4", "");
        QCOMPARE(modems[0].device + '|' + modems[0].initString,
                 "/dev/pts/7|" + QByteArray(kDefaultInitString));
        QCOMPARE(modems[1].name + '|' + modems[1].initString, QByteArray("/dev/ttyUSB4|AT&F E0"));
        QCOMPARE(modems[1].listed, 2);

        FileWrites writes(IniSettingsStore::filePath(kSettingsApp));
        QCOMPARE(SaveModem(modems[1], "/dev/ttyUSB5", "ATZ1"), 1);
        QCOMPARE(writes.count(), 1);
        QCOMPARE(ListModems()[1].device, QByteArray("/dev/ttyUSB5"));
        const ModemEntry systemPort{"ttyS9 (a port)", "/dev/ttyS9", "ATZ", 0};
        QCOMPARE(SaveModem(systemPort, "/dev/ttyS9", "ATE0"), 2);
        modems = ListModems();
        QCOMPARE(modems[2].device, QByteArray("/dev/ttyS9"));
        QCOMPARE(modems[2].listed, 3);
        QCOMPARE(modems.size(), systemPorts + 3);

        QVERIFY(IsInitString("AT&F E0 S0=0"));
        QVERIFY(!IsInitString("ATZ\rATH"));
        QVERIFY(!IsInitString(QByteArray(kLongestInitString + 1, 'A')));
    }

    // Stored and read back; fewer than before: the rest go, in one write of
    // the settings file; a current out of range gives the first.
    void locations() {
        const ProgramFolder machine;
        QCOMPARE(ReadLocations().list,
                 (QList<DiallingLocation>{{kDefaultLocationName, "", false}}));

        const QList<DiallingLocation> places{
            {"Home", "", false}, {"Office", "0,", true}, {"Cabin", "9", false}};
        QVERIFY(SaveLocations({places, 1}));
        const DiallingLocations read = ReadLocations();
        QCOMPARE(read.list, places);
        QCOMPARE(read.current, 1);
        QCOMPARE(GetSetting(kSettingsApp, kLocationSection, "Dialing2"), QByteArray("Pulse"));

        FileWrites writes(IniSettingsStore::filePath(kSettingsApp));
        QVERIFY(SaveLocations({{{"Cabin", "9", false}}, 0}));
        QCOMPARE(writes.count(), 1);
        QCOMPARE(ReadLocations().list.size(), 1);
        SaveSetting(kSettingsApp, kLocationSection, "Current", "7");
        QCOMPARE(ReadLocations().current, 0);
        QVERIFY(!SaveLocations({{{"Cabin", "9;H", false}}, 0}));
        QVERIFY(!SaveLocations({{}, 0}));
        QCOMPARE(ReadLocations().list[0].outsideLine, QByteArray("9"));
    }

    // A location's name and prefix, and a part of the problem said (none
    // when empty).
    void locationProblems_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("prefix");
        QTest::addColumn<QByteArray>("problem");
        const auto row = [](const char *label, const QByteArray &name, const QByteArray &prefix,
                            const char *problem) {
            QTest::newRow(label) << name << prefix << QByteArray(problem);
        };
        row("good", "Home", "0,", "");
        row("no name", "  ", "", "Please enter");
        row("long name", QByteArray(kLongestLocationName + 1, 'n'), "", "at most 40 characters");
        row("line break", "Ho\r\nme", "", "no line breaks");
        row("command in prefix", "Home", "9;ATH", "only digits");
        row("long prefix", "Home", QByteArray(kLongestOutsideLine + 1, '9'), "at most 10 of them");
    }

    void locationProblems() {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, prefix);
        QFETCH(QByteArray, problem);
        const QByteArray said = LocationProblem({name, prefix, false});
        QVERIFY2(problem.isEmpty() ? said.isEmpty() : said.contains(problem), said.constData());
    }
};

QTEST_GUILESS_MAIN(ModemPartsTest)
#include "test_modem_parts.moc"
