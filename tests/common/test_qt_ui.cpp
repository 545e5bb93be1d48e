// The production seam shows real message boxes: driven here from the event
// loop, as a user answers them.
#include "qt_ui.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(MsgButtons)
Q_DECLARE_METATYPE(MsgIcon)
Q_DECLARE_METATYPE(MsgAnswer)

namespace {

// Answers the next message box with the key once the event loop shows it,
// noting its title, text, whether it shows them as plain text, its buttons and
// its icon.
void answerWith(int key, QVariantList &shown) {
    QTimer::singleShot(0, [key, &shown] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        const auto *label = box->findChild<QLabel *>(u"qt_msgbox_label"_s);
        shown = {box->windowTitle(), box->text(),
                 box->textFormat() == Qt::PlainText && label->textFormat() == Qt::PlainText,
                 int(box->standardButtons()), int(box->icon())};
        QTest::keyClick(box, Qt::Key(key));
    });
}

} // namespace

class QtUiTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void messageBoxes_data();
    void messageBoxes();
};

// The choice and icon asked for, the key pressed, then the buttons and icon
// shown and the answer.
void QtUiTest::messageBoxes_data() {
    QTest::addColumn<MsgButtons>("choice");
    QTest::addColumn<MsgIcon>("icon");
    QTest::addColumn<int>("key");
    QTest::addColumn<QMessageBox::StandardButtons>("buttons");
    QTest::addColumn<QMessageBox::Icon>("shownIcon");
    QTest::addColumn<MsgAnswer>("answer");
    const QMessageBox::StandardButtons yesNo = QMessageBox::Yes | QMessageBox::No;
    QTest::newRow("question, Escape is No")
        << MsgButtons::YesNo << MsgIcon::Question << int(Qt::Key_Escape) << yesNo
        << QMessageBox::Question << MsgAnswer::No;
    QTest::newRow("question, Enter is Yes")
        << MsgButtons::YesNo << MsgIcon::Question << int(Qt::Key_Return) << yesNo
        << QMessageBox::Question << MsgAnswer::Yes;
    QTest::newRow("entry rule, exclamation")
        << MsgButtons::Ok << MsgIcon::Exclamation << int(Qt::Key_Return)
        << QMessageBox::StandardButtons(QMessageBox::Ok) << QMessageBox::Warning << MsgAnswer::Ok;
    QTest::newRow("OK or Cancel, Escape is Cancel")
        << MsgButtons::OkCancel << MsgIcon::Information << int(Qt::Key_Escape)
        << (QMessageBox::Ok | QMessageBox::Cancel) << QMessageBox::Information << MsgAnswer::Cancel;
}

void QtUiTest::messageBoxes() {
    QFETCH(MsgButtons, choice);
    QFETCH(MsgIcon, icon);
    QFETCH(int, key);
    QFETCH(QMessageBox::StandardButtons, buttons);
    QFETCH(QMessageBox::Icon, shownIcon);
    QFETCH(MsgAnswer, answer);
    QtUi qtUi;
    QVariantList shown;
    answerWith(key, shown);
    // A text from the host is shown as it came, never as markup, in the
    // characters of the code page.
    QCOMPARE(qtUi.msgBox("<b>Welcome</b> to \x93Kestrune\x94\r\nAre you sure?", choice, icon,
                         "Kestrune Account Restore"),
             answer);
    QCOMPARE(shown, (QVariantList{u"Kestrune Account Restore"_s,
                                  u"<b>Welcome</b> to \u201cKestrune\u201d\r\nAre you sure?"_s,
                                  true, int(buttons), int(shownIcon)}));
}

QTEST_MAIN(QtUiTest)
#include "test_qt_ui.moc"
