// The pieces of the modem call that need no modem: result lines, dial
// commands, lock files, and the modem and location settings.
#include "dialling_locations.h"
#include "hayes_results.h"
#include "modem_settings.h"
#include "program_folder.h"
#include "settings.h"
#include "startup.h"
#include "uucp_lock.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSerialPortInfo>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

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

void WriteFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The pid of a process that has ended.
qint64 DeadPid() {
    QProcess process;
    process.start(QStringLiteral("true"), {});
    process.waitForFinished();
    return process.processId() != 0 ? process.processId() : 999999;
}

void SaveModemSetting(const char *key, const QByteArray &value) {
    SaveSetting(kSettingsApp, kModemSection, key, value);
}

} // namespace

class ModemPartsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void resultCodes_data();
    void resultCodes();
    void resultLines_data();
    void resultLines();
    void dialStrings_data();
    void dialStrings();
    void lockFileNames();
    void lockFiles();
    void modemList();
    void locations();
    void locationProblems_data();
    void locationProblems();
};

void ModemPartsTest::resultCodes_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<HayesResult>("result");
    QTest::addColumn<int>("speed");
    const auto row = [](const char *line, HayesResult result, int speed = 0) {
        QTest::newRow(line) << QByteArray(line) << result << speed;
    };
    row("OK", HayesResult::Ok);
    row("ok", HayesResult::Ok);
    row(" OK ", HayesResult::Ok);
    row("CONNECT", HayesResult::Connect);
    row("CONNECT 9600", HayesResult::Connect, 9600);
    row("CONNECT 14400/ARQ", HayesResult::Connect, 14400);
    row("CONNECT/ARQ", HayesResult::Connect);
    row("CONNECTED", HayesResult::Other);
    row("BUSY", HayesResult::Busy);
    row("NO CARRIER", HayesResult::NoCarrier);
    row("NO ANSWER", HayesResult::NoAnswer);
    row("NO DIALTONE", HayesResult::NoDialtone);
    row("NO DIAL TONE", HayesResult::NoDialtone);
    row("ERROR", HayesResult::Error);
    row("ATZ", HayesResult::Other);
    row("ATDT0312345678", HayesResult::Other);
    row("", HayesResult::Other);
    row("RING", HayesResult::Other);
    row("OKAY", HayesResult::Other);
}

void ModemPartsTest::resultCodes() {
    QFETCH(QByteArray, line);
    QTEST(ParseHayesResult(line), "result");
    if (ParseHayesResult(line) == HayesResult::Connect)
        QTEST(ConnectSpeed(line), "speed");
}

void ModemPartsTest::resultLines_data() {
    QTest::addColumn<QByteArrayList>("pieces");
    QTest::addColumn<QByteArray>("seen");
    const QByteArray junk(1000, 'j');
    QTest::newRow("echo and answer")
        << QByteArrayList{"ATZ\r\r\nOK\r\n"} << QByteArray("ATZ||OK|rest:");
    QTest::newRow("split answer") << QByteArrayList{"\r\nCONN", "ECT 96", "00\r", "\n"}
                                  << QByteArray("|CONNECT 9600|rest:");
    QTest::newRow("bytes after connect stay")
        << QByteArrayList{"CONNECT\r\nLogin: "} << QByteArray("CONNECT|rest:Login: ");
    QTest::newRow("LF alone") << QByteArrayList{"OK\nBUSY\n"} << QByteArray("OK|BUSY|rest:");
    QTest::newRow("LF of CR LF arriving later")
        << QByteArrayList{"OK\r", "\nX"} << QByteArray("OK|rest:X");
    QTest::newRow("LF after connect arriving later")
        << QByteArrayList{"CONNECT\r", "\nLogin: "} << QByteArray("CONNECT|rest:Login: ");
    QTest::newRow("blank lines") << QByteArrayList{"\r\n\r\nOK\r\n"} << QByteArray("||OK|rest:");
    const QByteArray kept(ResultLines::kLongestLine, 'j');
    QTest::newRow("endless line keeps its end")
        << QByteArrayList{junk, junk} << QByteArray("rest:" + kept);
    QTest::newRow("answer after an endless line")
        << QByteArrayList{junk, "\r\nOK\r\n"} << QByteArray(kept + "|OK|rest:");
}

void ModemPartsTest::resultLines() {
    QFETCH(QByteArrayList, pieces);
    QTEST(Lines(pieces), "seen");
}

void ModemPartsTest::dialStrings_data() {
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<QByteArray>("dial");
    QTest::newRow("area code and number") << QByteArray("03 12345678") << QByteArray("0312345678");
    QTest::newRow("formatting") << QByteArray("(03) 1234-56.78") << QByteArray("0312345678");
    QTest::newRow("dial characters") << QByteArray("*70,#1") << QByteArray("*70,#1");
    QTest::newRow("empty") << QByteArray("") << QByteArray("refused");
    QTest::newRow("blanks only") << QByteArray("  ") << QByteArray("refused");
    QTest::newRow("a second command") << QByteArray("123;H0") << QByteArray("refused");
    QTest::newRow("a line end") << QByteArray("123\rATH") << QByteArray("refused");
    QTest::newRow("letters") << QByteArray("1800 KESTRUNE") << QByteArray("refused");
}

void ModemPartsTest::dialStrings() {
    QFETCH(QByteArray, number);
    QTEST(DialString(number).value_or("refused"), "dial");
}

void ModemPartsTest::lockFileNames() {
    QCOMPARE(LockFileName("/dev/ttyS0"), QByteArray("LCK..ttyS0"));
    QCOMPARE(LockFileName("/dev/pts/3"), QByteArray("LCK..pts_3"));
    QCOMPARE(LockFileName("ttyUSB1"), QByteArray("LCK..ttyUSB1"));
    QCOMPARE(LockFilePid("      1234\n"), std::optional<long>(1234));
    QCOMPARE(LockFilePid("1234\nkestenrol\nhost\n"), std::optional<long>(1234));
    QCOMPARE(LockFilePid(QByteArray("\xd2\x04\0\0", 4)), std::optional<long>(1234));
    QCOMPARE(LockFilePid("garbage"), std::optional<long>());
    QCOMPARE(LockFilePid("-5\n"), std::optional<long>());
    QCOMPARE(LockFilePid(""), std::optional<long>());
    QCOMPARE(DialCommand(false, "0,", "0312345678"), QByteArray("ATDT0,0312345678\r"));
    QCOMPARE(DialCommand(true, "", "123"), QByteArray("ATDP123\r"));
}

// Another program's live lock holds the device; a dead one's, or our own,
// does not; ours goes when released and leaves others' alone.
void ModemPartsTest::lockFiles() {
    const QTemporaryDir folder;
    const QByteArray device = "/dev/ttyTEST0";
    UucpLock lock(QFile::encodeName(folder.path()), device);
    const QString path = QFile::decodeName(lock.path());
    QVERIFY(path.endsWith(QStringLiteral("/LCK..ttyTEST0")));
    QVERIFY(!lock.heldByAnother());

    WriteFile(path, "         1\n"); // init never ends
    QVERIFY(lock.heldByAnother());
    lock.take();
    QVERIFY(lock.heldByAnother());
    lock.release();
    QVERIFY(QFile::exists(path));

    WriteFile(path, QByteArray::number(DeadPid()) + '\n');
    QVERIFY(!lock.heldByAnother());
    QVERIFY(!QFile::exists(path));

    WriteFile(path, "not a pid");
    QVERIFY(lock.heldByAnother()); // it may still be in the writing
    QFile(path).remove();

    lock.take();
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QByteArray::number(::getpid()).rightJustified(10, ' ') + '\n');
    QVERIFY(!lock.heldByAnother());
    lock.release();
    QVERIFY(!QFile::exists(path));
}

// Listed devices first, in their order, then the system's ports, each once;
// storing a system port lists it.
void ModemPartsTest::modemList() {
    const ProgramFolder machine;
    const int systemPorts = static_cast<int>(QSerialPortInfo::availablePorts().size());
    QCOMPARE(ListModems().size(), systemPorts);

    SaveModemSetting("Device", "/dev/pts/7");
    SaveModemSetting("Device2", "/dev/ttyUSB4");
    SaveModemSetting("Init2", "AT&F E0");
    SaveModemSetting("Device4", "/dev/ttyGap");
    QList<ModemEntry> modems = ListModems();
    QCOMPARE(modems.size(), systemPorts + 2);
    SaveModemSetting("Device4", "");
    QCOMPARE(modems[0].device, QByteArray("/dev/pts/7"));
    QCOMPARE(modems[0].initString, QByteArray(kDefaultInitString));
    QCOMPARE(modems[1].name, QByteArray("/dev/ttyUSB4"));
    QCOMPARE(modems[1].initString, QByteArray("AT&F E0"));
    QCOMPARE(modems[1].listed, 2);

    QCOMPARE(SaveModem(modems[1], "/dev/ttyUSB5", "ATZ1"), 1);
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

void ModemPartsTest::locations() {
    const ProgramFolder machine;
    DiallingLocations read = ReadLocations();
    QCOMPARE(read.list, (QList<DiallingLocation>{{kDefaultLocationName, "", false}}));
    QCOMPARE(read.current, 0);

    const QList<DiallingLocation> places{{"Home", "", false}, {"Office", "0,", true}};
    QVERIFY(SaveLocations({places, 1}));
    read = ReadLocations();
    QCOMPARE(read.list, places);
    QCOMPARE(read.current, 1);
    QCOMPARE(GetSetting(kSettingsApp, kLocationSection, "Dialing2"), QByteArray("Pulse"));
    QVERIFY(SaveCurrentLocation(0));
    QCOMPARE(ReadLocations().current, 0);

    // Fewer locations than before: the rest go; a current number out of range
    // gives the first.
    QVERIFY(SaveLocations({{{"Cabin", "9", false}}, 0}));
    QCOMPARE(ReadLocations().list.size(), 1);
    SaveSetting(kSettingsApp, kLocationSection, "Current", "7");
    QCOMPARE(ReadLocations().current, 0);
    QVERIFY(!SaveLocations({{{"Cabin", "9;H", false}}, 0}));
    QVERIFY(!SaveLocations({{}, 0}));
    QCOMPARE(ReadLocations().list[0].outsideLine, QByteArray("9"));
}

void ModemPartsTest::locationProblems_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<QByteArray>("problem");
    QTest::newRow("good") << QByteArray("Home") << QByteArray("0,") << QByteArray();
    QTest::newRow("no name") << QByteArray("  ") << QByteArray() << QByteArray("Please enter");
    QTest::newRow("long name") << QByteArray(kLongestLocationName + 1, 'n') << QByteArray()
                               << QByteArray("at most 40 characters");
    QTest::newRow("line break") << QByteArray("Ho\r\nme") << QByteArray()
                                << QByteArray("no line breaks");
    QTest::newRow("command in prefix")
        << QByteArray("Home") << QByteArray("9;ATH") << QByteArray("only digits");
    QTest::newRow("long prefix") << QByteArray("Home") << QByteArray(kLongestOutsideLine + 1, '9')
                                 << QByteArray("at most 10 of them");
}

void ModemPartsTest::locationProblems() {
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, prefix);
    QFETCH(QByteArray, problem);
    const QByteArray said = LocationProblem({name, prefix, false});
    QVERIFY2(problem.isEmpty() ? said.isEmpty() : said.contains(problem), said.constData());
}

QTEST_GUILESS_MAIN(ModemPartsTest)
#include "test_modem_parts.moc"
