// The card window, headless, through real key events, opened the way the
// conversation opens it.
#include "card_request.h"
#include "clock.h"
#include "entry_boxes.h"
#include "frmColors.h"
#include "frmCreditCard.h"
#include "program_folder.h"
#include "scripted_ui.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QDate kToday(2025, 6, 10);
const QByteArray kAddress("12 High St\r\nCarlton\r\nVIC    3053");

WizardEntries Subscriber() {
    WizardEntries e;
    e.txtFirstName = " mary ";
    e.txtSurname = "o'brien ";
    e.txtAddress1 = " 12 High St ";
    e.txtAddress2 = "  ";
    e.txtAddress3 = "Carlton";
    e.cboState = "VIC";
    e.txtPostcode = "3053";
    return e;
}

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
    void init();
    void cleanup() { SetToday({}); }
    void keysChecksOkCancelAndTheCloseBox();

  private:
    // Opens the card window as the conversation does, offering the kept
    // details; the action runs while it is open and active. What OK accepts
    // is kept, as the conversation keeps it.
    void open(const std::function<void()> &action) {
        ui_->modalActions = {[action](QDialog &dialog) {
            dialog.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            action();
        }};
        accepted_ = AskForCardDetails(*card_, CardOffer(kept_, entries_), plans_);
        if (accepted_)
            kept_ = *accepted_;
        QVERIFY(ui_->modalActions.isEmpty());
    }
    void type(QWidget *box, const QString &keys) {
        box->setFocus();
        for (const QChar key : keys) {
            if (key.unicode() < 128)
                QTest::keyClick(box, key.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(key), {});
        }
    }

    std::unique_ptr<ProgramFolder> folder_;
    std::unique_ptr<ScriptedUi> ui_;
    std::unique_ptr<QWidget> wizard_;
    CardDetails kept_;
    std::optional<CardDetails> accepted_;
    QByteArray plans_;
    WizardEntries entries_;
    std::unique_ptr<frmCreditCard> card_;
};

void CreditCardTest::init() {
    card_.reset();
    wizard_.reset();
    ui_.reset();
    folder_.reset();
    folder_ = std::make_unique<ProgramFolder>();
    ui_ = std::make_unique<ScriptedUi>();
    wizard_ = std::make_unique<QWidget>();
    wizard_->setGeometry(100, 200, 300, 200);
    wizard_->show();
    kept_ = CardDetails();
    accepted_.reset();
    plans_.clear();
    entries_ = Subscriber();
    card_ = std::make_unique<frmCreditCard>(wizard_.get());
    SetToday(kToday);
}

// Tab goes round; each box keeps what its filter lets through, up to its
// length, Backspace included; Enter moves on from each box, in the address
// without a new line, and from the plan number to OK without pressing it.
// OK refuses an entry by giving it the focus, its text selected, before the
// message (the rules themselves: the entry rules' test), and hands the
// entries over as they stand; the next opening shows them again, with the
// name from the wizard and the window placed anew. Cancel and the close box
// leave what OK handed over as it was. The background tiled, every entry
// named by its caption, every text fitting.
void CreditCardTest::keysChecksOkCancelAndTheCloseBox() {
    QPixmap tile(8, 8);
    tile.fill(QColor(11, 42, 107));
    frmColors::instance().setTilePicture(tile);
    plans_ = "1  Casual\r\n2  Regular";
    card_->mintPlanNbrLo = 1;
    card_->mintPlanNbrHi = 2;
    ui_->setMousePointer(MousePointer::Hourglass);
    open([&] {
        QCOMPARE(card_->windowTitle(), u"Credit Card Details"_s);
        QCOMPARE(card_->grab().toImage().pixelColor(2, 2), QColor(11, 42, 107));
        QStringList captions;
        for (const QLabel *label : card_->lblPage1) {
            captions << label->text();
            const QRect needed = label->fontMetrics().boundingRect(
                label->contentsRect(), Qt::TextWordWrap | int(label->alignment()), label->text());
            QVERIFY2(label->contentsRect().contains(needed), qPrintable(label->text()));
        }
        for (const QWidget *box : card_->findChildren<QWidget *>()) {
            if (qobject_cast<const QLineEdit *>(box) != nullptr ||
                qobject_cast<const QPlainTextEdit *>(box) != nullptr)
                QVERIFY2(captions.contains(box->accessibleName()), qPrintable(box->objectName()));
        }
        for (const QPushButton *button : {card_->cmdOK, card_->cmdCancel})
            QVERIFY(button->sizeHint().width() <= button->width());

        QCOMPARE(ui_->mousePointer(), MousePointer::Default);
        QCOMPARE(Text(card_->txtNameOnCard) + '|' + Text(card_->txtCardholderAddress) + '|' +
                     Text(card_->txtPlan) + '|' + Text(card_->txtCreditCardNumber) +
                     Text(card_->txtExpiryDate) + Text(card_->txtPlanNbr),
                 "MARY O'BRIEN|" + kAddress + '|' + plans_ + '|');
        const QList<QWidget *> order{card_->txtCreditCardNumber, card_->txtExpiryDate,
                                     card_->txtNameOnCard,       card_->txtCardholderAddress,
                                     card_->txtPlanNbr,          card_->cmdOK,
                                     card_->cmdCancel,           card_->txtPlan};
        QCOMPARE(QApplication::focusWidget(), order[0]);
        for (qsizetype i = 0; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), order[(i + 1) % order.size()]);
        }
        // Ctrl+Enter starts a new line; Enter in the plan list presses nothing.
        card_->txtCardholderAddress->setFocus();
        QTest::keyClick(card_->txtCardholderAddress, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(card_->txtCardholderAddress, Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClicks(card_->txtCardholderAddress, u"AUSTRALIA"_s);
        QCOMPARE(Text(card_->txtCardholderAddress), kAddress + "\r\nAUSTRALIA");
        QTest::keyClick(card_->txtPlan, Qt::Key_Return);
        QVERIFY(card_->isVisible() && ui_->messages.isEmpty());

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
            type(order[i], typed[i].first);
            QCOMPARE(Text(order[i]), typed[i].second);
            QTest::keyClick(order[i], i == 4 ? Qt::Key_Enter : Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), order[i + 1]);
        }
        QVERIFY(card_->isVisible() && ui_->messages.isEmpty());
        QTest::keyClick(card_->cmdOK, Qt::Key_Return);
        QCOMPARE(ui_->messages.size(), 1);
        const ScriptedUi::Message &shown = ui_->messages[0];
        QCOMPARE(shown.title + '|' + shown.text,
                 "Kestrune Registration|Please enter a valid 4 digit Credit Card Expiry Date.");
        QVERIFY(shown.icon == MsgIcon::Exclamation && shown.buttons == MsgButtons::Ok);
        QCOMPARE(QApplication::focusWidget(), card_->txtExpiryDate);
        QCOMPARE(Selected(card_->txtExpiryDate), "0525");
        QVERIFY(card_->isVisible());
        QTest::keyClicks(card_->txtExpiryDate, u"0626"_s);
        QTest::keyClick(card_->cmdOK, Qt::Key_Return);
    });
    QCOMPARE(Joined(accepted_.value_or(CardDetails())),
             "4111111111111111|0626|MARY O'BRIEN-\xe9XYZABC| 1 Main st, #2 |02");
    // Closed: the entries are gone from the window, the bounds stay.
    QVERIFY(!card_->isVisible());
    QCOMPARE(Text(card_->txtCreditCardNumber) + Text(card_->txtNameOnCard), QByteArray());
    QVERIFY(!card_->txtCreditCardNumber->isUndoAvailable());

    wizard_->move(150, 180);
    entries_.txtFirstName = "Maria";
    kept_.txtCardholderAddress = "PO Box 9";
    open([&] {
        QCOMPARE(card_->pos(), QPoint(183, 147));
        QCOMPARE(QApplication::focusWidget(), card_->txtCreditCardNumber);
        QCOMPARE(Selected(card_->txtCreditCardNumber) + '|' + Text(card_->txtNameOnCard) + '|' +
                     Text(card_->txtCardholderAddress) + '|' + Text(card_->txtExpiryDate) +
                     Text(card_->txtPlanNbr),
                 "4111111111111111|MARIA O'BRIEN|PO Box 9|062602");
        QTest::keyClicks(card_->txtCreditCardNumber, u"5500000000000004"_s);
        card_->cmdOK->setFocus();
        QTest::keyClick(card_->cmdOK, Qt::Key_Return);
    });
    const QByteArray accepted = "5500000000000004|0626|MARIA O'BRIEN|PO Box 9|02";
    QCOMPARE(Joined(kept_), accepted);
    for (const bool closeBox : {false, true}) {
        open([&] {
            type(card_->txtCreditCardNumber, u"4929000011112222"_s);
            if (closeBox)
                card_->close();
            else
                QTest::keyClick(card_->cmdCancel, Qt::Key_Return);
            QVERIFY(!card_->isVisible());
        });
        QVERIFY(!accepted_);
        QCOMPARE(Joined(kept_), accepted);
        QCOMPARE(Text(card_->txtCreditCardNumber), QByteArray());
    }
    QCOMPARE(ui_->messages.size(), 1); // the refused expiry's
}

QTEST_MAIN(CreditCardTest)
#include "test_frmCreditCard.moc"
