#include "app/shell/dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>
#include <QTreeView>
#include <algorithm>

#include "app/common/modal.h"
#include "app/common/qt_prompter.h"

namespace pv {

// The fixed English filter of the data-file dialogs in every language (the library's text 120
// is not used for it); both cases, since Linux names differ.
QString data_file_filter() {
    return QStringLiteral("Pavex Data File(PVD) (*.PVD *.pvd)");
}

namespace {

// Wide enough for the name, size, type and date columns of the detail view. Qt sizes the
// size, type and date columns for short English texts; each listing widens them to what it
// shows (the column titles included), so that no entry or title is cut.
void show_columns(QFileDialog& dlg) {
    dlg.setViewMode(QFileDialog::Detail);
    dlg.resize(std::max(dlg.width(), 900), std::max(dlg.height(), 540));
    auto* tree = dlg.findChild<QTreeView*>(QStringLiteral("treeView"));
    auto* files = tree ? qobject_cast<QFileSystemModel*>(tree->model()) : nullptr;
    if (!files) return;
    QObject::connect(files, &QFileSystemModel::directoryLoaded, tree, [tree] {
        // Once the view has laid the new rows out: it measures the rows it shows.
        QTimer::singleShot(0, tree, [tree] {
            for (int c = 1; c < tree->header()->count(); ++c) tree->resizeColumnToContents(c);
        });
    });
}

QString start_path(const std::string& initial) {
    QString s = QString::fromStdString(initial);
    if (s.endsWith(QStringLiteral("*.PVD")) || s.endsWith(QStringLiteral("*.PVL"))) s.chop(5);
    return s;
}

// "name|*.PVL|name|*.TXT" as Qt writes filters, each pattern in both cases.
QString qt_filter(const std::string& filter8) {
    const QStringList parts = ui_text(filter8).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype k = 0; k + 1 < parts.size(); k += 2) {
        const QString pattern = parts[k + 1];
        filters << parts[k] + QStringLiteral(" (") + pattern + QLatin1Char(' ') +
                       pattern.toLower() + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

// An existing file chosen in the large detail view.
std::optional<std::string> choose_existing(QWidget* parent, const std::string& initial,
                                           const QString& filter) {
    QFileDialog dlg(parent, QString(), start_path(initial), filter);
    dlg.setFileMode(QFileDialog::ExistingFile);
    show_columns(dlg);
    if (run_modal(dlg) != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    const QString f = dlg.selectedFiles().front();
    if (f.isEmpty() || !QFileInfo(f).isFile()) return std::nullopt;
    return f.toStdString();
}

// A name to save under, `suffix` added when none is typed; overwriting asks first.
std::optional<std::string> choose_target(QWidget* parent, const std::string& initial,
                                         const QString& filter, const QString& suffix) {
    QFileDialog dlg(parent, QString(), start_path(initial), filter);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix(suffix);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, false);
    show_columns(dlg);
    QFileInfo start(start_path(initial));
    if (!start.isDir() && !start.fileName().isEmpty()) dlg.selectFile(start.fileName());
    if (run_modal(dlg) != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return dlg.selectedFiles().front().toStdString();
}

}  // namespace

std::optional<std::string> QtShellDialogs::open_data_file(QWidget* parent,
                                                          const std::string& initial) {
    return choose_existing(parent, initial, data_file_filter());
}

std::optional<std::string> QtShellDialogs::save_data_file(QWidget* parent,
                                                          const std::string& initial) {
    return choose_target(parent, initial, data_file_filter(), QStringLiteral("PVD"));
}

std::optional<std::string> QtShellDialogs::open_log_file(QWidget* parent,
                                                         const std::string& initial,
                                                         const std::string& filter8) {
    return choose_existing(parent, initial, qt_filter(filter8));
}

std::optional<std::string> QtShellDialogs::save_log_file(QWidget* parent,
                                                         const std::string& initial,
                                                         const std::string& filter8) {
    return choose_target(parent, initial, qt_filter(filter8), QStringLiteral("PVL"));
}

bool QtShellDialogs::print_setup(QWidget* parent, QPrinter& printer) {
    QPrintDialog dlg(&printer, parent);
    return run_modal(dlg) == QDialog::Accepted;
}

}  // namespace pv
