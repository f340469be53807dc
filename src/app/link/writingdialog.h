// The short "Processing..." dialog that ends every parameter send.
#pragma once
#include <QDialog>

class QLabel;
class QTimer;

namespace pv {

class TWritingdlg : public QDialog {
    Q_OBJECT
  public:
    explicit TWritingdlg(QWidget* parent = nullptr);

    void tmmessTimer();
    // Closing holds the dialog up a little longer, so that nothing talks to the unit while it
    // takes the new set into use.
    void done(int result) override;
    void reject() override;

    QLabel* writing_message = nullptr;
    QTimer* tmmess = nullptr;
};

}  // namespace pv
