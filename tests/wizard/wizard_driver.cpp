#include "wizard_driver.h"

#include "frmSurvey.h"
#include "registration_call.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

std::unique_ptr<frmRegistration> StartWizard(const HayesTimings &timings) {
    auto window = std::make_unique<frmRegistration>();
    window->Call().ctlTAPI.setTimings(timings);
    window->Call().ctlTAPI.setLockFolder(QFile::encodeName(QDir::tempPath()));
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get()))
        qWarning("the wizard window did not become active");
    return window;
}

QWidget *Focused() {
    return QApplication::focusWidget();
}

void Type(const QString &text) {
    for (const QChar character : text) {
        // Keys beyond ASCII arrive as their text, as an input method sends them.
        if (character.unicode() < 128)
            QTest::keyClick(Focused(), character.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, Focused(), Qt::Key_unknown, QString(character),
                                Qt::NoModifier);
    }
}

void Enter(const QString &text) {
    Type(text);
    Press(Qt::Key_Return);
}

void Press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(Focused(), key, modifiers);
}

void PressAlt(Qt::Key key) {
    QWidget *window = Focused()->window();
    Press(key, Qt::AltModifier);
    const bool released = QTest::qWaitFor([window] {
        const auto buttons = window->findChildren<QAbstractButton *>();
        return std::none_of(buttons.begin(), buttons.end(),
                            [](const QAbstractButton *button) { return button->isDown(); });
    });
    if (!released)
        qWarning("a button stayed pushed");
}

void Click(QWidget *button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

void FillPage(frmRegistration &window, int page) {
    // Each page's entries, | between them; page 1 picks the second dial-in point.
    static const char *const kEntries[] = {
        "mary|smith|12 high street||richmond|n|2000|02 9555 1234|mary@example.com", "",
        "marys|secret|secret|Strategy games", "02|95551234||f"};
    QWidget *first[] = {window.txtFirstName, window.lstExisting, window.txtNickName,
                        window.txtCallbackNumberArea};
    first[page]->setFocus();
    if (page == 1)
        Press(Qt::Key_Down);
    const QStringList entries = QString::fromLatin1(kEntries[page]).split(u'|');
    for (qsizetype i = 0; i < entries.size(); ++i)
        (page == 2 && i == 3 ? Type : Enter)(entries[i]); // the CV stays open
}

void FillAllPages(frmRegistration &window) {
    for (int page = 0; page < 3; ++page) {
        FillPage(window, page);
        Click(window.cmdNext);
    }
    FillPage(window, 3);
}

void FinishSurvey(QDialog &dialog) {
    auto &survey = dynamic_cast<frmSurvey &>(dialog);
    survey.cboOccupation->setCurrentIndex(0);
    survey.cmdFinish->click();
}
