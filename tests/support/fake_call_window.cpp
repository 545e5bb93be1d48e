#include "fake_call_window.h"

#include "scripted_ui.h"

using namespace Qt::StringLiterals;

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
