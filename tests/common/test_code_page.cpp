// Windows-1252 at the widgets: the conversion itself, entry boxes that keep
// to it whether typed or pasted, what key and focus handlers see, and the
// production seam's real message boxes, driven from the event loop as a user
// answers them.
#include "code_page.h"
#include "control_events.h"
#include "entry_boxes.h"
#include "qt_ui.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(MsgButtons)
Q_DECLARE_METATYPE(MsgIcon)
Q_DECLARE_METATYPE(MsgAnswer)

namespace {

// Shows the window active with the box focused, so that keys reach the box
// as a user's keys do.
bool focusIn(QWidget &window, QWidget *box) {
    window.show();
    window.activateWindow();
    box->setFocus();
    return QTest::qWaitForWindowActive(&window);
}

// Types each character as a keyboard (or input method) with it does.
void type(QWidget *widget, const QString &text) {
    for (const char32_t code : text.toUcs4()) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUcs4(&code, 1));
        QApplication::sendEvent(widget, &press);
    }
}

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

class CodePageTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void bothWays_data();
    void bothWays();
    void entryBoxKeepsToTheCodePage_data();
    void entryBoxKeepsToTheCodePage();
    void multiLineBoxLimitsAndBreaks();
    void keyCodesSeenByHandlers_data();
    void keyCodesSeenByHandlers();
    void lostFocusOnlyForAnotherControl();
    void messageBoxes_data();
    void messageBoxes();
};

// Bytes and the characters they stand for, both ways; characters the code
// page lacks are left out, never replaced.
void CodePageTest::bothWays_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("both");
    QTest::newRow("ASCII, controls, NUL and the upper half as Latin-1")
        << QByteArray("a~\x01\x1f\x7f\0\xa0\xa3\xe9\xff", 10)
        << QString(u"a~\x01\x1f\x7f\0\u00a0\u00a3\u00e9\u00ff"_s) << true;
    QTest::newRow("quotes, dashes, signs and letters of the high controls")
        << QByteArray("\x91\x92\x93\x94\x96\x97\x80\x85\x89\x99\x8a\x8c\x8e\x9a\x9c\x9e\x9f\x83")
        << u"\u2018\u2019\u201c\u201d\u2013\u2014\u20ac\u2026\u2030\u2122\u0160\u0152\u017d\u0161\u0153\u017e\u0178\u0192"_s
        << true;
    QTest::newRow("bytes left unused")
        << QByteArray("\x81\x8d\x8f\x90\x9d") << u"\u0081\u008d\u008f\u0090\u009d"_s << true;
    // Greek, CJK, an emoji (a surrogate pair), C1 controls the code page maps
    // to letters, the replacement character.
    QTest::newRow("characters the code page lacks dropped")
        << QByteArray("abc?") << u"a\u03bbb\u6f22\U0001F600c\u0080\u0093\ufffd?"_s << false;
}

void CodePageTest::bothWays() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(bool, both);
    if (both)
        QCOMPARE(FromCodePage(bytes), text);
    QCOMPARE(ToCodePage(text), bytes);
}

// Typed, or pasted over the box's text, then what the box holds.
void CodePageTest::entryBoxKeepsToTheCodePage_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QByteArray>("held");
    QTest::newRow("typed") << u"\u201ca\u03bb\u20ac\u201d"_s << QString()
                           << QByteArray("\x93"
                                         "a\x80\x94");
    QTest::newRow("pasted") << QString() << u"x\u2013\U0001F600y\u6f22"_s << QByteArray("x\x96y");
    // Cut to the box's length, then the character the code page lacks dropped.
    QTest::newRow("pasted past the limit")
        << QString() << u"123456789\u03bbABCDEF"_s << QByteArray("123456789AB");
}

void CodePageTest::entryBoxKeepsToTheCodePage() {
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QByteArray, held);
    QWidget window;
    QLineEdit *box = NewEntryBox(&window, "txtBox", 12, QRect(0, 0, 200, 24));
    QVERIFY(focusIn(window, box));
    type(box, typed);
    if (!pasted.isEmpty()) {
        QApplication::clipboard()->setText(pasted);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    }
    QCOMPARE(BoxText(box), held);
    SetBoxText(box, "\x93ok\x94 \x85");
    QCOMPARE(box->text(), u"\u201cok\u201d \u2026"_s);
    QCOMPARE(BoxText(box), QByteArray("\x93ok\x94 \x85"));
}

void CodePageTest::multiLineBoxLimitsAndBreaks() {
    QWidget window;
    auto *box = new MultiLineBox(&window, "txtCV", 11, QRect(0, 0, 200, 80));
    QVERIFY(focusIn(window, box));
    // Ctrl+Enter starts a line, which counts as CR LF.
    type(box, u"ab\u03bbc"_s);
    QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
    type(box, u"\u2014de"_s);
    QCOMPARE(BoxText(box), QByteArray("abc\r\n\x97"
                                      "de"));
    // Three characters left: a pasted text is cut to what fits; then a line
    // break, two characters, no longer fits, while a letter does.
    QApplication::clipboard()->setText(u"\u03bbfg\r\nhij"_s);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(BoxText(box), QByteArray("abc\r\n\x97"
                                      "defg"));
    QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
    type(box, u"xyz"_s);
    QCOMPARE(BoxText(box), QByteArray("abc\r\n\x97"
                                      "defgx"));
    SetBoxText(box, "one\rtwo\r\nthree\n");
    QCOMPARE(box->toPlainText(), u"one\ntwo\nthree\n"_s);
    QCOMPARE(BoxText(box), QByteArray("one\r\ntwo\r\nthree\r\n"));
}

// The key pressed in a box, the code its key handler sees (-1: the handler
// is not called), the code it gives back, and what the box then holds.
void CodePageTest::keyCodesSeenByHandlers_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("seen");
    QTest::addColumn<int>("giveBack");
    QTest::addColumn<QString>("held");
    const int none = Qt::NoModifier;
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("letter replaced") << int(Qt::Key_A) << none << u"a"_s << 97 << 66 << u"xB"_s;
    QTest::newRow("letter dropped") << int(Qt::Key_A) << none << u"a"_s << 97 << 0 << u"x"_s;
    QTest::newRow("euro sign") << 0 << none << u"\u20ac"_s << 128 << 128 << u"x\u20ac"_s;
    QTest::newRow("replaced by a curly quote")
        << int(Qt::Key_QuoteDbl) << none << u"\""_s << 34 << 0x93 << u"x\u201c"_s;
    QTest::newRow("Greek letter, outside") << 0 << none << u"\u03bb"_s << -1 << 0 << u"x"_s;
    QTest::newRow("Enter") << int(Qt::Key_Return) << none << u"\r"_s << 13 << 13 << u"x"_s;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << none << u"\r"_s << 13 << 13 << u"x"_s;
    QTest::newRow("Ctrl+Enter") << int(Qt::Key_Return) << ctrl << u"\r"_s << 10 << 10 << u"x"_s;
    QTest::newRow("arrow, no character")
        << int(Qt::Key_Left) << none << QString() << -1 << 0 << u"x"_s;
}

void CodePageTest::keyCodesSeenByHandlers() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QFETCH(int, seen);
    QFETCH(int, giveBack);
    QFETCH(QString, held);
    QWidget window;
    QLineEdit *box = NewEntryBox(&window, "txtBox", 20, QRect(0, 0, 200, 24));
    QVERIFY(focusIn(window, box));
    box->setText(u"x"_s);
    int handlerSaw = -1;
    OnKeyPress(box, [&](std::int16_t &KeyAscii) {
        handlerSaw = KeyAscii;
        KeyAscii = static_cast<std::int16_t>(giveBack);
    });
    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
    QApplication::sendEvent(QApplication::focusWidget(), &press);
    QCOMPARE(handlerSaw, seen);
    QCOMPARE(box->text(), held);
}

void CodePageTest::lostFocusOnlyForAnotherControl() {
    QWidget window;
    QLineEdit *first = NewEntryBox(&window, "txtFirst", 20, QRect(0, 0, 200, 24));
    QLineEdit *second = NewEntryBox(&window, "txtSecond", 20, QRect(0, 30, 200, 24));
    int lost = 0;
    OnLostFocus(first, [&lost] { ++lost; });
    QVERIFY(focusIn(window, first));
    // Another window (a message box, say) takes the focus and gives it back.
    QWidget other;
    QVERIFY(focusIn(other, &other));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(QApplication::focusWidget(), first);
    QCOMPARE(lost, 0);
    QTest::keyClick(first, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), second);
    QCOMPARE(lost, 1);
}

// The choice and icon asked for, the key pressed, then the buttons and icon
// shown and the answer.
void CodePageTest::messageBoxes_data() {
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

void CodePageTest::messageBoxes() {
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

QTEST_MAIN(CodePageTest)
#include "test_code_page.moc"
