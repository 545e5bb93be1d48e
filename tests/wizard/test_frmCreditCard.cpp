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
#include <QDirIterator>
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

void SetText(QWidget *box, const QByteArray &text) {
    if (auto *line = qobject_cast<QLineEdit *>(box))
        SetBoxText(line, text);
    else
        SetBoxText(qobject_cast<QPlainTextEdit *>(box), text);
}

QByteArray Selected(const QWidget *box) {
    return qobject_cast<const QLineEdit *>(box)->selectedText().toLatin1();
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
    void validateForm_data();
    void validateForm();
    void keyFiltersAndLimits();
    void keysOkCancelAndTheCloseBox();

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

void CreditCardTest::validateForm_data() {
    QTest::addColumn<int>("box"); // 0 number, 1 expiry, 2 name, 3 address, 4 plan number
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<QByteArray>("message");
    // Plans 3 to 7 offered; one box differs from a good card. (The rules
    // themselves: the entry rules' test.)
    const auto row = [](const char *name, int box, const char *entry, const char *message = "") {
        QTest::newRow(name) << box << QByteArray(entry) << QByteArray(message);
    };
    row("expiry refused", 1, "0525", "Please enter a valid 4 digit Credit Card Expiry Date.");
    row("plan above", 4, "8", "The Plan Number must be in the range of plan numbers listed.");
    row("plan at the high bound", 4, "07");
}

// Each rule gives the focus to its box and selects its text before its
// message; all passing hands the entries over untrimmed.
void CreditCardTest::validateForm() {
    QFETCH(int, box);
    QFETCH(QByteArray, entry);
    QFETCH(QByteArray, message);
    card_->mintPlanNbrLo = 3;
    card_->mintPlanNbrHi = 7;
    const QList<QWidget *> boxes{card_->txtCreditCardNumber, card_->txtExpiryDate,
                                 card_->txtNameOnCard, card_->txtCardholderAddress,
                                 card_->txtPlanNbr};
    QByteArrayList entries = QByteArray("4111111111111111|0626|M J||5").split('|');
    entries[box] = entry;
    open([&] {
        for (qsizetype i = 0; i < boxes.size(); ++i)
            SetText(boxes[i], entries[i]);
        card_->cmdOK->setFocus();
        QTest::keyClick(card_->cmdOK, Qt::Key_Space);
        if (message.isEmpty())
            return;
        QCOMPARE(ui_->messages.size(), 1);
        const ScriptedUi::Message &shown = ui_->messages[0];
        QCOMPARE(shown.title + '|' + shown.text, "Kestrune Registration|" + message);
        QVERIFY(shown.icon == MsgIcon::Exclamation && shown.buttons == MsgButtons::Ok);
        QCOMPARE(QApplication::focusWidget(), boxes[box]);
        QCOMPARE(Selected(boxes[box]), Text(boxes[box]));
        QVERIFY(card_->isVisible());
    });
    QCOMPARE(ui_->messages.size(), message.isEmpty() ? 0 : 1);
    QCOMPARE(accepted_ ? Joined(*accepted_) : "none",
             message.isEmpty() ? entries.join('|') : "none");
}

// Typed keys as each box keeps them, Backspace and limits included.
void CreditCardTest::keyFiltersAndLimits() {
    const QList<std::tuple<QWidget *, QString, QByteArray>> typed{
        {card_->txtCreditCardNumber,
         u"12a b-34.\x08"
         "5678901234567890"_s,
         "1235678901234567"},
        {card_->txtExpiryDate, u"0a6/2 67"_s, "0626"},
        {card_->txtNameOnCard, u"mary o'brien-\xe9xyzabcdef"_s, "MARY O'BRIEN-\xe9XYZABC"},
        {card_->txtPlanNbr, u"x7y93"_s, "79"},
        {card_->txtCardholderAddress, u"1 Main st, #2"_s, "1 Main st, #2"}};
    open([&] {
        SetBoxText(card_->txtCardholderAddress, "");
        for (const auto &[box, keys, text] : typed) {
            type(box, keys);
            QCOMPARE(Text(box), text);
        }
    });
}

// Tab goes round; Enter moves on from each box, in the address without a
// new line, and from the plan number to OK without pressing it. OK hands
// the entries over as they stand; the next opening shows them again, with
// the name from the wizard and the window placed anew. Cancel and the close
// box leave what OK handed over as it was. The card reaches no file. The
// background tiled, every entry named by its caption, every text fitting.
void CreditCardTest::keysOkCancelAndTheCloseBox() {
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

        const QStringList keys{u"4111111111111111"_s, u"0626"_s, {}, u"  "_s, u"2"_s};
        order[0]->setFocus();
        for (qsizetype i = 0; i < keys.size(); ++i) {
            QTest::keyClicks(order[i], keys[i]);
            QTest::keyClick(order[i], i == 4 ? Qt::Key_Enter : Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), order[i + 1]);
        }
        QVERIFY(card_->isVisible() && ui_->messages.isEmpty());
        QTest::keyClick(card_->cmdOK, Qt::Key_Return);
    });
    QCOMPARE(Joined(accepted_.value_or(CardDetails())), "4111111111111111|0626|MARY O'BRIEN|  |2");
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
                 "4111111111111111|MARIA O'BRIEN|PO Box 9|06262");
        QTest::keyClicks(card_->txtCreditCardNumber, u"5500000000000004"_s);
        card_->cmdOK->setFocus();
        QTest::keyClick(card_->cmdOK, Qt::Key_Return);
    });
    const QByteArray accepted = "5500000000000004|0626|MARIA O'BRIEN|PO Box 9|2";
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
    QVERIFY(ui_->messages.isEmpty());
    QDirIterator files(folder_->root(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
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
