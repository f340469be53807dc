// The data monitor (Tmntdlg): a small always-on-top window with the unit's six live values.
// Opened from the Data Monitor button it is a plain window beside the others; opened while
// monitor_log_mode is 1 it is the log recorder's modal window, where Space marks the log
// and Escape ends the recording.
#pragma once
#include <QDialog>
#include <array>
#include <string>
#include <utility>
#include <tuple>

#include "app/common/laid_out_texts.h"
#include "core/logging/monitor.h"
#include "core/ui/hooks.h"

class QAction;
class QActionGroup;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;

namespace pv {

class Tmntdlg : public QDialog, public LiveViews {
    Q_OBJECT
  public:
    // FormCreate. The window frees itself when it closes.
    explicit Tmntdlg(QWidget* parent = nullptr);
    ~Tmntdlg() override;

    // The window while it exists (there is at most one).
    static Tmntdlg* current();

    // Monitor refresh after a successful poll: the visible labels from the live values.
    void refresh();
    // Places the six labels for the current font and shows them.
    void SetView();
    // Setting > Font Size (tags 1..6) and Setting > Frame Size (1 Auto, 2 Manual).
    void ms1Click(int tag);
    void mntautosize_onClick(int tag);
    // Activates the Font Size item of monitor_font_index, as a click on it would.
    void activate_font_item();
    // Activates the Frame Size item of monitor_size and unchecks the other.
    void activate_frame_item();

    // LiveViews: the link's poll refreshes the labels; the link going off closes the window.
    void refresh_monitor() override { refresh(); }
    void close_monitor() override { close(); }

    bool log_mode() const { return log_mode_; }
    // Where the painted units start, in the paint box.
    int unit_column() const;
    const MonitorLabels& labels() const { return labels_; }

    QMenuBar* menubar = nullptr;
    QMenu* menumset = nullptr;
    QMenu* mmnt2 = nullptr;
    QMenu* menumsize = nullptr;
    std::array<QAction*, 6> ms{};
    QAction* mntautosize_on = nullptr;
    QAction* mntautosize_off = nullptr;
    QFrame* pnlmnt = nullptr;
    QWidget* pbmnt = nullptr;
    // lbboost, lbpeak_hold, lbrev_speed, lbthrottle, lbcorrect_boost, lbcorrect_offset.
    std::array<QLabel*, kMonitorRows> value_labels{};
    // Takes the keyboard in the recording window: Space marks, Escape ends.
    QPushButton* btnmarking = nullptr;

  signals:
    // FormClose ran: the window is going (its host lets go of it here).
    void closed();

  public slots:
    // Escape ends the recording window with the OK result; the plain monitor ignores it.
    void reject() override;
    void done(int result) override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FormClose();
    struct Columns {
        int values = 0;  // where a value's column starts
        int units = 0;   // where the units start
        int blank = 0;
        int row_height = 0;
        int value_height = 0;  // a value label's
        std::array<int, 128> char_advance{};  // of the ASCII characters in a value label's font
    };
    const Columns& columns() const;
    void place_value_label(int row);
    void pbmntPaint(const QRect& dirty);
    void btnmarkingKeyDown(QKeyEvent* event);
    void btnmarkingKeyUp(QKeyEvent* event);
    void name_labels();

    MonitorLabels labels_;
    bool log_mode_ = false;
    bool first_sizing_ = true;
    bool first_paint_ = true;
    bool closed_ = false;
    bool painted_rpm_ = true;
    uint8_t painted_unit_ = 0;
    QActionGroup* font_items_ = nullptr;
    QActionGroup* frame_items_ = nullptr;
    mutable Columns columns_;
    // The fonts, pressure unit and rev kind the columns were worked out for.
    using ColumnsKey = std::tuple<QFont, QFont, uint8_t, bool>;
    mutable ColumnsKey columns_key_;
    int value_width(const QString& value, int room) const;
    const QString& shown_text(int slot, const std::string& text);
    // The names and units the panel paints under a value label at each of its repaints.
    LaidOutTexts row_texts_;
    std::array<std::pair<std::string, QString>, 2 * kMonitorRows> shown_texts_;
};

}  // namespace pv
