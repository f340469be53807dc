// The log window (Tlog): one log file as a strip chart with a movable cursor, beside a column
// of channel names and a column of the values under the cursor. The same class serves the
// data log and the comparison log; the LogSide it is made with says which (settings
// section, placeholder caption, where Log Link writes its values, whether it records and
// saves). The window reads the file on every paint and keeps nothing of the samples.
#pragma once
#include <QMdiSubWindow>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/logging/log_viewer.h"
#include "core/logging/recorder.h"

class QDialog;
class QFrame;
class QKeyEvent;
class QLabel;
class QPainter;
class QPushButton;
class QScrollBar;
class QTimer;
class QToolButton;

namespace pv {

// What a log window needs from the program around it.
class LogWindowHost {
  public:
    virtual ~LogWindowHost() = default;
    // lopendlg / lsavedlg. `initial` is the dialog's file name (a folder + "*.PVL", or a
    // file); `filter_text` the log catalogue's filter. The open dialog returns only existing
    // files; the save dialog has asked before overwriting and added ".PVL" when no
    // extension was given.
    virtual std::optional<std::string> open_log_file(QWidget* parent, const std::string& initial,
                                                     uint32_t filter_text) = 0;
    virtual std::optional<std::string> save_log_file(QWidget* parent,
                                                     const std::string& initial) = 0;
    // The channel settings dialog of the side, modally; true on OK.
    virtual bool run_log_settings(QWidget* parent, const LogSide& side, const LogHeader& h) = 0;
    // The recording window: the data monitor in its log mode, shown modally; `started` is
    // called with it once it exists, so the caller can close it from its timer.
    virtual void run_recording_monitor(const std::function<void(QDialog*)>& started) = 0;
    // The data monitor cannot stay open beside a recording: close it (false: it stayed).
    virtual bool close_data_monitor() = 0;
    // A sample was taken: the recording window shows the live values.
    virtual void refresh_data_monitor() = 0;
    // Log Link copied one value into the side's live values: move that side's map cursor.
    virtual void log_cursor_moved(const LogSide& side) = 0;
    // A log was loaded: the map window recomputes whether its cursor can follow.
    virtual void log_channels_changed() = 0;
    // The window is closing (FormClose): commands, Log Link and the registry follow.
    virtual void log_window_closed(const LogSide& side) = 0;
    // A recording ended by itself before the user stopped it (the unit fell silent, the file
    // took no more): the program says why, without a message box.
    virtual void recording_ended(RecordingEnd /*why*/) {}
};

// A paint box: paints through a callback and reports mouse presses.
class PaintBox : public QWidget {
    Q_OBJECT
  public:
    explicit PaintBox(QWidget* parent = nullptr);
    std::function<void(QPainter&, const QRect&)> paint;
    std::function<void(QMouseEvent*)> mouse_down;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

class Tlog : public QMdiSubWindow, private RecordingHost {
    Q_OBJECT
  public:
    Tlog(const LogSide& side, LogWindowHost& host, QWidget* parent = nullptr);
    ~Tlog() override;

    const LogSide& side() const { return viewer_.side(); }
    LogViewer& viewer() { return viewer_; }
    const LogViewer& viewer() const { return viewer_; }

    // Shows `path` (an existing file chosen elsewhere: the command line).
    void show_file(const std::string& path);
    // ChReset and SbdataReset.
    void ChReset();
    void SbdataReset();
    // Log Link went on or off: the values column pushes the cursor's values when on.
    void log_link_changed();
    // The three paint boxes again.
    void repaint_all();
    // The values column again; under Log Link its values go out as the live values.
    void values_changed();

    // Handlers under their design names.
    void btnopenClick();
    void btnsaveClick();
    void btnlogstartClick();
    void btnzoominClick();
    void btnzoomoutClick();
    void btnlsetClick();
    void sblogChange(int position);
    void sbdataChange(int position);
    void pblogMouseDown(QMouseEvent* event);

    // Controls under their design names.
    QWidget* Panel2 = nullptr;  // comparison log only: the title above Panel1
    QLabel* Panel3 = nullptr;   // the title
    QWidget* Panel1 = nullptr;
    QFrame* pnldata = nullptr;
    PaintBox* pbname = nullptr;
    PaintBox* pbdata = nullptr;
    QScrollBar* sbdata = nullptr;
    QWidget* pnlbtn = nullptr;
    QToolButton* btnopen = nullptr;
    QToolButton* btnsave = nullptr;  // data log only
    QToolButton* btnzoomout = nullptr;
    QToolButton* btnzoomin = nullptr;
    QToolButton* btnlset = nullptr;
    QLabel* lblogdate = nullptr;
    QLabel* lblogtime = nullptr;
    QPushButton* btnlogstart = nullptr;  // data log only
    QFrame* pnldraw = nullptr;
    PaintBox* pblog = nullptr;
    QScrollBar* sblog = nullptr;
    QTimer* logtimer = nullptr;
    int row_height = 0;

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FormCreate();
    void pbnamePaint(QPainter& p);
    void pbdataPaint(QPainter& p);
    void pblogPaint(QPainter& p, const QRect& area);
    bool chart_key(const QKeyEvent& key);
    void cursor_to_sample(int32_t sample);
    QStringList spoken_rows(bool values) const;
    QString spoken_cursor() const;
    QString spoken_chart() const;
    void pnldrawResize();
    void apply_back_color();
    void set_caption(const std::string& caption);
    void cursor_line_changed(int old_x);
    void report_missing_file();
    int chart_width() const;
    int chart_height() const;

    // RecordingHost
    bool close_monitor() override;
    void show_recording_file(const std::string& path) override;
    void run_recording_window(uint32_t interval_ms, const std::function<bool()>& tick) override;
    void refresh_monitor() override;
    void recording_finished(const std::string& path) override;

    LogViewer viewer_;
    LogWindowHost& host_;
    std::string open_dialog_file_;  // lopendlg's file name
    std::string save_dialog_file_;
    bool missing_reported_ = false;
    bool closed_ = false;
};

// The window's colour for a colour of the settings file (0x00BBGGRR).
QColor log_color(int32_t c);

}  // namespace pv
