#include "control_events.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace {

class FocusFilter final : public QObject {
  public:
    FocusFilter(QWidget *control, QEvent::Type type, std::function<void()> handler)
        : QObject(control), type_(type), handler_(std::move(handler)) {
        control->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject * /*watched*/, QEvent *event) override {
        if (event->type() == type_)
            handler_();
        return false;
    }

  private:
    QEvent::Type type_;
    std::function<void()> handler_;
};

std::int16_t keyAsciiOf(const QKeyEvent &key) {
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 0;
    default:
        break;
    }
    const QString text = key.text();
    if (text.size() != 1 || text[0].unicode() > 255 || text[0].unicode() < 32)
        return 0;
    return static_cast<std::int16_t>(text[0].unicode());
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
        const std::int16_t original = keyAsciiOf(*key);
        if (original == 0)
            return false;
        std::int16_t KeyAscii = original;
        handler_(KeyAscii);
        if (KeyAscii == original)
            return false;
        if (KeyAscii > 0 && KeyAscii < 256) {
            const QChar typed(static_cast<char16_t>(KeyAscii));
            QKeyEvent replacement(QEvent::KeyPress, 0, key->modifiers(), QString(typed));
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

} // namespace

void OnGotFocus(QWidget *control, std::function<void()> handler) {
    new FocusFilter(control, QEvent::FocusIn, std::move(handler));
}

void OnLostFocus(QWidget *control, std::function<void()> handler) {
    new FocusFilter(control, QEvent::FocusOut, std::move(handler));
}

void OnKeyPress(QWidget *control, std::function<void(std::int16_t &KeyAscii)> handler) {
    new KeyFilter(control, std::move(handler));
}

void SendKeysTab() {
    QWidget *focused = QApplication::focusWidget();
    if (focused == nullptr)
        return;
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(focused, &tab);
}
