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
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// No modem and one location; notes the modem it is told to use.
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

} // namespace

class FrmConnectionTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramFolder> machine_;
    std::unique_ptr<ScriptedUi> ui_;
    std::unique_ptr<HayesTelephony> tapi_;

  private Q_SLOTS:
    void init() {
        machine_ = std::make_unique<ProgramFolder>();
        ui_ = std::make_unique<ScriptedUi>();
        tapi_ = std::make_unique<HayesTelephony>();
        SaveSetting(kSettingsApp, "Modem", "Device", "/dev/ttyKES0");
        SaveSetting(kSettingsApp, "Modem", "Device2", "/dev/ttyKES1");
        QVERIFY(SaveLocations({{{"Home", "", false}, {"Office", "0,", true}}, 1}));
    }
    void cleanup() {
        tapi_.reset();
        ui_.reset();
        machine_.reset();
    }
    // The first modem and the current location, in the keyboard's order; a pick is current.
    void opensTabsAndPicks() {
        tapi_->SetCurrentModem(1);
        frmConnection form(*tapi_);
        QVERIFY(tapi_->CurrentModem() == 0 && form.cboModem->currentIndex() == 0);
        QCOMPARE(form.cboModem->itemText(1), u"/dev/ttyKES1"_s);
        QCOMPARE(form.cboLocation->itemText(1), u"Office"_s);
        QCOMPARE(form.cboLocation->currentIndex(), 1);

        form.show();
        QList<QWidget *> order{form.focusWidget()};
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(form.focusWidget(), Qt::Key_Tab);
            order.append(form.focusWidget());
        }
        QCOMPARE(order, (QList<QWidget *>{form.cmdSetupLocation, form.cmdSetupModem, form.cboModem,
                                          form.cboLocation, form.cmdClose}));
        QTest::keyClick(form.cboModem, Qt::Key_Down);
        QVERIFY(form.cboModem->currentIndex() == 1 && tapi_->CurrentModem() == 1);
        QTest::keyClick(form.cboLocation, Qt::Key_Up);
        QCOMPARE(ReadLocations().current, 0);
        QVERIFY(ui_->messages.isEmpty());
        QTest::keyClick(form.cmdClose, Qt::Key_Return);
        QVERIFY(!form.isVisible());
    }
    void withoutModemsItStillOpensAndCloses() {
        NoModems none;
        frmConnection form(none);
        QCOMPARE(none.current, 0);
        QCOMPARE(form.cboModem->count(), 0);
        QCOMPARE(form.cboLocation->itemText(0), u"Here"_s);
        // A location that cannot be made current is reported; the window stays.
        form.show();
        Q_EMIT form.cboLocation->activated(0);
        QVERIFY(ui_->messages.size() == 1 && form.isVisible());
        form.cmdClose->click();
        QVERIFY(!form.isVisible());
    }
    // OK keeps sound entries; the list is rebuilt and the edited modem stays current.
    void modemSetupStoresTheModemAndTheListIsRebuilt() {
        frmConnection form(*tapi_);
        tapi_->SetCurrentModem(1);
        ui_->modalActions.append([this](QDialog &dialog) {
            auto &setup = dynamic_cast<frmModemSetup &>(dialog);
            QCOMPARE(setup.txtDevice->text(), u"/dev/ttyKES1"_s);
            QCOMPARE(setup.txtInitString->text(), u"ATZ"_s);
            // Refused entries: a message, the focus on the box, nothing stored.
            for (const auto &[device, init, box] :
                 {std::tuple{u"  "_s, u"ATZ"_s, setup.txtDevice},
                  std::tuple{u"/dev/ttyS0"_s, u"AT\u00e9"_s, setup.txtInitString}}) {
                setup.txtDevice->setText(device);
                setup.txtInitString->setText(init);
                setup.cmdOK->click();
                QCOMPARE(setup.focusWidget(), box);
                QVERIFY(setup.isVisible());
            }
            QCOMPARE(ui_->messages.size(), 2);
            QCOMPARE(ui_->messages[0].text,
                     QByteArray("Please enter the modem's serial device, such as /dev/ttyS0."));
            QVERIFY(ui_->messages[1].text.startsWith("The initialisation string may hold"));
            QCOMPARE(ListModems()[1].device, QByteArray("/dev/ttyKES1"));
            setup.txtDevice->setText(u" /dev/ttyKES7 "_s);
            setup.txtInitString->setText(u"AT&F E0"_s);
            QTest::keyClick(setup.txtInitString, Qt::Key_Return);
            QCOMPARE(setup.focusWidget(), setup.cmdOK);
            setup.cmdOK->click();
        });
        form.cmdSetupModem->click();
        QCOMPARE(ui_->modalTitles, QByteArrayList{"Modem Setup"});
        QCOMPARE(ListModems()[1].device + ListModems()[1].initString, "/dev/ttyKES7AT&F E0");
        QCOMPARE(form.cboModem->itemText(1), u"/dev/ttyKES7"_s);
        QVERIFY(form.cboModem->currentIndex() == 1 && tapi_->CurrentModem() == 1);
    }
    // A new location becomes current; the open window's list is left as it was.
    void dialingPropertiesAddAndChooseALocation() {
        frmConnection form(*tapi_);
        ui_->modalActions.append([](QDialog &dialog) {
            auto &properties = dynamic_cast<frmDialingProperties &>(dialog);
            QCOMPARE(properties.txtName->text(), u"Office"_s);
            QCOMPARE(properties.txtPrefix->text(), u"0,"_s);
            QVERIFY(properties.optPulse->isChecked());
            properties.cmdNew->click();
            QCOMPARE(properties.focusWidget(), properties.txtName);
            QTest::keyClicks(properties.txtName, u"Cabin"_s);
            QTest::keyClick(properties.txtName, Qt::Key_Return);
            QCOMPARE(properties.focusWidget(), properties.txtPrefix);
            QTest::keyClicks(properties.txtPrefix, u"9a;,"_s);
            QCOMPARE(properties.txtPrefix->text(), u"9,"_s);
            properties.optTone->click();
            QTest::keyClick(properties.optTone, Qt::Key_Return);
        });
        form.cmdSetupLocation->click();
        const DiallingLocations stored = ReadLocations();
        QCOMPARE(stored.list,
                 (QList<DiallingLocation>{
                     {"Home", "", false}, {"Office", "0,", true}, {"Cabin", "9,", false}}));
        QVERIFY(stored.current == 2 && form.cboLocation->count() == 2);
        frmConnection again(*tapi_);
        QVERIFY(again.cboLocation->count() == 3 && again.cboLocation->currentIndex() == 2);
    }
    void dialingPropertiesRefuseBadLocations() {
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

        properties.txtName->setText(u"Office"_s);
        properties.cmdRemove->click();
        properties.cmdRemove->click();
        QCOMPARE(ui_->messages.size(), 2);
        QCOMPARE(ui_->messages[1].text, QByteArray("There must be at least one dialing location."));
        properties.cmdCancel->click();
        QCOMPARE(ReadLocations().list.size(), 2);
    }
};

QTEST_MAIN(FrmConnectionTest)
#include "test_frmConnection.moc"
