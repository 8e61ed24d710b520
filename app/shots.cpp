// gridwick-window-shots OUTDIR: writes one picture per view of the window
// (the run panel during a hunt, the collection, an explanation step, the
// book export) as PNG files into OUTDIR, from a scratch folder filled with
// puzzles first. Run it offscreen or on any display; QT_SCALE_FACTOR=2 gives
// the pictures at 200%.
#include <QApplication>
#include <QHeaderView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cstdio>

#include "collection_view.h"
#include "generator/generator.h"
#include "grader/grader.h"
#include "main_window.h"
#include "output/targets.h"
#include "puzzle_view.h"
#include "run_panel.h"
#include "share_panel.h"
#include "workbench.h"

namespace {

void Settle(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool Save(QWidget* w, const QString& dir, const QString& name) {
    const QString path = QDir(dir).filePath(name);
    const bool ok = w->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", path.toLocal8Bit().constData());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: gridwick-window-shots OUTDIR [SUFFIX]\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString suffix = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    QDir().mkpath(out);
    QTemporaryDir scratch;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, scratch.filePath("settings"));
    QApplication::setOrganizationName("Gridwick");
    QApplication::setApplicationName("Gridwick window shots");

    // A collection to show: 400 puzzles of the plain loop, graded.
    const std::filesystem::path base = scratch.filePath("puzzles").toStdString();
    std::filesystem::create_directories(base);
    gw::CreateOutputFolders(base);
    gw::GradeState s;
    for (const auto& [puzzle, solution] : gw::GeneratedPuzzles(400, 7))
        gw::SaveSudoku(base, 2, gw::GradePuzzle(s, puzzle), puzzle, solution);

    gw::Workbench w(base);
    w.Load();
    w.resize(1100, 720);
    w.main()->combo2()->setCurrentIndex(2);
    bool ok = true;

    // The run panel during a hunt with two workers.
    gw::RunPanel* run = w.runPanel();
    run->SetLevels(gw::LevelBit(4) | gw::LevelBit(5) | gw::LevelBit(6) | gw::LevelBit(7));
    run->SetHunt(true);
    run->SetWorkers(2);
    run->SetCount(0);
    w.tabs()->setCurrentWidget(run);
    run->Start();
    Settle(2500);
    ok &= Save(&w, out, "window-run" + suffix + ".png");
    run->Halt();
    for (int i = 0; i < 500 && run->running(); ++i) Settle(20);

    // The main panel's own run, with its figures in the status bar and Exit
    // refused.
    w.tabs()->setCurrentIndex(0);
    bool exitPressed = false;
    w.main()->yieldHook = [&](gw::MainWindow::Phase phase) {
        if (phase != gw::MainWindow::Phase::Events || w.main()->lastRun().puzzles < 150) return;
        if (!exitPressed) {
            exitPressed = true;
            w.main()->buttonExit()->click();
        }
        if (!w.panelFigures()->text().isEmpty()) w.main()->CommandHalt_Click();
    };
    w.main()->commandGenerate()->click();
    w.main()->yieldHook = nullptr;
    Settle(300);
    ok &= Save(&w, out, "window-panel-run" + suffix + ".png");
    w.statusBar()->clearMessage();

    // The collection: the Kamikaze level from easy to hard (a click on
    // Score), its third puzzle with its solution; then in the order stored.
    gw::CollectionView* c = w.collection();
    w.tabs()->setCurrentWidget(c);
    c->SelectLevel(4);
    c->SelectPuzzle(1);
    c->SelectLevel(6);
    emit c->puzzleTable()->horizontalHeader()->sectionClicked(2);
    c->SelectPuzzle(2);
    c->solutionBox()->setChecked(true);
    Settle(200);
    ok &= Save(&w, out, "window-collection" + suffix + ".png");
    emit c->puzzleTable()->horizontalHeader()->sectionClicked(0);

    // One puzzle explained: the hardest step of an Insane puzzle.
    c->SelectLevel(5);
    c->SelectPuzzle(0);
    c->solutionBox()->setChecked(false);
    c->openButton()->click();
    for (int i = 0; i < 500 && w.puzzle()->grading(); ++i) Settle(20);
    gw::PuzzleView* p = w.puzzle();
    int hardest = 1;
    for (std::size_t i = 0; i < p->steps().size(); ++i)
        if (p->steps()[i].rung >= p->steps()[static_cast<std::size_t>(hardest - 1)].rung) hardest = static_cast<int>(i) + 1;
    p->SetPosition(hardest);
    Settle(200);
    ok &= Save(&w, out, "window-explain" + suffix + ".png");

    // A forcing chain's branches and a bivalue trial's refutation, node by
    // node, and the first of the trial's own steps.
    const struct {
        const char* puzzle;
        int rung;
        int after;  // frames past the step
        const char* name;
    } kChains[] = {
        {"..1....9.4...2.3162....9...716.....8....1....3.....271...2....4642.8...9.5....8..", 39, 0, "forcing"},
        {"7..9.2.....4..1..2..3....9.1.2.4......7...5......162...58...7..4..72.6.....4....8", 42, 0, "trial"},
        {"7..9.2.....4..1..2..3....9.1.2.4......7...5......162...58...7..4..72.6.....4....8", 42, 1, "trial-fill"},
    };
    if (suffix.isEmpty())
        for (const auto& c : kChains) {
            p->input()->setPlainText(c.puzzle);
            p->gradeButton()->click();
            for (int i = 0; i < 500 && p->grading(); ++i) Settle(20);
            for (std::size_t i = 0; i < p->frames().size(); ++i)
                if (p->frames()[i].step != nullptr && p->frames()[i].step->rung == c.rung) {
                    p->SetPosition(static_cast<int>(i) + c.after);
                    break;
                }
            Settle(200);
            ok &= Save(&w, out, QString("window-explain-%1.png").arg(c.name));
        }

    // Print and share after a book was written.
    gw::SharePanel* sh = w.share();
    w.tabs()->setCurrentWidget(sh);
    sh->SetLevels(gw::LevelBit(4) | gw::LevelBit(5) | gw::LevelBit(6));
    sh->SetPerLevel(20);
    sh->titleEdit()->setText("Crazy to Kamikaze");
    sh->pathForTests = scratch.filePath("book.pdf");
    sh->exportButton()->click();
    for (int i = 0; i < 500 && sh->exporting(); ++i) Settle(20);
    Settle(200);
    ok &= Save(&w, out, "window-export" + suffix + ".png");
    return ok ? 0 : 1;
}
