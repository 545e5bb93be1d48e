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
    // Loads the logo from kestrune.bmp in the program folder when present.
    frmSplash();
    // Shows a logo built into the program; no file is looked for.
    explicit frmSplash(const QPixmap &builtInLogo);

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
    explicit frmSplash(const QPixmap *builtInLogo);

    QPixmap builtInLogo_;
    bool hasBuiltInLogo_;
    bool timerFired_ = false;
};
