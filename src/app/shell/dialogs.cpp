#include "app/shell/dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>

namespace pv {

// The fixed English filter of the data-file dialogs in every language (the library's text 120
// is not used for it); both cases, since Linux names differ.
QString data_file_filter() {
    return QStringLiteral("Pavex Data File(PVD) (*.PVD *.pvd)");
}

namespace {

// Wide enough for the name, size, type and date columns of the detail view.
void show_columns(QFileDialog& dlg) {
    dlg.setViewMode(QFileDialog::Detail);
    dlg.resize(std::max(dlg.width(), 900), std::max(dlg.height(), 540));
}

QString start_path(const std::string& initial) {
    QString s = QString::fromStdString(initial);
    if (s.endsWith(QStringLiteral("*.PVD"))) s.chop(5);
    return s;
}

}  // namespace

std::optional<std::string> QtShellDialogs::open_data_file(QWidget* parent,
                                                          const std::string& initial) {
    QFileDialog dlg(parent, QString(), start_path(initial), data_file_filter());
    dlg.setFileMode(QFileDialog::ExistingFile);
    show_columns(dlg);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    const QString f = dlg.selectedFiles().front();
    if (f.isEmpty() || !QFileInfo(f).isFile()) return std::nullopt;
    return f.toStdString();
}

std::optional<std::string> QtShellDialogs::save_data_file(QWidget* parent,
                                                          const std::string& initial) {
    QFileDialog dlg(parent, QString(), start_path(initial), data_file_filter());
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix(QStringLiteral("PVD"));
    dlg.setOption(QFileDialog::DontConfirmOverwrite, false);
    show_columns(dlg);
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
