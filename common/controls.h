#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QList>
#include <QPalette>
#include <QRect>

class QLabel;
class QPushButton;
class QWidget;

// Building blocks of the windows' fixed layouts. Places are in pixels
// (TwipsRect converts the designed twips).

inline const QColor kWhite(255, 255, 255);
inline const QColor kLightGrey(192, 192, 192);
inline const QColor kLightBlue(192, 192, 255);

void SetColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour);

// A caption that shows its text exactly as given, never as markup. An "&"
// marks the mnemonic of the control the caption labels.
QLabel *CaptionLabel(QWidget *parent, const QByteArray &text, const QRect &place, const QFont &font,
                     const QColor &colour, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop);
// The same, wrapping its words over the lines of its place.
QLabel *ParagraphLabel(QWidget *parent, const QByteArray &text, const QRect &place,
                       const QFont &font, const QColor &colour);

// A button that Enter presses when it has the focus, as Space does.
QPushButton *CommandButton(QWidget *parent, const char *name, const QByteArray &caption,
                           const QByteArray &tooltip, const QRect &place);

// Gives a control its tooltip, which is also its accessible description,
// and its accessible name: the caption of the label beside it, which
// becomes its buddy (so the caption's mnemonic reaches it), else the
// tooltip.
void Describe(QWidget *control, const QByteArray &tooltip, QLabel *caption = nullptr);

// Tab moves through the controls in the order given.
void SetTabOrder(const QList<QWidget *> &controls);
