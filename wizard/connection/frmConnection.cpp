#include "frmConnection.h"

#include "code_page.h"
#include "control_events.h"
#include "controls.h"
#include "entry_boxes.h"
#include "fonts.h"
#include "frmColors.h"
#include "frmDialingProperties.h"
#include "frmModemSetup.h"
#include "telephony.h"
#include "titles.h"
#include "twips.h"
#include "ui.h"
#include "window_placement.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace {

const QByteArray kLocationNotSaved =
    QByteArrayLiteral("The selected Location could not be made the current one: the settings "
                      "could not be written.");

QColor darkBlue() {
    return {0, 0, 128};
}

QComboBox *pickList(QWidget *parent, const char *name, const char *tooltip, QLabel *caption,
                    const QRect &place) {
    auto *list = new QComboBox(parent);
    list->setObjectName(QLatin1String(name));
    list->setGeometry(place);
    list->setFont(Arial(8.25, false));
    Describe(list, tooltip, caption);
    return list;
}

} // namespace

frmConnection::frmConnection(Telephony &ctlTAPI) : ctlTAPI_(ctlTAPI) {
    CreateControls();
    connect(cmdSetupModem, &QPushButton::clicked, this, &frmConnection::cmdSetupModem_Click);
    connect(cmdSetupLocation, &QPushButton::clicked, this, &frmConnection::cmdSetupLocation_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmConnection::cmdClose_Click);
    connect(cboModem, &QComboBox::activated, this, &frmConnection::cboModem_Click);
    connect(cboLocation, &QComboBox::activated, this, &frmConnection::cboLocation_Click);
    OnActivate(this, [this] { Form_Activate(); });
    Form_Load();
}

void frmConnection::CreateControls() {
    setObjectName(QStringLiteral("frmConnection"));
    setWindowTitle(QStringLiteral("Connection Settings"));
    setFixedSize(Px(6720), Px(2490));
    SetColour(this, QPalette::Window, darkBlue());
    setAutoFillBackground(true);

    const QFont font = Arial(8.25, false);
    Label1[0] = ParagraphLabel(this,
                               "Please enter and/or correct the settings  for connection with "
                               "your modem to the Kestrune Service.",
                               TwipsRect(120, 120, 6480, 510), font, Qt::white);
    Label1[1] = CaptionLabel(this, "Modem:", TwipsRect(120, 810, 960, 330), font, Qt::white,
                             Qt::AlignLeft | Qt::AlignVCenter);
    Label2[1] = CaptionLabel(this, "Location:", TwipsRect(120, 1290, 960, 330), font, Qt::white,
                             Qt::AlignLeft | Qt::AlignVCenter);
    cboModem = pickList(this, "cboModem", "A list of the Modems installed on this PC", Label1[1],
                        TwipsRect(1110, 810, 4260, 330));
    cboLocation = pickList(this, "cboLocation", "A list of dialing locations configured on this PC",
                           Label2[1], TwipsRect(1110, 1290, 4260, 330));
    cmdSetupModem = CommandButton(this, "cmdSetupModem", "Setup", "Installed modem configuration",
                                  TwipsRect(5490, 780, 1110, 390));
    cmdSetupLocation =
        CommandButton(this, "cmdSetupLocation", "Setup", "Dialing location configuraton",
                      TwipsRect(5490, 1260, 1110, 390));
    cmdClose = CommandButton(this, "cmdClose", "&Close", "", TwipsRect(5490, 1890, 1110, 390));
    for (QPushButton *button : {cmdSetupModem, cmdSetupLocation, cmdClose})
        button->setFont(font);
    // The two Setup buttons are told apart by what they set up.
    cmdSetupModem->setAccessibleName(QStringLiteral("Setup modem"));
    cmdSetupLocation->setAccessibleName(QStringLiteral("Setup location"));

    SetTabOrder({cmdSetupLocation, cmdSetupModem, cboModem, cboLocation, cmdClose});
    cmdSetupLocation->setFocus();
}

void frmConnection::Form_Load() {
    setWindowIcon(frmColors::instance().windowIcon());
    CentreOnScreen(*this);
    ctlTAPI_.SetCurrentModem(0);
    FillModems();
    std::int32_t currentLocation = 0;
    const QByteArrayList locations = ctlTAPI_.LocationNames(currentLocation);
    SetListItems(cboLocation, locations, currentLocation);
    ui().doEvents();
}

void frmConnection::Form_Activate() {
    ui().setMousePointer(MousePointer::Default);
}

void frmConnection::cmdSetupModem_Click() {
    frmModemSetup setup(ctlTAPI_);
    ui().showModal(setup);
    FillModems();
}

// The location list stays as it was until the window is opened again.
void frmConnection::cmdSetupLocation_Click() {
    frmDialingProperties properties;
    ui().showModal(properties);
}

void frmConnection::cmdClose_Click() {
    close();
}

void frmConnection::cboModem_Click() {
    ctlTAPI_.SetCurrentModem(cboModem->currentIndex());
}

void frmConnection::cboLocation_Click() {
    if (!ctlTAPI_.SetCurrentLocation(cboLocation->currentIndex()))
        ui().msgBox(kLocationNotSaved, MsgButtons::Ok, MsgIcon::Exclamation, kRegistrationTitle);
}

void frmConnection::FillModems() {
    SetListItems(cboModem, ctlTAPI_.ModemNames(), ctlTAPI_.CurrentModem());
}
