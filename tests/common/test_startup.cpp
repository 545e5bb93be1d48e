#include "frmColors.h"
#include "frmSplash.h"
#include "frmTerms.h"
#include "program_files.h"
#include "program_folder.h"
#include "program_state.h"
#include "scripted_ui.h"
#include "settings.h"
#include "startup.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace modKestenrol;

namespace {

QByteArray appPathSetting() {
    return GetSetting("KestruneRegistration", "Properties", "AppPath");
}

// Reads the real settings file but refuses every write, as a settings file
// that cannot be written does.
class UnwritableSettings final : public SettingsStore {
  public:
    UnwritableSettings() { setSettingsStore(this); }
    ~UnwritableSettings() override { setSettingsStore(nullptr); }
    UnwritableSettings(const UnwritableSettings &) = delete;
    UnwritableSettings &operator=(const UnwritableSettings &) = delete;

    QByteArray read(const QByteArray &app, const QByteArray &section,
                    const QByteArray &key) override {
        ++reads;
        return real_.read(app, section, key);
    }
    bool write(const QByteArray &, const QByteArray &, const QByteArray &,
               const QByteArray &) override {
        ++writes;
        return false;
    }
    bool deleteSection(const QByteArray &, const QByteArray &) override { return false; }

    int reads = 0;
    int writes = 0;

  private:
    IniSettingsStore real_;
};

void fireSplashTimer(QDialog &dialog) {
    auto &splash = dynamic_cast<frmSplash &>(dialog);
    // Neither Escape nor the close box ends the splash early.
    QTest::keyClick(&splash, Qt::Key_Escape);
    splash.close();
    QVERIFY(splash.isVisible());
    QVERIFY(splash.Timer1->isActive());
    QCOMPARE(splash.Timer1->interval(), 2000);
    splash.Timer1_Timer();
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init();
    void firstRunWritesTheProgramFolder();
    void storedFolderIsUsed();
    void trailingSeparatorIsReplacedInTheSetting();
    void blanksOnBothReadsEndTheProgram();
    void acceptingOpensTheWizard();
    void rejectingOrClosingEndsTheProgram();
    void splashShowsTheLogoWhenPresent();

  private:
    std::unique_ptr<ProgramFolder> machine_;
};

void StartupTest::init() {
    machine_ = std::make_unique<ProgramFolder>();
    SetFallbackFolder(QFile::encodeName(machine_->root()) + "/no-fallback/");
    gAppPath.clear();
}

void StartupTest::firstRunWritesTheProgramFolder() {
    ScriptedUi script;
    QByteArray appPath;
    QVERIFY(FindAppPath(appPath));
    QCOMPARE(appPathSetting(), ProgramFileFolder());
    QCOMPARE(appPath, ProgramFileFolder() + '/');
    QVERIFY(script.messages.isEmpty());
    QCOMPARE(script.beeps, 0);
}

void StartupTest::storedFolderIsUsed() {
    ScriptedUi script;
    QVERIFY(SaveSetting("KestruneRegistration", "Properties", "AppPath",
                        QFile::encodeName(machine_->path())));
    QByteArray appPath;
    QVERIFY(FindAppPath(appPath));
    QCOMPARE(appPath, machine_->appPath());
    QCOMPARE(appPathSetting(), QFile::encodeName(machine_->path()));
}

void StartupTest::trailingSeparatorIsReplacedInTheSetting() {
    ScriptedUi script;
    QVERIFY(SaveSetting("KestruneRegistration", "Properties", "AppPath", machine_->appPath()));
    QByteArray appPath;
    QVERIFY(FindAppPath(appPath));
    QCOMPARE(appPathSetting(), ProgramFileFolder());
    QVERIFY(script.messages.isEmpty());
}

void StartupTest::blanksOnBothReadsEndTheProgram() {
    ScriptedUi script;
    QVERIFY(SaveSetting("KestruneRegistration", "Properties", "AppPath", "   "));
    UnwritableSettings settings;
    bool wizardOpened = false;
    Main([&] { wizardOpened = true; });
    QCOMPARE(settings.reads, 2);
    QCOMPARE(script.beeps, 1);
    QCOMPARE(script.messages.size(), 1);
    QCOMPARE(script.messages.first().text,
             QByteArray("The Registration program has not been initialised correctly. Please "
                        "contact support."));
    QCOMPARE(script.messages.first().title, QByteArray("Kestrune"));
    QCOMPARE(script.messages.first().icon, MsgIcon::Critical);
    QVERIFY(script.ended);
    QVERIFY(script.modalTitles.isEmpty());
    QVERIFY(!wizardOpened);
}

void StartupTest::acceptingOpensTheWizard() {
    ScriptedUi script;
    QVERIFY(SaveSetting("KestruneRegistration", "Properties", "AppPath",
                        QFile::encodeName(machine_->path())));
    machine_->writeFile(QStringLiteral("terms.txt"), "Terms\r\n");
    QFile::copy(QStringLiteral(KESTRUNE_SAMPLE_DIR "/blue.bmp"),
                machine_->path() + QStringLiteral("/blue.bmp"));
    bool wizardOpened = false;
    script.modalActions.append(fireSplashTimer);
    script.modalActions.append([&](QDialog &dialog) {
        QCOMPARE(script.mousePointer(), MousePointer::Default);
        dynamic_cast<frmTerms &>(dialog).cmdAccept->click();
    });
    Main([&] { wizardOpened = true; });
    QVERIFY(wizardOpened);
    QVERIFY(!script.ended);
    QCOMPARE(gPacketStart, '\x01');
    QCOMPARE(gPacketEnd, '~');
    QCOMPARE(gPacketEscape, '\x18');
    QCOMPARE(gAppPath, machine_->appPath());
    QCOMPARE(gTermsAccepted, kTrue);
    QCOMPARE(script.modalTitles,
             (QList<QByteArray>{"Kestrune", "Kestrune - Terms and Conditions"}));
    QCOMPARE(frmColors::instance().imgBlue->size(), QSize(80, 80));
    QVERIFY(!frmColors::instance().isVisible());
}

void StartupTest::rejectingOrClosingEndsTheProgram() {
    machine_->writeFile(QStringLiteral("terms.txt"), "Terms\r\n");
    QVERIFY(SaveSetting("KestruneRegistration", "Properties", "AppPath",
                        QFile::encodeName(machine_->path())));
    for (const bool useCloseBox : {false, true}) {
        ScriptedUi script;
        bool wizardOpened = false;
        script.modalActions.append(fireSplashTimer);
        script.modalActions.append([&](QDialog &dialog) {
            auto &terms = dynamic_cast<frmTerms &>(dialog);
            if (useCloseBox)
                terms.close();
            else
                terms.cmdReject->click();
        });
        Main([&] { wizardOpened = true; });
        QVERIFY(script.ended);
        QVERIFY(!wizardOpened);
        QVERIFY(script.messages.isEmpty());
        const QWidgetList windows = QApplication::topLevelWidgets();
        QVERIFY(std::none_of(windows.cbegin(), windows.cend(),
                             [](const QWidget *window) { return window->isVisible(); }));
    }
}

void StartupTest::splashShowsTheLogoWhenPresent() {
    ScriptedUi script;
    gAppPath = machine_->appPath();
    {
        frmSplash splash;
        QVERIFY(splash.imgKestrune->pixmap().isNull());
        QCOMPARE(script.mousePointer(), MousePointer::Hourglass);
        QCOMPARE(splash.size(), QSize(228, 297));
    }
    QFile::copy(QStringLiteral(KESTRUNE_SAMPLE_DIR "/kestrune.bmp"),
                machine_->path() + QStringLiteral("/kestrune.bmp"));
    frmSplash splash;
    QCOMPARE(splash.imgKestrune->pixmap().size(), QSize(183, 180));
}

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
