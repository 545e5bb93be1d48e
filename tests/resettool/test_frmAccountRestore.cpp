#include "frmSplash.h"
#include "program_folder.h"
#include "registry.h"
#include "restore_startup.h"
#include "scripted_ui.h"
#include "sqlite_registry.h"
#include "store_holder.h"
#include "window_checks.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

const QString kNone = u"<< Not Registered >>"_s;

// Starts the tool as its program does and makes its window the active one.
std::unique_ptr<frmAccountRestore> start() {
    auto window = StartAccountRestore();
    window->activateWindow();
    QApplication::processEvents();
    return window;
}

const QByteArray kReset = "The Kestrune registration keys have been reset.";

// Writes Command1 and Command2 through the registry layer.
void store(const QByteArray &userName, const QByteArray &password) {
    QCOMPARE(RegWriteStrings(winreg::HKEY_LOCAL_MACHINE, kServiceKey,
                             {{kCommand1Value, userName}, {kCommand2Value, password}}),
             kTrue);
}

// Command1 and Command2 as the store holds them, in the form the labels show them.
QStringList stored() {
    QStringList values;
    for (const char *name : {kCommand1Value, kCommand2Value}) {
        QByteArray value;
        const bool read =
            RegReadValue(winreg::HKEY_LOCAL_MACHINE, kServiceKey, name, value) != kFalse;
        values << (read ? QString::fromLatin1(value) : kNone);
    }
    return values;
}

QStringList shown(const frmAccountRestore &window) {
    return {window.lblUserName->text(), window.lblPassword->text()};
}

void checkLastMessage(const ScriptedUi &ui, qsizetype count, const QByteArray &text, MsgIcon icon) {
    QCOMPARE(ui.messages.size(), count);
    QCOMPARE(ui.messages.last().text, text);
    QCOMPARE(ui.messages.last().icon, icon);
    QCOMPARE(ui.messages.last().buttons,
             icon == MsgIcon::Question ? MsgButtons::YesNo : MsgButtons::Ok);
    QCOMPARE(ui.messages.last().title, QByteArray("Kestrune Account Restore"));
}

// Another program holding the store after the statements: only as a
// writer ("BEGIN EXCLUSIVE"), or keeping out readers too.
std::unique_ptr<StoreHolder> holdStore(const char *statements) {
    const QByteArray path = QFile::encodeName(SqliteRegistry::storePath());
    return std::make_unique<StoreHolder>([path, statements] {
        sqlite3 *db = nullptr;
        return sqlite3_open(path.constData(), &db) == SQLITE_OK &&
               sqlite3_exec(db, statements, nullptr, nullptr, nullptr) == SQLITE_OK;
    });
}

} // namespace

class TestAccountRestore : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void firstStartEnterBlanksAndUpdate() {
        ProgramFolder folder;
        ScriptedUi ui;
        const auto window = start();
        QCOMPARE(LayoutProblems(*window), QString());
        QCOMPARE(shown(*window), (QStringList{kNone, kNone}));
        QCOMPARE(ui.mousePointer(), MousePointer::Default);

        // Enter moves from box to box and on to Update without updating.
        QLineEdit *userName = window->txtUserName;
        QLineEdit *password = window->txtPassword;
        QTest::keyClicks(userName, u"   "_s);
        QTest::keyClick(userName, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), password);
        QTest::keyClicks(password, u"    "_s);
        QTest::keyClick(password, Qt::Key_Enter);
        QCOMPARE(QApplication::focusWidget(), window->cmdUpdate);
        QVERIFY(ui.messages.isEmpty());

        // A blank entry is refused; its box gets the focus with its text selected.
        QTest::keyClick(window->cmdUpdate, Qt::Key_Return);
        checkLastMessage(ui, 1, "Please enter the new value for the User Name.",
                         MsgIcon::Exclamation);
        QCOMPARE(QApplication::focusWidget(), userName);
        QCOMPARE(userName->selectedText(), u"   "_s);
        // The user name box takes no more than 16 characters.
        QTest::keyClicks(userName, u"  new user name123"_s);
        QTest::mouseClick(window->cmdUpdate, Qt::LeftButton);
        checkLastMessage(ui, 2, "Please enter the new value for the Password.",
                         MsgIcon::Exclamation);
        QCOMPARE(QApplication::focusWidget(), password);
        QCOMPARE(password->selectedText(), u"    "_s);
        QCOMPARE(stored(), (QStringList{kNone, kNone}));

        QTest::keyClicks(password, u" new password  "_s);
        QTest::keyClick(password, Qt::Key_Enter);
        QTest::keyClick(window->cmdUpdate, Qt::Key_Return);
        QCOMPARE(stored(), (QStringList{u"new user name1"_s, u"new password"_s}));
        checkLastMessage(ui, 3, kReset, MsgIcon::Exclamation);
        QVERIFY(ui.ended && !window->isVisible());
    }

    void splashStoredValuesThenFailedWrites() {
        ProgramFolder folder;
        ScriptedUi ui;
        // The window comes after the splash: it shows what the registry layer stores while the
        // splash is up, a value stored as a space as a blank label.
        ui.modalActions.append([](QDialog &splash) {
            QVERIFY(!dynamic_cast<frmSplash &>(splash).imgKestrune->pixmap().isNull());
            store(" ", "Gr\xe9ta");
        });
        const auto window = start();
        QCOMPARE(shown(*window), (QStringList{u" "_s, u"Gr\u00e9ta"_s}));
        // A store that is no database: the labels show what it holds; the
        // entries stay for another try. That a refused reset leaves both old
        // values is the registry's to keep.
        folder.writeFile(u"bad.db"_s, QByteArray(4096, 'x'));
        qputenv("KESTRUNE_REGISTRY", QFile::encodeName(folder.path() + u"/bad.db"_s));
        window->txtUserName->setText(u"user"_s);
        window->txtPassword->setText(u"pass"_s);
        QTest::mouseClick(window->cmdUpdate, Qt::LeftButton);
        checkLastMessage(
            ui, 1,
            "The new values could not be stored in the registry. Please contact Kestrune support.",
            MsgIcon::Critical);
        QCOMPARE(shown(*window), (QStringList{kNone, kNone}));
        QCOMPARE(window->txtPassword->text(), u"pass"_s);

        // The user gives up: No to the exit question keeps the window, Yes ends the tool.
        ui.answers = {MsgAnswer::No, MsgAnswer::Yes};
        QTest::mouseClick(window->cmdCancel, Qt::LeftButton);
        checkLastMessage(ui, 2,
                         "Are you sure you want to exit the Kestrune Account Restore program?",
                         MsgIcon::Question);
        QVERIFY(window->isVisible() && !ui.ended);
        QTest::mouseClick(window->cmdCancel, Qt::LeftButton);
        QVERIFY(ui.ended && !window->isVisible());
    }

    // Another program holds the store: the window says so instead of "<< Not Registered >>"
    // or a failed update, and the user can try again. Readers still read while it writes;
    // when it keeps even readers out, every call gives up after about a second.
    void busyStoreIsReported() {
        ProgramFolder folder;
        ScriptedUi ui;
        store("user", "password");
        auto holder = holdStore("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE");
        QVERIFY(holder->holding());
        const auto window = start();
        checkLastMessage(ui, 1,
                         "The Kestrune registry is in use by another program, so the current "
                         "details cannot be shown. Please try again in a moment.",
                         MsgIcon::Critical);
        QCOMPARE(shown(*window), (QStringList{QString(), QString()}));
        QVERIFY(holder->release());

        holder = holdStore("BEGIN EXCLUSIVE");
        QVERIFY(holder->holding());
        window->txtUserName->setText(u"new user"_s);
        window->txtPassword->setText(u"new password"_s);
        QTest::mouseClick(window->cmdUpdate, Qt::LeftButton);
        checkLastMessage(ui, 2,
                         "The Kestrune registry is in use by another program, so the new details "
                         "have not been stored. Please try again in a moment.",
                         MsgIcon::Critical);
        QVERIFY(window->isVisible() && !ui.ended);
        QCOMPARE(window->txtPassword->text(), u"new password"_s);
        QCOMPARE(stored(), (QStringList{u"user"_s, u"password"_s}));
        QVERIFY(holder->release());

        QTest::mouseClick(window->cmdUpdate, Qt::LeftButton);
        checkLastMessage(ui, 3, kReset, MsgIcon::Exclamation);
        QCOMPARE(stored(), (QStringList{u"new user"_s, u"new password"_s}));
    }
};

QTEST_MAIN(TestAccountRestore)
#include "test_frmAccountRestore.moc"
