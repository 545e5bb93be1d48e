#include "fake_call_window.h"

#include "registration_call.h"
#include "scripted_ui.h"

using namespace Qt::StringLiterals;

void FakeCallWindow::Route(RegistrationCall &call) {
    QObject::connect(&call.ctlTAPI, &Telephony::OnTapi, &call, &RegistrationCall::ctlTAPI_OnTapi);
    QObject::connect(&call.ctlTAPI, &Telephony::CallState, &call,
                     &RegistrationCall::ctlTAPI_CallState);
    QObject::connect(&call.ctlCOMM, &SerialLine::OnComm, &call, &RegistrationCall::ctlCOMM_OnComm);
}

std::optional<CardDetails> FakeCallWindow::ShowCardWindow(const CardDetails &offer,
                                                          const QByteArray &planDetails) {
    note(u"card"_s);
    cardOffers.append(offer.Detached());
    planLists.append(planDetails);
    cardWindowOpen_ = true;
    if (whileCardWindowOpen)
        whileCardWindowOpen();
    cardWindowOpen_ = false;
    return cardAnswers.isEmpty() ? std::nullopt : cardAnswers.takeFirst();
}

void FakeCallWindow::CloseCardWindow() {
    if (!cardWindowOpen_)
        return;
    cardWindowOpen_ = false;
    note(u"card closed"_s);
}

void FakeCallWindow::note(const QString &what) {
    log.append(what + u'@' + QString::number(ui_.messages.size()));
}
