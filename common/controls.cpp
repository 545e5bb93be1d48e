#include "controls.h"

#include "code_page.h"

#include <QLabel>
#include <QPushButton>

void SetColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

QLabel *CaptionLabel(QWidget *parent, const QByteArray &text, const QRect &place, const QFont &font,
                     const QColor &colour, Qt::Alignment alignment) {
    auto *caption = new QLabel(FromCodePage(text), parent);
    caption->setTextFormat(Qt::PlainText);
    caption->setAlignment(alignment);
    caption->setFont(font);
    SetColour(caption, QPalette::WindowText, colour);
    caption->setGeometry(place);
    return caption;
}

QLabel *ParagraphLabel(QWidget *parent, const QByteArray &text, const QRect &place,
                       const QFont &font, const QColor &colour) {
    QLabel *caption = CaptionLabel(parent, text, place, font, colour);
    caption->setWordWrap(true);
    return caption;
}

QPushButton *CommandButton(QWidget *parent, const char *name, const QByteArray &caption,
                           const QByteArray &tooltip, const QRect &place) {
    auto *button = new QPushButton(FromCodePage(caption), parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(true);
    button->setGeometry(place);
    // Its caption is its accessible name.
    button->setToolTip(FromCodePage(tooltip));
    button->setAccessibleDescription(button->toolTip());
    return button;
}

void Describe(QWidget *control, const QByteArray &tooltip, QLabel *caption) {
    const QString tip = FromCodePage(tooltip);
    control->setToolTip(tip);
    control->setAccessibleDescription(tip);
    if (caption == nullptr) {
        if (!tip.isEmpty())
            control->setAccessibleName(tip);
        return;
    }
    caption->setBuddy(control);
    QString name = caption->text();
    name.remove(QLatin1Char('&'));
    control->setAccessibleName(name.trimmed());
}

void SetTabOrder(const QList<QWidget *> &controls) {
    for (qsizetype i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls[i - 1], controls[i]);
}
