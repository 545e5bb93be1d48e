// Detect in the Modem Setup window, by keyboard, against simulated modems
// named in the settings.
#include "frmModemSetup.h"
#include "hayes_telephony.h"
#include "host_sim.h"
#include "modem_probe.h"
#include "modem_settings.h"
#include "program_folder.h"
#include "scripted_ui.h"
#include "settings.h"
#include "startup.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

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

class FrmModemSetupTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramFolder> machine_;
    std::unique_ptr<ScriptedUi> ui_;
    std::unique_ptr<HayesTelephony> tapi_;
    QTemporaryDir locks_;

    // The window on the current modem, probing the modems the settings list.
    std::unique_ptr<frmModemSetup> open(int answerWait) {
        auto setup = std::make_unique<frmModemSetup>(*tapi_);
        setup->ctlProbe->setTimings({answerWait});
        setup->ctlProbe->setLockFolder(QFile::encodeName(locks_.path()));
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
        machine_ = std::make_unique<ProgramFolder>();
        ui_ = std::make_unique<ScriptedUi>();
        tapi_ = std::make_unique<HayesTelephony>();
    }
    void cleanup() {
        tapi_.reset();
        ui_.reset();
        machine_.reset();
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
        QCOMPARE(setup->txtDevice->text(), Latin1(mute.device()));

        QTest::keyClick(setup->lstModems, Qt::Key_Return);
        QCOMPARE(setup->txtDevice->text(), Latin1(answering.device()));
        QCOMPARE(setup->focusWidget(), setup->cmdOK);
        QVERIFY(setup->isVisible());
        QTest::keyClick(setup->cmdOK, Qt::Key_Return);
        QVERIFY(!setup->isVisible());
        QCOMPARE(ListModems()[0].device, answering.device());
        QVERIFY(!mute.record().contains("command \"ATI\""));
        QVERIFY(answering.record().contains("command \"ATI\""));
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
        QVERIFY(!answering.record().contains("line-opened"));
    }

    // Every control fits the window and its text fits the control; Tab
    // visits them in order, and Enter in the status goes to OK.
    void controlsFitAndTab() {
        SaveSetting(kSettingsApp, "Modem", "Device", "/dev/kestrune-no-such-port");
        const std::unique_ptr<frmModemSetup> setup = open(300);
        detect(*setup);
        QVERIFY(QTest::qWaitFor([&setup] { return !setup->ctlProbe->running(); }));
        QCOMPARE(StatusLines(*setup),
                 (QStringList{u"/dev/kestrune-no-such-port: does not exist."_s,
                              u"No modem answered. Please check that it is connected and switched "
                              "on, and try again."_s}));
        QCOMPARE(setup->focusWidget(), setup->txtDevice);

        for (QWidget *control : setup->findChildren<QWidget *>()) {
            if (control->parentWidget() != setup.get())
                continue;
            QVERIFY2(setup->rect().contains(control->geometry()),
                     qPrintable(control->objectName()));
            if (const auto *label = qobject_cast<QLabel *>(control)) {
                const QRect room = label->contentsRect();
                QVERIFY2(room.contains(label->fontMetrics().boundingRect(
                             room, int(label->alignment()), label->text())),
                         qPrintable(label->text()));
            } else if (const auto *button = qobject_cast<QPushButton *>(control)) {
                const QString caption = button->text().remove(u'&');
                QVERIFY2(button->fontMetrics().horizontalAdvance(caption) + 12 <= button->width(),
                         qPrintable(caption));
            } else {
                QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
            }
        }
        QCOMPARE(setup->lstModems->accessibleName(), u"Modems found:"_s);
        // Long status lines wrap rather than run out of sight.
        QCOMPARE(setup->txtDetectStatus->horizontalScrollBar()->maximum(), 0);

        const QList<QWidget *> order{setup->txtDevice, setup->txtInitString,   setup->cmdDetect,
                                     setup->lstModems, setup->txtDetectStatus, setup->cmdOK,
                                     setup->cmdCancel};
        setup->txtDevice->setFocus();
        for (qsizetype i = 0; i < order.size(); ++i) {
            QCOMPARE(QApplication::focusWidget(), order[i]);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(QApplication::focusWidget(), order[0]);
        setup->txtDetectStatus->setFocus();
        QTest::keyClick(setup->txtDetectStatus, Qt::Key_Return);
        QCOMPARE(setup->focusWidget(), setup->cmdOK);
        QVERIFY(setup->isVisible());
    }
};

QTEST_MAIN(FrmModemSetupTest)
#include "test_frmModemSetup.moc"
