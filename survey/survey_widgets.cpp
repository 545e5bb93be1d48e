#include "survey_widgets.h"

#include "controls.h"
#include "entry_boxes.h"
#include "fonts.h"
#include "survey_answers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QValidator>

using namespace survey_layout;

namespace {

const QColor kPureBlue(0, 0, 255);

// Keeps a survey box to letters, digits and spaces, whether typed or pasted:
// its text goes into a comma-separated answer and a quoted file line.
class SurveyTextValidator final : public QValidator {
  public:
    using QValidator::QValidator;

    State validate(QString &input, int &pos) const override {
        QString kept;
        int keptBeforeCursor = 0;
        for (qsizetype i = 0; i < input.size(); ++i) {
            const QChar c = input[i];
            if (c.unicode() >= 128 || !IsSurveyText(QByteArray(1, c.toLatin1())))
                continue;
            kept.append(c);
            if (i < pos)
                ++keptBeforeCursor;
        }
        if (kept.size() != input.size()) {
            input = kept;
            pos = keptBeforeCursor;
        }
        return Acceptable;
    }
};

void PaintBlue(QWidget *widget) {
    // Buttons would fill with their button colour.
    widget->setBackgroundRole(QPalette::Window);
    SetColour(widget, QPalette::Window, kPureBlue);
    SetColour(widget, QPalette::WindowText, kWhite);
    widget->setAutoFillBackground(true);
}

} // namespace

QFont AnswerFont() {
    return Arial(8.25, false);
}

QWidget *PageBox(QWidget *window, int index) {
    auto *page = new QWidget(window);
    page->setObjectName(survey_detail::IndexedName("picPage", index));
    PaintBlue(page);
    page->setVisible(false);
    return page;
}

QLabel *Question(QWidget *page, const char *text, const QRect &place) {
    return CaptionLabel(page, text, place, AnswerFont(), kWhite, Qt::AlignLeft | Qt::AlignVCenter);
}

QComboBox *DropDown(QWidget *page, const char *name, std::initializer_list<const char *> items,
                    QLabel *caption, const QRect &place) {
    auto *list = new QComboBox(page);
    list->setObjectName(QLatin1String(name));
    list->setFont(AnswerFont());
    for (const char *item : items)
        list->addItem(QString::fromLatin1(item));
    list->setCurrentIndex(-1);
    list->setMaxVisibleItems(static_cast<int>(items.size()));
    list->setGeometry(place);
    Describe(list, {}, caption);
    return list;
}

QLineEdit *AnswerBox(QWidget *page, const char *name, QLabel *caption, const QRect &place,
                     const char *accessibleName) {
    QLineEdit *box = NewEntryBox(page, name, kSurveyTextLength, place);
    box->setFont(AnswerFont());
    box->setValidator(new SurveyTextValidator(box));
    if (caption != nullptr)
        Describe(box, {}, caption);
    else
        box->setAccessibleName(QLatin1String(accessibleName));
    return box;
}

QCheckBox *Tick(QWidget *page, const QString &name, const char *caption, const QRect &place) {
    auto *tick = new QCheckBox(QString::fromLatin1(caption), page);
    tick->setObjectName(name);
    tick->setFont(AnswerFont());
    PaintBlue(tick);
    tick->setGeometry(place);
    return tick;
}

QRect BesideTick(const QCheckBox *tick, int width) {
    const QRect place = tick->geometry();
    const int height = Px(kBoxHeight);
    return {place.right() + Px(60), place.center().y() - height / 2 + 1, Px(width), height};
}

QGroupBox *OptionGroup(QWidget *page, const char *name, const char *caption, const QRect &place) {
    auto *group = new QGroupBox(QString::fromLatin1(caption), page);
    group->setObjectName(QLatin1String(name));
    group->setFont(AnswerFont());
    PaintBlue(group);
    group->setGeometry(place);
    return group;
}

namespace survey_detail {

QString IndexedName(const char *name, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

QRect GridPlace(int index, int top, int columns, int width) {
    const int left = kMargin + (index % columns) * (kSecondColumn - kMargin);
    return TwipsRect(left, top + (index / columns) * kTickRow, width, kTickHeight);
}

QRadioButton *Option(QGroupBox *group, const QString &name, const char *caption, int index,
                     int columns) {
    constexpr int kOptionColumn = 1860;
    auto *option = new QRadioButton(QString::fromLatin1(caption), group);
    option->setObjectName(name);
    option->setFont(AnswerFont());
    PaintBlue(option);
    option->setGeometry(TwipsRect(kMargin + (index % columns) * kOptionColumn,
                                  300 + (index / columns) * kTickRow, kOptionColumn - 120,
                                  kTickHeight));
    return option;
}

void KeepOneTabStop(QGroupBox *group, QRadioButton *const *options, std::size_t count) {
    const QList<QRadioButton *> all(options, options + count);
    for (QRadioButton *option : all) {
        QObject::connect(option, &QAbstractButton::toggled, group, [all] {
            for (QRadioButton *each : all)
                each->setFocusPolicy(each->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
        });
    }
}

} // namespace survey_detail
