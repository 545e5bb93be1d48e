// The card window, headless, through real key events, opened the way the
// conversation opens it.
#include "card_request.h"
#include "clock.h"
#include "entry_boxes.h"
#include "frmColors.h"
#include "frmCreditCard.h"
#include "program_folder.h"
#include "scripted_ui.h"
#include "window_checks.h"
#include "wizard_driver.h"

#include <QApplication>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QDate kToday(2025, 6, 10);
const QByteArray kAddress("12 High St\r\nCarlton\r\nVIC    3053");

QByteArray Text(const QWidget *box) {
    if (const auto *line = qobject_cast<const QLineEdit *>(box))
        return BoxText(line);
    return BoxText(qobject_cast<const QPlainTextEdit *>(box));
}

QByteArray Selected(const QLineEdit *box) {
    return box->selectedText().toLatin1();
}

// The five entries, joined by '|'.
QByteArray Joined(const CardDetails &card) {
    return card.txtCreditCardNumber + '|' + card.txtExpiryDate + '|' + card.txtNameOnCard + '|' +
           card.txtCardholderAddress + '|' + card.txtPlanNbr;
}

} // namespace

class CreditCardTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void cleanup() { SetToday({}); }
    void keysChecksOkCancelAndTheCloseBox();
};

// Tab goes round; each box keeps what its filter lets through, up to its
// length, Backspace included; Enter moves on from each box, in the address
// without a new line, and from the plan number to OK without pressing it.
// OK refuses an entry by giving it the focus, its text selected, before the
// message (the rules themselves: the entry rules' test), and hands the
// entries over as they stand; the next opening shows them again, with the
// name from the wizard and the window placed anew. Cancel and the close box
// leave what OK handed over as it was. The card reaches no file. The
// background tiled, every entry named by its caption, every text fitting.
void CreditCardTest::keysChecksOkCancelAndTheCloseBox() {
    const ProgramFolder folder;
    ScriptedUi ui;
    QWidget wizard;
    wizard.setGeometry(100, 200, 300, 200);
    wizard.show();
    frmCreditCard card(&wizard);
    SetToday(kToday);
    QPixmap tile(8, 8);
    tile.fill(QColor(11, 42, 107));
    frmColors::instance().setTilePicture(tile);
    const QByteArray plans = "1  Casual\r\n2  Regular";
    card.mintPlanNbrLo = 1;
    card.mintPlanNbrHi = 2;
    // The subscriber's name and address, as the wizard's boxes hold them.
    WizardEntries entries;
    entries.txtFirstName = " mary ";
    entries.txtSurname = "o'brien ";
    entries.txtAddress1 = " 12 High St ";
    entries.txtAddress2 = "  ";
    entries.txtAddress3 = "Carlton";
    entries.cboState = "VIC";
    entries.txtPostcode = "3053";
    CardDetails kept;
    std::optional<CardDetails> accepted;
    // Opens the card window as the conversation does, offering the kept
    // details; the action runs while it is open and active. What OK accepts
    // is kept, as the conversation keeps it.
    const auto open = [&](const std::function<void()> &action) {
        ui.modalActions = {[action](QDialog &dialog) {
            dialog.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            action();
        }};
        accepted = AskForCardDetails(card, CardOffer(kept, entries), plans);
        if (accepted)
            kept = *accepted;
        QVERIFY(ui.modalActions.isEmpty());
    };
    ui.setMousePointer(MousePointer::Hourglass);
    open([&] {
        QCOMPARE(card.windowTitle(), u"Credit Card Details"_s);
        QCOMPARE(card.grab().toImage().pixelColor(2, 2), QColor(11, 42, 107));
        QCOMPARE(LayoutProblems(card), QString());
        QStringList captions;
        for (const QLabel *label : card.lblPage1)
            captions << label->text();
        for (const QWidget *box : card.findChildren<QWidget *>()) {
            if (qobject_cast<const QLineEdit *>(box) != nullptr ||
                qobject_cast<const QPlainTextEdit *>(box) != nullptr)
                QVERIFY2(captions.contains(box->accessibleName()), qPrintable(box->objectName()));
        }

        QCOMPARE(ui.mousePointer(), MousePointer::Default);
        QCOMPARE(Text(card.txtNameOnCard) + '|' + Text(card.txtCardholderAddress) + '|' +
                     Text(card.txtPlan) + '|' + Text(card.txtCreditCardNumber) +
                     Text(card.txtExpiryDate) + Text(card.txtPlanNbr),
                 "MARY O'BRIEN|" + kAddress + '|' + plans + '|');
        const QList<QWidget *> order{card.txtCreditCardNumber, card.txtExpiryDate,
                                     card.txtNameOnCard,       card.txtCardholderAddress,
                                     card.txtPlanNbr,          card.cmdOK,
                                     card.cmdCancel,           card.txtPlan};
        QCOMPARE(QApplication::focusWidget(), order[0]);
        for (qsizetype i = 0; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), order[(i + 1) % order.size()]);
        }
        // Ctrl+Enter starts a new line; Enter in the plan list presses nothing.
        card.txtCardholderAddress->setFocus();
        QTest::keyClick(card.txtCardholderAddress, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(card.txtCardholderAddress, Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClicks(card.txtCardholderAddress, u"AUSTRALIA"_s);
        QCOMPARE(Text(card.txtCardholderAddress), kAddress + "\r\nAUSTRALIA");
        QTest::keyClick(card.txtPlan, Qt::Key_Return);
        QVERIFY(card.isVisible() && ui.messages.isEmpty());

        const QList<std::pair<QString, QByteArray>> typed{
            {u"4a1 1-1.2\x08"
             "11111111111199"_s,
             "4111111111111111"},
            {u"0a5/2 57"_s, "0525"},
            {u"mary o'brien-\xe9xyzabcdef"_s, "MARY O'BRIEN-\xe9XYZABC"},
            {u" 1 Main st, #2 "_s, " 1 Main st, #2 "},
            {u"x02y9"_s, "02"}};
        order[0]->setFocus();
        for (qsizetype i = 0; i < typed.size(); ++i) {
            Type(typed[i].first);
            QCOMPARE(Text(order[i]), typed[i].second);
            QTest::keyClick(order[i], i == 4 ? Qt::Key_Enter : Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), order[i + 1]);
        }
        QVERIFY(card.isVisible() && ui.messages.isEmpty());
        QTest::keyClick(card.cmdOK, Qt::Key_Return);
        QCOMPARE(ui.messages.size(), 1);
        const ScriptedUi::Message &shown = ui.messages[0];
        QCOMPARE(shown.title + '|' + shown.text,
                 "Kestrune Registration|Please enter a valid 4 digit Credit Card Expiry Date.");
        QVERIFY(shown.icon == MsgIcon::Exclamation && shown.buttons == MsgButtons::Ok);
        QCOMPARE(QApplication::focusWidget(), card.txtExpiryDate);
        QCOMPARE(Selected(card.txtExpiryDate), "0525");
        QVERIFY(card.isVisible());
        QTest::keyClicks(card.txtExpiryDate, u"0626"_s);
        QTest::keyClick(card.cmdOK, Qt::Key_Return);
    });
    QCOMPARE(Joined(accepted.value_or(CardDetails())),
             "4111111111111111|0626|MARY O'BRIEN-\xe9XYZABC| 1 Main st, #2 |02");
    // Closed: the entries are gone from the window, the bounds stay.
    QVERIFY(!card.isVisible());
    QCOMPARE(Text(card.txtCreditCardNumber) + Text(card.txtNameOnCard), QByteArray());
    QVERIFY(!card.txtCreditCardNumber->isUndoAvailable());

    wizard.move(150, 180);
    entries.txtFirstName = "Maria";
    kept.txtCardholderAddress = "PO Box 9";
    open([&] {
        QCOMPARE(card.pos(), QPoint(183, 147));
        QCOMPARE(QApplication::focusWidget(), card.txtCreditCardNumber);
        QCOMPARE(Selected(card.txtCreditCardNumber) + '|' + Text(card.txtNameOnCard) + '|' +
                     Text(card.txtCardholderAddress) + '|' + Text(card.txtExpiryDate) +
                     Text(card.txtPlanNbr),
                 "4111111111111111|MARIA O'BRIEN|PO Box 9|062602");
        QTest::keyClicks(card.txtCreditCardNumber, u"5500000000000004"_s);
        card.cmdOK->setFocus();
        QTest::keyClick(card.cmdOK, Qt::Key_Return);
    });
    const QByteArray handedOver = "5500000000000004|0626|MARIA O'BRIEN|PO Box 9|02";
    QCOMPARE(Joined(kept), handedOver);
    for (const bool closeBox : {false, true}) {
        open([&] {
            Type(u"4929000011112222"_s);
            if (closeBox)
                card.close();
            else
                QTest::keyClick(card.cmdCancel, Qt::Key_Return);
            QVERIFY(!card.isVisible());
        });
        QVERIFY(!accepted);
        QCOMPARE(Joined(kept), handedOver);
        QCOMPARE(Text(card.txtCreditCardNumber), QByteArray());
    }
    QCOMPARE(ui.messages.size(), 1); // the refused expiry's
    QDirIterator files(folder.root(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY2(!bytes.contains("4111111111111111") && !bytes.contains("5500000000000004"),
                 qPrintable(file.fileName()));
    }
}

QTEST_MAIN(CreditCardTest)
#include "test_frmCreditCard.moc"
