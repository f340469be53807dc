// An adapter plugged into the running program, linked, pulled out and plugged in again: a
// simulated unit linked into a fake /dev/serial/by-id stands for the adapter.
#include "app/link/port_watch.h"

#include <QLabel>
#include <QMenu>
#include <QToolButton>

#include "app/common/modal.h"
#include "app/link/net.h"
#include "app/link/writingdialog.h"
#include "app_fixture.h"
#include "platform/serial_port.h"
#include "platform/system_ports.h"
#include "sim/pty_server.h"
#include "support/fake_ports.h"
#include "support/served_unit.h"

namespace pv::test {
namespace {

class PortWatchTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        set_port_catalogue(&system);
        install_link(&serial);
        // The transfer dialogs run their tick at once instead of waiting for their timers.
        set_modal_runner([](QDialog& d) {
            d.show();
            if (auto* net = qobject_cast<Tnetdlg*>(&d)) net->tmnetTimer();
            if (auto* w = qobject_cast<TWritingdlg*>(&d)) w->tmmessTimer();
            return d.result();
        });
    }
    void TearDown() override {
        set_modal_runner({});
        install_link(nullptr);
        AppTest::TearDown();
    }
    // The adapter comes: a unit answers behind its by-id name.
    void plug() {
        unit = std::make_unique<pvtest::ServedUnit>();
        ASSERT_TRUE(unit->ok());
        std::string error;
        ASSERT_TRUE(adapter.make(by_id, unit->path(), error)) << error;
        main->port_watch()->rescan();
    }
    void unplug() {
        adapter.remove();
        unit.reset();
        main->port_watch()->rescan();
    }
    QString caption(int n) const { return main->action(QStringLiteral("mcom%1").arg(n))->text(); }

    pvtest::FakePorts tree{::testing::UnitTest::GetInstance()->current_test_info()->name()};
    SystemPorts system{tree.root()};
    SerialPort serial;
    const std::string by_id = tree.by_id("usb-FTDI_FT232R_USB_UART_A10K-if00-port0");
    std::unique_ptr<pvtest::ServedUnit> unit;
    pvsim::PtyLink adapter;
};

TEST_F(PortWatchTest, PlugLinkUnplugAndLinkAgainWithoutASettingsFile) {
    start();
    EXPECT_EQ(caption(1), QStringLiteral("COM1  (no device)"));

    plug();
    EXPECT_EQ(settings.port_paths[1], by_id);
    EXPECT_EQ(caption(1), QStringLiteral("COM1  usb-FTDI_FT232R_USB_UART_A10K-if00-port0 (%1)")
                              .arg(QString::fromStdString(unit->path())));
    main->menuread->trigger();  // Load All Data, which starts the link
    ASSERT_TRUE(state.link_on) << (texts().empty() ? "" : texts().front());

    unplug();
    EXPECT_FALSE(state.link_on || state.port_open);
    EXPECT_FALSE(checked("btnlink"));
    EXPECT_EQ(main->port_watch()->notice_text(), QStringLiteral("Adapter removed"));
    EXPECT_FALSE(main->port_watch()->relink_offered());
    EXPECT_TRUE(prompts.shown.empty()) << "no message box, only the status bar";
    EXPECT_TRUE(caption(1).startsWith(QStringLiteral("COM1  (not plugged in: usb-FTDI")));

    plug();
    EXPECT_EQ(main->port_watch()->notice_text(), QStringLiteral("Adapter plugged in again: "));
    ASSERT_TRUE(main->port_watch()->relink_offered());
    main->findChild<QToolButton*>(QStringLiteral("port_relink"))->click();
    EXPECT_TRUE(state.link_on && checked("btnlink"));
    EXPECT_TRUE(main->port_watch()->notice_text().isEmpty());
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(PortWatchTest, DetectUnitChoosesThePortThatAnswers) {
    tree.plug("ttyUSB0", "Prolific", "USB-Serial", "P1", 2);  // no terminal behind it
    start();
    plug();
    ASSERT_EQ(settings.port_paths[2], by_id);
    EXPECT_EQ(settings.com_port, 1);
    main->action(QStringLiteral("mdetect"))->trigger();
    EXPECT_EQ(settings.com_port, 2);
    EXPECT_TRUE(checked("mcom2"));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_NE(prompts.shown[0].text.find("Selected: COM2"), std::string::npos);
}

}  // namespace
}  // namespace pv::test
