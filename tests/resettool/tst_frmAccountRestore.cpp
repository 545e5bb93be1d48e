#include "frmAccountRestore.h"
#include "program_folder.h"
#include "registry.h"
#include "scripted_ui.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <sqlite3.h>

namespace {

const QByteArray kNone = "<< Not Registered >>";
const QByteArray kMissing = "(missing)";

std::unique_ptr<frmAccountRestore> openWindow() {
    auto window = std::make_unique<frmAccountRestore>();
    window->activateWindow();
    QApplication::processEvents();
    return window;
}

void store(const char *valueName, const QByteArray &text) {
    QCOMPARE(RegWriteString(HKEY_LOCAL_MACHINE, kServiceKey, valueName, text), kTrue);
}

QByteArray stored(const char *valueName) {
    QByteArray value;
    if (RegReadValue(HKEY_LOCAL_MACHINE, kServiceKey, valueName, value) == kFalse)
        return kMissing;
    return value;
}

QByteArrayList shown(const frmAccountRestore &window) {
    return {window.lblUserName->text().toLatin1(), window.lblPassword->text().toLatin1()};
}

// Makes the store refuse every write of one value while the rest works.
void refuseWritesOf(const ProgramFolder &folder, const QByteArray &valueName) {
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(folder.registryPath()).constData(), &db), SQLITE_OK);
    const QByteArray sql = "CREATE TRIGGER refuse BEFORE INSERT ON reg_values WHEN NEW.name = '" +
                           valueName + "' BEGIN SELECT RAISE(ABORT, 'refused'); END;";
    const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QCOMPARE(rc, SQLITE_OK);
}

void type(QLineEdit *box, const QByteArray &text) {
    box->setFocus();
    box->clear();
    QTest::keyClicks(box, QString::fromLatin1(text));
}

// Types a character that has no key of its own on the test keyboard.
void typeCharacter(QLineEdit *box, QChar character) {
    QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(character), Qt::NoModifier);
}

void update(frmAccountRestore &window, const QByteArray &userName, const QByteArray &password) {
    type(window.txtUserName, userName);
    type(window.txtPassword, password);
    QTest::mouseClick(window.cmdUpdate, Qt::LeftButton);
}

void checkOneMessage(const ScriptedUi &ui, const QByteArray &text, MsgIcon icon,
                     MsgButtons buttons = MsgButtons::Ok) {
    QCOMPARE(ui.messages.size(), 1);
    QCOMPARE(ui.messages[0].text, text);
    QCOMPARE(ui.messages[0].icon, icon);
    QCOMPARE(ui.messages[0].buttons, buttons);
    QCOMPARE(ui.messages[0].title, QByteArray("Kestrune Account Restore"));
}

} // namespace

class TestAccountRestore : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void showsTheStoredValues_data();
    void showsTheStoredValues();
    void storesTrimmedValuesAndEnds();
    void refusesBlankEntries_data();
    void refusesBlankEntries();
    void failedWritesKeepTheToolOpen_data();
    void failedWritesKeepTheToolOpen();
    void enterMovesOnWithoutUpdating();
    void boxesTakeOnlyWhatTheRegistryHolds();
    void exitQuestionAndCloseBox();
};

void TestAccountRestore::showsTheStoredValues_data() {
    // Command1 and Command2 as stored ("-" leaves one out), then as shown.
    QTest::addColumn<QByteArrayList>("values");
    QTest::addColumn<QByteArrayList>("labels");
    QTest::newRow("first start") << QByteArrayList{"-", "-"} << QByteArrayList{kNone, kNone};
    // Markup in a value is shown as stored, never rendered.
    QTest::newRow("stored by the wizard") << QByteArrayList{"kes10234", "<b>Gr\xe9ta</b>"}
                                          << QByteArrayList{"kes10234", "<b>Gr\xe9ta</b>"};
    QTest::newRow("empty text stored as a space")
        << QByteArrayList{"", "-"} << QByteArrayList{" ", kNone};
}

void TestAccountRestore::showsTheStoredValues() {
    QFETCH(QByteArrayList, values);
    QFETCH(QByteArrayList, labels);
    ProgramFolder folder;
    ScriptedUi ui;
    if (values[0] != "-")
        store(kCommand1Value, values[0]);
    if (values[1] != "-")
        store(kCommand2Value, values[1]);
    const auto window = openWindow();
    QVERIFY(window->isVisible());
    QCOMPARE(shown(*window), labels);
    QCOMPARE(window->lblPassword->textFormat(), Qt::PlainText);
    QVERIFY(ui.messages.isEmpty());
}

void TestAccountRestore::storesTrimmedValuesAndEnds() {
    ProgramFolder folder;
    ScriptedUi ui;
    store(kCommand1Value, "olduser");
    store(kCommand2Value, "oldpass");
    const auto window = openWindow();
    QByteArrayList atMessage;
    ui.onMessage = [&](const ScriptedUi::Message &) {
        atMessage = shown(*window) + QByteArrayList{window->txtUserName->text().toLatin1(),
                                                    window->txtPassword->text().toLatin1()};
    };
    update(*window, "  new user  ", " pw 2 ");

    QCOMPARE(stored(kCommand1Value), QByteArray("new user"));
    QCOMPARE(stored(kCommand2Value), QByteArray("pw 2"));
    checkOneMessage(ui, "The Kestrune registration keys have been reset.", MsgIcon::Exclamation);
    QCOMPARE(atMessage, (QByteArrayList{"new user", "pw 2", "", ""}));
    QVERIFY(ui.ended);
    QVERIFY(!window->isVisible());
}

void TestAccountRestore::refusesBlankEntries_data() {
    QTest::addColumn<QByteArray>("userName");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("message");
    const QByteArray enterUserName = "Please enter the new value for the User Name.";
    const QByteArray enterPassword = "Please enter the new value for the Password.";
    QTest::newRow("no user name") << QByteArray() << QByteArray("pw") << enterUserName;
    QTest::newRow("blank user name") << QByteArray("   ") << QByteArray() << enterUserName;
    QTest::newRow("blank password") << QByteArray("user") << QByteArray("    ") << enterPassword;
}

void TestAccountRestore::refusesBlankEntries() {
    QFETCH(QByteArray, userName);
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, message);
    ProgramFolder folder;
    ScriptedUi ui;
    const auto window = openWindow();
    update(*window, userName, password);

    checkOneMessage(ui, message, MsgIcon::Exclamation);
    QLineEdit *offending = userName.trimmed().isEmpty() ? window->txtUserName : window->txtPassword;
    QCOMPARE(QApplication::focusWidget(), offending);
    QCOMPARE(offending->selectedText(), offending->text());
    QCOMPARE(stored(kCommand1Value), kMissing);
    QCOMPARE(stored(kCommand2Value), kMissing);
    QVERIFY(!ui.ended);
}

void TestAccountRestore::failedWritesKeepTheToolOpen_data() {
    // How the store fails; then the labels and the stored values afterwards.
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QByteArrayList>("after");
    QTest::newRow("not a database")
        << QStringLiteral("garbage") << QByteArrayList{kNone, kNone, kMissing, kMissing};
    QTest::newRow("folder missing")
        << QStringLiteral("gone/registry.db") << QByteArrayList{kNone, kNone, kMissing, kMissing};
    // A refused user name leaves the old password alone.
    QTest::newRow("user name refused")
        << QStringLiteral("Command1") << QByteArrayList{"old", "oldpw", "old", "oldpw"};
    QTest::newRow("password refused")
        << QStringLiteral("Command2") << QByteArrayList{"user", "oldpw", "user", "oldpw"};
}

void TestAccountRestore::failedWritesKeepTheToolOpen() {
    QFETCH(QString, failure);
    QFETCH(QByteArrayList, after);
    ProgramFolder folder;
    ScriptedUi ui;
    if (failure.startsWith(QStringLiteral("Command"))) {
        store(kCommand1Value, "old");
        store(kCommand2Value, "oldpw");
        refuseWritesOf(folder, failure.toLatin1());
    } else {
        const QString path = folder.root() + QLatin1Char('/') + failure;
        if (failure == QStringLiteral("garbage")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(4096, 'x')) > 0);
        }
        qputenv("KESTRUNE_REGISTRY", QFile::encodeName(path));
    }
    const auto window = openWindow();
    update(*window, "user", "pass");

    checkOneMessage(
        ui, "The new values could not be stored in the registry. Please contact Kestrune support.",
        MsgIcon::Critical);
    const QByteArrayList now =
        shown(*window) + QByteArrayList{stored(kCommand1Value), stored(kCommand2Value)};
    QCOMPARE(now, after);
    QCOMPARE(window->txtUserName->text(), QStringLiteral("user"));
    QCOMPARE(window->txtPassword->text(), QStringLiteral("pass"));
    QVERIFY(!ui.ended);
    QVERIFY(window->isVisible());
}

void TestAccountRestore::enterMovesOnWithoutUpdating() {
    ProgramFolder folder;
    ScriptedUi ui;
    const auto window = openWindow();
    QVERIFY(window->isActiveWindow());
    QCOMPARE(QApplication::focusWidget(), window->txtUserName);
    QTest::keyClicks(window->txtUserName, QStringLiteral("user"));
    QTest::keyClick(window->txtUserName, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), window->txtPassword);
    QTest::keyClicks(window->txtPassword, QStringLiteral("pass"));
    QTest::keyClick(window->txtPassword, Qt::Key_Enter);
    QCOMPARE(QApplication::focusWidget(), window->cmdUpdate);
    QCOMPARE(window->txtUserName->text(), QStringLiteral("user"));
    QVERIFY(ui.messages.isEmpty());
    QCOMPARE(stored(kCommand1Value), kMissing);

    // A box that gets the focus back has its whole text selected.
    QTest::keyClick(window->cmdUpdate, Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(window->txtPassword->selectedText(), QStringLiteral("pass"));

    // Enter on the focused Update button presses it.
    window->cmdUpdate->setFocus();
    QTest::keyClick(window->cmdUpdate, Qt::Key_Return);
    QCOMPARE(stored(kCommand2Value), QByteArray("pass"));
    QVERIFY(ui.ended);
}

void TestAccountRestore::boxesTakeOnlyWhatTheRegistryHolds() {
    ProgramFolder folder;
    ScriptedUi ui;
    const auto window = openWindow();
    type(window->txtUserName, "abcdefghijklmnopqrstuvwxyz");
    QCOMPARE(window->txtUserName->text(), QStringLiteral("abcdefghijklmnop"));
    type(window->txtPassword, "abcdefghijklmnopqrstuvwxyz");
    QCOMPARE(window->txtPassword->text(), QStringLiteral("abcdefghijklmnopqrst"));

    // Characters outside the single-byte code page are neither typed nor pasted.
    type(window->txtUserName, "ab");
    typeCharacter(window->txtUserName, QChar(0x20AC));
    window->txtUserName->insert(QString::fromUtf8("x\u20ACy"));
    typeCharacter(window->txtUserName, QChar(0xE9));
    QTest::mouseClick(window->cmdUpdate, Qt::LeftButton);
    QCOMPARE(stored(kCommand1Value), QByteArray("ab\xe9"));
}

void TestAccountRestore::exitQuestionAndCloseBox() {
    ProgramFolder folder;
    ScriptedUi ui;
    auto window = openWindow();
    type(window->txtUserName, "typed");
    ui.answers = {MsgAnswer::No};
    QTest::mouseClick(window->cmdCancel, Qt::LeftButton);
    checkOneMessage(ui, "Are you sure you want to exit the Kestrune Account Restore program?",
                    MsgIcon::Question, MsgButtons::YesNo);
    QVERIFY(!ui.ended);
    QVERIFY(window->isVisible());
    QCOMPARE(window->txtUserName->text(), QStringLiteral("typed"));

    ui.answers = {MsgAnswer::Yes};
    QTest::mouseClick(window->cmdCancel, Qt::LeftButton);
    QVERIFY(ui.ended);
    QVERIFY(!window->isVisible());

    ScriptedUi again;
    window = openWindow();
    QVERIFY(window->close());
    QVERIFY(again.ended);
    QVERIFY(again.messages.isEmpty());
}

QTEST_MAIN(TestAccountRestore)
#include "tst_frmAccountRestore.moc"
