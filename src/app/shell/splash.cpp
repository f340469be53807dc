#include "app/shell/splash.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

#include "core/document/unit.h"
#include "platform/program_folder.h"
#include "core/ui/clock.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"

namespace pv {

Tsplashdlg::Tsplashdlg(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      imsplash_(new QLabel(this)) {
    setObjectName(QStringLiteral("splashdlg"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(imsplash_);
}

bool Tsplashdlg::FormCreate(const std::string& program_dir, uint16_t lang_id) {
    settings.lang_id = lang_id;
    change_directory(program_dir);
    if (!file_exists("SPLASH.BMP")) {
        prompter().message(Icon::Information, error_text(3));
        return false;
    }
    QPixmap picture(QStringLiteral("SPLASH.BMP"));
    if (!picture.isNull()) {
        imsplash_->setPixmap(picture);
        setFixedSize(picture.size());
        if (QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->geometry().center() - rect().center());
        show();
        repaint();
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    start_tick_ = clock().tick_count();
    return true;
}

}  // namespace pv
