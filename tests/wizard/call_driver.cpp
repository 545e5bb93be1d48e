#include "call_driver.h"

#include "modem_settings.h"
#include "settings.h"
#include "startup.h"
#include "wizard_driver.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

void UseModem(const QByteArray &device) {
    SaveSetting(kSettingsApp, kModemSection, "Device", device);
}

void SubmitRegistration(frmRegistration &window, ScriptedUi &ui, bool takeSurvey) {
    FillAllPages(window);
    ui.answers.append(takeSurvey ? MsgAnswer::Yes : MsgAnswer::No);
    if (takeSurvey)
        ui.modalActions.append(FinishSurvey);
    Click(window.cmdFinish);
}

const QLabel *Indicator(const frmRegistration &window) {
    return qobject_cast<const QLabel *>(
        window.Frame1->childAt(window.imgConnected->geometry().center()));
}

bool WaitForStatus(const frmRegistration &window, const QString &text, int milliseconds) {
    return QTest::qWaitFor([&] { return window.lblStatus->text() == text; }, milliseconds);
}

bool WaitForMessages(const ScriptedUi &ui, qsizetype count, int milliseconds) {
    return QTest::qWaitFor([&] { return ui.messages.size() >= count; }, milliseconds);
}

bool Released(const frmRegistration &window) {
    const bool lastPage = window.intCurrentPage == 3;
    return window.txtFirstName->isEnabled() && window.cmdStartOver->isEnabled() &&
           window.cmdFinish->isVisible() && window.cmdFinish->isEnabled() == lastPage;
}
