#pragma once

#include "call_window.h"

#include <QList>
#include <QStringList>
#include <functional>
#include <optional>

class ScriptedUi;

// The wizard window for tests of the call and its conversation, with no
// widget: it gives the entries a test sets, plays the card window's answers,
// and logs what it is asked to show, each with the number of message boxes
// shown before it ("card@1").
class FakeCallWindow final : public CallWindow {
  public:
    explicit FakeCallWindow(const ScriptedUi &ui) : ui_(ui) {}

    WizardEntries entries;
    bool surveyDone = false;
    // One per card window opening: what OK accepts, or nothing for Cancel;
    // with none left the window is cancelled. OK is given even when the
    // call closed the window meanwhile, as a click on its way would be.
    QList<std::optional<CardDetails>> cardAnswers;
    std::function<void()> whileCardWindowOpen;
    // What the card window was offered, copies of their own.
    QList<CardDetails> cardOffers;
    QList<QByteArray> planLists;

    QStringList log;
    mutable int entryReads = 0;

    WizardEntries Entries() const override {
        ++entryReads;
        return entries;
    }
    bool SurveyDone() const override { return surveyDone; }
    std::optional<CardDetails> ShowCardWindow(const CardDetails &offer,
                                              const QByteArray &planDetails) override;
    void CloseCardWindow() override;
    void SetCardPlanBounds(std::int16_t lo, std::int16_t hi) override {
        note(QStringLiteral("bounds %1-%2").arg(lo).arg(hi));
    }
    void EnableWizard(Flag flag) override {
        note(flag != kFalse ? QStringLiteral("release") : QStringLiteral("lock"));
    }
    void ShowEntryControl(EntryControl control) override {
        note(QStringLiteral("show %1").arg(static_cast<int>(control)));
    }
    void ShowContinue(bool visible) override {
        note(visible ? QStringLiteral("continue shown") : QStringLiteral("continue hidden"));
    }
    void ShowStatus(const QString &text) override { note(QStringLiteral("status ") + text); }
    void ShowLineUp(bool up) override {
        note(up ? QStringLiteral("line up") : QStringLiteral("line down"));
    }
    void ShowConnectionSettings(Telephony & /*telephony*/) override {
        note(QStringLiteral("connection settings"));
    }

  private:
    void note(const QString &what);

    const ScriptedUi &ui_;
    bool cardWindowOpen_ = false;
};
