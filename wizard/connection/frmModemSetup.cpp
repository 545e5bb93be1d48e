#include "frmModemSetup.h"

#include "code_page.h"
#include "control_events.h"
#include "controls.h"
#include "entry_boxes.h"
#include "entry_routines.h"
#include "fonts.h"
#include "frmColors.h"
#include "modem_probe.h"
#include "telephony.h"
#include "text.h"
#include "titles.h"
#include "twips.h"
#include "ui.h"
#include "window_placement.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
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
const QByteArray kNoPorts = QByteArrayLiteral("No serial port was found.");
const QByteArray kNoModem = QByteArrayLiteral(
    "No modem answered. Please check that it is connected and switched on, and try again.");
const QByteArray kDetectStopped = QByteArrayLiteral("Detect stopped.");

// The device a list entry stands for.
constexpr int kDeviceRole = Qt::UserRole;

QByteArray FoundModems(qsizetype found) {
    return found == 1 ? QByteArray("Found 1 modem: pick it and press Enter.")
                      : "Found " + QByteArray::number(found) + " modems: pick one and press Enter.";
}

} // namespace

frmModemSetup::frmModemSetup(Telephony &ctlTAPI) : ctlTAPI_(ctlTAPI) {
    CreateControls();
    connect(cmdOK, &QPushButton::clicked, this, &frmModemSetup::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmModemSetup::cmdCancel_Click);
    OnGotFocus(txtDevice, [this] { txtDevice_GotFocus(); });
    OnGotFocus(txtInitString, [this] { txtInitString_GotFocus(); });
    OnKeyPress(txtDevice, [this](std::int16_t &KeyAscii) { txtDevice_KeyPress(KeyAscii); });
    OnKeyPress(txtInitString, [this](std::int16_t &KeyAscii) { txtInitString_KeyPress(KeyAscii); });
    connect(cmdDetect, &QPushButton::clicked, this, &frmModemSetup::cmdDetect_Click);
    connect(lstModems, &QListWidget::itemDoubleClicked, this, &frmModemSetup::lstModems_DblClick);
    OnKeyPress(lstModems, [this](std::int16_t &KeyAscii) { lstModems_KeyPress(KeyAscii); });
    OnKeyPress(txtDetectStatus,
               [this](std::int16_t &KeyAscii) { txtDetectStatus_KeyPress(KeyAscii); });
    connect(ctlProbe, &ModemProbe::Probing, this, &frmModemSetup::ctlProbe_Probing);
    connect(ctlProbe, &ModemProbe::Probed, this, &frmModemSetup::ctlProbe_Probed);
    connect(ctlProbe, &ModemProbe::Finished, this, &frmModemSetup::ctlProbe_Finished);
    Form_Load();
}

void frmModemSetup::CreateControls() {
    setObjectName(QStringLiteral("frmModemSetup"));
    setWindowTitle(QStringLiteral("Modem Setup"));
    setFixedSize(Px(6000), Px(4620));
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
    lblModems = CaptionLabel(this, "&Modems found:", TwipsRect(120, 1530, 3000, 330), font,
                             Qt::black, Qt::AlignLeft | Qt::AlignVCenter);
    cmdDetect = CommandButton(this, "cmdDetect", "D&etect",
                              "Look for a modem on each serial port of this PC",
                              TwipsRect(4710, 1500, 1170, 390));
    lstModems = new QListWidget(this);
    lstModems->setObjectName(QStringLiteral("lstModems"));
    lstModems->setGeometry(TwipsRect(120, 1950, 5760, 870));
    lstModems->setFont(Arial(9, false));
    Describe(lstModems, "The modems that answered: Enter makes the one picked the device",
             lblModems);
    txtDetectStatus = new QPlainTextEdit(this);
    txtDetectStatus->setObjectName(QStringLiteral("txtDetectStatus"));
    txtDetectStatus->setGeometry(TwipsRect(120, 2910, 5760, 1050));
    txtDetectStatus->setFont(font);
    txtDetectStatus->setReadOnly(true);
    txtDetectStatus->setTabChangesFocus(true);
    Describe(txtDetectStatus, "What Detect found on each serial port");
    cmdOK = CommandButton(this, "cmdOK", "OK", "Keep these modem settings",
                          TwipsRect(3420, 4110, 1170, 390));
    cmdCancel = CommandButton(this, "cmdCancel", "Cancel", "Leave the modem settings as they were",
                              TwipsRect(4710, 4110, 1170, 390));
    for (QPushButton *button : {cmdDetect, cmdOK, cmdCancel})
        button->setFont(font);
    cmdOK->setDefault(true);
    ctlProbe = new ModemProbe(this);
    SetTabOrder(
        {txtDevice, txtInitString, cmdDetect, lstModems, txtDetectStatus, cmdOK, cmdCancel});
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

void frmModemSetup::lstModems_KeyPress(std::int16_t &KeyAscii) {
    if (KeyAscii == kKeyEnter) {
        KeyAscii = 0;
        PickModem();
        cmdOK->setFocus();
    }
}

void frmModemSetup::lstModems_DblClick() {
    PickModem();
    cmdOK->setFocus();
}

void frmModemSetup::txtDetectStatus_KeyPress(std::int16_t &KeyAscii) {
    if (KeyAscii == kKeyEnter) {
        KeyAscii = 0;
        cmdOK->setFocus();
    }
}

// A probe already running goes on.
void frmModemSetup::cmdDetect_Click() {
    if (ctlProbe->running())
        return;
    lstModems->clear();
    statusLines_.clear();
    focusAtDetect_ = focusWidget();
    ctlProbe->start();
}

void frmModemSetup::ctlProbe_Probing(const QByteArray &device, int number, int count) {
    ShowStatus("Probing " + device + " (" + QByteArray::number(number) + " of " +
               QByteArray::number(count) + ")...");
}

void frmModemSetup::ctlProbe_Probed(const ProbedPort &port) {
    ShowStatus(port.device + ": " + PortOutcomeText(port) + '.', true);
    if (port.outcome != PortOutcome::Answered)
        return;
    auto *item = new QListWidgetItem(
        FromCodePage(port.text.isEmpty() ? port.device : port.device + ": " + port.text));
    item->setData(kDeviceRole, port.device);
    lstModems->addItem(item);
}

// A user who waited on Detect is taken to what it found; one who went on
// meanwhile is left where they are.
void frmModemSetup::ctlProbe_Finished() {
    const qsizetype found = lstModems->count();
    if (ctlProbe->results().isEmpty())
        ShowStatus(kNoPorts);
    else
        ShowStatus(found == 0 ? kNoModem : FoundModems(found));
    if (found > 0 && focusWidget() == focusAtDetect_) {
        lstModems->setCurrentRow(0);
        lstModems->setFocus();
    }
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

// While Detect runs, Cancel stops it and the window stays.
void frmModemSetup::cmdCancel_Click() {
    if (ctlProbe->running()) {
        ctlProbe->cancel();
        ShowStatus(kDetectStopped);
        return;
    }
    reject();
}

void frmModemSetup::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        ctlProbe->running()) {
        event->accept();
        cmdCancel_Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmModemSetup::done(int result) {
    ctlProbe->cancel();
    QDialog::done(result);
}

void frmModemSetup::PickModem() {
    const QListWidgetItem *item = lstModems->currentItem();
    if (item != nullptr)
        SetBoxText(txtDevice, item->data(kDeviceRole).toByteArray());
}

void frmModemSetup::ShowStatus(const QByteArray &line, bool replaceLast) {
    if (replaceLast && !statusLines_.isEmpty())
        statusLines_.last() = line;
    else
        statusLines_.append(line);
    txtDetectStatus->setPlainText(FromCodePage(statusLines_.join('\n')));
    txtDetectStatus->moveCursor(QTextCursor::End);
    txtDetectStatus->ensureCursorVisible();
}

void frmModemSetup::Refuse(QLineEdit *box, const QByteArray &message) {
    box->setFocus();
    SelectAllText(box);
    ui().msgBox(message, MsgButtons::Ok, MsgIcon::Exclamation, kRegistrationTitle);
}
