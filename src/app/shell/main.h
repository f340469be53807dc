// The main window: the multiple-document frame that hosts every other window, carries the
// menus, the tool bar and the status bar, and runs the program's commands.
#pragma once
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/settings/settings_file.h"
#include "core/ui/hooks.h"

class QAction;
class QActionGroup;
class QLabel;
class QMdiArea;
class QMenu;
class QPrinter;
class QTimer;
class QToolBar;

namespace pv {

class ShellDialogs;
class Tmap;

// Where the program's files are for this run.
struct ShellPaths {
    std::string program_path;  // the program file, absolute
    std::string program_dir;   // its folder: splash picture, help files, icons
    std::string data_dir;      // where the settings file, UNITDATA.PVD and TMPLOG.PVL live
    std::string settings_file() const;
};

// Status panel 0, the link and transfer indicator.
struct Panel0Look {
    enum Fill { None, Blue, Green } fill = None;
    std::string text;  // 8-bit text of the text library, or a fixed ASCII label
};
Panel0Look status_panel0_look();

class StatusPanel0;

class Tmain : public QMainWindow, public FrontEndHooks {
    Q_OBJECT
  public:
    Tmain(ShellPaths paths, ShellDialogs* dialogs, QWidget* parent = nullptr);
    ~Tmain() override;

    // Start-up (creation and first show) and the command-line file.
    void FormCreate(uint32_t splash_start_tick);
    void FormShow(const std::vector<std::string>& args);
    void ActiveHandle();
    void MakeMap();

    void RefreshCommands();
    void EnableEditCommands(bool on);
    void SetGridEnabled(bool on);

    // Text of status panel 1 to 3 (panel 0 draws itself).
    void set_status_text(int panel, const QString& text);
    QString status_text(int panel) const;
    QWidget* status_panel(int panel) const;

    Tmap* map_window() const;
    QMenu* grid_popup() const { return pmmap; }
    const ShellPaths& paths() const { return paths_; }
    const ShellSettings& shell_settings() const { return shell_; }
    bool settings_written() const { return settings_written_; }
    QAction* action(const QString& name) const;  // by its design name: "menusave", "btnlink"
    // Opens files and web addresses with the desktop's program; tests replace it.
    std::function<bool(const std::string&)> open_external;

    // The map window's close flow asks the shell to save ("Save data?" answered Yes).
    // False when the document was not saved: the dialog was cancelled or the write failed
    // (which has been reported).
    bool save_before_close();
    // The map window is going away: its commands and status panels follow.
    void map_closed();

    // FrontEndHooks
    void cell_written(int column, int row, const std::string& text) override;
    void refresh_commands() override { RefreshCommands(); }
    void repaint_status_bar() override;
    void set_undo_enabled(bool enabled) override;
    void set_save_enabled(bool enabled) override;
    void set_windows_busy(bool busy) override;
    void normal_cursor() override;
    // Transfers, data lock and live link (src/app/link/link_hooks.cpp).
    bool commit_axis_edit() override;
    bool run_progress_dialog(uint8_t kind, const std::function<bool()>& job) override;
    void set_gauge_maximum(int maximum) override;
    void gauge_step() override;
    void show_processing_dialog() override;
    bool close_map_window() override;
    void make_map_window() override;
    void set_map_caption(const std::string& text8) override;
    void save_unit_data() override;
    SaveResult save_modified_document() override;
    void setup_grid() override;
    void fill_grid() override;
    void fill_table_list() override;
    bool grid_enabled() override;
    void set_grid_enabled(bool on) override;
    void repaint_map_grid() override;
    void set_link_button(bool down) override;
    void set_link_timer(uint32_t interval_ms) override;
    void clear_cursor_hold() override;
    void release_trace_buttons() override;

  public slots:
    // Shell commands.
    void menunewClick();
    void menuopenClick();
    void menusaveClick();
    void menusaveasClick();
    void menuprintClick();
    void menuexitClick();
    void menuparamClick();
    void btngraphClick();
    void mcom1Click(int tag);
    void mc1Click(int tag);
    void ml1Click(int tag);
    void mtr1Click(int tag);
    void menuContentsClick();
    void menuvsnClick();
    void img_tebriklogoDblClick();

    // Map editing commands (the map window carries them out).
    void menuundoClick();
    void menucutClick();
    void menucopyClick();
    void menupasteClick();
    void menuconstClick();
    void menurateClick();
    void menutrimClick();
    void menuotherClick();
    void menuopasteClick();

    // Transfers, lock and link (src/app/link).
    void menureadClick();
    void menupreadClick();
    void menuwriteClick();
    void menupwriteClick();
    void mproonClick();
    void mprooffClick();
    void mproresetClick();
    void btnlinkClick();
    void btnlocusClick();
    void btnatselClick();
    void linktimerTimer();

    // Monitor and logs (src/app/logging).
    void btnmntClick();
    void btnlogClick();
    void menuloglinkClick();
    void menuotherlogClick();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    friend class Tmap;
    void build_actions();
    void build_menus();
    void build_toolbar();
    void build_status_bar();
    void build_popup();
    void save_document(bool save_as);
    void refresh_com_captions();
    void fill_window_menu();
    void arrange(Qt::Orientation orientation);
    void arrange_icons();
    // Stops the live link before a command replaces the document; lives with the link commands.
    void link_off();
    // The log window for a log file named on the command line.
    void open_log_window(const std::string& path);
    void print_map();
    void show_about_box();
    bool run_parameter_dialog();

    ShellPaths paths_;
    ShellDialogs* dialogs_;
    ShellSettings shell_;
    bool settings_written_ = false;
    std::string opendlg_filename_;
    std::string savedlg_filename_;
    std::unique_ptr<QPrinter> printer_;
    QPointer<Tmap> map_;

    QMdiArea* mdi_ = nullptr;
    QWidget* Panel1 = nullptr;
    QToolBar* toolbar_ = nullptr;
    QLabel* img_tebriklogo = nullptr;
    QWidget* panel0_ = nullptr;  // drawn by the program (StatusPanel0)
    std::array<QLabel*, 4> panels_{};
    QTimer* linktimer = nullptr;
    QMenu* pmmap = nullptr;
    QMenu* menu_window_ = nullptr;
    QMenu* menu_com_ = nullptr;
    QMenu* menu_comm_ = nullptr;

  public:
    // Menu items and tool buttons under their design names.
    QAction *menunew{}, *menuopen{}, *menusave{}, *menusaveas{}, *menuprint{}, *menuexit{};
    QAction *menuundo{}, *menucut{}, *menucopy{}, *menupaste{}, *menuconst{}, *menurate{},
        *menutrim{};
    QAction* menuparam{};
    std::array<QAction*, 5> mc{};
    QAction *menuread{}, *menupread{}, *menuwrite{}, *menupwrite{}, *mproon{}, *mprooff{},
        *mproreset{};
    QAction *menuother{}, *menuopaste{}, *menuloglink{}, *menuotherlog{};
    std::array<QAction*, 15> mcom{};
    std::array<QAction*, 5> ml{};
    std::array<QAction*, 2> mtr{};
    QAction *menuhtile{}, *menuvtile{}, *menucascade{}, *menuminmize{}, *WindowArrangeItem{};
    QAction *menuContents{}, *menuvsn{};
    QAction *btnnew{}, *btnopen{}, *btnsave{}, *btnprint{}, *btncut{}, *btncopy{}, *btnpaste{},
        *btnconst{}, *btnrate{}, *btntrim{}, *btnparam{}, *btngraph{}, *btnread{}, *btnwrite{},
        *btnlink{}, *btnmnt{}, *btnlocus{}, *btnatsel{}, *btnlog{};
    QAction *pmundo{}, *pmcut{}, *pmcopy{}, *pmpaste{}, *pmconst{}, *pmrate{}, *pmtrim{};
};

// The one main window while it exists.
Tmain* main_window();

}  // namespace pv
