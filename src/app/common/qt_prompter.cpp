#include "app/common/qt_prompter.h"

#include <QApplication>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPointer>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTranslator>

#include "app/common/caption.h"
#include "app/common/modal.h"
#include "core/document/unit.h"
#include "core/ui/texts.h"
#include "platform/codepage.h"

namespace pv {
namespace {

QString normalise_breaks(QString s) {
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

QMessageBox::Icon box_icon(Icon icon) {
    switch (icon) {
        case Icon::Error:
            return QMessageBox::Critical;
        case Icon::Warning:
            return QMessageBox::Warning;
        case Icon::Information:
            return QMessageBox::Information;
        case Icon::Question:
            return QMessageBox::Question;
        case Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// QMessageBox sets its own fixed size whenever it shows or lays out again, with a title
// allowance too small for a window manager's frame; the caption's width is put back after it.
class CaptionedBox : public QMessageBox {
  public:
    using QMessageBox::QMessageBox;

  protected:
    bool event(QEvent* e) override {
        const bool result = QMessageBox::event(e);
        if (e->type() == QEvent::Show || e->type() == QEvent::LayoutRequest) fit_caption(*this);
        return result;
    }
};

QWidget* dialog_parent() {
    if (QWidget* w = QApplication::activeModalWidget()) return w;
    if (QWidget* w = QApplication::activeWindow()) return w;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->inherits("QMainWindow")) return w;
    return nullptr;
}

}  // namespace

QString ui_text(const std::string& bytes) {
    if (japanese()) {
        // Qt's own windows-31j decoder exists only where Qt was built with ICU.
        QStringDecoder dec("windows-31j");
        if (dec.isValid()) {
            QString s =
                dec.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
            if (!dec.hasError()) return normalise_breaks(s);
        }
    }
    return normalise_breaks(QString::fromStdString(codepage_to_utf8(bytes, settings.lang_id)));
}

std::optional<std::string> ui_bytes(const QString& text) {
    return utf8_to_codepage(text.toStdString(), settings.lang_id);
}

void QtPrompter::message(Icon icon, const std::string& text) {
    CaptionedBox box(box_icon(icon), program_title(), ui_text(text), QMessageBox::Ok,
                     dialog_parent());
    run_modal(box);
}

Answer QtPrompter::ask(Icon icon, Buttons buttons, const std::string& text) {
    QMessageBox::StandardButtons set;
    switch (buttons) {
        case Buttons::Ok:
            set = QMessageBox::Ok;
            break;
        case Buttons::OkCancel:
            set = QMessageBox::Ok | QMessageBox::Cancel;
            break;
        case Buttons::YesNo:
            set = QMessageBox::Yes | QMessageBox::No;
            break;
        case Buttons::YesNoCancel:
            set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
            break;
    }
    CaptionedBox box(box_icon(icon), program_title(), ui_text(text), set, dialog_parent());
    switch (run_modal(box)) {
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            break;
    }
    // Closing the box with Escape or the title bar's button is the safe answer.
    return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
}

std::optional<std::string> QtPrompter::input(const std::string& caption, const std::string& prompt,
                                             const std::string& initial) {
    // On the heap: the window it opens over may go while it is open, and take it along.
    QPointer<QInputDialog> dlg = new QInputDialog(dialog_parent());
    dlg->setWindowTitle(ui_text(caption));
    dlg->setLabelText(ui_text(prompt));
    dlg->setTextValue(ui_text(initial));
    std::optional<std::string> entry;
    if (run_modal(*dlg) == QDialog::Accepted && dlg)
        // A character the code page cannot hold cannot be a valid entry for any query here.
        entry = ui_bytes(dlg->textValue()).value_or(std::string());
    delete dlg.data();
    return entry;
}

bool use_qt_translation(uint16_t lang_id) {
    static QTranslator* installed = nullptr;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    if (lang_id != kLangJapanese) return true;
    auto* t = new QTranslator;
    if (!t->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete t;
        return false;
    }
    QCoreApplication::installTranslator(t);
    installed = t;
    return true;
}

}  // namespace pv
