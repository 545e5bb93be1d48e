#include "frmTerms.h"

#include "code_page.h"
#include "control_events.h"
#include "controls.h"
#include "frmColors.h"
#include "program_files.h"
#include "program_state.h"
#include "terms_text.h"
#include "titles.h"
#include "twips.h"
#include "ui.h"
#include "window_placement.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// Longer than several lines of the box: such a word is broken anywhere.
constexpr qsizetype kLongestWord = 1024;

QPushButton *button(QWidget *parent, const char *name, const char *caption, const char *tip,
                    int left) {
    return CommandButton(parent, name, caption, tip, TwipsRect(left, 6240, 1815, 435));
}

bool hasOverlongWord(const QString &text) {
    qsizetype run = 0;
    for (const QChar character : text) {
        run = character.isSpace() ? 0 : run + 1;
        if (run > kLongestWord)
            return true;
    }
    return false;
}

} // namespace

frmTerms::frmTerms()
    : cmdAccept(
          button(this, "cmdAccept", "I &Accept", "Accept the Kestrune Terms and Conditions", 2460)),
      txtTerms(new QPlainTextEdit(this)),
      cmdReject(button(this, "cmdReject", "I Do &Not Accept",
                       "Reject the Kestrune Terms and Conditions", 4620)),
      cmdClose(
          button(this, "cmdClose", "&Close", "Close the Kestrune Terms and Conditions", 7440)) {
    setWindowTitle(QStringLiteral("Kestrune - Terms and Conditions"));
    setFixedSize(Px(9480), Px(6900));
    txtTerms->setObjectName(QStringLiteral("txtTerms"));
    txtTerms->setGeometry(TwipsRect(120, 120, 9240, 5940));
    txtTerms->setReadOnly(true);
    txtTerms->setTabChangesFocus(true);
    txtTerms->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SetColour(txtTerms, QPalette::Base, QColor(224, 224, 224));
    SetTabOrder({cmdAccept, txtTerms, cmdReject, cmdClose});
    cmdClose->setVisible(false);

    connect(cmdAccept, &QPushButton::clicked, this, &frmTerms::cmdAccept_Click);
    connect(cmdReject, &QPushButton::clicked, this, &frmTerms::cmdReject_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmTerms::cmdClose_Click);
    OnActivate(this, [this] { Form_Activate(); });
    Form_Load();
}

void frmTerms::Form_Load() {
    setWindowIcon(frmColors::instance().windowIcon());
    ui().doEvents();
    CentreOnScreen(*this);

    modKestenrol::gTermsAccepted = kFalse;
    txtTerms->clear();
    const QByteArray path = FindProgramFile("terms.txt");
    if (path.isEmpty()) {
        ui().beep();
        ui().msgBox("The Terms and Conditions information cannot be found.\r\n"
                    "Please ensure that the Kestrune Registration Start In directory includes a "
                    "file called TERMS.TXT.\r\n"
                    "If not, please contact Kestrune support.",
                    MsgButtons::Ok, MsgIcon::Critical, kRegistrationTitle);
        offerCloseOnly();
        return;
    }

    ui().setMousePointer(MousePointer::Hourglass);
    QList<QByteArray> lines;
    FileError error;
    if (!ReadTextLines(path, lines, error)) {
        ui().msgBox("The following unexpected error has occurred while preparing the Kestrune "
                    "Terms and Conditions:\r\nError: " +
                        QByteArray::number(error.number) + "\r\nMessage: " + error.description +
                        "\r\nPlease contact Kestrune Support.",
                    MsgButtons::Ok, MsgIcon::Critical, kRegistrationTitle);
        ui().setMousePointer(MousePointer::Default);
        offerCloseOnly();
        return;
    }
    // The text box shows line breaks as plain new lines.
    const QString text =
        FromCodePage(TermsText(lines)).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // Looking for word ends through a huge word would hold the window up
    // for seconds.
    txtTerms->setWordWrapMode(hasOverlongWord(text) ? QTextOption::WrapAnywhere
                                                    : QTextOption::WrapAtWordBoundaryOrAnywhere);
    txtTerms->setPlainText(text);
    ui().setMousePointer(MousePointer::Default);
}

void frmTerms::offerCloseOnly() {
    modKestenrol::gTermsAccepted = kFalse;
    cmdClose->setVisible(true);
    cmdAccept->setVisible(false);
    cmdReject->setVisible(false);
}

void frmTerms::Form_Activate() {
    ui().setMousePointer(MousePointer::Default);
}

void frmTerms::cmdAccept_Click() {
    modKestenrol::gTermsAccepted = kTrue;
    // The wizard window is about to load.
    ui().setMousePointer(MousePointer::Hourglass);
    close();
}

void frmTerms::cmdReject_Click() {
    close();
}

void frmTerms::cmdClose_Click() {
    modKestenrol::gTermsAccepted = kFalse;
    close();
}
