// The about box: the program's name and version, and the firmware versions of the unit's
// valve and display, asked through the link when the box opens.
#pragma once
#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace pv {

class Tvsndlg : public QDialog {
    Q_OBJECT
  public:
    explicit Tvsndlg(QWidget* parent = nullptr);

    void FormCreate();

    QFrame* Panel1 = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Copyright = nullptr;
    QLabel* lbvalve_ver = nullptr;
    QLabel* lbvnum_valve = nullptr;
    QLabel* lbdisp_ver = nullptr;
    QLabel* lbvnum_display = nullptr;
    QPushButton* OKButton = nullptr;
};

}  // namespace pv
