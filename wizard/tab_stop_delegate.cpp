#include "tab_stop_delegate.h"

#include <QApplication>
#include <QPainter>

namespace {

constexpr int kUnitsPerCharacter = 4;
const QString kAlphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");

} // namespace

TabStopDelegate::TabStopDelegate(QWidget *list, int tabStopUnits)
    : QStyledItemDelegate(list), tabStopUnits_(tabStopUnits) {}

int TabStopDelegate::tabStopPixels(const QFontMetrics &metrics) const {
    // The average character width as dialog units reckon it: over the
    // letters, rounded up.
    const auto letters = static_cast<int>(kAlphabet.size());
    const int average = (metrics.horizontalAdvance(kAlphabet) + letters - 1) / letters;
    return tabStopUnits_ * average / kUnitsPerCharacter;
}

void TabStopDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString text = item.text;
    item.text.clear();
    const QStyle *style = item.widget != nullptr ? item.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);

    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget);
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    const QPalette::ColorRole role =
        item.state.testFlag(QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text;
    const QPalette::ColorGroup group =
        item.state.testFlag(QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    painter->save();
    painter->setFont(item.font);
    painter->setPen(item.palette.color(group, role));
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, item.widget) + 1;
    const QRect first = area.adjusted(margin, 0, 0, 0);
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    painter->drawText(first, flags, tab < 0 ? text : text.left(tab));
    if (tab >= 0) {
        const QRect second = first.adjusted(tabStopPixels(item.fontMetrics), 0, 0, 0);
        painter->drawText(second, flags, text.mid(tab + 1));
    }
    painter->restore();
}
