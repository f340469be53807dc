#include "app/shell/dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>

#include "app/common/qt_prompter.h"
#include "core/ui/texts.h"

namespace pv {
namespace {

// "Pavex Data File(PVD)|*.PVD" as Qt writes a filter; both cases, since Linux names differ.
QString data_filter() {
    QString t = ui_text(text(Catalog::Menu, 120));
    QString name = t.section(QLatin1Char('|'), 0, 0);
    if (name.isEmpty()) name = QStringLiteral("Pavex Data File(PVD)");
    return name + QStringLiteral(" (*.PVD *.pvd)");
}

QString start_path(const std::string& initial) {
    QString s = QString::fromStdString(initial);
    if (s.endsWith(QStringLiteral("*.PVD"))) s.chop(5);
    return s;
}

}  // namespace

std::optional<std::string> QtShellDialogs::open_data_file(QWidget* parent,
                                                          const std::string& initial) {
    QString f = QFileDialog::getOpenFileName(parent, QString(), start_path(initial), data_filter());
    if (f.isEmpty() || !QFileInfo(f).isFile()) return std::nullopt;
    return f.toStdString();
}

std::optional<std::string> QtShellDialogs::save_data_file(QWidget* parent,
                                                          const std::string& initial) {
    QFileDialog dlg(parent, QString(), start_path(initial), data_filter());
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix(QStringLiteral("PVD"));
    dlg.setOption(QFileDialog::DontConfirmOverwrite, false);
    QFileInfo start(start_path(initial));
    if (!start.isDir() && !start.fileName().isEmpty()) dlg.selectFile(start.fileName());
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return dlg.selectedFiles().front().toStdString();
}

bool QtShellDialogs::print_setup(QWidget* parent, QPrinter& printer) {
    QPrintDialog dlg(&printer, parent);
    return dlg.exec() == QDialog::Accepted;
}

}  // namespace pv
