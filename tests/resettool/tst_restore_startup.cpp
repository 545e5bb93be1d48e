#include "frmSplash.h"
#include "program_folder.h"
#include "registry.h"
#include "restore_startup.h"
#include "scripted_ui.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTest>
#include <QTimer>

namespace {

bool resetWindowExists() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [](const QWidget *window) {
        return qobject_cast<const frmAccountRestore *>(window) != nullptr;
    });
}

} // namespace

class TestRestoreStartup : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void splashComesFirstWithTheBuiltInLogo();
    void hourglassEndsWhenTheWindowIsActivated();
};

void TestRestoreStartup::splashComesFirstWithTheBuiltInLogo() {
    ProgramFolder folder;
    ScriptedUi ui;
    QCOMPARE(RegWriteString(HKEY_LOCAL_MACHINE, kServiceKey, kCommand1Value, "kes10234"), kTrue);
    bool splashSeen = false;
    ui.modalActions.append([&](QDialog &dialog) {
        auto *splash = qobject_cast<frmSplash *>(&dialog);
        QVERIFY(splash != nullptr);
        splashSeen = true;
        const auto *logo = splash->findChild<QLabel *>(QStringLiteral("Image1"));
        QVERIFY(logo != nullptr);
        QCOMPARE(logo->pixmap().size(), QSize(183, 180));
        QVERIFY(splash->Timer1->isActive());
        QCOMPARE(splash->Timer1->interval(), 2000);
        QCOMPARE(ui.mousePointer(), MousePointer::Hourglass);
        QVERIFY(!resetWindowExists());
        // The user cannot close it early; only its timer does.
        splash->close();
        QVERIFY(splash->isVisible());
        splash->Timer1_Timer();
        QVERIFY(!splash->isVisible());
    });

    const auto window = StartAccountRestore();

    QVERIFY(splashSeen);
    QVERIFY(ui.modalActions.isEmpty());
    QVERIFY(window->isVisible());
    QCOMPARE(window->lblUserName->text(), QStringLiteral("kes10234"));
    QCOMPARE(window->lblPassword->text(), QStringLiteral("<< Not Registered >>"));
    QCOMPARE(window->imgKestrune->pixmap().size(), QSize(183, 180));
    QVERIFY(!ui.ended);
}

void TestRestoreStartup::hourglassEndsWhenTheWindowIsActivated() {
    ProgramFolder folder;
    ScriptedUi ui;
    ui.modalActions.append(
        [](QDialog &dialog) { static_cast<frmSplash &>(dialog).Timer1_Timer(); });
    const auto window = StartAccountRestore();
    window->activateWindow();
    QApplication::processEvents();
    QVERIFY(window->isActiveWindow());
    QCOMPARE(ui.mousePointer(), MousePointer::Default);
}

QTEST_MAIN(TestRestoreStartup)
#include "tst_restore_startup.moc"
