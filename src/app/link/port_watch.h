// The ports behind the COM items while the program runs: the list follows adapters being
// plugged in and pulled out, the status bar says when the link ended by itself or the
// adapter went, and offers to link again once the same adapter is back. Detect Unit lives
// here too.
#pragma once
#include <QObject>
#include <memory>
#include <string>
#include <vector>

#include "core/link/port_catalogue.h"

class QAction;
class QFileSystemWatcher;
class QLabel;
class QMenu;
class QToolButton;
class QWidget;

namespace pv {

class Tmain;

class PortWatch : public QObject {
    Q_OBJECT
  public:
    // Uses the catalogue installed (tests install a fake tree's), else the system's.
    PortWatch(Tmain& main, QMenu* com_menu);
    ~PortWatch() override;

    // Scans again and tells the windows what changed (the folder watch calls it).
    void rescan();
    void refresh_captions();
    void detect_unit_click();
    // The status bar's notice, for tests: its text, and whether "Link again" is offered.
    QString notice_text() const;
    bool relink_offered() const;
    void relink_click();
    // Shows the status bar's notice, with the one-click offer to link again when asked.
    void show_notice(const std::string& text8, bool offer_relink);

  private:
    void ports_changed(const std::vector<PortEntry>& appeared,
                       const std::vector<PortEntry>& removed);
    void link_gave_up();
    void hide_notice();
    void watch_folders();

    Tmain& main_;
    std::unique_ptr<PortCatalogue> own_catalogue_;
    QFileSystemWatcher* watcher_ = nullptr;
    QAction* mdetect_ = nullptr;
    QWidget* notice_ = nullptr;
    QLabel* notice_text_ = nullptr;
    QToolButton* relink_ = nullptr;
    // The adapter the link lost, to offer the link again once it is back.
    std::string lost_id_;
};

}  // namespace pv
