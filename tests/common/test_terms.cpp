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

using modKestenrol::gAppPath;
using modKestenrol::gTermsAccepted;

namespace {

bool offersAnswers(const frmTerms &terms) {
    return !terms.cmdAccept->isHidden() && !terms.cmdReject->isHidden() &&
           terms.cmdClose->isHidden();
}

bool offersCloseOnly(const frmTerms &terms) {
    return terms.cmdAccept->isHidden() && terms.cmdReject->isHidden() &&
           !terms.cmdClose->isHidden();
}

} // namespace

class TermsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init();
    void linesAreFilteredAndJoined();
    void windowShowsTheFile();
    void allCommentsGiveAnEmptyBoxThatCanBeAccepted();
    void fallbackFolderIsUsedSilently();
    void missingFileOffersCloseOnly();
    void readErrorOffersCloseOnly();
    void buttonsSetTheAnswer();

  private:
    std::unique_ptr<ProgramFolder> machine_;
};

void TermsTest::init() {
    machine_ = std::make_unique<ProgramFolder>();
    gAppPath = machine_->appPath();
    QDir(machine_->root()).mkpath(QStringLiteral("fallback"));
    SetFallbackFolder(QFile::encodeName(machine_->root()) + "/fallback/");
    gTermsAccepted = kTrue;
}

void TermsTest::linesAreFilteredAndJoined() {
    QList<QByteArray> lines;
    FileError error;
    machine_->writeFile(QStringLiteral("t.txt"),
                        "* comment\r\nfirst\r\n\r\n**\r\n *kept\r\nunix\nold mac\rlast");
    QVERIFY(ReadTextLines(gAppPath + "t.txt", lines, error));
    QCOMPARE(lines, (QList<QByteArray>{"* comment", "first", "", "**", " *kept", "unix", "old mac",
                                       "last"}));
    QCOMPARE(TermsText(lines), QByteArray("first\r\n\r\n *kept\r\nunix\r\nold mac\r\nlast"));
    // A final line break adds no empty line; a blank last line is kept.
    machine_->writeFile(QStringLiteral("t.txt"), "a\r\n\r\n");
    QVERIFY(ReadTextLines(gAppPath + "t.txt", lines, error));
    QCOMPARE(TermsText(lines), QByteArray("a\r\n"));
}

void TermsTest::windowShowsTheFile() {
    ScriptedUi script;
    machine_->writeFile(QStringLiteral("terms.txt"), "* hidden\r\nTerms\r\n\r\n *shown\r\n");
    frmTerms terms;
    QCOMPARE(terms.txtTerms->toPlainText(), QStringLiteral("Terms\n\n *shown"));
    QVERIFY(script.messages.isEmpty());
    QVERIFY(offersAnswers(terms));
    QCOMPARE(gTermsAccepted, kFalse);
    QCOMPARE(script.mousePointer(), MousePointer::Default);
    QCOMPARE(terms.windowTitle(), QStringLiteral("Kestrune - Terms and Conditions"));
}

void TermsTest::allCommentsGiveAnEmptyBoxThatCanBeAccepted() {
    ScriptedUi script;
    machine_->writeFile(QStringLiteral("terms.txt"), "*one\r\n**two\r\n");
    frmTerms terms;
    QCOMPARE(terms.txtTerms->toPlainText(), QString());
    QVERIFY(offersAnswers(terms));
    terms.cmdAccept->click();
    QCOMPARE(gTermsAccepted, kTrue);
}

void TermsTest::fallbackFolderIsUsedSilently() {
    ScriptedUi script;
    QFile file(machine_->root() + QStringLiteral("/fallback/terms.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("From the data folder\r\n");
    file.close();
    frmTerms terms;
    QCOMPARE(terms.txtTerms->toPlainText(), QStringLiteral("From the data folder"));
    QVERIFY(script.messages.isEmpty());
    // A folder named terms.txt in the program folder is no terms file.
    QDir(machine_->path()).mkdir(QStringLiteral("terms.txt"));
    frmTerms again;
    QCOMPARE(again.txtTerms->toPlainText(), QStringLiteral("From the data folder"));
}

void TermsTest::missingFileOffersCloseOnly() {
    ScriptedUi script;
    frmTerms terms;
    QCOMPARE(script.beeps, 1);
    QCOMPARE(script.messages.size(), 1);
    const ScriptedUi::Message &message = script.messages.first();
    QCOMPARE(message.text,
             QByteArray("The Terms and Conditions information cannot be found.\r\n"
                        "Please ensure that the Kestrune Registration Start In directory includes "
                        "a file called TERMS.TXT.\r\nIf not, please contact Kestrune support."));
    QCOMPARE(message.icon, MsgIcon::Critical);
    QCOMPARE(message.buttons, MsgButtons::Ok);
    QCOMPARE(message.title, QByteArray("Kestrune Registration"));
    QVERIFY(offersCloseOnly(terms));
    QCOMPARE(gTermsAccepted, kFalse);
}

void TermsTest::readErrorOffersCloseOnly() {
    ScriptedUi script;
    // Reading this process's memory file from its start fails with an I/O
    // error, even for root.
    QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"),
                        machine_->path() + QStringLiteral("/terms.txt")));
    frmTerms terms;
    QCOMPARE(script.messages.size(), 1);
    QCOMPARE(script.messages.first().text,
             QByteArray("The following unexpected error has occurred while preparing the Kestrune "
                        "Terms and Conditions:\r\nError: 57\r\nMessage: Device I/O error\r\n"
                        "Please contact Kestrune Support."));
    QCOMPARE(script.messages.first().icon, MsgIcon::Critical);
    QCOMPARE(script.beeps, 0);
    QCOMPARE(script.mousePointer(), MousePointer::Default);
    QVERIFY(offersCloseOnly(terms));
    QCOMPARE(gTermsAccepted, kFalse);
}

void TermsTest::buttonsSetTheAnswer() {
    ScriptedUi script;
    machine_->writeFile(QStringLiteral("terms.txt"), "Terms\r\n");
    {
        frmTerms terms;
        terms.show();
        terms.cmdAccept->click();
        QCOMPARE(gTermsAccepted, kTrue);
        QVERIFY(!terms.isVisible());
        // The hourglass stays until the next window is activated.
        QCOMPARE(script.mousePointer(), MousePointer::Hourglass);
        terms.Form_Activate();
        QCOMPARE(script.mousePointer(), MousePointer::Default);
    }
    {
        frmTerms terms;
        terms.show();
        terms.cmdReject->click();
        QCOMPARE(gTermsAccepted, kFalse);
        QVERIFY(!terms.isVisible());
    }
    {
        // Shown again from the wizard: Close only, and the answer ends false.
        frmTerms terms;
        terms.cmdAccept->setVisible(false);
        terms.cmdReject->setVisible(false);
        terms.cmdClose->setVisible(true);
        terms.show();
        gTermsAccepted = kTrue;
        terms.cmdClose->click();
        QCOMPARE(gTermsAccepted, kFalse);
        QVERIFY(!terms.isVisible());
    }
}

QTEST_MAIN(TermsTest)
#include "test_terms.moc"
