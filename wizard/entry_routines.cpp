#include "entry_routines.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

void SelectAllText(QWidget *control) {
    if (auto *line = qobject_cast<QLineEdit *>(control))
        line->setSelection(0, static_cast<int>(line->text().size()));
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(control))
        plain->selectAll();
    else if (auto *rich = qobject_cast<QTextEdit *>(control))
        rich->selectAll();
}
