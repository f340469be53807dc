// Tprmdlg "Parameter Setting": the modal dialog that edits every parameter of the document
// that is not a map, shows the unit's valve condition and samples the throttle sensor. It is a
// window over the parameter form of the core: each handler hands the event to the form and
// shows the form again; only OK writes the document.
#pragma once
#include <QDialog>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "core/params/param_form.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace pv {

class Tprmdlg : public QDialog {
    Q_OBJECT
  public:
    // Opens on the document as it is now (FormCreate).
    explicit Tprmdlg(QWidget* parent = nullptr);

    void FormCreate();
    void FormClose();
    void btnokClick();
    void btnprintClick();
    void edNEoffsetEnter(PrmField field);
    // Up, Down, Page Up, Page Down step; Enter normalises. True when the key was used.
    bool edNEoffsetKeyDown(PrmField field, int key);
    void edNEoffsetExit(PrmField field);
    void btnTH0setClick();
    void btnTH100setClick();
    void rdwarning_onClick();
    void rdwarning_offClick();
    void rddropboost_onClick();
    void rddropboost_offClick();
    void cbbarselectChange();
    void cbunit_selectChange();
    void cbext_bypassChange();
    void cbaxis_select_noChange();
    void mmcommentChange();

    void done(int result) override;

    QTabWidget* pcprm = nullptr;
    QWidget* tsbasic = nullptr;
    QWidget* tscontrol = nullptr;
    QWidget* tsvalvecondition = nullptr;
    QWidget* tsmemo = nullptr;
    QGroupBox* gbfirst_select = nullptr;
    QGroupBox* gbnormal_select = nullptr;
    QGroupBox* gbfirst_value = nullptr;
    QGroupBox* gbnormal_value = nullptr;

    QComboBox* cbext_bypass = nullptr;
    QComboBox* cbunit_select = nullptr;
    QComboBox* cbcyls = nullptr;
    QComboBox* cbbarselect = nullptr;
    QComboBox* cbaxis_select_no = nullptr;
    QComboBox* cbspdpulse = nullptr;
    QComboBox* cbsampling_time = nullptr;
    QRadioButton* rdrev_sampling_on = nullptr;
    QRadioButton* rdrev_sampling_off = nullptr;
    QRadioButton* rdafter_on = nullptr;
    QRadioButton* rdafter_off = nullptr;
    QRadioButton* rddropboost_on = nullptr;
    QRadioButton* rddropboost_off = nullptr;
    QRadioButton* rdwarning_on = nullptr;
    QRadioButton* rdwarning_off = nullptr;
    QPushButton* btnTH0set = nullptr;
    QPushButton* btnTH100set = nullptr;
    QPushButton* btnok = nullptr;
    QPushButton* btncancel = nullptr;
    QPushButton* btnprint = nullptr;

    // The fifteen numeric fields, by PrmField.
    std::array<QLineEdit*, kPrmFieldCount> ed{};
    QLineEdit* field(PrmField f) const { return ed[static_cast<size_t>(f)]; }

    // lbkpaorpsi1 to lbkpaorpsi8 at index 0 to 7 (index 2 stands beside the bar maximum).
    std::array<QLabel*, 8> lbkpaorpsi{};
    QLabel* lbpower = nullptr;
    QLabel* lbstudy = nullptr;
    QLabel* lbstudyno = nullptr;
    QLabel* lbvalvetype = nullptr;
    QLabel* lbyaxis = nullptr;
    QLabel* lbxaxis = nullptr;
    QLabel* lbxaxistype = nullptr;
    QLabel* lbselect = nullptr;

    QPlainTextEdit* mmcomment = nullptr;
    QLabel* lbmemo_state = nullptr;  // why the last memo edit was cut short

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build();
    void show_form();
    std::optional<PrmField> field_of(QObject* o) const;
    void take_text(PrmField f);

    std::array<QLabel*, kPrmFieldCount> unit_{};  // the unit beside each field
    PrmForm form_;
    std::optional<PrmField> editing_;  // the numeric field that has the focus
    std::string memo_;                 // the memo as UTF-8, as last accepted
    std::string memo_bytes_;
    bool memo_changed_ = false;
};

// The print button's work: the main window's print dialog and, when confirmed, the parameter
// sheet of what `dialog` shows. The printing module installs it; without it the button does
// nothing.
using ParameterPrintout = std::function<void(Tprmdlg& dialog)>;
void set_parameter_printout(ParameterPrintout printout);

}  // namespace pv
