#include "frmSplash.h"
#include "program_folder.h"
#include "registry.h"
#include "restore_startup.h"
#include "scripted_ui.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

class TestRestoreStartup : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void splashThenResetWindow();
};

void TestRestoreStartup::splashThenResetWindow() {
    ProgramFolder folder;
    ScriptedUi ui;
    QCOMPARE(RegWriteString(HKEY_LOCAL_MACHINE, kServiceKey, kCommand1Value, "kes10234"), kTrue);
    bool splashSeen = false;
    ui.modalActions.append([&](QDialog &dialog) {
        auto &splash = static_cast<frmSplash &>(dialog);
        const auto *logo = splash.findChild<QLabel *>(QStringLiteral("Image1"));
        QVERIFY(logo != nullptr);
        QCOMPARE(logo->pixmap().size(), QSize(183, 180));
        QCOMPARE(splash.Timer1->interval(), 2000);
        QVERIFY(splash.Timer1->isActive());
        QCOMPARE(ui.mousePointer(), MousePointer::Hourglass);
        for (const QWidget *window : QApplication::topLevelWidgets())
            QVERIFY(qobject_cast<const frmAccountRestore *>(window) == nullptr);
        // Only the timer closes the splash.
        splash.close();
        QVERIFY(splash.isVisible());
        splash.Timer1_Timer();
        splashSeen = !splash.isVisible();
    });

    const auto window = StartAccountRestore();

    QVERIFY(splashSeen);
    QVERIFY(window->isVisible());
    QCOMPARE(window->lblUserName->text(), QStringLiteral("kes10234"));
    QCOMPARE(window->lblPassword->text(), QStringLiteral("<< Not Registered >>"));
    QCOMPARE(window->imgKestrune->pixmap().size(), QSize(183, 180));
    // Activation turns the splash's hourglass back into the arrow.
    window->activateWindow();
    QApplication::processEvents();
    QVERIFY(window->isActiveWindow());
    QCOMPARE(ui.mousePointer(), MousePointer::Default);
    QVERIFY(!ui.ended);
}

QTEST_MAIN(TestRestoreStartup)
#include "tst_restore_startup.moc"
