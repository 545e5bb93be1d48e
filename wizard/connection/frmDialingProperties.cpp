#include "frmDialingProperties.h"

#include "code_page.h"
#include "control_events.h"
#include "controls.h"
#include "entry_boxes.h"
#include "entry_routines.h"
#include "fonts.h"
#include "frmColors.h"
#include "hayes_results.h"
#include "titles.h"
#include "twips.h"
#include "ui.h"
#include "window_placement.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

const QByteArray kNewLocation = QByteArrayLiteral("New Location");
const QByteArray kOneLocationAtLeast =
    QByteArrayLiteral("There must be at least one dialing location.");
const QByteArray kNoMoreLocations =
    "No more than " + QByteArray::number(kMostLocations) + " dialing locations can be kept.";
const QByteArray kLocationsNotSaved =
    QByteArrayLiteral("The dialing locations could not be written. Please check that your "
                      "settings folder can be written to, and try again.");

QLabel *caption(QWidget *parent, const char *text, const QRect &place) {
    return CaptionLabel(parent, text, place, Arial(8.25, false), Qt::black,
                        Qt::AlignLeft | Qt::AlignVCenter);
}

QRadioButton *option(QWidget *parent, const char *name, const char *text, const char *tooltip,
                     const QRect &place) {
    auto *button = new QRadioButton(QString::fromLatin1(text), parent);
    button->setObjectName(QLatin1String(name));
    button->setFont(Arial(8.25, false));
    button->setGeometry(place);
    Describe(button, tooltip);
    button->setAccessibleName(button->text().remove(QLatin1Char('&')));
    return button;
}

bool IsDialKey(std::int16_t KeyAscii) {
    return KeyAscii == kKeyBackspace || (KeyAscii > 0 && KeyAscii < 128 &&
                                         IsDialText(QByteArray(1, static_cast<char>(KeyAscii))));
}

} // namespace

frmDialingProperties::frmDialingProperties() {
    CreateControls();
    connect(cboLocation, &QComboBox::activated, this, &frmDialingProperties::cboLocation_Click);
    connect(cmdNew, &QPushButton::clicked, this, &frmDialingProperties::cmdNew_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &frmDialingProperties::cmdRemove_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmDialingProperties::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmDialingProperties::cmdCancel_Click);
    OnGotFocus(txtName, [this] { txtName_GotFocus(); });
    OnGotFocus(txtPrefix, [this] { txtPrefix_GotFocus(); });
    OnKeyPress(txtName, [this](std::int16_t &KeyAscii) { txtName_KeyPress(KeyAscii); });
    OnKeyPress(txtPrefix, [this](std::int16_t &KeyAscii) { txtPrefix_KeyPress(KeyAscii); });
    Form_Load();
}

void frmDialingProperties::CreateControls() {
    setObjectName(QStringLiteral("frmDialingProperties"));
    setWindowTitle(QStringLiteral("Dialing Properties"));
    setFixedSize(Px(6360), Px(2700));
    lblLocation = caption(this, "I am &dialing from:", TwipsRect(120, 150, 1800, 330));
    cboLocation = new QComboBox(this);
    cboLocation->setObjectName(QStringLiteral("cboLocation"));
    cboLocation->setFont(Arial(8.25, false));
    cboLocation->setGeometry(TwipsRect(1980, 150, 2340, 330));
    Describe(cboLocation, "The location you are dialing from", lblLocation);
    cmdNew = CommandButton(this, "cmdNew", "&New", "Add a dialing location",
                           TwipsRect(4440, 120, 840, 390));
    cmdRemove = CommandButton(this, "cmdRemove", "&Remove", "Remove this dialing location",
                              TwipsRect(5370, 120, 870, 390));

    lblName = caption(this, "Location na&me:", TwipsRect(120, 690, 1800, 330));
    txtName = NewEntryBox(this, "txtName", kLongestLocationName, TwipsRect(1980, 690, 4260, 330),
                          "The name of this dialing location", lblName);
    lblPrefix = caption(this, "&Outside line prefix:", TwipsRect(120, 1140, 1800, 330));
    txtPrefix = NewEntryBox(
        this, "txtPrefix", kLongestOutsideLine, TwipsRect(1980, 1140, 1260, 330),
        "What is dialed for an outside line here, such as 0, (a comma pauses)", lblPrefix);
    caption(this, "Dial using:", TwipsRect(120, 1590, 1800, 330));
    optTone = option(this, "optTone", "&Tone dialing", "Dial with tones",
                     TwipsRect(1980, 1590, 1830, 330));
    optPulse = option(this, "optPulse", "&Pulse dialing", "Dial with pulses",
                      TwipsRect(3900, 1590, 1830, 330));

    cmdOK = CommandButton(this, "cmdOK", "OK", "Keep these dialing locations",
                          TwipsRect(3780, 2160, 1170, 390));
    cmdCancel =
        CommandButton(this, "cmdCancel", "Cancel", "Leave the dialing locations as they were",
                      TwipsRect(5070, 2160, 1170, 390));
    for (QPushButton *button : {cmdNew, cmdRemove, cmdOK, cmdCancel})
        button->setFont(Arial(8.25, false));
    // Enter on the list or an option keeps the locations rather than adding one.
    cmdOK->setDefault(true);

    SetTabOrder(
        {cboLocation, cmdNew, cmdRemove, txtName, txtPrefix, optTone, optPulse, cmdOK, cmdCancel});
}

void frmDialingProperties::Form_Load() {
    setWindowIcon(frmColors::instance().windowIcon());
    CentreOnScreen(*this);
    locations_ = ReadLocations();
    shown_ = locations_.current;
    FillList();
    Show(shown_);
    cboLocation->setFocus();
}

void frmDialingProperties::cboLocation_Click() {
    KeepShown();
    Show(cboLocation->currentIndex());
}

void frmDialingProperties::cmdNew_Click() {
    KeepShown();
    if (locations_.list.size() >= kMostLocations) {
        ui().msgBox(kNoMoreLocations, MsgButtons::Ok, MsgIcon::Exclamation, kRegistrationTitle);
        return;
    }
    locations_.list.append({kNewLocation, {}, false});
    shown_ = static_cast<int>(locations_.list.size() - 1);
    FillList();
    Show(shown_);
    txtName->setFocus();
}

void frmDialingProperties::cmdRemove_Click() {
    if (locations_.list.size() <= 1) {
        ui().msgBox(kOneLocationAtLeast, MsgButtons::Ok, MsgIcon::Exclamation, kRegistrationTitle);
        return;
    }
    locations_.list.removeAt(shown_);
    shown_ = std::min(shown_, static_cast<int>(locations_.list.size() - 1));
    FillList();
    Show(shown_);
    cboLocation->setFocus();
}

void frmDialingProperties::txtName_GotFocus() {
    SelectAllText(txtName);
}

void frmDialingProperties::txtPrefix_GotFocus() {
    SelectAllText(txtPrefix);
}

void frmDialingProperties::txtName_KeyPress(std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

// Only what a modem can dial gets into the prefix.
void frmDialingProperties::txtPrefix_KeyPress(std::int16_t &KeyAscii) {
    if (!EnterMovesOn(KeyAscii) && !IsDialKey(KeyAscii))
        KeyAscii = 0;
}

void frmDialingProperties::cmdOK_Click() {
    KeepShown();
    for (int index = 0; index < locations_.list.size(); ++index) {
        const DiallingLocation &location = locations_.list[index];
        const QByteArray problem = LocationProblem(location);
        if (problem.isEmpty())
            continue;
        Show(index);
        QLineEdit *box =
            LocationProblem({location.name, {}, false}).isEmpty() ? txtPrefix : txtName;
        box->setFocus();
        SelectAllText(box);
        ui().msgBox(problem, MsgButtons::Ok, MsgIcon::Exclamation, kRegistrationTitle);
        return;
    }
    locations_.current = shown_;
    if (!SaveLocations(locations_)) {
        ui().msgBox(kLocationsNotSaved, MsgButtons::Ok, MsgIcon::Exclamation, kRegistrationTitle);
        return;
    }
    accept();
}

void frmDialingProperties::cmdCancel_Click() {
    reject();
}

void frmDialingProperties::KeepShown() {
    if (shown_ < 0 || shown_ >= locations_.list.size())
        return;
    DiallingLocation &location = locations_.list[shown_];
    location.name = BoxText(txtName);
    location.outsideLine = BoxText(txtPrefix);
    location.pulse = optPulse->isChecked();
    cboLocation->setItemText(shown_, FromCodePage(location.name));
}

void frmDialingProperties::Show(int index) {
    if (index < 0 || index >= locations_.list.size())
        return;
    shown_ = index;
    const DiallingLocation &location = locations_.list[index];
    SetBoxText(txtName, location.name);
    SetBoxText(txtPrefix, location.outsideLine);
    (location.pulse ? optPulse : optTone)->setChecked(true);
    cboLocation->setCurrentIndex(index);
}

void frmDialingProperties::FillList() {
    QList<QByteArray> names;
    for (const DiallingLocation &location : locations_.list)
        names.append(location.name);
    SetListItems(cboLocation, names);
}
