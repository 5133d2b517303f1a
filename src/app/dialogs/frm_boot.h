#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QTimer;

namespace tarn {

// The boot screen, which doubles as the version display. Start-up mode shows
// "Now Booting" and ticks Timer1 once a second; version mode shows the version
// and an OK button. Whoever opened it closes it on dismissed().
class FrmBoot : public QWidget {
    Q_OBJECT

  public:
    enum class Mode { Startup, Version };

    explicit FrmBoot(Mode mode, QWidget* parent = nullptr);

    Mode mode() const { return mode_; }

  signals:
    // A Timer1 tick or a key press in start-up mode; OK or a key press in
    // version mode.
    void dismissed();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    Mode mode_;
    QTimer* timer1_ = nullptr;
};

} // namespace tarn
