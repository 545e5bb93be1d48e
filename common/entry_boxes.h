#pragma once

#include <QByteArray>
#include <QList>
#include <QPlainTextEdit>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRect;

// Entry boxes hold only what the code page can hold: a character it lacks,
// typed or pasted, never reaches the box's text. Their texts are read and
// written as byte strings here, at the widget boundary.

// A single-line box of at most maxLength characters.
QLineEdit *NewEntryBox(QWidget *parent, const char *name, int maxLength, const QRect &place);
// The same in the dialogs' Arial 9 points, with its tooltip and the caption
// that labels it (see Describe).
QLineEdit *NewEntryBox(QWidget *parent, const char *name, int maxLength, const QRect &place,
                       const QByteArray &tooltip, QLabel *caption);

// A multi-line box of at most maxLength characters (0: no limit), a line
// break counting as the two characters CR LF that its text holds. Ctrl+Enter
// starts a new line; what plain Enter does is for the window's key handler.
class MultiLineBox final : public QPlainTextEdit {
    Q_OBJECT
  public:
    MultiLineBox(QWidget *parent, const char *name, int maxLength, const QRect &place);

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;

  private:
    // What still fits, as a number of characters of the byte text.
    qsizetype room() const;
    void insertLimited(const QString &text);

    int maxLength_;
};

QByteArray BoxText(const QLineEdit *box);
void SetBoxText(QLineEdit *box, const QByteArray &text);
// Line breaks are CR LF in the byte text.
QByteArray BoxText(const QPlainTextEdit *box);
void SetBoxText(QPlainTextEdit *box, const QByteArray &text);
// The text of the picked entry of a list; empty when none is picked.
QByteArray ListText(const QComboBox *list);
// The texts of a list's entries, in order.
QList<QByteArray> ListItems(const QComboBox *list);
QList<QByteArray> ListItems(const QListWidget *list);
// Fills a drop-down list with the texts and picks the entry at current
// (none when current is not one of them).
void SetListItems(QComboBox *list, const QList<QByteArray> &items, int current = -1);
