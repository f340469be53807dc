// The splash window: the first window of a run. Its creation settles the language and the
// current folder and requires the splash picture.
#pragma once
#include <QWidget>
#include <cstdint>
#include <string>

class QLabel;

namespace pv {

class Tsplashdlg : public QWidget {
    Q_OBJECT
  public:
    explicit Tsplashdlg(QWidget* parent = nullptr);

    // Steps S1 to S4 of start-up. False when "SPLASH.BMP" is missing (the user has been
    // told); the program then ends without a main window.
    bool FormCreate(const std::string& program_dir, uint16_t lang_id);
    // Tick count at which the splash appeared.
    uint32_t start_tick() const { return start_tick_; }

  private:
    QLabel* imsplash_;
    uint32_t start_tick_ = 0;
};

}  // namespace pv
