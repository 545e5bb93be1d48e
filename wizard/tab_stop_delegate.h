#pragma once

#include <QStyledItemDelegate>

// Draws a list entry whose text holds a tab as two columns: the text after
// the first tab starts at the tab stop. The entry's text itself is kept
// whole.
class TabStopDelegate final : public QStyledItemDelegate {
    Q_OBJECT
  public:
    // tabStopUnits: the stop in dialog units, a quarter of the list font's
    // average character width each.
    TabStopDelegate(QWidget *list, int tabStopUnits);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

  private:
    int tabStopPixels(const QFontMetrics &metrics) const;

    int tabStopUnits_;
};
