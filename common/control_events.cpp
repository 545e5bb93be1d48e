#include "control_events.h"

#include "code_page.h"
#include "entry_routines.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QWidget>
#include <optional>

namespace {

class EventHook final : public QObject {
  public:
    EventHook(QWidget *control, QEvent::Type type, std::function<void(const QEvent &)> handler)
        : QObject(control), type_(type), handler_(std::move(handler)) {
        control->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject * /*watched*/, QEvent *event) override {
        if (event->type() == type_)
            handler_(*event);
        return false;
    }

  private:
    QEvent::Type type_;
    std::function<void(const QEvent &)> handler_;
};

constexpr std::int16_t kEscape = 27;

// The key's character code; nothing for a key without a character, -1 for
// a character the code page cannot hold.
std::optional<std::int16_t> keyAsciiOf(const QKeyEvent &key) {
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return key.modifiers().testFlag(Qt::ControlModifier) ? kKeyLineFeed : kKeyEnter;
    case Qt::Key_Backspace:
        return kKeyBackspace;
    case Qt::Key_Escape:
        return kEscape;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return std::nullopt;
    default:
        break;
    }
    const QString text = key.text();
    if (text.isEmpty() || text[0].unicode() < ' ')
        return std::nullopt;
    const std::optional<unsigned char> byte =
        text.size() == 1 ? CodePageByte(text[0]) : std::nullopt;
    if (!byte)
        return -1;
    return static_cast<std::int16_t>(*byte);
}

class KeyFilter final : public QObject {
  public:
    KeyFilter(QWidget *control, std::function<void(std::int16_t &)> handler)
        : QObject(control), control_(control), handler_(std::move(handler)) {
        control->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject * /*watched*/, QEvent *event) override {
        if (event->type() != QEvent::KeyPress || replaying_)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        const std::optional<std::int16_t> original = keyAsciiOf(*key);
        if (!original)
            return false;
        if (*original < 0)
            return true;
        std::int16_t KeyAscii = *original;
        handler_(KeyAscii);
        if (KeyAscii == *original)
            return false;
        if (KeyAscii > 0 && KeyAscii < 256) {
            const QString typed = FromCodePage(QByteArray(1, static_cast<char>(KeyAscii)));
            QKeyEvent replacement(QEvent::KeyPress, 0, key->modifiers(), typed);
            replaying_ = true;
            QApplication::sendEvent(control_, &replacement);
            replaying_ = false;
        }
        return true;
    }

  private:
    QWidget *control_;
    std::function<void(std::int16_t &)> handler_;
    bool replaying_ = false;
};

void sendToFocused(int key, Qt::KeyboardModifiers modifiers, const QString &text) {
    QWidget *focused = QApplication::focusWidget();
    if (focused == nullptr)
        return;
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(focused, &press);
}

} // namespace

void OnActivate(QWidget *window, std::function<void()> handler) {
    new EventHook(window, QEvent::WindowActivate,
                  [handler = std::move(handler)](const QEvent & /*event*/) { handler(); });
}

void OnGotFocus(QWidget *control, std::function<void()> handler) {
    new EventHook(control, QEvent::FocusIn,
                  [handler = std::move(handler)](const QEvent & /*event*/) { handler(); });
}

void OnLostFocus(QWidget *control, std::function<void()> handler) {
    // Only a move to another control counts: the focus leaving with its
    // window (for a message box, say) or for a drop-down's list comes back
    // to the control unchanged.
    new EventHook(control, QEvent::FocusOut, [handler = std::move(handler)](const QEvent &event) {
        const Qt::FocusReason reason = static_cast<const QFocusEvent &>(event).reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            handler();
    });
}

void OnKeyPress(QWidget *control, std::function<void(std::int16_t &KeyAscii)> handler) {
    new KeyFilter(control, std::move(handler));
}

void SendKeysTab() {
    sendToFocused(Qt::Key_Tab, Qt::NoModifier, {});
}

void SendKeysCtrlEnter() {
    sendToFocused(Qt::Key_Return, Qt::ControlModifier, QStringLiteral("\r"));
}

bool EnterMovesOn(std::int16_t &KeyAscii) {
    if (KeyAscii != kKeyEnter)
        return false;
    KeyAscii = 0;
    SendKeysTab();
    return true;
}

bool EnterFocuses(std::int16_t &KeyAscii, QWidget *control) {
    if (KeyAscii != kKeyEnter)
        return false;
    KeyAscii = 0;
    control->setFocus();
    return true;
}
