#include "control_events.h"

#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

class ControlEventsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void lostFocusOnlyForAnotherControl();
};

void ControlEventsTest::lostFocusOnlyForAnotherControl() {
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *first = new QLineEdit(&window);
    auto *second = new QLineEdit(&window);
    layout->addWidget(first);
    layout->addWidget(second);
    int lost = 0;
    OnLostFocus(first, [&lost] { ++lost; });
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    first->setFocus();
    QCOMPARE(QApplication::focusWidget(), first);

    // Another window (a message box, say) takes the focus and gives it back.
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(QApplication::focusWidget(), first);
    QCOMPARE(lost, 0);

    QTest::keyClick(first, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), second);
    QCOMPARE(lost, 1);
}

QTEST_MAIN(ControlEventsTest)
#include "test_control_events.moc"
