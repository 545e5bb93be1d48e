#include "entry_boxes.h"

#include "code_page.h"
#include "controls.h"
#include "fonts.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QValidator>

namespace {

// Takes out every character the code page lacks and accepts the rest; the
// line edit keeps the text as changed here, pasted text included.
class CodePageValidator final : public QValidator {
  public:
    using QValidator::QValidator;

    State validate(QString &input, int &pos) const override {
        int kept = 0;
        QString filtered;
        filtered.reserve(input.size());
        for (qsizetype i = 0; i < input.size(); ++i) {
            if (CodePageByte(input[i])) {
                filtered.append(input[i]);
            } else if (i < pos) {
                ++kept;
            }
        }
        if (filtered.size() != input.size()) {
            pos -= kept;
            input = filtered;
        }
        return Acceptable;
    }
};

QString keptText(const QString &text) {
    return FromCodePage(ToCodePage(text));
}

} // namespace

QLineEdit *NewEntryBox(QWidget *parent, const char *name, int maxLength, const QRect &place) {
    auto *box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setMaxLength(maxLength);
    box->setValidator(new CodePageValidator(box));
    box->setGeometry(place);
    return box;
}

QLineEdit *NewEntryBox(QWidget *parent, const char *name, int maxLength, const QRect &place,
                       const QByteArray &tooltip, QLabel *caption) {
    QLineEdit *box = NewEntryBox(parent, name, maxLength, place);
    box->setFont(Arial(9, false));
    Describe(box, tooltip, caption);
    return box;
}

MultiLineBox::MultiLineBox(QWidget *parent, const char *name, int maxLength, const QRect &place)
    : QPlainTextEdit(parent), maxLength_(maxLength) {
    setObjectName(QLatin1String(name));
    setTabChangesFocus(true);
    setGeometry(place);
}

qsizetype MultiLineBox::room() const {
    if (maxLength_ <= 0)
        return std::numeric_limits<qsizetype>::max();
    const QTextCursor cursor = textCursor();
    const QString selected = cursor.selectedText();
    // A selected line break is the paragraph separator in the selection.
    const qsizetype selectedLength = selected.size() + selected.count(QChar::ParagraphSeparator);
    return maxLength_ - (BoxText(this).size() - selectedLength);
}

void MultiLineBox::insertLimited(const QString &text) {
    QString kept = keptText(text);
    kept.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    kept.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    qsizetype length = 0;
    qsizetype fits = 0;
    const qsizetype available = room();
    for (; fits < kept.size(); ++fits) {
        length += kept[fits] == QLatin1Char('\n') ? 2 : 1;
        if (length > available)
            break;
    }
    if (fits > 0)
        insertPlainText(kept.left(fits));
}

void MultiLineBox::keyPressEvent(QKeyEvent *event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && event->modifiers().testFlag(Qt::ControlModifier)) {
        insertLimited(QStringLiteral("\n"));
        return;
    }
    // Control with a letter is a command (paste, undo, ...), whatever text
    // the key carries.
    const bool command = event->modifiers().testFlag(Qt::ControlModifier) &&
                         !event->modifiers().testFlag(Qt::AltModifier);
    if (enter || (!command && !event->text().isEmpty() && event->text()[0].isPrint())) {
        insertLimited(enter ? QStringLiteral("\n") : event->text());
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MultiLineBox::insertFromMimeData(const QMimeData *source) {
    if (source->hasText())
        insertLimited(source->text());
}

QByteArray BoxText(const QLineEdit *box) {
    return ToCodePage(box->text());
}

void SetBoxText(QLineEdit *box, const QByteArray &text) {
    box->setText(FromCodePage(text));
}

QByteArray BoxText(const QPlainTextEdit *box) {
    return ToCodePage(box->toPlainText()).replace("\n", "\r\n");
}

void SetBoxText(QPlainTextEdit *box, const QByteArray &text) {
    QByteArray lines = text;
    lines.replace("\r\n", "\n").replace('\r', '\n');
    box->setPlainText(FromCodePage(lines));
}

QByteArray ListText(const QComboBox *list) {
    return list->currentIndex() < 0 ? QByteArray() : ToCodePage(list->currentText());
}

QList<QByteArray> ListItems(const QComboBox *list) {
    QList<QByteArray> items;
    for (int i = 0; i < list->count(); ++i)
        items.append(ToCodePage(list->itemText(i)));
    return items;
}

QList<QByteArray> ListItems(const QListWidget *list) {
    QList<QByteArray> items;
    for (int i = 0; i < list->count(); ++i)
        items.append(ToCodePage(list->item(i)->text()));
    return items;
}

void SetListItems(QComboBox *list, const QList<QByteArray> &items, int current) {
    list->clear();
    for (const QByteArray &item : items)
        list->addItem(FromCodePage(item));
    list->setCurrentIndex(current >= 0 && current < list->count() ? current : -1);
}
