// The wizard's entries kept in the per-user settings file between runs.
#include "file_writes.h"
#include "program_folder.h"
#include "registry.h"
#include "saved_details.h"
#include "settings.h"
#include "startup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

namespace {

const QByteArray kProperties = "[Properties]\nAppPath=/opt/kestrune\n";
const QByteArray kModem = "[Modem]\nDevice=/dev/ttyS0\n";

QString SettingsFile() {
    return IniSettingsStore::filePath(kSettingsApp);
}

QByteArray FileText() {
    QFile file(SettingsFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteFileText(const QByteArray &text) {
    QFile file(SettingsFile());
    return QDir().mkpath(QFileInfo(SettingsFile()).absolutePath()) &&
           file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QByteArray Dialled() {
    QByteArray number;
    RegReadValue(winreg::HKEY_LOCAL_MACHINE, kServiceKey, kDialNumberValue, number);
    return number;
}

const WizardEntries kEntries{.txtFirstName = "Mary",
                             .txtSurname = "O'Brien",
                             .txtAddress1 = "12 Long Street",
                             .txtAddress2 = {},
                             .txtAddress3 = "Carlton",
                             .cboState = "VIC",
                             .txtPostcode = "3053",
                             .txtPhone = "03 9555 1234",
                             .txtEmail = "mary@example.com",
                             .lstExisting = "02 70105678\tSydney",
                             .txtAlternative = {},
                             .txtNickName = "MARYS",
                             .txtPassword = "secret12",
                             .txtPasswordConfirm = "secret12",
                             .txtCV = "two\r\nlines",
                             .txtCallbackNumberArea = "03",
                             .txtCallbackNumber = "95551234",
                             .cboHeardAbout = {}};

} // namespace

class SavedDetailsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    // Submit's save writes the file once, each page in a section of its
    // own, and reads back as saved. QSettings writes the sections and their
    // keys in alphabetical order, as it always has.
    void submitWritesTheFileOnce() {
        const ProgramFolder machine;
        QVERIFY(WriteFileText(kProperties + '\n' + kModem));
        FileWrites writes(SettingsFile());
        StoreRegistrationDetails(kEntries);
        QCOMPARE(writes.count(), 1);
        QCOMPARE(FileText(), kModem +
                                 "\n"
                                 "[Page1]\n"
                                 "Address1=12 Long Street\n"
                                 "Address2=\n"
                                 "Address3=Carlton\n"
                                 "Email=mary@example.com\n"
                                 "FirstName=Mary\n"
                                 "Phone=03 9555 1234\n"
                                 "Postcode=3053\n"
                                 "State=VIC\n"
                                 "SurName=O'Brien\n"
                                 "\n"
                                 "[Page2]\n"
                                 "ConnectPh=02 70105678\\tSydney\n"
                                 "Connection=0\n"
                                 "\n"
                                 "[Page3]\n"
                                 "CV=two\\r\\nlines\n"
                                 "NickName=MARYS\n"
                                 "Password=secret12\n"
                                 "PasswordConfirm=secret12\n"
                                 "\n"
                                 "[Page4]\n"
                                 "CallBackNumber=95551234\n"
                                 "CallBackNumberArea=03\n"
                                 "HeardAbout=\n"
                                 "\n" +
                                 kProperties);
        QCOMPARE(Dialled(), QByteArray("02 70105678"));
        const WizardEntries read = ReadRegistrationDetails();
        QCOMPARE(read.txtCV, QByteArray("two\r\nlines"));
        QCOMPARE(read.lstExisting, kEntries.lstExisting);
        QCOMPARE(read.cboHeardAbout, std::nullopt);

        // Start Over takes the four pages out in one write too.
        DeleteRegistrationDetails();
        QCOMPARE(writes.count(), 2);
        QCOMPARE(FileText(), kModem + '\n' + kProperties);
        QCOMPARE(Dialled(), QByteArray("02 70105678"));
    }

    // A settings file too large to be ours keeps its bytes; the number to
    // dial is still written.
    void oversizedFileLeftAsItIs() {
        const ProgramFolder machine;
        QByteArray text = kProperties + "\n[Notes]\n";
        while (text.size() <= kSettingsFileLimit)
            text += "Note" + QByteArray::number(text.size()) + "=" + QByteArray(50, 'n') + '\n';
        QVERIFY(WriteFileText(text));
        StoreRegistrationDetails(kEntries);
        DeleteRegistrationDetails();
        QVERIFY(FileText() == text);
        QCOMPARE(Dialled(), QByteArray("02 70105678"));
        QCOMPARE(ReadRegistrationDetails().txtFirstName, QByteArray());
    }
};

QTEST_GUILESS_MAIN(SavedDetailsTest)
#include "test_saved_details.moc"
