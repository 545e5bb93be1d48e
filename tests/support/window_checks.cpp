#include "window_checks.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QStyleOptionComboBox>

using namespace Qt::StringLiterals;

namespace {

// A command button needs room for its caption and a margin.
constexpr int kButtonMargin = 12;
// A text box's frame, on each side of its line of text.
constexpr int kBoxFrame = 2;

bool CaptionFits(const QLabel &label) {
    const QRect room = label.contentsRect();
    const int flags = (label.wordWrap() ? Qt::TextWordWrap : 0) | int(label.alignment());
    return room.contains(label.fontMetrics().boundingRect(room, flags, label.text()));
}

bool ButtonFits(const QAbstractButton &button) {
    if (qobject_cast<const QPushButton *>(&button) != nullptr)
        return button.fontMetrics().horizontalAdvance(button.text().remove(u'&')) + kButtonMargin <=
               button.width();
    const QSize needed = button.sizeHint() - QSize(0, 2);
    return needed.width() <= button.width() && needed.height() <= button.height();
}

bool ItemsFit(const QComboBox &list) {
    QStyleOptionComboBox option;
    option.initFrom(&list);
    const int room =
        list.style()
            ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &list)
            .width();
    for (int i = 0; i < list.count(); ++i) {
        if (list.fontMetrics().horizontalAdvance(list.itemText(i)) > room)
            return false;
    }
    return true;
}

bool IsEntry(const QWidget &control) {
    return qobject_cast<const QLineEdit *>(&control) != nullptr ||
           qobject_cast<const QPlainTextEdit *>(&control) != nullptr ||
           qobject_cast<const QComboBox *>(&control) != nullptr ||
           qobject_cast<const QAbstractItemView *>(&control) != nullptr;
}

} // namespace

QString LayoutProblems(const QWidget &window) {
    QStringList problems;
    for (const QWidget *control : window.findChildren<QWidget *>()) {
        const QString name = control->objectName();
        // The window's own controls, not the parts Qt builds them of; of a
        // container only what it holds.
        if (control->window() != &window || name.startsWith(u"qt_"))
            continue;
        const bool shown = qobject_cast<const QLabel *>(control) != nullptr ||
                           qobject_cast<const QAbstractButton *>(control) != nullptr ||
                           IsEntry(*control);
        if (shown &&
            !window.rect().contains(QRect(control->mapTo(&window, QPoint()), control->size())))
            problems << name + u" lies outside the window"_s;
        if (const auto *label = qobject_cast<const QLabel *>(control)) {
            if (!CaptionFits(*label))
                problems << u"caption cut off: "_s + label->text();
        } else if (const auto *button = qobject_cast<const QAbstractButton *>(control)) {
            if (!ButtonFits(*button))
                problems << u"button too small: "_s + button->text();
        } else if (const auto *list = qobject_cast<const QComboBox *>(control)) {
            if (!ItemsFit(*list))
                problems << name + u" cuts off an entry"_s;
        } else if (const auto *box = qobject_cast<const QLineEdit *>(control)) {
            if (box->height() < box->fontMetrics().height() + 2 * kBoxFrame)
                problems << name + u" is too low for its text"_s;
        }
        if (IsEntry(*control) && control->accessibleName().isEmpty())
            problems << name + u" has no accessible name"_s;
    }
    return problems.join(u"; ");
}
