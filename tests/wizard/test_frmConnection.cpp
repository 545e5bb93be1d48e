// The modem and dialling-location window and its two set-up dialogs,
// headless, over the settings of a throw-away machine.
#include "dialling_locations.h"
#include "frmConnection.h"
#include "frmDialingProperties.h"
#include "frmModemSetup.h"
#include "hayes_telephony.h"
#include "modem_settings.h"
#include "program_folder.h"
#include "scripted_ui.h"
#include "settings.h"
#include "startup.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

namespace {

// A telephony layer with no modem and one location, that notes what it is
// told.
class NoModems final : public Telephony {
  public:
    DialResult Dial(const QByteArray & /*number*/) override { return {0, DialRefusal::NoModem}; }
    bool CallInProgress() const override { return false; }
    std::int32_t HangUp() override { return 1; }
    std::int32_t CurrentModem() const override { return current; }
    void SetCurrentModem(std::int32_t index) override { current = index; }
    QByteArrayList ModemNames() const override { return {}; }
    QByteArrayList LocationNames(std::int32_t &currentLocation) const override {
        currentLocation = 0;
        return {"Here"};
    }
    bool SetCurrentLocation(std::int32_t /*index*/) override { return false; }
    SerialLine &Line() override { return line; }

    std::int32_t current = 5;
    SerialLine line;
};

void Setting(const char *section, const char *key, const QByteArray &value) {
    SaveSetting(kSettingsApp, section, key, value);
}

QStringList Items(const QComboBox *list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items.append(list->itemText(i));
    return items;
}

template <typename Window> Window &As(QDialog &dialog) {
    auto *window = qobject_cast<Window *>(&dialog);
    if (window == nullptr)
        qFatal("an unexpected window was shown: %s", qPrintable(dialog.windowTitle()));
    return *window;
}

} // namespace

class FrmConnectionTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init();
    void cleanup();
    void opensWithTheFirstModemAndTheCurrentLocation();
    void picksMakeTheirEntryCurrent();
    void withoutModemsItStillOpensAndCloses();
    void modemSetupStoresTheModemAndTheListIsRebuilt();
    void modemSetupRefusesBadEntries_data();
    void modemSetupRefusesBadEntries();
    void dialingPropertiesAddAndChooseALocation();
    void dialingPropertiesRefuseBadLocations();

  private:
    std::unique_ptr<ProgramFolder> machine_;
    std::unique_ptr<ScriptedUi> ui_;
    std::unique_ptr<HayesTelephony> tapi_;
};

void FrmConnectionTest::init() {
    machine_ = std::make_unique<ProgramFolder>();
    ui_ = std::make_unique<ScriptedUi>();
    tapi_ = std::make_unique<HayesTelephony>();
    Setting("Modem", "Device", "/dev/ttyKES0");
    Setting("Modem", "Device2", "/dev/ttyKES1");
    QVERIFY(SaveLocations({{{"Home", "", false}, {"Office", "0,", true}}, 1}));
}

void FrmConnectionTest::cleanup() {
    tapi_.reset();
    ui_.reset();
    machine_.reset();
}

void FrmConnectionTest::opensWithTheFirstModemAndTheCurrentLocation() {
    tapi_->SetCurrentModem(1);
    frmConnection form(*tapi_);
    QCOMPARE(form.windowTitle(), QStringLiteral("Connection Settings"));
    QCOMPARE(tapi_->CurrentModem(), 0);
    QCOMPARE(Items(form.cboModem).mid(0, 2),
             (QStringList{QStringLiteral("/dev/ttyKES0"), QStringLiteral("/dev/ttyKES1")}));
    QCOMPARE(form.cboModem->currentIndex(), 0);
    QCOMPARE(Items(form.cboLocation),
             (QStringList{QStringLiteral("Home"), QStringLiteral("Office")}));
    QCOMPARE(form.cboLocation->currentIndex(), 1);
    QCOMPARE(form.Label1[0]->text(),
             QStringLiteral("Please enter and/or correct the settings  for connection with your "
                            "modem to the Kestrune Service."));
    QCOMPARE(form.cboModem->accessibleName(), QStringLiteral("Modem:"));
    QCOMPARE(form.cboLocation->accessibleName(), QStringLiteral("Location:"));
    QCOMPARE(form.cboModem->toolTip(), QStringLiteral("A list of the Modems installed on this PC"));
    QCOMPARE(form.cmdSetupLocation->toolTip(), QStringLiteral("Dialing location configuraton"));

    // Tab order: the two Setup buttons, the two lists, Close.
    form.show();
    QList<QWidget *> order{form.focusWidget()};
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(form.focusWidget(), Qt::Key_Tab);
        order.append(form.focusWidget());
    }
    QCOMPARE(order, (QList<QWidget *>{form.cmdSetupLocation, form.cmdSetupModem, form.cboModem,
                                      form.cboLocation, form.cmdClose}));
    QTest::keyClick(form.cmdClose, Qt::Key_Return);
    QVERIFY(!form.isVisible());
}

void FrmConnectionTest::picksMakeTheirEntryCurrent() {
    frmConnection form(*tapi_);
    form.show();
    form.cboModem->setFocus();
    QTest::keyClick(form.cboModem, Qt::Key_Down);
    QCOMPARE(form.cboModem->currentIndex(), 1);
    QCOMPARE(tapi_->CurrentModem(), 1);
    QTest::keyClick(form.cboLocation, Qt::Key_Up);
    QCOMPARE(ReadLocations().current, 0);
    QVERIFY(ui_->messages.isEmpty());
}

void FrmConnectionTest::withoutModemsItStillOpensAndCloses() {
    NoModems none;
    frmConnection form(none);
    QCOMPARE(none.current, 0);
    QCOMPARE(form.cboModem->count(), 0);
    QCOMPARE(Items(form.cboLocation), QStringList{QStringLiteral("Here")});
    // A location that cannot be made current is reported; the window stays.
    form.show();
    Q_EMIT form.cboLocation->activated(0);
    QCOMPARE(ui_->messages.size(), 1);
    QVERIFY(form.isVisible());
    form.cmdClose->click();
    QVERIFY(!form.isVisible());
}

// OK keeps the device and initialisation string; the modem list is built
// again and the edited modem stays current.
void FrmConnectionTest::modemSetupStoresTheModemAndTheListIsRebuilt() {
    frmConnection form(*tapi_);
    tapi_->SetCurrentModem(1);
    ui_->modalActions.append([](QDialog &dialog) {
        auto &setup = As<frmModemSetup>(dialog);
        QCOMPARE(setup.windowTitle(), QStringLiteral("Modem Setup"));
        QCOMPARE(setup.txtDevice->text(), QStringLiteral("/dev/ttyKES1"));
        QCOMPARE(setup.txtInitString->text(), QStringLiteral("ATZ"));
        QCOMPARE(setup.txtDevice->accessibleName(), QStringLiteral("Device:"));
        setup.txtDevice->setText(QStringLiteral(" /dev/ttyKES7 "));
        setup.txtInitString->setText(QStringLiteral("AT&F E0"));
        QTest::keyClick(setup.txtInitString, Qt::Key_Return);
        QCOMPARE(setup.focusWidget(), setup.cmdOK);
        setup.cmdOK->click();
    });
    form.cmdSetupModem->click();
    QCOMPARE(ui_->modalTitles, QByteArrayList{"Modem Setup"});
    const QList<ModemEntry> modems = ListModems();
    QCOMPARE(modems[1].device, QByteArray("/dev/ttyKES7"));
    QCOMPARE(modems[1].initString, QByteArray("AT&F E0"));
    QCOMPARE(form.cboModem->itemText(1), QStringLiteral("/dev/ttyKES7"));
    QCOMPARE(form.cboModem->currentIndex(), 1);
    QCOMPARE(tapi_->CurrentModem(), 1);
}

void FrmConnectionTest::modemSetupRefusesBadEntries_data() {
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("init");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("no device") << QStringLiteral("  ") << QStringLiteral("ATZ")
                               << QByteArray("Please enter the modem's serial device")
                               << QStringLiteral("txtDevice");
    QTest::newRow("init string beyond the keyboard")
        << QStringLiteral("/dev/ttyS0") << QStringLiteral("AT\u00e9")
        << QByteArray("The initialisation string may hold") << QStringLiteral("txtInitString");
}

void FrmConnectionTest::modemSetupRefusesBadEntries() {
    QFETCH(QString, device);
    QFETCH(QString, init);
    QFETCH(QByteArray, message);
    QFETCH(QString, focus);
    frmModemSetup setup(*tapi_);
    setup.show();
    setup.txtDevice->setText(device);
    setup.txtInitString->setText(init);
    setup.cmdOK->click();
    QCOMPARE(ui_->messages.size(), 1);
    QVERIFY(ui_->messages[0].text.startsWith(message));
    QCOMPARE(ui_->messages[0].title, QByteArray("Kestrune Registration"));
    QCOMPARE(setup.focusWidget()->objectName(), focus);
    QVERIFY(setup.isVisible());
    QCOMPARE(ListModems()[0].device, QByteArray("/dev/ttyKES0"));
}

// A new location, typed by the keyboard, becomes the current one; the
// window's list stays as it was until the window is opened again.
void FrmConnectionTest::dialingPropertiesAddAndChooseALocation() {
    frmConnection form(*tapi_);
    ui_->modalActions.append([](QDialog &dialog) {
        auto &properties = As<frmDialingProperties>(dialog);
        QCOMPARE(properties.windowTitle(), QStringLiteral("Dialing Properties"));
        QCOMPARE(properties.txtName->text(), QStringLiteral("Office"));
        QCOMPARE(properties.txtPrefix->text(), QStringLiteral("0,"));
        QVERIFY(properties.optPulse->isChecked());
        properties.cmdNew->click();
        QCOMPARE(properties.focusWidget(), properties.txtName);
        QTest::keyClicks(properties.txtName, QStringLiteral("Cabin"));
        QTest::keyClick(properties.txtName, Qt::Key_Return);
        QCOMPARE(properties.focusWidget(), properties.txtPrefix);
        QTest::keyClicks(properties.txtPrefix, QStringLiteral("9a;,"));
        QCOMPARE(properties.txtPrefix->text(), QStringLiteral("9,"));
        properties.optTone->click();
        QTest::keyClick(properties.optTone, Qt::Key_Return);
    });
    form.cmdSetupLocation->click();
    const DiallingLocations stored = ReadLocations();
    QCOMPARE(stored.list,
             (QList<DiallingLocation>{
                 {"Home", "", false}, {"Office", "0,", true}, {"Cabin", "9,", false}}));
    QCOMPARE(stored.current, 2);
    QCOMPARE(form.cboLocation->count(), 2);

    frmConnection again(*tapi_);
    QCOMPARE(again.cboLocation->count(), 3);
    QCOMPARE(again.cboLocation->currentIndex(), 2);
}

void FrmConnectionTest::dialingPropertiesRefuseBadLocations() {
    frmDialingProperties properties;
    properties.show();
    properties.txtName->clear();
    properties.cboLocation->setCurrentIndex(0);
    Q_EMIT properties.cboLocation->activated(0);
    properties.cmdOK->click();
    QCOMPARE(ui_->messages.size(), 1);
    QCOMPARE(ui_->messages[0].text, QByteArray("Please enter a name for the location."));
    QCOMPARE(properties.cboLocation->currentIndex(), 1);
    QCOMPARE(properties.focusWidget(), properties.txtName);

    properties.txtName->setText(QStringLiteral("Office"));
    properties.cmdRemove->click();
    properties.cmdRemove->click();
    QCOMPARE(ui_->messages.size(), 2);
    QCOMPARE(ui_->messages[1].text, QByteArray("There must be at least one dialing location."));
    properties.cmdCancel->click();
    QCOMPARE(ReadLocations().list.size(), 2);
}

QTEST_MAIN(FrmConnectionTest)
#include "test_frmConnection.moc"
