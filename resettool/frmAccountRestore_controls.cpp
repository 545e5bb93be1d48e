// The window's controls: captions, tooltips, colours, fonts, limits and
// places. Positions and sizes are designed in twips.

#include "builtin_logo.h"
#include "fonts.h"
#include "frmAccountRestore.h"
#include "frmColors.h"
#include "twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace {

constexpr int kUserNameLength = 16;
constexpr int kPasswordLength = 20;

QColor lightBlue() {
    return {192, 192, 255};
}
QColor darkBlue() {
    return {0, 0, 128};
}

QRect twips(int left, int top, int width, int height) {
    return {Px(left), Px(top), Px(width), Px(height)};
}

void setColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

// Every text is shown as it is: a stored value is never taken for markup.
QLabel *label(QWidget *parent, const char *text, const QColor &colour, const QFont &font,
              const QRect &place, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
    auto *caption = new QLabel(QString::fromLatin1(text), parent);
    caption->setTextFormat(Qt::PlainText);
    caption->setAlignment(alignment);
    caption->setFont(font);
    setColour(caption, QPalette::WindowText, colour);
    caption->setGeometry(place);
    return caption;
}

QLabel *paragraph(QWidget *parent, const char *text, const QRect &place) {
    QLabel *caption =
        label(parent, text, lightBlue(), Arial(8.25, false), place, Qt::AlignLeft | Qt::AlignTop);
    caption->setWordWrap(true);
    return caption;
}

QLabel *currentValue(QWidget *parent, const char *name, const char *tooltip, const QRect &place) {
    QLabel *value = label(parent, "", lightBlue(), Arial(8.25, true), place);
    value->setObjectName(QLatin1String(name));
    value->setToolTip(QString::fromLatin1(tooltip));
    value->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    value->setIndent(Px(60));
    return value;
}

// The registry keeps single-byte texts: only characters it can hold may be
// typed or pasted.
QLineEdit *entryBox(QWidget *parent, const char *name, const char *tooltip, int maxLength,
                    const QRect &place) {
    auto *box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setToolTip(QString::fromLatin1(tooltip));
    box->setMaxLength(maxLength);
    box->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[\\x{20}-\\x{7E}\\x{A0}-\\x{FF}]*")), box));
    box->setFont(Arial(9, false));
    box->setGeometry(place);
    return box;
}

// Enter on a focused button presses it: Enter in the password box moves to
// Update, and a second Enter presses it.
QPushButton *button(QWidget *parent, const char *name, const char *caption, const char *tooltip,
                    const QRect &place) {
    auto *command = new QPushButton(QString::fromLatin1(caption), parent);
    command->setObjectName(QLatin1String(name));
    command->setToolTip(QString::fromLatin1(tooltip));
    command->setAutoDefault(true);
    command->setGeometry(place);
    return command;
}

} // namespace

void frmAccountRestore::CreateControls() {
    setObjectName(QStringLiteral("frmAccountRestore"));
    setWindowTitle(QStringLiteral("Kestrune Account Restore"));
    setWindowIcon(frmColors::instance().windowIcon());
    setFixedSize(Px(9600), Px(4770));
    setColour(this, QPalette::Window, Qt::black);
    setAutoFillBackground(true);

    imgKestrune = new QLabel(this);
    imgKestrune->setObjectName(QStringLiteral("imgKestrune"));
    imgKestrune->setPixmap(BuiltInLogo());
    imgKestrune->setGeometry(twips(180, 180, 2745, 2700));
    Label1 = label(this, "Kestrune", Qt::white, Arial(26.25, true), twips(0, 2940, 3105, 660),
                   Qt::AlignCenter);
    Label2 = label(this, "The games network", lightBlue(), Arial(12, true),
                   twips(0, 3630, 3105, 330), Qt::AlignCenter);

    picPage = new QWidget(this);
    picPage->setObjectName(QStringLiteral("picPage"));
    setColour(picPage, QPalette::Window, darkBlue());
    picPage->setAutoFillBackground(true);
    picPage->setGeometry(twips(3240, 180, 6180, 3840));

    const QFont captionFont = Arial(8.25, false);
    const QFont headingFont = Arial(9, true);
    lblPage0[0] = paragraph(picPage,
                            "The fields below show the current registry settings for your "
                            "Kestrune Account.",
                            twips(150, 120, 5880, 450));
    lblPage0[5] =
        label(picPage, "Current Details:", lightBlue(), headingFont, twips(150, 630, 5880, 270));
    lblPage0[3] =
        label(picPage, "User Name:", lightBlue(), captionFont, twips(390, 945, 1260, 330));
    lblUserName = currentValue(picPage, "lblUserName", "The existing Kestrune system User Name",
                               twips(1710, 945, 3300, 330));
    lblPage0[4] =
        label(picPage, "Password:", lightBlue(), captionFont, twips(390, 1365, 1260, 330));
    lblPassword = currentValue(picPage, "lblPassword", "The existing Kestrune system Password",
                               twips(1710, 1365, 3300, 330));

    lblPage0[6] =
        label(picPage, "New Details:", lightBlue(), headingFont, twips(150, 1860, 5880, 270));
    lblPage0[7] = paragraph(picPage,
                            "Enter the new values to be store in the registry for your Kestrune "
                            "Account. You should ONLY enter new values under instructions from "
                            "a Kestrune support consultant:",
                            twips(150, 2160, 5880, 690));
    lblPage0[1] =
        label(picPage, "User Name:", lightBlue(), captionFont, twips(390, 2925, 1260, 330));
    txtUserName = entryBox(picPage, "txtUserName", "The new Kestrune system User Name.",
                           kUserNameLength, twips(1710, 2925, 3300, 330));
    lblPage0[2] =
        label(picPage, "Password:", lightBlue(), captionFont, twips(390, 3345, 1260, 330));
    txtPassword = entryBox(picPage, "txtPassword", "The new Kestrune system Password.",
                           kPasswordLength, twips(1710, 3345, 3300, 330));

    cmdUpdate = button(this, "cmdUpdate", "&Update", "Update the Kestrune registry settings",
                       twips(6480, 4170, 1350, 420));
    cmdCancel = button(this, "cmdCancel", "&Cancel", "Cancel the Kestrune account restore",
                       twips(8070, 4170, 1350, 420));

    setTabOrder(txtUserName, txtPassword);
    setTabOrder(txtPassword, cmdUpdate);
    setTabOrder(cmdUpdate, cmdCancel);
    txtUserName->setFocus();
}
