// The channel display settings of a log window: which channels are drawn, their colours and
// chart scales, and the chart background. One dialog class, configured by the log side it
// serves (the data log or the comparison log).
#pragma once
#include <QColor>
#include <QDialog>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/logging/log_channels.h"
#include "core/logging/log_file.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace pv {

// A colour as the settings file stores it: 0x00BBGGRR (log_color is the way back).
int32_t stored_color(const QColor& color);

// The desktop's colour dialog. `initial` is the colour it starts with; `custom` fills the
// sixteen custom colours for this one run. None when the user cancels.
using ColorChooser = std::function<std::optional<int32_t>(QWidget* parent, int32_t initial,
                                                          const std::optional<int32_t>& custom)>;
std::optional<int32_t> desktop_color_dialog(QWidget* parent, int32_t initial,
                                            const std::optional<int32_t>& custom);

class Tlsetdlg : public QDialog {
    Q_OBJECT
  public:
    // `file_channels` and `file` describe the log the window shows.
    Tlsetdlg(const LogSide& side, const std::vector<int>& file_channels, const LogScale& file,
             ColorChooser choose_color, QWidget* parent = nullptr);

    // Runs the dialog for the log `h` modally; true after OK, when the side's settings hold
    // the choices.
    static bool run(const LogSide& side, const LogHeader& h, const ColorChooser& choose_color,
                    QWidget* parent);

    const ChannelSettingsWork& work() const { return work_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FormCreate();
    void layout_by_language();
    void DataRef(int row);
    void lblsetClick();
    void cbdrawClick(bool checked);
    void pnlcolorClick();
    void pnlbcolorClick();
    void edit_exit(QLineEdit* edit);
    bool edit_key_down(QLineEdit* edit, int vkey);
    void btnokClick();
    std::vector<int> selected_rows() const;
    std::optional<int32_t> choose(int32_t current);
    static void paint_panel(QPushButton* panel, int32_t color);
    EditField field_of(QLineEdit* edit) const;

    const LogSide& side_;
    ChannelSettingsWork work_;
    ColorChooser choose_color_;
    // The colour dialog keeps the last colour chosen while the settings dialog is open.
    std::optional<int32_t> dialog_color_;

    QListWidget* lblset = nullptr;
    QWidget* pnldisplayset = nullptr;
    QCheckBox* cbdraw = nullptr;
    QLabel* lbcolor = nullptr;
    QPushButton* pnlcolor = nullptr;
    QLabel* lbmax = nullptr;
    QLineEdit* edmax = nullptr;
    QLabel* lbmin = nullptr;
    QLineEdit* edmin = nullptr;
    QLabel* lbbcolor = nullptr;
    QPushButton* pnlbcolor = nullptr;
    QPushButton* btnok = nullptr;
    QPushButton* btncancel = nullptr;
};

}  // namespace pv
