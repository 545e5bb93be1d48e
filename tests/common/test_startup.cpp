#include "frmColors.h"
#include "frmSplash.h"
#include "frmTerms.h"
#include "installed_copy.h"
#include "program_files.h"
#include "program_folder.h"
#include "program_state.h"
#include "scripted_ui.h"
#include "settings.h"
#include "startup.h"
#include "terms_text.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>
#include <sys/stat.h>

using namespace modKestenrol;
using namespace Qt::StringLiterals;

namespace {

const QByteArray kApp = "KestruneRegistration";

// The bytes this process has read so far, through any file.
qint64 BytesRead() {
    QFile io(u"/proc/self/io"_s);
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : io.readAll().split('\n')) {
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    }
    return -1;
}

// Which buttons the terms window offers: "AR" Accept and Reject, "C" Close
// only.
QByteArray offered(const frmTerms &terms) {
    return QByteArray(terms.cmdAccept->isHidden() ? "" : "A") +
           (terms.cmdReject->isHidden() ? "" : "R") + (terms.cmdClose->isHidden() ? "" : "C");
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init();
    void cleanup() { machine_.reset(); }
    // The folder stored (none on a first run) and what follows it in the setting.
    void appPathSetting_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QByteArray>("suffix");
        QTest::newRow("first run") << QString() << QByteArray();
        QTest::newRow("stored folder named in UTF-8")
            << u"Zo\u00eb \u201cK\u201d"_s << QByteArray();
        QTest::newRow("trailing separator") << u"program"_s << QByteArray("/");
    }
    void appPathSetting();
    // What is wrong at start, and the message the program ends with: no folder
    // stored, and none can be (the settings' folder is a plain file); a
    // settings file over 1 MiB (sparse here), which is not read at all. That
    // such a file is neither read nor written, however large, is the settings
    // store's to keep.
    void badStartsEndTheProgram_data() {
        QTest::addColumn<bool>("oversized");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("no folder")
            << false
            << QByteArray("The Registration program has not been initialised "
                          "correctly. Please contact support.");
        QTest::newRow("settings file over 1 MiB")
            << true
            << QByteArray(
                   "The Registration program cannot use its settings file\r\nFILE\r\nbecause "
                   "it is larger than 1 MiB (50000000 bytes). The file has been left as it "
                   "is.\r\nPlease move it elsewhere and start the program again, or contact "
                   "Kestrune support.");
    }
    void badStartsEndTheProgram();
    // The pictures present or not, then the button focused and the key pressed
    // on it (none: the close box), and whether the terms were accepted. Without
    // the pictures first: the tile, once loaded, stays for the process.
    void termsDecideTheWizard_data() {
        QTest::addColumn<bool>("pictures");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("Return on I Accept without blue.bmp and kestrune.bmp")
            << false << u"cmdAccept"_s << int(Qt::Key_Return) << true;
        QTest::newRow("Escape on I Accept")
            << false << u"cmdAccept"_s << int(Qt::Key_Escape) << false;
        QTest::newRow("Return on I Do Not Accept")
            << false << u"cmdReject"_s << int(Qt::Key_Return) << false;
        QTest::newRow("close box") << false << QString() << 0 << false;
        QTest::newRow("Space on I Accept with blue.bmp and kestrune.bmp")
            << true << u"cmdAccept"_s << int(Qt::Key_Space) << true;
    }
    void termsDecideTheWizard();
    void installedCopyKeepsItsFilesInTheUsersFolder();
    // The file (none: missing) and what the window shows of it: comment lines
    // left out, and at most the first 64 KB, ending with the last line complete
    // in them; or the message it gives instead, offering Close only.
    void termsFileShownAsRead_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<int>("beeps");
        const auto row = [](const char *name, const QByteArray &file, const QString &shown,
                            const QByteArray &message = {}, int beeps = 0) {
            QTest::newRow(name) << file << shown << message << beeps;
        };
        const QByteArray line = "0123456789abcd\r\n";
        const qsizetype linesThatFit = kTextFileLimit / line.size();
        row("comments and line ends",
            "* comment\r\nfirst\r\n\r\n**\r\n *kept\r\nunix\nold mac\rlast",
            u"first\n\n *kept\nunix\nold mac\nlast"_s);
        row("blank last line kept", "a\r\n\r\n", u"a\n"_s);
        row("only comments", "*one\r\n**two\r\n", QString());
        // The service's files come from Windows: curly quotes, dashes, the
        // ellipsis and the euro sign are single bytes of Windows-1252.
        row("Windows-1252",
            "\x93"
            "Fair use\x94 \x96 no cheating\x85\r\nFees: 5\x80 \x97 caf\xe9 \x91"
            "ok\x92",
            u"\u201cFair use\u201d \u2013 no cheating\u2026\nFees: 5\u20ac \u2014 caf\u00e9 "
            u"\u2018ok\u2019"_s);
        row("10 MB without a line end", QByteArray(10 << 20, 'x'), QString(kTextFileLimit, u'x'));
        row("1 MB of short lines", line.repeated(1 << 16),
            QString::fromLatin1(line.repeated(linesThatFit).chopped(2))
                .replace(u"\r\n"_s, u"\n"_s));
        row("line end on the limit", QByteArray(kTextFileLimit - 1, 'y') + "\r\nz",
            QString(kTextFileLimit - 1, u'y'));
        row("missing", {}, QString(),
            "The Terms and Conditions information cannot be found.\r\nPlease ensure that the "
            "Kestrune Registration Start In directory includes a file called TERMS.TXT.\r\nIf "
            "not, please contact Kestrune support.",
            1);
        // Reading this process's memory file from its start fails with an I/O
        // error, even for root.
        row("read error", "/proc/self/mem", QString(),
            "The following unexpected error has occurred while preparing the Kestrune Terms and "
            "Conditions:\r\nError: 57\r\nMessage: Device I/O error\r\nPlease contact Kestrune "
            "Support.");
    }
    void termsFileShownAsRead();

  private:
    std::unique_ptr<ProgramFolder> machine_;
};

void StartupTest::init() {
    machine_ = std::make_unique<ProgramFolder>();
    SetFallbackFolder(QFile::encodeName(machine_->root()) + "/no-fallback/");
    machine_->writeFile(QStringLiteral("terms.txt"), "Terms\r\n");
    gAppPath.clear();
    gTermsAccepted = kTrue;
}

void StartupTest::appPathSetting() {
    QFETCH(QString, stored);
    QFETCH(QByteArray, suffix);
    ScriptedUi script;
    const QString folder = machine_->root() + u'/' + stored;
    if (!stored.isEmpty()) {
        QVERIFY(QDir().mkpath(folder));
        QFile(folder + u"/terms.txt"_s).open(QIODevice::WriteOnly);
        QVERIFY(SavePathSetting(kApp, "Properties", "AppPath", QFile::encodeName(folder) + suffix));
    }
    // A first run records the program's own folder; so does a stored value
    // ending in a separator.
    const bool kept = !stored.isEmpty() && suffix.isEmpty();
    const QByteArray expected = kept ? QFile::encodeName(folder) : ProgramFileFolder();
    QVERIFY(FindAppPath(gAppPath));
    QCOMPARE(GetPathSetting(kApp, "Properties", "AppPath"), expected);
    QCOMPARE(gAppPath, expected + '/');
    if (kept)
        QCOMPARE(FindProgramFile("terms.txt"), QFile::encodeName(folder + u"/terms.txt"_s));
    QVERIFY(script.messages.isEmpty());
    QCOMPARE(script.beeps, 0);
}

void StartupTest::badStartsEndTheProgram() {
    QFETCH(bool, oversized);
    QFETCH(QByteArray, message);
    ScriptedUi script;
    const QString path = IniSettingsStore::filePath(kApp);
    QFile file(oversized ? path : machine_->root() + QStringLiteral("/blocked"));
    QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()) && file.open(QIODevice::WriteOnly));
    QVERIFY(!oversized || file.resize(50'000'000));
    if (!oversized)
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(file.fileName()));

    const qint64 readBefore = BytesRead();
    bool wizardOpened = false;
    Main([&] { wizardOpened = true; });
    const qint64 read = BytesRead() - readBefore;
    QVERIFY2(read < 64 * 1024, QByteArray::number(read).constData());
    QCOMPARE(script.messages.size(), 1);
    QCOMPARE(script.messages.first().text, message.replace("FILE", QFile::encodeName(path)));
    QCOMPARE(script.messages.first().title, QByteArray("Kestrune"));
    QCOMPARE(script.messages.first().icon, MsgIcon::Critical);
    QCOMPARE(script.beeps, 1);
    QVERIFY(script.ended && !wizardOpened && script.modalTitles.isEmpty() && gAppPath.isEmpty());
    QCOMPARE(script.endStatus, 1);
}

void StartupTest::termsDecideTheWizard() {
    QFETCH(bool, pictures);
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(bool, accepted);
    ScriptedUi script;
    QVERIFY(SavePathSetting(kApp, "Properties", "AppPath", QFile::encodeName(machine_->path())));
    for (const QString &name : {u"blue.bmp"_s, u"kestrune.bmp"_s}) {
        QVERIFY(!pictures || QFile::copy(QStringLiteral(KESTRUNE_SAMPLE_DIR "/") + name,
                                         machine_->path() + u'/' + name));
    }
    script.modalActions.append([&](QDialog &dialog) {
        QCOMPARE(script.mousePointer(), MousePointer::Hourglass);
        QCOMPARE(dynamic_cast<frmSplash &>(dialog).imgKestrune->pixmap().size(),
                 pictures ? QSize(183, 180) : QSize(0, 0));
        // Neither Escape nor the close box ends the splash early.
        QTest::keyClick(&dialog, Qt::Key_Escape);
        dialog.close();
        QVERIFY(dialog.isVisible());
        dynamic_cast<frmSplash &>(dialog).Timer1_Timer();
    });
    script.modalActions.append([&](QDialog &dialog) {
        // The terms are loaded: the splash's hourglass is gone.
        QCOMPARE(script.mousePointer(), MousePointer::Default);
        if (button.isEmpty()) {
            dialog.close();
            return;
        }
        // Coming back to the window puts the arrow back.
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        ui().setMousePointer(MousePointer::Hourglass);
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(script.mousePointer(), MousePointer::Default);
        dialog.findChild<QPushButton *>(button)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    });
    bool wizardOpened = false;
    Main([&] { wizardOpened = true; });
    QCOMPARE(wizardOpened, accepted);
    QCOMPARE(script.ended, !accepted);
    QCOMPARE(script.endStatus, 0);
    QVERIFY(script.messages.isEmpty());
    QCOMPARE(script.modalTitles,
             (QList<QByteArray>{"Kestrune", "Kestrune - Terms and Conditions"}));
    const QWidgetList windows = QApplication::topLevelWidgets();
    QVERIFY(std::none_of(windows.cbegin(), windows.cend(),
                         [](const QWidget *window) { return window->isVisible(); }));
    QCOMPARE(gAppPath, machine_->appPath());
    // Accepted, the hourglass stays until the wizard is activated.
    QVERIFY(!accepted || script.mousePointer() == MousePointer::Hourglass);
    QCOMPARE(frmColors::instance().imgBlue->size(), pictures ? QSize(80, 80) : QSize(0, 0));
}

// Run from the installed programs' folder, where the user may not write, the
// program keeps its files in a private folder of the user's; the pictures,
// like the text files, then come from the installed data folder.
void StartupTest::installedCopyKeepsItsFilesInTheUsersFolder() {
    ScriptedUi script;
    const QByteArray running = QFile::encodeName(QCoreApplication::applicationDirPath());
    const QByteArray installed = InstalledProgramsFolder();
    QCOMPARE(ProgramFileFolder(), running);

    const QString dataHome = machine_->root() + QStringLiteral("/data");
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
    SetInstalledProgramsFolder(running + "/../" +
                               QFileInfo(QFile::decodeName(running)).fileName().toUtf8());
    const QString own = dataHome + QStringLiteral("/Kestrune/kestenrol");
    QVERIFY(FindAppPath(gAppPath));
    SetInstalledProgramsFolder(installed);
    qunsetenv("XDG_DATA_HOME");
    QCOMPARE(gAppPath, QFile::encodeName(own) + '/');
    for (const QString &folder : {own, dataHome + QStringLiteral("/Kestrune")}) {
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(folder).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, 0700u);
    }

    const QString fallback = machine_->root() + QStringLiteral("/fallback");
    QVERIFY(QDir().mkpath(fallback));
    SetFallbackFolder(QFile::encodeName(fallback) + '/');
    QVERIFY(QFile::copy(QStringLiteral(KESTRUNE_SAMPLE_DIR "/kestrune.bmp"),
                        fallback + QStringLiteral("/kestrune.bmp")));
    QCOMPARE(frmSplash().imgKestrune->pixmap().size(), QSize(183, 180));
    QVERIFY(script.messages.isEmpty());
}

void StartupTest::termsFileShownAsRead() {
    QFETCH(QByteArray, file);
    QFETCH(QString, shown);
    QFETCH(QByteArray, message);
    QFETCH(int, beeps);
    gAppPath = machine_->appPath();
    const QString path = machine_->path() + u"/terms.txt"_s;
    QVERIFY(QFile::remove(path));
    if (file == "/proc/self/mem")
        QVERIFY(QFile::link(QString::fromLatin1(file), path));
    else if (!file.isNull())
        machine_->writeFile(u"terms.txt"_s, file);
    ScriptedUi script;
    frmTerms terms;
    terms.show();
    QVERIFY(QTest::qWaitForWindowExposed(&terms));
    QCOMPARE(terms.txtTerms->toPlainText(), shown);
    QCOMPARE(script.beeps, beeps);
    QCOMPARE(script.messages.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QCOMPARE(script.messages.first().text, message);
        QCOMPARE(script.messages.first().icon, MsgIcon::Critical);
        QCOMPARE(script.messages.first().title, QByteArray("Kestrune Registration"));
    }
    QCOMPARE(script.mousePointer(), MousePointer::Default);
    QCOMPARE(offered(terms), message.isEmpty() ? QByteArray("AR") : QByteArray("C"));
    QCOMPARE(gTermsAccepted, kFalse);
}

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
