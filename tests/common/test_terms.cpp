#include "frmTerms.h"
#include "program_files.h"
#include "program_folder.h"
#include "program_state.h"
#include "scripted_ui.h"
#include "terms_text.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

using modKestenrol::gAppPath;
using modKestenrol::gTermsAccepted;

namespace {

// Which buttons the window offers: "AR" Accept and Reject, "C" Close only.
QByteArray offered(const frmTerms &terms) {
    return QByteArray(terms.cmdAccept->isHidden() ? "" : "A") +
           (terms.cmdReject->isHidden() ? "" : "R") + (terms.cmdClose->isHidden() ? "" : "C");
}

} // namespace

class TermsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init();
    void cleanup() { machine_.reset(); }
    void fileShownAsRead_data();
    void fileShownAsRead();
    void missingOrUnreadableFileOffersCloseOnly_data();
    void missingOrUnreadableFileOffersCloseOnly();

  private:
    std::unique_ptr<ProgramFolder> machine_;
};

void TermsTest::init() {
    machine_ = std::make_unique<ProgramFolder>();
    gAppPath = machine_->appPath();
    SetFallbackFolder(QFile::encodeName(machine_->root()) + "/fallback/");
    gTermsAccepted = kTrue;
}

// The file and what the window shows of it: comment lines left out, and at
// most the first 64 KB, ending with the last line complete in them.
void TermsTest::fileShownAsRead_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("shown");
    const QByteArray line = "0123456789abcd\r\n";
    const qsizetype linesThatFit = kTextFileLimit / line.size();
    QTest::newRow("comments and line ends")
        << QByteArray("* comment\r\nfirst\r\n\r\n**\r\n *kept\r\nunix\nold mac\rlast")
        << u"first\n\n *kept\nunix\nold mac\nlast"_s;
    QTest::newRow("blank last line kept") << QByteArray("a\r\n\r\n") << u"a\n"_s;
    QTest::newRow("only comments") << QByteArray("*one\r\n**two\r\n") << QString();
    // The service's files come from Windows: curly quotes, dashes, the
    // ellipsis and the euro sign are single bytes of Windows-1252.
    QTest::newRow("Windows-1252")
        << QByteArray("\x93"
                      "Fair use\x94 \x96 no cheating\x85\r\nFees: 5\x80 \x97 caf\xe9 \x91"
                      "ok\x92")
        << u"\u201cFair use\u201d \u2013 no cheating\u2026\nFees: 5\u20ac \u2014 caf\u00e9 "
           u"\u2018ok\u2019"_s;
    QTest::newRow("10 MB without a line end")
        << QByteArray(10 << 20, 'x') << QString(kTextFileLimit, u'x');
    QTest::newRow("1 MB of short lines")
        << line.repeated(1 << 16)
        << QString::fromLatin1(line.repeated(linesThatFit).chopped(2)).replace(u"\r\n"_s, u"\n"_s);
    QTest::newRow("line end on the limit")
        << QByteArray(kTextFileLimit - 1, 'y') + "\r\nz" << QString(kTextFileLimit - 1, u'y');
}

void TermsTest::fileShownAsRead() {
    QFETCH(QByteArray, file);
    QFETCH(QString, shown);
    machine_->writeFile(QStringLiteral("terms.txt"), file);
    ScriptedUi script;
    frmTerms terms;
    terms.show();
    QVERIFY(QTest::qWaitForWindowExposed(&terms));
    QCOMPARE(terms.txtTerms->toPlainText(), shown);
    QVERIFY(script.messages.isEmpty());
    QCOMPARE(offered(terms), QByteArray("AR"));
    QCOMPARE(gTermsAccepted, kFalse);
}

void TermsTest::missingOrUnreadableFileOffersCloseOnly_data() {
    QTest::addColumn<bool>("unreadable");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<int>("beeps");
    QTest::newRow("missing") << false
                             << QByteArray("The Terms and Conditions information cannot be found."
                                           "\r\nPlease ensure that the Kestrune Registration Start "
                                           "In directory includes a file called TERMS.TXT.\r\nIf "
                                           "not, please contact Kestrune support.")
                             << 1;
    QTest::newRow("read error")
        << true
        << QByteArray("The following unexpected error has occurred while preparing the Kestrune "
                      "Terms and Conditions:\r\nError: 57\r\nMessage: Device I/O error\r\n"
                      "Please contact Kestrune Support.")
        << 0;
}

void TermsTest::missingOrUnreadableFileOffersCloseOnly() {
    QFETCH(bool, unreadable);
    QFETCH(QByteArray, message);
    QFETCH(int, beeps);
    // Reading this process's memory file from its start fails with an I/O
    // error, even for root.
    if (unreadable)
        QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"),
                            machine_->path() + QStringLiteral("/terms.txt")));
    ScriptedUi script;
    frmTerms terms;
    QCOMPARE(script.beeps, beeps);
    QCOMPARE(script.messages.size(), 1);
    QCOMPARE(script.messages.first().text, message);
    QCOMPARE(script.messages.first().icon, MsgIcon::Critical);
    QCOMPARE(script.messages.first().title, QByteArray("Kestrune Registration"));
    QCOMPARE(script.mousePointer(), MousePointer::Default);
    QCOMPARE(offered(terms), QByteArray("C"));
    QCOMPARE(gTermsAccepted, kFalse);
}

QTEST_MAIN(TermsTest)
#include "test_terms.moc"
