#include "frmModemSetup.h"

#include "code_page.h"
#include "control_events.h"
#include "controls.h"
#include "entry_boxes.h"
#include "entry_routines.h"
#include "fonts.h"
#include "frmColors.h"
#include "telephony.h"
#include "text.h"
#include "titles.h"
#include "twips.h"
#include "ui.h"
#include "window_placement.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int kLongestDevice = 100;

const QByteArray kEnterDevice =
    QByteArrayLiteral("Please enter the modem's serial device, such as /dev/ttyS0.");
const QByteArray kBadInitString =
    QByteArrayLiteral("The initialisation string may hold at most 60 characters: letters, digits, "
                      "blanks and the signs on the keyboard.");
const QByteArray kModemNotSaved =
    QByteArrayLiteral("The modem settings could not be written. Please check that your settings "
                      "folder can be written to, and try again.");

} // namespace

frmModemSetup::frmModemSetup(Telephony &ctlTAPI) : ctlTAPI_(ctlTAPI) {
    CreateControls();
    connect(cmdOK, &QPushButton::clicked, this, &frmModemSetup::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmModemSetup::cmdCancel_Click);
    OnGotFocus(txtDevice, [this] { txtDevice_GotFocus(); });
    OnGotFocus(txtInitString, [this] { txtInitString_GotFocus(); });
    OnKeyPress(txtDevice, [this](std::int16_t &KeyAscii) { txtDevice_KeyPress(KeyAscii); });
    OnKeyPress(txtInitString, [this](std::int16_t &KeyAscii) { txtInitString_KeyPress(KeyAscii); });
    Form_Load();
}

void frmModemSetup::CreateControls() {
    setObjectName(QStringLiteral("frmModemSetup"));
    setWindowTitle(QStringLiteral("Modem Setup"));
    setFixedSize(Px(6000), Px(2250));
    const QFont font = Arial(8.25, false);
    lblModem = CaptionLabel(this, "", TwipsRect(120, 120, 5760, 330), Arial(8.25, true), Qt::black,
                            Qt::AlignLeft | Qt::AlignVCenter);
    lblModem->setObjectName(QStringLiteral("lblModem"));
    lblDevice = CaptionLabel(this, "&Device:", TwipsRect(120, 600, 1800, 330), font, Qt::black,
                             Qt::AlignLeft | Qt::AlignVCenter);
    txtDevice = NewEntryBox(this, "txtDevice", kLongestDevice, TwipsRect(1980, 600, 3900, 330),
                            "The serial device the modem is connected to", lblDevice);
    lblInitString = CaptionLabel(this, "&Initialisation string:", TwipsRect(120, 1050, 1800, 330),
                                 font, Qt::black, Qt::AlignLeft | Qt::AlignVCenter);
    txtInitString =
        NewEntryBox(this, "txtInitString", kLongestInitString, TwipsRect(1980, 1050, 3900, 330),
                    "The command sent to the modem before it dials", lblInitString);
    cmdOK = CommandButton(this, "cmdOK", "OK", "Keep these modem settings",
                          TwipsRect(3420, 1620, 1170, 390));
    cmdCancel = CommandButton(this, "cmdCancel", "Cancel", "Leave the modem settings as they were",
                              TwipsRect(4710, 1620, 1170, 390));
    cmdOK->setFont(font);
    cmdCancel->setFont(font);
    cmdOK->setDefault(true);
    SetTabOrder({txtDevice, txtInitString, cmdOK, cmdCancel});
}

// Without a current modem the dialog adds one.
void frmModemSetup::Form_Load() {
    setWindowIcon(frmColors::instance().windowIcon());
    CentreOnScreen(*this);
    const QList<ModemEntry> modems = ListModems();
    const std::int32_t current = ctlTAPI_.CurrentModem();
    if (current >= 0 && current < modems.size())
        modem_ = modems[current];
    else
        modem_.initString = kDefaultInitString;
    lblModem->setText(modem_.name.isEmpty()
                          ? QStringLiteral("New modem")
                          : QStringLiteral("Modem: ") + FromCodePage(modem_.name));
    SetBoxText(txtDevice, modem_.device);
    SetBoxText(txtInitString, modem_.initString);
    txtDevice->setFocus();
}

void frmModemSetup::txtDevice_GotFocus() {
    SelectAllText(txtDevice);
}

void frmModemSetup::txtInitString_GotFocus() {
    SelectAllText(txtInitString);
}

void frmModemSetup::txtDevice_KeyPress(std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmModemSetup::txtInitString_KeyPress(std::int16_t &KeyAscii) {
    EnterFocuses(KeyAscii, cmdOK);
}

void frmModemSetup::cmdOK_Click() {
    const QByteArray device = Trim(BoxText(txtDevice));
    const QByteArray initString = Trim(BoxText(txtInitString));
    if (device.isEmpty()) {
        Refuse(txtDevice, kEnterDevice);
        return;
    }
    if (!IsInitString(initString)) {
        Refuse(txtInitString, kBadInitString);
        return;
    }
    const int index = SaveModem(modem_, device, initString);
    if (index < 0) {
        ui().msgBox(kModemNotSaved, MsgButtons::Ok, MsgIcon::Exclamation, kRegistrationTitle);
        return;
    }
    ctlTAPI_.SetCurrentModem(index);
    accept();
}

void frmModemSetup::cmdCancel_Click() {
    reject();
}

void frmModemSetup::Refuse(QLineEdit *box, const QByteArray &message) {
    box->setFocus();
    SelectAllText(box);
    ui().msgBox(message, MsgButtons::Ok, MsgIcon::Exclamation, kRegistrationTitle);
}
