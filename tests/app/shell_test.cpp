// The main window's commands and their enabling rules, driven through the real actions.
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <algorithm>

#include "app/common/qt_prompter.h"
#include "app/mapedit/map.h"
#include "app_fixture.h"
#include "core/ui/texts.h"
#include "platform/codepage.h"

namespace pv::test {
namespace {

const char* const kDocCommands[] = {
    "menusaveas", "menuprint", "btnprint",  "btngraph",  "menucut",  "btncut",     "menucopy",
    "btncopy",    "menuconst", "btnconst",  "menurate",  "btnrate",  "menutrim",   "btntrim",
    "menuparam",  "btnparam",  "menupread", "menuwrite", "btnwrite", "menupwrite", "menuother"};
const char* const kAlwaysOn[] = {"menunew",   "menuopen",     "menuexit",     "btnnew", "btnopen",
                                 "menuread",  "btnread",      "btnlog",       "mproon", "mprooff",
                                 "mproreset", "menuotherlog", "menuContents", "menuvsn"};

using Shell = AppTest;

TEST_F(Shell, AtStartOnlyTheDocumentlessCommandsAreEnabled) {
    start();
    for (const char* name : kDocCommands) EXPECT_FALSE(enabled(name)) << name;
    for (const char* name : kAlwaysOn) EXPECT_TRUE(enabled(name)) << name;
    for (const char* name :
         {"menusave", "btnsave", "menupaste", "btnpaste", "menuundo", "pmundo", "pmpaste",
          "menuopaste", "menuloglink", "btnlink", "btnmnt", "btnlocus", "btnatsel"})
        EXPECT_FALSE(enabled(name)) << name;
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Pavex Dravlo"));
    EXPECT_EQ(main->action("btnlink")->toolTip(), QStringLiteral("Link"));
    EXPECT_TRUE(main->action("btnlink")->isCheckable());
    EXPECT_EQ(main->action("menusave")->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
}

TEST_F(Shell, BusyTextsOfTheStatusPanelCanBeRead) {
    start();
    QWidget* panel = main->status_panel(0);
    ASSERT_NE(panel, nullptr);
    const QFontMetrics fm(panel->font());
    for (const char* busy : {"CHECK..", "LOCK..."})
        EXPECT_GE(panel->contentsRect().width(),
                  2 + fm.horizontalAdvance(QString::fromLatin1(busy)))
            << busy;
    // Unfilled: the text must stand out from the panel's own grey.
    state.comm_state = 3;
    const QImage shot = panel->grab().toImage();
    bool dark = false;
    const QRect inside = panel->contentsRect().adjusted(1, 1, -1, -1);
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            dark = dark || QColor(shot.pixel(x, y)).lightness() < 90;
    EXPECT_TRUE(dark) << "\"CHECK..\" is drawn in the text colour";
    state.comm_state = 0;
}

TEST_F(Shell, TheComparisonFileSharesTheOpenDialog) {
    std::string file = data_file("track.pvd");
    fs::create_directories(root / "other");
    std::string compare = (root / "other" / "cmp.PVD").string();
    fs::copy_file(file, compare);
    start();
    dialogs.open_answers = {file, compare, std::nullopt};
    main->action("menuopen")->trigger();
    main->action("menuother")->trigger();
    ASSERT_TRUE(state.compare_loaded);
    main->action("menuother")->trigger();  // off
    main->action("menuother")->trigger();  // and on: the dialog opens where the last one was
    ASSERT_EQ(dialogs.open_initial.size(), 3u);
    EXPECT_EQ(dialogs.open_initial[2], compare);

    // The filter is the design's fixed English text, in Japanese too.
    settings.lang_id = kLangJapanese;
    EXPECT_EQ(data_file_filter(), QStringLiteral("Pavex Data File(PVD) (*.PVD *.pvd)"));
    settings.lang_id = kLangEnglish;
}

// Every file dialog opens in its detail view, large enough that the name, size, type and
// date columns show their titles and the folder's entries in full.
TEST_F(Shell, FileDialogsShowEveryColumnInFull) {
    for (const char* name : {"EXAMPLE.PVD", "track day.PVD", "RUN0001.PVL"})
        std::ofstream(root / "prog" / name) << std::string(20000, 'x');
    fs::create_directories(root / "prog" / "older runs");
    struct Seen {
        bool shown = false;
        QFileDialog::ViewMode mode = QFileDialog::List;
        QSize size;
        QStringList cut;  // the columns narrower than their title or their widest entry
    };
    auto look_at_the_dialog = [](Seen& seen) {
        QTimer::singleShot(0, [&seen] {
            QWidget* modal = QApplication::activeModalWidget();
            auto* dlg = qobject_cast<QFileDialog*>(modal);
            if (!dlg) {
                if (modal) modal->close();  // not a file dialog: the test goes on without it
                return;
            }
            seen.shown = true;
            seen.mode = dlg->viewMode();
            seen.size = dlg->size();
            auto* tree = dlg->findChild<QTreeView*>(QStringLiteral("treeView"));
            auto cut_columns = [tree] {
                QStringList cut;
                QHeaderView* header = tree->header();
                const QAbstractItemView* view = tree;  // the tree view's own measure is protected
                for (int c = 0; c < 4; ++c) {
                    const int needed =
                        std::max(header->sectionSizeHint(c), view->sizeHintForColumn(c));
                    if (header->isSectionHidden(c) || header->sectionSize(c) < needed)
                        cut << tree->model()->headerData(c, Qt::Horizontal).toString();
                }
                return cut;
            };
            // The listing comes in the background: what the user sees once it is there.
            const bool listed =
                tree && QTest::qWaitFor(
                            [&] {
                                return tree->model()->rowCount(tree->rootIndex()) >= 2 &&
                                       cut_columns().isEmpty();
                            },
                            2000);
            if (!tree || tree->model()->rowCount(tree->rootIndex()) < 2)
                seen.cut << QStringLiteral("(no entries listed)");
            else if (!listed)
                seen.cut = cut_columns();
            dlg->reject();
        });
    };
    auto expect_in_full = [](const Seen& seen, const char* which) {
        ASSERT_TRUE(seen.shown) << which;
        EXPECT_EQ(seen.mode, QFileDialog::Detail) << which;
        EXPECT_GE(seen.size.width(), 900) << which;
        EXPECT_GE(seen.size.height(), 540) << which;
        EXPECT_TRUE(seen.cut.isEmpty()) << which << ": " << seen.cut.join(", ").toStdString();
    };
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs, true);
    QtShellDialogs real;
    main = std::make_unique<Tmain>(paths, &real);
    main->FormCreate(clock_.tick_count());
    main->show();
    main->FormShow({"pvedit"});
    const std::string folder = (root / "prog").string() + "/";

    Seen open;
    look_at_the_dialog(open);
    main->action(QStringLiteral("menuopen"))->trigger();
    expect_in_full(open, "Open");
    Seen save;
    look_at_the_dialog(save);
    EXPECT_FALSE(real.save_data_file(main.get(), folder + "EXAMPLE.PVD"));
    expect_in_full(save, "Save As");
    const std::string filter8 = "Pavex Log File(PVL)|*.PVL";
    Seen log_open;
    look_at_the_dialog(log_open);
    EXPECT_FALSE(real.open_log_file(main.get(), folder + "*.PVL", filter8));
    expect_in_full(log_open, "Open log");
    Seen log_save;
    look_at_the_dialog(log_save);
    EXPECT_FALSE(real.save_log_file(main.get(), folder + "RUN0001.PVL", filter8));
    expect_in_full(log_save, "Save log");
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs, false);
    main.reset();  // before the dialogs it holds
}

TEST_F(Shell, StandardButtonsFollowTheLanguage) {
    auto yes_text = [] {
        QMessageBox box(QMessageBox::Question, QString(), QString(),
                        QMessageBox::Yes | QMessageBox::No);
        return box.button(QMessageBox::Yes)->text();
    };
    ASSERT_TRUE(use_qt_translation(kLangJapanese));
    const QString japanese = yes_text();
    use_qt_translation(kLangEnglish);
    EXPECT_EQ(yes_text(), QStringLiteral("&Yes"));
    EXPECT_NE(japanese, QStringLiteral("&Yes")) << "Qt's Japanese translation is in use for 1041";
}

TEST_F(Shell, OpenChangeSaveFollowsTheSaveRule) {
    std::string file = data_file("track.pvd");
    start();
    dialogs.open_answers = {file};
    main->action("menuopen")->trigger();

    ASSERT_NE(main->map_window(), nullptr);
    EXPECT_EQ(main->map_window()->windowTitle().toStdString(), file);
    EXPECT_TRUE(state.doc_open && state.doc_named);
    EXPECT_EQ(state.doc_is_new, 0);
    for (const char* name : kDocCommands) EXPECT_TRUE(enabled(name)) << name;
    EXPECT_FALSE(enabled("menusave")) << "nothing changed yet";
    EXPECT_EQ(main->status_text(1), QStringLiteral("RPM Axis"));

    MarkModified();
    SetCell(1, 1, "1100");
    EXPECT_EQ(data.rpm_axis[0], 11);
    EXPECT_EQ(main->map_window()->cell_text(1, 1), QStringLiteral(" 1100"))
        << "the grid shows what was stored";
    EXPECT_TRUE(enabled("menusave"));
    EXPECT_TRUE(enabled("btnsave"));
    EXPECT_TRUE(enabled("menuundo"));

    main->action("btnsave")->trigger();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_FALSE(enabled("menusave"));
    EXPECT_FALSE(enabled("menuundo"));
    EXPECT_EQ(state.doc_modified, 0);
    data.rpm_axis[0] = 0;
    ASSERT_TRUE(ReadDataFile(file));
    EXPECT_EQ(data.rpm_axis[0], 11) << "the change reached the file";
}

TEST_F(Shell, NewDocumentHasNoNameSoOnlySaveAsStores) {
    start();
    main->action("btnnew")->trigger();
    ASSERT_NE(main->map_window(), nullptr);
    EXPECT_EQ(main->map_window()->windowTitle(), QStringLiteral("-New-"));
    EXPECT_EQ(state.doc_is_new, 1);
    EXPECT_EQ(state.port_open, 0) << "New gives the port back";
    MarkModified();
    EXPECT_FALSE(enabled("menusave"));
    EXPECT_TRUE(enabled("menusaveas"));

    std::string target = (root / "docs" / "new.PVD").string();
    dialogs.save_answers = {target};
    main->action("menusaveas")->trigger();
    EXPECT_TRUE(fs::exists(target));
    EXPECT_EQ(main->map_window()->windowTitle().toStdString(), target);
    EXPECT_EQ(state.doc_named, 1);
    EXPECT_FALSE(enabled("menusave"));
    MarkModified();
    EXPECT_TRUE(enabled("menusave")) << "now it has a name";
}

// A port that cannot be opened is reported and New goes on without it.
class AbsentPort : public QuietPort {
  public:
    bool open(int) override { return false; }
};

TEST_F(Shell, NewGoesOnWhenThePortCannotBeOpened) {
    AbsentPort absent;
    install_link(&absent);
    start();
    main->action("mcom3")->trigger();
    main->menunewClick();
    EXPECT_EQ(texts(), std::vector<std::string>{"Cannot open COM3."});
    EXPECT_EQ(state.doc_open, 1);
    EXPECT_EQ(state.doc_is_new, 1);
    main.reset();
    install_link(&port_);
}

TEST_F(Shell, FailedSaveAsKeepsTheCaptionAndSays) {
    start();
    main->menunewClick();
    MarkModified();
    dialogs.save_answers = {(root / "no-such-folder" / "x.PVD").string()};
    main->menusaveasClick();
    EXPECT_EQ(texts(), std::vector<std::string>{"Cannot save file."});
    EXPECT_EQ(main->map_window()->windowTitle(), QStringLiteral("-New-"));
    EXPECT_EQ(state.doc_named, 0);
    EXPECT_EQ(state.doc_modified, 1);
    EXPECT_EQ(state.ui_busy, 0);
}

TEST_F(Shell, OpenChecksTheExtensionAndReportsUnreadableFiles) {
    std::string other = (root / "docs" / "notes.txt").string();
    std::ofstream(other) << "x";
    std::string shorty = (root / "docs" / "short.PVD").string();
    std::ofstream(shorty) << "too short";
    start();

    dialogs.open_answers = {other};
    main->menuopenClick();
    EXPECT_EQ(state.doc_open, 0);
    EXPECT_TRUE(prompts.shown.empty());

    dialogs.open_answers = {shorty};
    main->menuopenClick();
    EXPECT_EQ(state.doc_open, 0);
    EXPECT_EQ(texts(), std::vector<std::string>{"Cannot open file."});
    EXPECT_EQ(dialogs.open_initial.front(), paths.program_dir + "/*.PVD");
}

TEST_F(Shell, SaveDataQuestionGuardsTheDocument) {
    std::string file = data_file("a.PVD");
    start();
    dialogs.open_answers = {file};
    main->menuopenClick();
    MarkModified();

    // Cancel keeps everything as it was, and the program running.
    prompts.answers = {Answer::Cancel};
    main->close();
    EXPECT_EQ(texts(), std::vector<std::string>{"Save data?"});
    EXPECT_EQ(state.doc_open, 1);
    EXPECT_FALSE(main->settings_written());
    EXPECT_FALSE(fs::exists(paths.settings_file()));

    // Opening another file asks first; No drops the changes.
    std::string second = data_file("b.PVD");
    prompts.answers = {Answer::No};
    dialogs.open_answers = {second};
    main->menuopenClick();
    EXPECT_EQ(main->map_window()->windowTitle().toStdString(), second);
    EXPECT_EQ(state.doc_modified, 0);
}

TEST_F(Shell, AFailedSaveOnCloseKeepsTheWindowAndTheProgram) {
    start();
    main->menunewClick();
    MarkModified();
    prompts.answers = {Answer::Yes};
    dialogs.save_answers = {(root / "gone" / "x.PVD").string()};
    main->close();
    EXPECT_EQ(texts(), (std::vector<std::string>{"Save data?", "Cannot save file."}));
    EXPECT_EQ(prompts.shown[1].icon, Icon::Error);
    EXPECT_EQ(state.doc_open, 1) << "the changes are still there to save elsewhere";
    EXPECT_EQ(state.doc_modified, 1);
    EXPECT_FALSE(main->settings_written());

    // A cancelled save dialog abandons the close as well.
    prompts.answers = {Answer::Yes};
    main->close();
    EXPECT_EQ(state.doc_open, 1);

    // Yes with a good name saves, closes the document and lets the program end.
    std::string target = (root / "docs" / "kept.PVD").string();
    prompts.answers = {Answer::Yes};
    dialogs.save_answers = {target};
    main->close();
    EXPECT_TRUE(fs::exists(target));
    EXPECT_EQ(state.doc_open, 0);
    EXPECT_TRUE(main->settings_written());
    EXPECT_EQ(state.ui_busy, 0);
}

TEST_F(Shell, ClosingTheMapWindowClearsTheDocumentState) {
    std::string file = data_file("a.PVD");
    start();
    dialogs.open_answers = {file};
    main->menuopenClick();
    state.link_ready = 1;
    state.compare_loaded = 1;
    main->RefreshCommands();
    EXPECT_TRUE(enabled("btnlink"));
    EXPECT_FALSE(main->status_text(3).isEmpty()) << "the file's version is shown";

    main->map_window()->close();
    EXPECT_EQ(state.doc_open + state.doc_named + state.compare_loaded + state.link_ready, 0);
    EXPECT_EQ(data.file_version, 0);
    for (int panel = 1; panel <= 3; ++panel) EXPECT_TRUE(main->status_text(panel).isEmpty());
    for (const char* name : kDocCommands) EXPECT_FALSE(enabled(name)) << name;
    EXPECT_FALSE(enabled("btnlink"));
}

TEST_F(Shell, PasteNeedsADocumentAndClipboardText) {
    start();
    QGuiApplication::clipboard()->setText(QStringLiteral("1\t2"));
    main->ActiveHandle();
    EXPECT_EQ(state.clip_has_text, 1);
    EXPECT_FALSE(enabled("menupaste"));
    main->menunewClick();
    EXPECT_TRUE(enabled("menupaste"));
    EXPECT_TRUE(enabled("btnpaste"));
    EXPECT_TRUE(enabled("pmpaste"));

    QGuiApplication::clipboard()->clear();
    main->ActiveHandle();
    EXPECT_FALSE(enabled("menupaste"));

    main->SetGridEnabled(false);
    EXPECT_FALSE(enabled("menucut"));
    EXPECT_TRUE(enabled("pmcut")) << "the pop-up's own items stay";
    main->SetGridEnabled(true);
    EXPECT_TRUE(enabled("btntrim"));
}

TEST_F(Shell, LiveCommandsFollowTheLink) {
    start();
    main->menunewClick();
    state.link_on = 1;
    state.link_ready = 1;
    state.log_open = 1;
    main->RefreshCommands();
    for (const char* name : {"btnlink", "btnmnt", "btnlocus", "btnatsel", "menuloglink"})
        EXPECT_TRUE(enabled(name)) << name;
    state.link_on = 0;
    main->RefreshCommands();
    for (const char* name : {"btnmnt", "btnlocus", "btnatsel"}) EXPECT_FALSE(enabled(name)) << name;
    EXPECT_TRUE(enabled("btnlink"));
}

// Status panel 0 as the user sees it: the colour in its middle and its text.
struct Panel0Case {
    const char* what;
    void (*set)();
    QColor fill;  // invalid: not filled
    const char* text;
};

QColor middle_of(QWidget* w) {
    QImage img = w->grab().toImage();
    return img.pixelColor(img.width() / 2, img.height() - 3);
}

TEST_F(Shell, StatusPanel0ShowsLinkMonitorLogLinkAndTransfers) {
    start();
    const Panel0Case cases[] = {
        {"idle", [] {}, QColor(), ""},
        {"link", [] { state.link_on = 1; }, QColor(0, 0, 255), "   Link"},
        {"monitor", [] { state.monitor_open = 1; }, QColor(0, 128, 0), "Monitor"},
        {"monitor logging",
         [] {
             state.monitor_open = 1;
             state.monitor_log_mode = 1;
         },
         QColor(0, 128, 0), "    Log"},
        {"log link", [] { state.log_link = 1; }, QColor(0, 128, 0), "LogLink"},
        {"link beats monitor",
         [] {
             state.link_on = 1;
             state.monitor_open = 1;
         },
         QColor(0, 0, 255), "   Link"},
        {"loading", [] { state.comm_state = 1; }, QColor(), "LOAD..."},
        {"sending on the link",
         [] {
             state.link_on = 1;
             state.comm_state = 2;
         },
         QColor(0, 0, 255), "SEND..."},
        {"checking", [] { state.comm_state = 3; }, QColor(), "CHECK.."},
        {"locking", [] { state.comm_state = 7; }, QColor(), "LOCK..."},
    };
    QWidget* panel = main->status_panel(0);
    const QColor plain = middle_of(panel);
    for (const auto& c : cases) {
        InitState();
        c.set();
        main->repaint_status_bar();
        EXPECT_EQ(status_panel0_look().text, c.text) << c.what;
        QColor seen = middle_of(panel);
        EXPECT_EQ(seen, c.fill.isValid() ? c.fill : plain) << c.what;
    }
}

TEST_F(Shell, ComPortAndViewChoicesAreRadioItems) {
    setenv("PVEDIT_PORT", "/dev/pts/77", 1);
    start();
    main->action("mcom4")->trigger();
    EXPECT_EQ(settings.com_port, 4);
    EXPECT_TRUE(checked("mcom4"));
    EXPECT_FALSE(checked("mcom1"));
    main->action("mc5")->trigger();
    EXPECT_EQ(settings.map_font_size, 5);
    main->action("ml1")->trigger();
    EXPECT_EQ(settings.trace_length, 1);
    EXPECT_TRUE(checked("ml1"));
    EXPECT_FALSE(checked("ml3"));
    main->action("mtr1")->trigger();
    EXPECT_EQ(settings.auto_select, 1);
    EXPECT_TRUE(main->action("mcom3")->text().contains(QStringLiteral("/dev/pts/77")))
        << "a COM item says which device it opens";
    unsetenv("PVEDIT_PORT");
}

TEST_F(Shell, HelpAndLogoOpenWithTheDesktop) {
    start();
    main->action("menuContents")->trigger();
    main->img_tebriklogoDblClick();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], paths.program_dir + "/pveditE.html");
    EXPECT_EQ(opened[1], text(Catalog::Verup, 1));
    settings.lang_id = kLangJapanese;
    main->menuContentsClick();
    EXPECT_EQ(opened[2], paths.program_dir + "/pveditJ.html");
}

TEST_F(Shell, PrintRunsItsDialogWithoutADocumentChange) {
    start();
    main->menunewClick();
    main->action("menuprint")->trigger();
    EXPECT_EQ(dialogs.prints, 1);
    EXPECT_EQ(state.ui_busy, 0);
}

}  // namespace
}  // namespace pv::test

namespace pv::test {
namespace {

TEST_F(Shell, LibraryTextsAreDecodedForTheirLanguage) {
    application();
    settings.lang_id = kLangJapanese;
    const std::string question = msg_text(12);
    ASSERT_FALSE(question.empty());
    QString shown = ui_text(question);
    EXPECT_EQ(shown, QString::fromStdString(codepage_to_utf8(question, kLangJapanese)));
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [](QChar c) {
        return c.unicode() > 0x3000;
    })) << "Japanese characters, not bytes";
    settings.lang_id = kLangEnglish;
    EXPECT_EQ(ui_text(msg_text(32)),
              QStringLiteral("Do not use same value for axis data.\nIt will undo data."));
    EXPECT_EQ(ui_text("caf\xe9"), QStringLiteral("caf\u00e9"));
}

}  // namespace
}  // namespace pv::test
