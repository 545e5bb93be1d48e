#pragma once

#include <QDialog>
#include <QPixmap>

class QLabel;
class QTimer;

// The borderless black splash shown for two seconds at start-up. It closes
// itself from its timer; the user cannot dismiss it earlier.
class frmSplash final : public QDialog {
    Q_OBJECT
  public:
    // Shows the logo built into the program when one is given; without one
    // it loads kestrune.bmp from the program folder when present.
    explicit frmSplash(const QPixmap &builtInLogo = QPixmap());

    QLabel *imgKestrune;
    QLabel *lblKestrune;
    QLabel *lblGameNetwork;
    QTimer *Timer1;

    void Form_Load();
    void Timer1_Timer();

  protected:
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

  private:
    QPixmap builtInLogo_;
    bool timerFired_ = false;
};
