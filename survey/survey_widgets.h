#pragma once

#include "twips.h"

#include <QFont>
#include <QString>
#include <array>
#include <initializer_list>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QRect;
class QWidget;

// The building blocks of the survey's pages: pure blue boxes with white
// captions, drop-down lists, short answer boxes and ticks. Places are in
// pixels (TwipsRect converts the designed twips).

namespace survey_layout {
inline constexpr int kMargin = 120;     // page edge to its controls
inline constexpr int kFullWidth = 6120; // a line across the shown page
inline constexpr int kSecondColumn = 3240;
inline constexpr int kColumnWidth = 3000;
inline constexpr int kListHeight = 315;
inline constexpr int kBoxHeight = 300;
inline constexpr int kTickHeight = 255;
inline constexpr int kTickRow = 285; // from one row of ticks to the next
inline constexpr int kCaptionHeight = 225;
} // namespace survey_layout

QFont AnswerFont();

// A borderless page box, hidden until its step is shown.
QWidget *PageBox(QWidget *window, int index);

// A white question or caption on a page, on one line.
QLabel *Question(QWidget *page, const char *text, const QRect &place);

// A list the user can only pick from, nothing picked yet; its caption
// names it.
QComboBox *DropDown(QWidget *page, const char *name, std::initializer_list<const char *> items,
                    QLabel *caption, const QRect &place);

// A one-line answer box of letters, digits and spaces (typed or pasted),
// named by its caption, else by accessibleName.
QLineEdit *AnswerBox(QWidget *page, const char *name, QLabel *caption, const QRect &place,
                     const char *accessibleName = nullptr);

// A check box on a pure blue ground.
QCheckBox *Tick(QWidget *page, const QString &name, const char *caption, const QRect &place);

// A place beside the tick, as wide as given, centred on the tick's line.
QRect BesideTick(const QCheckBox *tick, int width);

// A group box for one question's options.
QGroupBox *OptionGroup(QWidget *page, const char *name, const char *caption, const QRect &place);

namespace survey_detail {
QString IndexedName(const char *name, int index);
QRect GridPlace(int index, int top, int columns, int width);
QRadioButton *Option(QGroupBox *group, const QString &name, const char *caption, int index,
                     int columns);
void KeepOneTabStop(QGroupBox *group, QRadioButton *const *options, std::size_t count);
} // namespace survey_detail

// The check boxes of an indexed array in rows of the given number of
// columns, left to right and then down: the order in which Tab visits them.
template <std::size_t N>
void TickGrid(QWidget *page, std::array<QCheckBox *, N> &ticks, const char *name,
              std::initializer_list<const char *> captions, int top, int columns,
              int width = survey_layout::kColumnWidth) {
    int index = 0;
    for (const char *caption : captions) {
        ticks.at(index) = Tick(page, survey_detail::IndexedName(name, index), caption,
                               survey_detail::GridPlace(index, top, columns, width));
        ++index;
    }
}

// The options of a group in rows. The group is one Tab stop, at its chosen
// option; the arrow keys move between the options.
template <std::size_t N>
void Options(QGroupBox *group, std::array<QRadioButton *, N> &options, const char *name,
             std::initializer_list<const char *> captions, int columns) {
    int index = 0;
    for (const char *caption : captions) {
        options.at(index) = survey_detail::Option(group, survey_detail::IndexedName(name, index),
                                                  caption, index, columns);
        ++index;
    }
    survey_detail::KeepOneTabStop(group, options.data(), N);
}
