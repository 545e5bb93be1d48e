// The card window's controls: captions, tooltips, colours, fonts, limits
// and places. Positions and sizes are designed in twips.

#include "card_checks.h"
#include "controls.h"
#include "entry_boxes.h"
#include "fonts.h"
#include "frmCreditCard.h"
#include "twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

constexpr int kExpiryDateLength = 4;
constexpr int kNameOnCardLength = 20;
constexpr int kCardholderAddressLength = 128;
constexpr int kPlanNbrLength = 2;

// Seen where the background picture is missing.
const QColor kDarkBlue(0, 0, 128);
const QColor kPlanBlue(0, 0, 160);

constexpr int kCaptionLeft = 240;
constexpr int kCaptionWidth = 2520;
constexpr int kCardBoxLeft = 2880;
constexpr int kRowHeight = 315;

QLabel *caption(QWidget *parent, const char *text, int top, int width = kCaptionWidth) {
    return CaptionLabel(parent, text, TwipsRect(kCaptionLeft, top, width, kRowHeight),
                        Arial(8.25, false), kLightBlue, Qt::AlignLeft | Qt::AlignVCenter);
}

template <typename Box> Box *described(Box *box, const char *tooltip, QLabel *label) {
    box->setFont(Arial(9, false));
    Describe(box, tooltip, label);
    return box;
}

} // namespace

void frmCreditCard::CreateControls() {
    setObjectName(QStringLiteral("frmCreditCard"));
    setWindowTitle(QStringLiteral("Credit Card Details"));
    setFixedSize(Px(7800), Px(6360));
    SetColour(this, QPalette::Window, kDarkBlue);
    setAutoFillBackground(true);

    lblPage1[0] =
        ParagraphLabel(this,
                       "Your credit card will be charged according to the Terms and "
                       "Conditions. We value your support, so we handle credit card "
                       "details confidentially and with care.",
                       TwipsRect(kCaptionLeft, 150, 7320, 630), Arial(8.25, false), kLightBlue);

    lblPage1[1] = caption(this, "Credit Card Number:", 900);
    txtCreditCardNumber = described(NewEntryBox(this, "txtCreditCardNumber", kCardNumberLength,
                                                TwipsRect(kCardBoxLeft, 900, 2760, kRowHeight)),
                                    "The Credit Card Number of the Kestrune user", lblPage1[1]);

    lblPage1[2] = caption(this, "Expiry Date (eg. 0898):", 1320);
    txtExpiryDate = described(NewEntryBox(this, "txtExpiryDate", kExpiryDateLength,
                                          TwipsRect(kCardBoxLeft, 1320, 840, kRowHeight)),
                              "The Credit Card Expiry Date of the Kestrune user", lblPage1[2]);

    lblPage1[3] = caption(this, "Name on Card:", 1740);
    txtNameOnCard = described(NewEntryBox(this, "txtNameOnCard", kNameOnCardLength,
                                          TwipsRect(kCardBoxLeft, 1740, 3600, kRowHeight)),
                              "The Name On the Credit Card of the Kestrune user", lblPage1[3]);

    lblPage1[4] = caption(this, "Cardholder Address:", 2160);
    txtCardholderAddress =
        described(new MultiLineBox(this, "txtCardholderAddress", kCardholderAddressLength,
                                   TwipsRect(kCardBoxLeft, 2160, 4680, 1005)),
                  "The Address of the Credit Card holder", lblPage1[4]);

    lblPage1[5] = caption(this, "Plan Details:", 3300);
    txtPlan = new QPlainTextEdit(this);
    txtPlan->setObjectName(QStringLiteral("txtPlan"));
    txtPlan->setGeometry(TwipsRect(kCaptionLeft, 3630, 7320, 1410));
    txtPlan->setReadOnly(true);
    txtPlan->setTabChangesFocus(true);
    SetColour(txtPlan, QPalette::Base, kPlanBlue);
    SetColour(txtPlan, QPalette::Text, kWhite);
    described(txtPlan, "", lblPage1[5]);

    lblPage1[6] = caption(this, "I subscribe to Payment Plan number:", 5205, 3840);
    txtPlanNbr = described(
        NewEntryBox(this, "txtPlanNbr", kPlanNbrLength, TwipsRect(4200, 5205, 600, kRowHeight)),
        "The Plan Number that you want to use", lblPage1[6]);

    cmdOK = CommandButton(this, "cmdOK", "OK", "Accept Credit Card details",
                          TwipsRect(4920, 5760, 1275, 405));
    cmdCancel = CommandButton(this, "cmdCancel", "Cancel", "Cancel Credit Card details",
                              TwipsRect(6285, 5760, 1275, 405));

    SetTabOrder({txtCreditCardNumber, txtExpiryDate, txtNameOnCard, txtCardholderAddress,
                 txtPlanNbr, cmdOK, cmdCancel, txtPlan});
}
