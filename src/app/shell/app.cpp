#include "app/shell/app.h"

#include <QApplication>
#include <memory>
#include <string>
#include <vector>

#include "app/common/qt_prompter.h"
#include "app/shell/dialogs.h"
#include "app/shell/main.h"
#include "app/shell/splash.h"
#include "core/link/netunit.h"
#include "core/ui/prompter.h"
#include "platform/instance_lock.h"
#include "platform/language.h"
#include "platform/program_folder.h"
#include "platform/serial_port.h"

// The resource initialiser must be named from the global namespace.
static void init_resources() {
    Q_INIT_RESOURCE(pvapp);
}

namespace pv {

void init_app_resources() {
    ::init_resources();
}

int run_pvedit(int argc, char** argv) {
    InstanceLock lock;
    if (!lock.acquire("pvedit")) return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pvedit"));
    // No display name: Qt would append it to every caption, and the dialogs' captions are
    // their own texts alone.
    init_app_resources();

    QtPrompter prompts;
    set_prompter(&prompts);
    SerialPort serial;
    install_link(&serial);

    ShellPaths paths;
    paths.program_path = program_file_path(argc > 0 ? argv[0] : nullptr);
    paths.program_dir = folder_of(paths.program_path);
    paths.resource_dir = resource_folder(paths.program_dir);
    paths.config_dir = writable_folder(paths.program_dir);
    paths.data_dir = writable_data_folder(paths.program_dir);

    auto splash = std::make_unique<Tsplashdlg>();
    if (!splash->FormCreate(paths.resources(), user_lang_id())) {
        set_prompter(nullptr);
        return 0;
    }
    use_qt_translation(settings.lang_id);
    QtShellDialogs dialogs;
    int result = 0;
    {
        Tmain main(paths, &dialogs);
        main.FormCreate(splash->start_tick());
        main.show();
        splash.reset();
        std::vector<std::string> args(argv, argv + argc);
        main.FormShow(args);
        main.ActiveHandle();
        result = QApplication::exec();
        close_port();
    }
    install_link(nullptr);
    set_prompter(nullptr);
    return result;
}

}  // namespace pv
