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
    void bothWays();
    void entryBoxKeepsToTheCodePage();
    void multiLineBoxLimitsAndBreaks();
    void keyCodesSeenByHandlers();
    void lostFocusOnlyForAnotherControl();
    void messageBoxes();
};

// Bytes and the characters they stand for, both ways: ASCII, controls, NUL
// and the upper half as Latin-1; quotes, dashes, signs and letters of the
// high controls; bytes left unused.
void CodePageTest::bothWays() {
    for (
        const auto &[bytes, text] : {
            std::pair{QByteArray("a~\x01\x1f\x7f\0\xa0\xa3\xe9\xff", 10),
                      QString(u"a~\x01\x1f\x7f\0\u00a0\u00a3\u00e9\u00ff"_s)},
            {QByteArray("\x91\x92\x93\x94\x96\x97\x80\x85\x89\x99\x8a\x8c\x8e\x9a\x9c\x9e\x9f\x83"),
             u"\u2018\u2019\u201c\u201d\u2013\u2014\u20ac\u2026\u2030\u2122\u0160\u0152\u017d\u0161\u0153\u017e\u0178\u0192"_s},
            {QByteArray("\x81\x8d\x8f\x90\x9d"), u"\u0081\u008d\u008f\u0090\u009d"_s},
        }) {
        QCOMPARE(FromCodePage(bytes), text);
        QCOMPARE(ToCodePage(text), bytes);
    }
    // Characters the code page lacks are left out, never replaced: Greek, CJK,
    // an emoji (a surrogate pair), C1 controls the code page maps to letters,
    // the replacement character.
    QCOMPARE(ToCodePage(u"a\u03bbb\u6f22\U0001F600c\u0080\u0093\ufffd?"_s), QByteArray("abc?"));
}

// Typed, then pasted past the box's length: cut to the length first, then
// the characters the code page lacks dropped.
void CodePageTest::entryBoxKeepsToTheCodePage() {
    QWidget window;
    QLineEdit *box = NewEntryBox(&window, "txtBox", 12, QRect(0, 0, 200, 24));
    QVERIFY(focusIn(window, box));
    type(box, u"\u201ca\u03bb\u20ac\u201d"_s);
    QCOMPARE(BoxText(box), QByteArray("\x93"
                                      "a\x80\x94"));
    QApplication::clipboard()->setText(u"56789\u03bbABCDEF"_s);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(BoxText(box), QByteArray("\x93"
                                      "a\x80\x94"
                                      "56789AB"));
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
void CodePageTest::keyCodesSeenByHandlers() {
    for (const auto &[key, text, seen, giveBack, held] : {
             std::tuple{QKeyCombination(Qt::Key_A), u"a"_s, 97, 0, u"x"_s}, // dropped
             {Qt::Key{}, u"\u20ac"_s, 128, 128, u"x\u20ac"_s},
             {Qt::Key_QuoteDbl, u"\""_s, 34, 0x93, u"x\u201c"_s}, // replaced by a curly quote
             {Qt::Key{}, u"\u03bb"_s, -1, 0, u"x"_s},             // outside the code page
             {Qt::Key_Return, u"\r"_s, 13, 13, u"x"_s},
             {Qt::Key_Enter, u"\r"_s, 13, 13, u"x"_s},
             {Qt::ControlModifier | Qt::Key_Return, u"\r"_s, 10, 10, u"x"_s},
             {Qt::Key_Left, QString(), -1, 0, u"x"_s}, // no character
         }) {
        QWidget window;
        QLineEdit *box = NewEntryBox(&window, "txtBox", 20, QRect(0, 0, 200, 24));
        QVERIFY(focusIn(window, box));
        box->setText(u"x"_s);
        int handlerSaw = -1;
        const auto answer = static_cast<std::int16_t>(giveBack);
        OnKeyPress(box, [&](std::int16_t &KeyAscii) {
            handlerSaw = KeyAscii;
            KeyAscii = answer;
        });
        QKeyEvent press(QEvent::KeyPress, key.key(), key.keyboardModifiers(), text);
        QApplication::sendEvent(QApplication::focusWidget(), &press);
        QCOMPARE(handlerSaw, seen);
        QCOMPARE(box->text(), held);
    }
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
void CodePageTest::messageBoxes() {
    const QMessageBox::StandardButtons yesNo = QMessageBox::Yes | QMessageBox::No;
    for (const auto &[choice, icon, key, buttons, shownIcon, answer] : {
             std::tuple{MsgButtons::YesNo, MsgIcon::Question, Qt::Key_Escape, yesNo,
                        QMessageBox::Question, MsgAnswer::No},
             {MsgButtons::YesNo, MsgIcon::Question, Qt::Key_Return, yesNo, QMessageBox::Question,
              MsgAnswer::Yes},
             {MsgButtons::Ok, MsgIcon::Exclamation, Qt::Key_Return, QMessageBox::Ok,
              QMessageBox::Warning, MsgAnswer::Ok},
             {MsgButtons::OkCancel, MsgIcon::Information, Qt::Key_Escape,
              QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Information, MsgAnswer::Cancel},
         }) {
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
}

QTEST_MAIN(CodePageTest)
#include "test_code_page.moc"
