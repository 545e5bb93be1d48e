// The card window, headless, through real key events, opened the way the
// conversation opens it.
#include "card_request.h"
#include "clock.h"
#include "entry_boxes.h"
#include "expiry_date.h"
#include "frmColors.h"
#include "frmCreditCard.h"
#include "program_folder.h"
#include "scripted_ui.h"

#include <QApplication>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;
using modKestenrol::gCardAccepted;

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

void SetText(QWidget *box, const QByteArray &text) {
    if (auto *line = qobject_cast<QLineEdit *>(box))
        SetBoxText(line, text);
    else
        SetBoxText(qobject_cast<QPlainTextEdit *>(box), text);
}

QByteArray Selected(const QWidget *box) {
    if (const auto *line = qobject_cast<const QLineEdit *>(box))
        return line->selectedText().toLatin1();
    return qobject_cast<const QPlainTextEdit *>(box)->textCursor().selectedText().toLatin1();
}

// The five entries handed over, joined by '|'.
QByteArray Held(const WizardLinkState &held) {
    return held.txtCreditCardNumber + '|' + held.txtExpiryDate + '|' + held.txtNameOnCard + '|' +
           held.txtCardholderAddress + '|' + held.txtPlanNbr;
}

} // namespace

class CreditCardTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init();
    void cleanup() { SetToday({}); }
    void expiryDates_data();
    void expiryDates();
    void validateForm_data();
    void validateForm();
    void keyFiltersAndLimits_data();
    void keyFiltersAndLimits();
    void enterMovesOnAndTabKeepsTheOrder();
    void okHandsOverCancelAndTheCloseBoxDoNot();
    void cardDetailsReachNoFile();
    void namesTextsAndBackground();

  private:
    // Opens the card window as the conversation does; the action runs while
    // it is open and active.
    void open(const std::function<void()> &action) {
        ui_->modalActions = {[action](QDialog &dialog) {
            dialog.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            action();
        }};
        AskForCardDetails(*card_, held_, entries_);
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
    // Fills the boxes as a user would and presses OK with Enter.
    void enterCard(const QString &number, const QString &expiry, const QString &plan) {
        type(card_->txtCreditCardNumber, number);
        type(card_->txtExpiryDate, expiry);
        type(card_->txtPlanNbr, plan);
        QTest::keyClick(card_->txtPlanNbr, Qt::Key_Return);
        QTest::keyClick(card_->cmdOK, Qt::Key_Return);
    }

    std::unique_ptr<ProgramFolder> folder_;
    std::unique_ptr<ScriptedUi> ui_;
    std::unique_ptr<QWidget> wizard_;
    WizardLinkState held_;
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
    held_ = WizardLinkState();
    entries_ = Subscriber();
    card_ = std::make_unique<frmCreditCard>(wizard_.get(), held_);
    gCardAccepted = kFalse;
    SetToday(kToday);
}

void CreditCardTest::expiryDates_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QByteArray>("expiry");
    QTest::addColumn<bool>("valid");
    const QDate august1998(1998, 8, 15);
    const auto row = [](const char *name, const QDate &today, const char *expiry, bool valid) {
        QTest::newRow(name) << today << QByteArray(expiry) << valid;
    };
    row("1998: this month", august1998, "0898", true);
    row("1998: last month", august1998, "0798", false);
    row("1998: month 13", august1998, "1398", false);
    row("1998: 2021 is past 20 years", august1998, "0121", false);
    row("1998: 2020 is past 20 years", august1998, "0120", false);
    row("1998: 2018 within 20 years", august1998, "0818", true);
    row("1998: 1997 expired", august1998, "0197", false);
    row("1998: three characters", august1998, "898", false);
    row("2025: this month", kToday, "0625", true);
    row("2025: last month", kToday, "0525", false);
    row("2025: exactly 20 years", kToday, "0645", true);
    row("2025: a month past 20 years", kToday, "0745", false);
    row("2025: 2075 at the window's end", kToday, "0175", false);
    row("2025: 1976 at the window's start", kToday, "1276", false);
    row("2025: not digits", kToday, "06a6", false);
    row("2099: next century", QDate(2099, 12, 1), "0100", true);
    row("2099: 99 is this year", QDate(2099, 12, 1), "1299", true);
}

void CreditCardTest::expiryDates() {
    QFETCH(QDate, today);
    QFETCH(QByteArray, expiry);
    QFETCH(bool, valid);
    QCOMPARE(ExpiryDateAcceptable(expiry, today), valid);
}

void CreditCardTest::validateForm_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<int>("hi");
    QTest::addColumn<QByteArray>("message");
    // Plans 3 to 7 offered, or none (hi 0); one box differs from a good card.
    const auto row = [](const char *name, const char *box, const char *entry,
                        const char *message = "", int hi = 7) {
        QTest::newRow(name) << QString::fromLatin1(box) << QByteArray(entry) << hi
                            << QByteArray(message);
    };
    const char *const number = "txtCreditCardNumber";
    const char *const expiry = "txtExpiryDate";
    const char *const plan = "txtPlanNbr";
    row("no card number", number, "  ", "Please enter a Credit Card Number.");
    row("15 digits", number, "411111111111111", "The Credit Card Number must be 16 digits long.");
    row("16 with a blank", number, "4111 11111111111",
        "The Credit Card Number must be 16 digits long.");
    row("no expiry", expiry, " ", "Please enter the 4 digit Credit Card Expiry Date.");
    row("three-character expiry", expiry, "626",
        "Please enter a valid 4 digit Credit Card Expiry Date.");
    row("expired last month", expiry, "0525",
        "Please enter a valid 4 digit Credit Card Expiry Date.");
    row("no name", "txtNameOnCard", "  ", "Please enter the name that appears on the Credit Card.");
    row("no plan", plan, "", "Please enter the Plan Number.");
    row("plan not a number", plan, "x1",
        "This is not a valid Plan Number - please re-enter the number.");
    row("plan below", plan, "2", "The Plan Number must be in the range of plan numbers listed.");
    row("plan above", plan, "8", "The Plan Number must be in the range of plan numbers listed.");
    row("no plans received, plan 1", plan, "1",
        "The Plan Number must be in the range of plan numbers listed.", 0);
    row("plan at the low bound", plan, "3");
    row("plan at the high bound", plan, "07");
    row("no plans received, plan 00", plan, "00", "", 0);
    row("expiring this month", expiry, "0625");
}

// Each rule gives the focus to its box and selects its text before its
// message; all passing hands the entries over untrimmed.
void CreditCardTest::validateForm() {
    QFETCH(QString, box);
    QFETCH(QByteArray, entry);
    QFETCH(int, hi);
    QFETCH(QByteArray, message);
    card_->mintPlanNbrLo = static_cast<std::int16_t>(hi == 0 ? 0 : 3);
    card_->mintPlanNbrHi = static_cast<std::int16_t>(hi);
    const QStringList boxes{u"txtCreditCardNumber"_s, u"txtExpiryDate"_s, u"txtNameOnCard"_s,
                            u"txtCardholderAddress"_s, u"txtPlanNbr"_s};
    QByteArrayList entries = QByteArray("4111111111111111|0626|M J||5").split('|');
    entries[boxes.indexOf(box)] = entry;
    open([&] {
        for (qsizetype i = 0; i < boxes.size(); ++i)
            SetText(card_->findChild<QWidget *>(boxes[i]), entries[i]);
        card_->cmdOK->setFocus();
        QTest::keyClick(card_->cmdOK, Qt::Key_Space);
        if (message.isEmpty())
            return;
        QCOMPARE(ui_->messages.size(), 1);
        QCOMPARE(ui_->messages[0].text, message);
        QCOMPARE(ui_->messages[0].icon, MsgIcon::Exclamation);
        QCOMPARE(ui_->messages[0].buttons, MsgButtons::Ok);
        QCOMPARE(ui_->messages[0].title, "Kestrune Registration");
        QWidget *focused = QApplication::focusWidget();
        QCOMPARE(focused->objectName(), box);
        QCOMPARE(Selected(focused), Text(focused));
        QVERIFY(card_->isVisible());
    });
    QCOMPARE(gCardAccepted, message.isEmpty() ? kTrue : kFalse);
    QCOMPARE(ui_->messages.size(), message.isEmpty() ? 0 : 1);
    QCOMPARE(Held(held_), message.isEmpty() ? entries.join('|') : "||||");
}

void CreditCardTest::keyFiltersAndLimits_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QByteArray>("text");
    const auto row = [](const char *name, const char *box, const QString &keys, const char *text) {
        QTest::newRow(name) << QString::fromLatin1(box) << keys << QByteArray(text);
    };
    row("card number digits", "txtCreditCardNumber", u"12a b-34.\x08"_s, "123");
    row("card number 16 at most", "txtCreditCardNumber", u"12345678901234567"_s,
        "1234567890123456");
    row("expiry digits, 4 at most", "txtExpiryDate", u"0a6/2 67"_s, "0626");
    row("name in capitals", "txtNameOnCard", u"mary o'brien-\xe9"_s, "MARY O'BRIEN-\xe9");
    row("name 20 at most", "txtNameOnCard", u"abcdefghijklmnopqrstuv"_s, "ABCDEFGHIJKLMNOPQRST");
    row("plan digits, 2 at most", "txtPlanNbr", u"x7y93"_s, "79");
    row("address as typed", "txtCardholderAddress", u"1 Main st, #2"_s, "1 Main st, #2");
}

void CreditCardTest::keyFiltersAndLimits() {
    QFETCH(QString, box);
    QFETCH(QString, keys);
    QFETCH(QByteArray, text);
    open([&] {
        auto *target = card_->findChild<QWidget *>(box);
        SetBoxText(card_->txtCardholderAddress, "");
        type(target, keys);
        QCOMPARE(Text(target), text);
    });
}

void CreditCardTest::enterMovesOnAndTabKeepsTheOrder() {
    open([&] {
        const QList<QWidget *> order{card_->txtCreditCardNumber, card_->txtExpiryDate,
                                     card_->txtNameOnCard,       card_->txtCardholderAddress,
                                     card_->txtPlanNbr,          card_->cmdOK,
                                     card_->cmdCancel,           card_->txtPlan};
        // Enter moves on from each box; in the address it starts no new line,
        // and in the plan number it goes to OK without pressing it.
        QCOMPARE(QApplication::focusWidget(), order[0]);
        for (qsizetype i = 0; i < 5; ++i) {
            QTest::keyClick(order[i], i == 4 ? Qt::Key_Enter : Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), order[i + 1]);
        }
        QCOMPARE(Text(card_->txtCardholderAddress), kAddress);
        // Ctrl+Enter does start a new line.
        card_->txtCardholderAddress->setFocus();
        QTest::keyClick(card_->txtCardholderAddress, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(card_->txtCardholderAddress, Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClicks(card_->txtCardholderAddress, u"AUSTRALIA"_s);
        QCOMPARE(Text(card_->txtCardholderAddress), kAddress + "\r\nAUSTRALIA");
        card_->txtPlan->setFocus();
        QTest::keyClick(card_->txtPlan, Qt::Key_Return);
        QVERIFY(card_->isVisible() && ui_->messages.isEmpty());

        order[0]->setFocus();
        for (qsizetype i = 0; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), order[(i + 1) % order.size()]);
        }
    });
}

// OK hands the five entries over as they stand; the next opening shows them
// again, with the name from the wizard and the window placed anew. Cancel
// and the close box leave what OK handed over as it was.
void CreditCardTest::okHandsOverCancelAndTheCloseBoxDoNot() {
    held_.txtPlanDetails = "1  Casual\r\n2  Regular";
    card_->mintPlanNbrLo = 1;
    card_->mintPlanNbrHi = 2;
    ui_->setMousePointer(MousePointer::Hourglass);
    open([&] {
        QCOMPARE(ui_->mousePointer(), MousePointer::Default);
        QCOMPARE(card_->pos(), wizard_->pos() + QPoint(33, -33));
        QCOMPARE(Text(card_->txtNameOnCard), QByteArray("MARY O'BRIEN"));
        QCOMPARE(Text(card_->txtCardholderAddress), kAddress);
        QCOMPARE(Text(card_->txtPlan), held_.txtPlanDetails);
        QCOMPARE(Text(card_->txtCreditCardNumber) + Text(card_->txtExpiryDate) +
                     Text(card_->txtPlanNbr),
                 QByteArray());
        type(card_->txtCardholderAddress, u"  "_s);
        enterCard(u"4111111111111111"_s, u"0626"_s, u"2"_s);
    });
    QVERIFY(ui_->messages.isEmpty());
    QCOMPARE(gCardAccepted, kTrue);
    QCOMPARE(Held(held_), "4111111111111111|0626|MARY O'BRIEN|  |2");
    // Closed: the entries are gone from the window, the bounds stay.
    QVERIFY(!card_->isVisible());
    QCOMPARE(Text(card_->txtCreditCardNumber) + Text(card_->txtNameOnCard), QByteArray());
    QVERIFY(!card_->txtCreditCardNumber->isUndoAvailable());
    QCOMPARE(card_->mintPlanNbrHi, 2);

    wizard_->move(150, 180);
    entries_.txtFirstName = "Maria";
    held_.txtCardholderAddress = "PO Box 9";
    open([&] {
        QCOMPARE(card_->pos(), QPoint(183, 147));
        QCOMPARE(QApplication::focusWidget(), card_->txtCreditCardNumber);
        QCOMPARE(Selected(card_->txtCreditCardNumber), QByteArray("4111111111111111"));
        QCOMPARE(Text(card_->txtNameOnCard), QByteArray("MARIA O'BRIEN"));
        QCOMPARE(Text(card_->txtCardholderAddress), QByteArray("PO Box 9"));
        QCOMPARE(Text(card_->txtExpiryDate) + Text(card_->txtPlanNbr), QByteArray("06262"));
        QTest::keyClicks(card_->txtCreditCardNumber, u"5500000000000004"_s);
        card_->cmdOK->setFocus();
        QTest::keyClick(card_->cmdOK, Qt::Key_Return);
    });
    const QByteArray accepted = "5500000000000004|0626|MARIA O'BRIEN|PO Box 9|2";
    QCOMPARE(Held(held_), accepted);
    for (const bool closeBox : {false, true}) {
        open([&] {
            type(card_->txtCreditCardNumber, u"4929000011112222"_s);
            if (closeBox)
                card_->close();
            else
                QTest::keyClick(card_->cmdCancel, Qt::Key_Return);
            QVERIFY(!card_->isVisible());
        });
        QCOMPARE(gCardAccepted, kFalse);
        QCOMPARE(Held(held_), accepted);
        QCOMPARE(Text(card_->txtCreditCardNumber), QByteArray());
    }
    QCOMPARE(card_->mintPlanNbrLo, 1);
    QVERIFY(ui_->messages.isEmpty());
}

// The card lives in memory for the call only: no store, settings or other
// file of the machine sees it.
void CreditCardTest::cardDetailsReachNoFile() {
    card_->mintPlanNbrHi = 9;
    entries_.txtSurname = "Zyxwright";
    open([&] { enterCard(u"4929000011112222"_s, u"0927"_s, u"4"_s); });
    QCOMPARE(gCardAccepted, kTrue);
    QDirIterator files(folder_->root(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY2(!bytes.contains("4929000011112222") && !bytes.contains("ZYXWRIGHT"),
                 qPrintable(file.fileName()));
    }
}

void CreditCardTest::namesTextsAndBackground() {
    QPixmap tile(8, 8);
    tile.fill(QColor(11, 42, 107));
    frmColors::instance().setTilePicture(tile);
    open([&] {
        QCOMPARE(card_->windowTitle(), u"Credit Card Details"_s);
        QCOMPARE(card_->minimumSize(), card_->maximumSize());
        QCOMPARE(card_->grab().toImage().pixelColor(2, 2), QColor(11, 42, 107));
        const QList<std::pair<QWidget *, QString>> named{
            {card_->txtCreditCardNumber, u"Credit Card Number:"_s},
            {card_->txtExpiryDate, u"Expiry Date (eg. 0898):"_s},
            {card_->txtNameOnCard, u"Name on Card:"_s},
            {card_->txtCardholderAddress, u"Cardholder Address:"_s},
            {card_->txtPlan, u"Plan Details:"_s},
            {card_->txtPlanNbr, u"I subscribe to Payment Plan number:"_s},
            {card_->cmdOK, u"OK"_s},
            {card_->cmdCancel, u"Cancel"_s}};
        for (const auto &[control, name] : named) {
            QCOMPARE(control->accessibleName().isEmpty() ? control->property("text").toString()
                                                         : control->accessibleName(),
                     name);
        }
        QCOMPARE(card_->txtCardholderAddress->toolTip(),
                 u"The Address of the Credit Card holder"_s);
        QCOMPARE(card_->cmdOK->toolTip(), u"Accept Credit Card details"_s);
        // Every caption fits its place.
        for (const QLabel *label : card_->lblPage1) {
            const QRect needed = label->fontMetrics().boundingRect(
                label->contentsRect(), Qt::TextWordWrap | int(label->alignment()), label->text());
            QVERIFY2(label->contentsRect().contains(needed), qPrintable(label->text()));
        }
        for (const QPushButton *button : {card_->cmdOK, card_->cmdCancel})
            QVERIFY(button->sizeHint().width() <= button->width());
    });
}

QTEST_MAIN(CreditCardTest)
#include "tst_frmCreditCard.moc"
