// The Connection Settings window and the windows it opens; Detect in the
// Modem Setup window, by keyboard, against simulated modems named in the
// settings.
#include "dialling_locations.h"
#include "frmConnection.h"
#include "frmDialingProperties.h"
#include "frmModemSetup.h"
#include "hayes_telephony.h"
#include "host_sim.h"
#include "modem_probe.h"
#include "modem_settings.h"
#include "program_folder.h"
#include "scripted_ui.h"
#include "settings.h"
#include "startup.h"
#include "window_checks.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// No modem and one location; notes the modem it is told to use.
class NoModems final : public Telephony {
  public:
    DialResult Dial(const QByteArray & /*number*/) override {
        return {.refusal = DialRefusal::NoModem, .device = {}, .holder = {}, .text = {}};
    }
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

bool OpenHere(const QByteArray &device) {
    const QDir fds(QStringLiteral("/proc/self/fd"));
    const QFileInfoList links = fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot);
    return std::ranges::any_of(links, [&device](const QFileInfo &fd) {
        return QFile::encodeName(fd.symLinkTarget()) == device;
    });
}

QString Latin1(const QByteArray &text) {
    return QString::fromLatin1(text);
}

QStringList StatusLines(const frmModemSetup &setup) {
    return setup.txtDetectStatus->toPlainText().split(u'\n');
}

} // namespace

class FrmConnectionTest : public QObject {
    Q_OBJECT

    // Two modems that are not there and two locations, the second current.
    struct Machine {
        ProgramFolder folder;
        ScriptedUi ui;
        HayesTelephony tapi;
        QTemporaryDir locks;
    };
    std::unique_ptr<Machine> m_;

    // The window on the current modem, probing the modems the settings list.
    std::unique_ptr<frmModemSetup> open(int answerWait) {
        auto setup = std::make_unique<frmModemSetup>(m_->tapi);
        setup->ctlProbe->setTimings({answerWait});
        setup->ctlProbe->setLockFolder(QFile::encodeName(m_->locks.path()));
        setup->ctlProbe->setPortList([] {
            QByteArrayList listed;
            for (const ModemEntry &modem : ListModems()) {
                if (modem.listed > 0)
                    listed.append(modem.device);
            }
            return listed;
        });
        setup->show();
        QApplication::setActiveWindow(setup.get());
        return setup;
    }
    // Alt+E; the focus stays where it was.
    static void detect(frmModemSetup &setup) {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus, Qt::Key_E, Qt::AltModifier);
        QVERIFY(QTest::qWaitFor([&setup] { return setup.ctlProbe->running(); }));
        QCOMPARE(QApplication::focusWidget(), focus);
    }

  private Q_SLOTS:
    void init() {
        m_ = std::make_unique<Machine>();
        SaveSetting(kSettingsApp, "Modem", "Device", "/dev/ttyKES0");
        SaveSetting(kSettingsApp, "Modem", "Device2", "/dev/ttyKES1");
        QVERIFY(SaveLocations({{{"Home", "", false}, {"Office", "0,", true}}, 1}));
    }
    void cleanup() { m_.reset(); }
    // The first modem and the current location, in the keyboard's order; a pick is current.
    void opensTabsAndPicks() {
        m_->tapi.SetCurrentModem(1);
        frmConnection form(m_->tapi);
        QVERIFY(m_->tapi.CurrentModem() == 0 && form.cboModem->currentIndex() == 0);
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
        QVERIFY(form.cboModem->currentIndex() == 1 && m_->tapi.CurrentModem() == 1);
        QTest::keyClick(form.cboLocation, Qt::Key_Up);
        QCOMPARE(ReadLocations().current, 0);
        QVERIFY(m_->ui.messages.isEmpty());
        QTest::keyClick(form.cmdClose, Qt::Key_Return);
        QVERIFY(!form.isVisible());
    }
    void withoutModemsItStillOpensAndCloses() {
        NoModems none;
        frmConnection form(none);
        QCOMPARE(none.current, 0);
        QCOMPARE(form.cboModem->count(), 0);
        // A location that cannot be made current is reported; the window stays.
        form.show();
        Q_EMIT form.cboLocation->activated(0);
        QVERIFY(m_->ui.messages.size() == 1 && form.isVisible());
        form.cmdClose->click();
        QVERIFY(!form.isVisible());
    }
    // OK keeps sound entries; the list is rebuilt and the edited modem stays current.
    void modemSetupStoresTheModemAndTheListIsRebuilt() {
        frmConnection form(m_->tapi);
        m_->tapi.SetCurrentModem(1);
        m_->ui.modalActions.append([this](QDialog &dialog) {
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
            QCOMPARE(m_->ui.messages.size(), 2);
            QCOMPARE(m_->ui.messages[0].text,
                     QByteArray("Please enter the modem's serial device, such as /dev/ttyS0."));
            QVERIFY(m_->ui.messages[1].text.startsWith("The initialisation string may hold"));
            QCOMPARE(ListModems()[1].device, QByteArray("/dev/ttyKES1"));
            setup.txtDevice->setText(u" /dev/ttyKES7 "_s);
            setup.txtInitString->setText(u"AT&F E0"_s);
            QTest::keyClick(setup.txtInitString, Qt::Key_Return);
            QCOMPARE(setup.focusWidget(), setup.cmdOK);
            setup.cmdOK->click();
        });
        form.cmdSetupModem->click();
        QCOMPARE(m_->ui.modalTitles, QByteArrayList{"Modem Setup"});
        QCOMPARE(ListModems()[1].device + ListModems()[1].initString, "/dev/ttyKES7AT&F E0");
        QCOMPARE(form.cboModem->itemText(1), u"/dev/ttyKES7"_s);
        QVERIFY(form.cboModem->currentIndex() == 1 && m_->tapi.CurrentModem() == 1);
    }
    // The last location cannot go; a location without a name is refused and
    // shown with the focus on its name; a new one becomes current; the open
    // window's list is left as it was.
    void dialingPropertiesRefuseAndAdd() {
        frmConnection form(m_->tapi);
        m_->ui.modalActions.append([this](QDialog &dialog) {
            auto &properties = dynamic_cast<frmDialingProperties &>(dialog);
            QCOMPARE(properties.txtName->text(), u"Office"_s);
            QCOMPARE(properties.txtPrefix->text(), u"0,"_s);
            QVERIFY(properties.optPulse->isChecked());
            properties.cmdRemove->click();
            properties.cmdRemove->click();
            QCOMPARE(m_->ui.messages.size(), 1);
            QCOMPARE(m_->ui.messages[0].text,
                     QByteArray("There must be at least one dialing location."));
            properties.cmdNew->click();
            QCOMPARE(properties.focusWidget(), properties.txtName);
            properties.txtName->clear();
            properties.cboLocation->setCurrentIndex(0);
            Q_EMIT properties.cboLocation->activated(0);
            properties.cmdOK->click();
            QCOMPARE(m_->ui.messages[1].text, QByteArray("Please enter a name for the location."));
            QCOMPARE(properties.cboLocation->currentIndex(), 1);
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
                 (QList<DiallingLocation>{{"Home", "", false}, {"Cabin", "9,", false}}));
        QVERIFY(stored.current == 1 && form.cboLocation->itemText(1) == u"Office"_s);
    }
    // Alt+E probes the three listed modems; the one that answered is
    // listed with its ATI text and has the focus; Enter puts its device in
    // the box, Enter on OK stores it for the current modem.
    void detectFindsAndPicksByKeyboard() {
        const HostSim mute("modem mute\n");
        const HostSim error("modem error-all\n");
        const HostSim answering("set ati \"Hayes Test 33600\"\n");
        SaveSetting(kSettingsApp, "Modem", "Device", mute.device());
        SaveSetting(kSettingsApp, "Modem", "Device2", error.device());
        SaveSetting(kSettingsApp, "Modem", "Device3", answering.device());
        const std::unique_ptr<frmModemSetup> setup = open(300);
        QCOMPARE(setup->txtDevice->text(), Latin1(mute.device()));

        detect(*setup);
        QVERIFY(QTest::qWaitFor([&] {
            return StatusLines(*setup).last() ==
                   Latin1("Probing " + mute.device() + " (1 of 3)...");
        }));
        QVERIFY(QTest::qWaitFor([&setup] { return !setup->ctlProbe->running(); }, 5000));
        QCOMPARE(setup->lstModems->count(), 1);
        QCOMPARE(setup->lstModems->item(0)->text(),
                 Latin1(answering.device() + ": Hayes Test 33600"));
        QCOMPARE(StatusLines(*setup),
                 (QStringList{Latin1(mute.device() + ": no answer."),
                              Latin1(error.device() + ": answered ERROR."),
                              Latin1(answering.device() + ": a modem answered."),
                              u"Found 1 modem: pick it and press Enter."_s}));
        QCOMPARE(setup->focusWidget(), setup->lstModems);
        QCOMPARE(setup->lstModems->currentRow(), 0);

        QTest::keyClick(setup->lstModems, Qt::Key_Return);
        QCOMPARE(setup->txtDevice->text(), Latin1(answering.device()));
        QCOMPARE(setup->focusWidget(), setup->cmdOK);
        QVERIFY(setup->isVisible());
        QTest::keyClick(setup->cmdOK, Qt::Key_Return);
        QVERIFY(!setup->isVisible());
        QCOMPARE(ListModems()[0].device, answering.device());
    }

    // Escape while Detect waits on a silent modem stops it there and closes
    // the port, the window staying; Escape then leaves the settings as they
    // were. Closing the window mid-probe stops it too.
    void escapeStopsDetect() {
        const HostSim mute("modem mute\n");
        const HostSim answering("\n");
        SaveSetting(kSettingsApp, "Modem", "Device", mute.device());
        SaveSetting(kSettingsApp, "Modem", "Device2", answering.device());
        std::unique_ptr<frmModemSetup> setup = open(60000);
        detect(*setup);
        QVERIFY(mute.waitForRecord("command \"ATZ\""));
        QVERIFY(OpenHere(mute.device()));

        setup->lstModems->setFocus();
        QTest::keyClick(setup->lstModems, Qt::Key_Escape);
        QVERIFY(!setup->ctlProbe->running() && !OpenHere(mute.device()));
        QVERIFY(setup->isVisible());
        QCOMPARE(StatusLines(*setup).last(), u"Detect stopped."_s);
        QTest::keyClick(setup->lstModems, Qt::Key_Escape);
        QVERIFY(!setup->isVisible());
        QCOMPARE(ListModems()[0].device, mute.device());

        setup = open(60000);
        detect(*setup);
        QVERIFY(QTest::qWaitFor([&] { return OpenHere(mute.device()); }));
        setup->close();
        QVERIFY(!setup->ctlProbe->running() && !OpenHere(mute.device()));
    }

    // Every control fits the window and its text fits the control; Tab
    // visits them in order, and Enter in the status goes to OK.
    void controlsFitAndTab() {
        const std::unique_ptr<frmModemSetup> setup = open(300);
        detect(*setup);
        QVERIFY(QTest::qWaitFor([&setup] { return !setup->ctlProbe->running(); }));
        QCOMPARE(StatusLines(*setup).last(),
                 u"No modem answered. Please check that it is connected and switched on, and "
                 "try again."_s);
        QCOMPARE(setup->focusWidget(), setup->txtDevice);

        QCOMPARE(LayoutProblems(*setup), QString());
        // Long status lines wrap rather than run out of sight.
        QCOMPARE(setup->txtDetectStatus->horizontalScrollBar()->maximum(), 0);

        const QList<QWidget *> order{setup->txtDevice, setup->txtInitString,   setup->cmdDetect,
                                     setup->lstModems, setup->txtDetectStatus, setup->cmdOK,
                                     setup->cmdCancel};
        setup->txtDevice->setFocus();
        for (QWidget *control : order + order.mid(0, 1)) {
            QCOMPARE(QApplication::focusWidget(), control);
            QTest::keyClick(control, Qt::Key_Tab);
        }
        setup->txtDetectStatus->setFocus();
        QTest::keyClick(setup->txtDetectStatus, Qt::Key_Return);
        QCOMPARE(setup->focusWidget(), setup->cmdOK);
        QVERIFY(setup->isVisible());
    }
};

QTEST_MAIN(FrmConnectionTest)
#include "test_frmConnection.moc"
