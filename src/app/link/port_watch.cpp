#include "app/link/port_watch.h"

#include <QAction>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QToolButton>

#include "app/common/qt_prompter.h"
#include "app/shell/main.h"
#include "core/document/unit.h"
#include "core/link/detect.h"
#include "core/link/link_timer.h"
#include "core/link/netunit.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"
#include "platform/serial_port.h"
#include "platform/system_ports.h"

namespace pv {

PortWatch::PortWatch(Tmain& main, QMenu* com_menu) : QObject(&main), main_(main) {
    if (!port_catalogue()) {
        own_catalogue_ = std::make_unique<SystemPorts>();
        set_port_catalogue(own_catalogue_.get());
    }
    com_menu->addSeparator();
    mdetect_ = com_menu->addAction(ui_text(text(Catalog::Menu, 144)));
    mdetect_->setObjectName(QStringLiteral("mdetect"));
    connect(mdetect_, &QAction::triggered, this, [this] { detect_unit_click(); });

    notice_ = new QWidget(&main);
    notice_->setObjectName(QStringLiteral("port_notice"));
    auto* row = new QHBoxLayout(notice_);
    row->setContentsMargins(4, 0, 4, 0);
    notice_text_ = new QLabel(notice_);
    notice_text_->setObjectName(QStringLiteral("port_notice_text"));
    relink_ = new QToolButton(notice_);
    relink_->setObjectName(QStringLiteral("port_relink"));
    relink_->setAutoRaise(true);
    connect(relink_, &QToolButton::clicked, this, [this] { relink_click(); });
    row->addWidget(notice_text_);
    row->addWidget(relink_);
    main.statusBar()->addPermanentWidget(notice_);
    notice_->hide();

    watcher_ = new QFileSystemWatcher(this);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { rescan(); });
    port_list().on_change = [this](const std::vector<PortEntry>& in,
                                   const std::vector<PortEntry>& out) { ports_changed(in, out); };
    set_link_gave_up_listener([this] { link_gave_up(); });
    rescan();
}

PortWatch::~PortWatch() {
    set_link_gave_up_listener({});
    port_list().on_change = {};
    if (own_catalogue_ && port_catalogue() == own_catalogue_.get()) set_port_catalogue(nullptr);
}

void PortWatch::watch_folders() {
    if (!port_catalogue()) return;
    // by-id only exists while an adapter is plugged in: its parents tell when it comes.
    for (const std::string& folder : port_catalogue()->watched_folders()) {
        const QString f = QString::fromStdString(folder);
        if (!watcher_->directories().contains(f)) watcher_->addPath(f);
    }
}

void PortWatch::rescan() {
    watch_folders();
    port_list().refresh();
    refresh_captions();
}

void PortWatch::refresh_captions() {
    for (size_t i = 0; i < main_.mcom.size(); ++i)
        main_.mcom[i]->setText(ui_text(port_list().caption(static_cast<int>(i) + 1)));
}

namespace {

bool is_selected(const PortEntry& e) {
    const std::string name = com_port_name(settings.com_port);
    return e.id == name || e.device == name;
}

}  // namespace

void PortWatch::ports_changed(const std::vector<PortEntry>& appeared,
                              const std::vector<PortEntry>& removed) {
    for (const PortEntry& e : removed) {
        if (!is_selected(e)) continue;
        const bool linked = state.link_on || state.port_open;
        // The line is gone: stop polling a device that is no more, and say why.
        if (state.link_on || state.monitor_open) link_off();
        if (!state.transfer_active) close_port();
        lost_id_ = linked ? e.id : std::string{};
        show_notice(msg_text(214), false);
    }
    for (const PortEntry& e : appeared) {
        if (lost_id_.empty() || e.id != lost_id_) continue;
        show_notice(msg_text(215), true);
    }
}

void PortWatch::link_gave_up() {
    lost_id_ = com_port_name(settings.com_port);
    show_notice(msg_text(213), true);
}

void PortWatch::show_notice(const std::string& text8, bool offer_relink) {
    notice_text_->setText(ui_text(text8));
    relink_->setText(ui_text(msg_text(216)));
    relink_->setAccessibleName(relink_->text());
    relink_->setVisible(offer_relink);
    notice_->show();
}

void PortWatch::hide_notice() {
    notice_->hide();
}

QString PortWatch::notice_text() const {
    return notice_->isVisible() ? notice_text_->text() : QString();
}

bool PortWatch::relink_offered() const {
    return notice_->isVisible() && relink_->isVisible();
}

void PortWatch::relink_click() {
    hide_notice();
    lost_id_.clear();
    if (state.link_on || state.ui_busy || state.transfer_active) return;
    main_.btnlinkClick();
}

void PortWatch::detect_unit_click() {
    if (state.ui_busy || state.transfer_active) return;
    rescan();
    std::vector<ProbeResult> results;
    {
        UiBusy busy;
        results = detect_unit(
            [](const std::string& device) { return std::make_unique<SerialPort>(device); });
    }
    prompter().message(Icon::Information, detect_report(results));
    main_.mcom1Click(settings.com_port);
}

}  // namespace pv

namespace pv {

void Tmain::make_port_watch() {
    if (!ports_) ports_ = new PortWatch(*this, menu_com_);
}

// The menu opens on what is plugged in now, even when a change went unnoticed.
void Tmain::refresh_com_captions() {
    if (ports_) ports_->rescan();
}

}  // namespace pv
