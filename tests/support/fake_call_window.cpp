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

WizardEntries FakeCallWindow::Entries() const {
    ++entryReads;
    return entries;
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

void FakeCallWindow::SetCardPlanBounds(std::int16_t lo, std::int16_t hi) {
    note(u"bounds %1-%2"_s.arg(lo).arg(hi));
}

void FakeCallWindow::EnableWizard(Flag flag) {
    enabled = flag != kFalse;
    note(enabled ? u"release"_s : u"lock"_s);
}

void FakeCallWindow::ShowEntryControl(EntryControl control) {
    note(u"show %1"_s.arg(static_cast<int>(control)));
}

void FakeCallWindow::ShowContinue(bool visible) {
    note(visible ? u"continue shown"_s : u"continue hidden"_s);
}

void FakeCallWindow::ShowStatus(const QString &text) {
    status = text;
    note(u"status "_s + text);
}

void FakeCallWindow::ShowLineUp(bool up) {
    lineUp = up;
    note(up ? u"line up"_s : u"line down"_s);
}

void FakeCallWindow::ShowConnectionSettings(Telephony & /*telephony*/) {
    note(u"connection settings"_s);
}

void FakeCallWindow::note(const QString &what) {
    log.append(what + u'@' + QString::number(ui_.messages.size()));
}
