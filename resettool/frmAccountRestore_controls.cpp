// The window's controls: captions, tooltips, colours, fonts, limits and
// places. Positions and sizes are designed in twips.

#include "builtin_logo.h"
#include "controls.h"
#include "entry_boxes.h"
#include "fonts.h"
#include "frmAccountRestore.h"
#include "frmColors.h"
#include "twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int kUserNameLength = 16;
constexpr int kPasswordLength = 20;

QColor darkBlue() {
    return {0, 0, 128};
}

QLabel *label(QWidget *parent, const char *text, const QFont &font, const QRect &place,
              Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
    return CaptionLabel(parent, text, place, font, kLightBlue, alignment);
}

QLabel *paragraph(QWidget *parent, const char *text, const QRect &place) {
    return ParagraphLabel(parent, text, place, Arial(8.25, false), kLightBlue);
}

QLabel *currentValue(QWidget *parent, const char *name, const char *tooltip, const QRect &place) {
    QLabel *value = label(parent, "", Arial(8.25, true), place);
    value->setObjectName(QLatin1String(name));
    Describe(value, tooltip);
    value->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    value->setIndent(Px(60));
    return value;
}

} // namespace

void frmAccountRestore::CreateControls() {
    setObjectName(QStringLiteral("frmAccountRestore"));
    setWindowTitle(QStringLiteral("Kestrune Account Restore"));
    setWindowIcon(frmColors::instance().windowIcon());
    setFixedSize(Px(9600), Px(4770));
    SetColour(this, QPalette::Window, Qt::black);
    setAutoFillBackground(true);

    imgKestrune = new QLabel(this);
    imgKestrune->setObjectName(QStringLiteral("imgKestrune"));
    imgKestrune->setPixmap(BuiltInLogo());
    imgKestrune->setGeometry(TwipsRect(180, 180, 2745, 2700));
    Label1 = CaptionLabel(this, "Kestrune", TwipsRect(0, 2940, 3105, 660), Arial(26.25, true),
                          Qt::white, Qt::AlignCenter);
    Label2 = CaptionLabel(this, "The games network", TwipsRect(0, 3630, 3105, 330), Arial(12, true),
                          kLightBlue, Qt::AlignCenter);

    picPage = new QWidget(this);
    picPage->setObjectName(QStringLiteral("picPage"));
    SetColour(picPage, QPalette::Window, darkBlue());
    picPage->setAutoFillBackground(true);
    picPage->setGeometry(TwipsRect(3240, 180, 6180, 3840));

    const QFont captionFont = Arial(8.25, false);
    const QFont headingFont = Arial(9, true);
    lblPage0[0] = paragraph(picPage,
                            "The fields below show the current registry settings for your "
                            "Kestrune Account.",
                            TwipsRect(150, 120, 5880, 450));
    lblPage0[5] = label(picPage, "Current Details:", headingFont, TwipsRect(150, 630, 5880, 270));
    lblPage0[3] = label(picPage, "User Name:", captionFont, TwipsRect(390, 945, 1260, 330));
    lblUserName = currentValue(picPage, "lblUserName", "The existing Kestrune system User Name",
                               TwipsRect(1710, 945, 3300, 330));
    lblPage0[4] = label(picPage, "Password:", captionFont, TwipsRect(390, 1365, 1260, 330));
    lblPassword = currentValue(picPage, "lblPassword", "The existing Kestrune system Password",
                               TwipsRect(1710, 1365, 3300, 330));

    lblPage0[6] = label(picPage, "New Details:", headingFont, TwipsRect(150, 1860, 5880, 270));
    lblPage0[7] = paragraph(picPage,
                            "Enter the new values to be store in the registry for your Kestrune "
                            "Account. You should ONLY enter new values under instructions from "
                            "a Kestrune support consultant:",
                            TwipsRect(150, 2160, 5880, 690));
    lblPage0[1] = label(picPage, "User Name:", captionFont, TwipsRect(390, 2925, 1260, 330));
    txtUserName =
        NewEntryBox(picPage, "txtUserName", kUserNameLength, TwipsRect(1710, 2925, 3300, 330),
                    "The new Kestrune system User Name.", lblPage0[1]);
    lblPage0[2] = label(picPage, "Password:", captionFont, TwipsRect(390, 3345, 1260, 330));
    txtPassword =
        NewEntryBox(picPage, "txtPassword", kPasswordLength, TwipsRect(1710, 3345, 3300, 330),
                    "The new Kestrune system Password.", lblPage0[2]);

    cmdUpdate = CommandButton(this, "cmdUpdate", "&Update", "Update the Kestrune registry settings",
                              TwipsRect(6480, 4170, 1350, 420));
    cmdCancel = CommandButton(this, "cmdCancel", "&Cancel", "Cancel the Kestrune account restore",
                              TwipsRect(8070, 4170, 1350, 420));

    SetTabOrder({txtUserName, txtPassword, cmdUpdate, cmdCancel});
    txtUserName->setFocus();
}
