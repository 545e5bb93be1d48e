#include "frmSplash.h"

#include "controls.h"
#include "fonts.h"
#include "pictures.h"
#include "program_files.h"
#include "program_state.h"
#include "twips.h"
#include "ui.h"
#include "window_placement.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QTimer>

frmSplash::frmSplash(const QPixmap &builtInLogo)
    : imgKestrune(new QLabel(this)),
      lblKestrune(CaptionLabel(this, "Kestrune", TwipsRect(150, 2940, 3135, 915), Arial(36, true),
                               Qt::white, Qt::AlignHCenter | Qt::AlignTop)),
      lblGameNetwork(CaptionLabel(this, "The games network", TwipsRect(150, 3900, 3135, 375),
                                  Arial(14.25, false), kLightBlue,
                                  Qt::AlignHCenter | Qt::AlignTop)),
      Timer1(new QTimer(this)), builtInLogo_(builtInLogo) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("Kestrune"));
    setFixedSize(Px(3420), Px(4455));
    SetColour(this, QPalette::Window, Qt::black);
    setAutoFillBackground(true);
    imgKestrune->setObjectName(QLatin1String(builtInLogo_.isNull() ? "imgKestrune" : "Image1"));
    imgKestrune->setGeometry(TwipsRect(300, 180, 2745, 2700));
    Timer1->setInterval(2000);
    connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    Form_Load();
}

void frmSplash::Form_Load() {
    ui().setMousePointer(MousePointer::Hourglass);
    CentreOnScreen(*this);
    if (!builtInLogo_.isNull()) {
        imgKestrune->setPixmap(builtInLogo_);
    } else {
        const QByteArray logo = FindProgramFile("kestrune.bmp");
        if (!logo.isEmpty())
            imgKestrune->setPixmap(LoadPicture(logo));
    }
    Timer1->start();
}

void frmSplash::Timer1_Timer() {
    Timer1->stop();
    timerFired_ = true;
    close();
}

void frmSplash::paintEvent(QPaintEvent *event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setPen(Qt::white);
    painter.drawLine(0, 0, 0, height() - 1);
    painter.drawLine(0, 0, width() - 1, 0);
}

void frmSplash::closeEvent(QCloseEvent *event) {
    // Only the timer closes the splash.
    if (timerFired_)
        QDialog::closeEvent(event);
    else
        event->ignore();
}

void frmSplash::reject() {
    if (timerFired_)
        QDialog::reject();
}
