#include "wizard_driver.h"

#include "frmSurvey.h"

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
    window->ctlTAPI.setTimings(timings);
    window->ctlTAPI.setLockFolder(QFile::encodeName(QDir::tempPath()));
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
    switch (page) {
    case 0:
        window.txtFirstName->setFocus();
        for (const QString &text :
             {QStringLiteral("mary"), QStringLiteral("smith"), QStringLiteral("12 high street"),
              QString(), QStringLiteral("richmond")}) {
            Type(text);
            Press(Qt::Key_Return);
        }
        Type(QStringLiteral("n"));
        Press(Qt::Key_Return);
        Type(QStringLiteral("2000"));
        Press(Qt::Key_Return);
        Type(QStringLiteral("02 9555 1234"));
        Press(Qt::Key_Return);
        Type(QStringLiteral("mary@example.com"));
        Press(Qt::Key_Return);
        break;
    case 1:
        window.lstExisting->setFocus();
        Press(Qt::Key_Down);
        Press(Qt::Key_Return);
        break;
    case 2:
        window.txtNickName->setFocus();
        for (const QString &text :
             {QStringLiteral("marys"), QStringLiteral("secret"), QStringLiteral("secret")}) {
            Type(text);
            Press(Qt::Key_Return);
        }
        Type(QStringLiteral("Strategy games"));
        break;
    default:
        window.txtCallbackNumberArea->setFocus();
        Type(QStringLiteral("02"));
        Press(Qt::Key_Return);
        Type(QStringLiteral("95551234"));
        Press(Qt::Key_Return);
        Press(Qt::Key_Return);
        Type(QStringLiteral("f"));
        Press(Qt::Key_Return);
        break;
    }
}

void FillUpToLastPage(frmRegistration &window) {
    for (int page = 0; page < 3; ++page) {
        FillPage(window, page);
        Click(window.cmdNext);
    }
}

void FinishSurvey(QDialog &dialog) {
    auto &survey = dynamic_cast<frmSurvey &>(dialog);
    survey.cboOccupation->setCurrentIndex(0);
    survey.cmdFinish->click();
}
