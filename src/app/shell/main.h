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

#include "app/mapedit/graph_host.h"
#include "app/mapedit/map_host.h"
#include "core/settings/settings_file.h"
#include "core/ui/hooks.h"
#include "core/ui/views.h"

class QAction;
class QActionGroup;
class QLabel;
class QMdiArea;
class QMenu;
class QPainter;
class QPrinter;
class QTimer;
class QSocketNotifier;
class QToolBar;

namespace pv {

class ShellDialogs;
class Tgraph;
class Tmap;

// Where the program's files are for this run.
struct ShellPaths {
    std::string program_path;  // the program file, absolute
    std::string program_dir;   // its folder
    std::string data_dir;      // where UNITDATA.PVD and TMPLOG.PVL live
    // Splash picture, help pages and icon: beside the program in a build, the share folder
    // once installed. Empty means `program_dir`.
    std::string resource_dir;
    std::string config_dir;  // the settings file's folder; empty means `data_dir`
    const std::string& resources() const {
        return resource_dir.empty() ? program_dir : resource_dir;
    }
    std::string settings_file() const;
    // The settings a first start begins with, shipped among the resources ("pvedit.INI");
    // beside the program in a build, the same file as the settings file.
    std::string first_settings_file() const;
};

// Status panel 0, the link and transfer indicator.
struct Panel0Look {
    enum Fill { None, Blue, Green } fill = None;
    std::string text;  // 8-bit text of the text library, or a fixed ASCII label
};
Panel0Look status_panel0_look();

class StatusPanel0;
class PortWatch;
struct Command;

// The main window serves its own parts (commands, status bar, busy look, link button and
// timer), makes, saves and closes the document's window, hosts the map window and keeps the
// registry of the child windows that show the document, the live values and the logs.
class Tmain : public QMainWindow,
              public ShellViews,
              public DocumentFlow,
              public LiveViews,
              public MapHost,
              public GraphHost {
    Q_OBJECT
  public:
    Tmain(ShellPaths paths, ShellDialogs* dialogs, QWidget* parent = nullptr);
    ~Tmain() override;

    // Start-up (creation and first show) and the command-line file.
    void FormCreate(uint32_t splash_start_tick);
    // `g` limited to the available screen (size first, then position).
    QRect within_screen(QRect g) const;
    void FormShow(const std::vector<std::string>& args);
    void ActiveHandle();
    void MakeMap();

    void RefreshCommands();
    void EnableEditCommands(bool on);
    void SetGridEnabled(bool on);

    // Text of status panel 1 to 3 (panel 0 draws itself).
    QString status_text(int panel) const;
    QWidget* status_panel(int panel) const;

    Tmap* map_window() const;
    Tgraph* graph_window() const;
    // The child windows that show the document, the live values or a log. A window opened
    // by a command joins with views().add(window) and leaves with views().remove(window).
    ViewRegistry& views() { return views_; }
    const ShellPaths& paths() const { return paths_; }
    // The ports behind the COM items, their notices and Detect Unit (src/app/link).
    PortWatch* port_watch() const { return ports_; }
    // The child windows' frame and the file dialogs, for the windows made in other folders.
    QMdiArea* mdi_area() const { return mdi_; }
    ShellDialogs* dialogs() const { return dialogs_; }
    const ShellSettings& shell_settings() const { return shell_; }
    bool settings_written() const { return settings_written_; }
    QAction* action(const QString& name) const;  // by its design name: "menusave", "btnlink"
    // The parameter dialog's print button: the print dialog, then the sheet of what the
    // dialog `prmdlg` shows (its controls are found by their design names). True when printed.
    bool print_parameter_sheet(const QWidget& prmdlg);
    // Opens files and web addresses with the desktop's program; tests replace it.
    std::function<bool(const std::string&)> open_external;

    // ShellViews
    void refresh_commands() override { RefreshCommands(); }
    void repaint_status_bar() override;
    void set_undo_enabled(bool enabled) override;
    void set_save_enabled(bool enabled) override;
    void set_windows_busy(bool busy) override;
    void normal_cursor() override;
    void set_link_button(bool down) override;
    void set_link_timer(uint32_t interval_ms) override;
    bool hold_link_timer() override;
    bool resume_link_timer(uint32_t next_tick_ms) override;
    void watch_port(int handle, uint32_t timeout_ms) override;

    // DocumentFlow (document_flow.cpp): the one place that makes, saves and closes the
    // document's window.
    bool close_map_window() override;
    void make_map_window() override;
    void set_map_caption(const std::string& text8) override;
    void save_unit_data() override;
    SaveResult save_modified_document() override;

    // LiveViews: the trace buttons are the main window's.
    void release_trace_buttons() override;

    // MapHost
    QMenu* grid_popup() override { return pmmap; }
    void set_status_text(int panel, const QString& text) override;
    void enable_edit_commands(bool on) override { EnableEditCommands(on); }
    void comparison_closed() override;
    void map_closed(Tmap* map) override;
    // In log_commands.cpp, beside the log windows.
    std::string shown_log_file(OverlaySource side) const override;

    // GraphHost
    Selection map_selection() const override;
    void select_map_cells(const Selection& s) override;
    bool map_grid_enabled() const override;
    void graph_closed(Tgraph* graph) override;

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
    // View > Log Overlay (overlay_menu.cpp): the choice, the log it reads, the samples that count.
    void movClick(int tag);
    void movlogClick(int tag);
    void movfClick(int tag);
    // The Unit History window and the Option menu's send options (app/link/history_commands.cpp).
    void build_history_items(QMenu* comm, QMenu* option);
    void menuhistoryClick();
    void menuContentsClick();
    // The Window menu's arrangements.
    void menuhtileClick();
    void menuvtileClick();
    void menucascadeClick();
    void menuminmizeClick();
    void WindowArrangeItemClick();
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
    void build_actions();
    void enable_command(const Command& c, bool on);
    void build_menus();
    void build_toolbar();
    void run_command_on_any_toggle(QAction* a);
    void build_status_bar();
    void build_popup();
    void build_overlay_menu(QMenu* view);
    void check_overlay_items();
    void overlay_settings_changed();
    // Where a save writes: the document's own file, a file chosen in the save dialog, or
    // the own file when the document has one and the dialog otherwise.
    enum class SaveTo { own_file, chosen_file, own_or_chosen };
    SaveResult save_document(SaveTo to);
    void save_from_menu(SaveTo to);
    // Reads a data file into the document and shows it; a file that cannot be read gets
    // "Cannot open file." and leaves the program without a document.
    void open_document(const std::string& file);
    void refresh_com_captions();
    void fill_window_menu();
    void arrange(Qt::Orientation orientation);
    void arrange_icons();
    // The transfer dialogs, made with the link commands.
    void install_transfer_views();
    void make_port_watch();
    // The parameter dialog's print button prints through this window's printer (or stops).
    void install_parameter_printout(bool on);
    // The log window for a log file named on the command line.
    void open_log_window(const std::string& path);
    void print_map();
    // Paints one page on the printer chosen; a printer that cannot start is reported.
    bool print_page(const std::function<void(QPainter&)>& page);
    void show_about_box();

    ShellPaths paths_;
    ShellDialogs* dialogs_;
    ShellSettings shell_;
    bool settings_written_ = false;
    std::string opendlg_filename_;
    std::string savedlg_filename_;
    std::unique_ptr<QPrinter> printer_;
    QPointer<Tmap> map_;
    QPointer<Tgraph> graph_;
    ViewRegistry views_;
    std::unique_ptr<TransferProgress> transfers_;
    PortWatch* ports_ = nullptr;

    QMdiArea* mdi_ = nullptr;
    QWidget* Panel1 = nullptr;
    QToolBar* toolbar_ = nullptr;
    QLabel* img_tebriklogo = nullptr;
    QWidget* panel0_ = nullptr;  // drawn by the program (StatusPanel0)
    std::array<QLabel*, 4> panels_{};
    QTimer* linktimer = nullptr;
    bool link_timer_held_ = false;  // stopped while a poll's reply is on the wire
    // A poll's reply on its way: the port's handle turning readable, and its time-out.
    QSocketNotifier* port_watch_ = nullptr;
    QTimer* reply_deadline_ = nullptr;
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
    std::array<QAction*, 4> mov{};     // Off, Time in Cell, Mean Boost, Peak Boost
    std::array<QAction*, 2> movlog{};  // from the data log, from the comparison log
    std::array<QAction*, 3> movf{};    // all samples, marked only, above a throttle opening
    QAction *menuread{}, *menupread{}, *menuwrite{}, *menupwrite{}, *mproon{}, *mprooff{},
        *mproreset{};
    QAction *menuother{}, *menuopaste{}, *menuloglink{}, *menuotherlog{};
    QAction *menuhistory{}, *mreview{}, *mhistsend{};
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

}  // namespace pv
