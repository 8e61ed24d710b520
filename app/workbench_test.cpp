// Workbench tests: the folder and the command line, runs on worker threads
// (levels, the hunt with two workers, limits, full levels, halting and the
// refusal to close during a run), the collection, one puzzle explained, the
// book export and merging. Offscreen, in temporary folders, with puzzles from
// the repository's test data.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "book_export.h"
#include "collection_view.h"
#include "explain/explain.h"
#include "explain/html.h"
#include "grid_view.h"
#include "main_window.h"
#include "options.h"
#include "runs/merge.h"
#include "output/stored.h"
#include "output/targets.h"
#include "puzzle_view.h"
#include "run_panel.h"
#include "settings.h"
#include "share_panel.h"
#include "workbench.h"

namespace fs = std::filesystem;
using gw::LevelBit;

namespace {

struct Known {
    gw::Grid puzzle{}, solution{};
    int level = 0;
};

// The first `n` puzzles of the repository's test data, graded.
std::vector<Known> TestPuzzles(int n) {
    std::vector<Known> out;
    std::ifstream in(GRIDWICK_TEST_DATA "/random.txt");
    std::string p, s;
    gw::GradeState state;
    while (static_cast<int>(out.size()) < n && in >> p >> s) {
        if (p.size() != 81 || s.size() != 81) continue;
        Known k;
        for (int c = 0; c < 81; ++c) {
            k.puzzle[c] = static_cast<std::uint8_t>(p[static_cast<std::size_t>(c)] - '0');
            k.solution[c] = static_cast<std::uint8_t>(s[static_cast<std::size_t>(c)] - '0');
        }
        k.level = gw::GradePuzzle(state, k.puzzle);
        out.push_back(k);
    }
    return out;
}

// Stores the test puzzles for `target` under `base`; the count per level.
std::array<int, 10> Fill(const fs::path& base, int target, const std::vector<Known>& puzzles) {
    fs::create_directories(base);
    gw::CreateOutputFolders(base);
    std::array<int, 10> perLevel{};
    for (const Known& k : puzzles)
        if (gw::SaveSudoku(base, target, k.level, k.puzzle, k.solution).kind == gw::SaveResult::Kind::Written)
            ++perLevel[static_cast<std::size_t>(k.level)];
    return perLevel;
}

QStringList MainCounts(const gw::Workbench& w) {
    QStringList out;
    for (int i = 0; i < 9; ++i) out << w.main()->lblLevelCount(i)->text();
    return out;
}

// The Make tab's stored counts, without the full marks.
QStringList MakeCounts(const gw::Workbench& w) {
    QStringList out;
    for (int l = 1; l <= 9; ++l) out << w.runPanel()->levelTable()->item(l - 1, 1)->text().section(' ', 0, 0);
    return out;
}

QStringList DiskCounts(const fs::path& base, int target) {
    QStringList out;
    for (const std::string& s : gw::CountSudokus(base, target)) out << QString::fromStdString(s);
    return out;
}

std::string Cells(const gw::Grid& g, char empty) {
    std::string s(81, empty);
    for (int c = 0; c < 81; ++c)
        if (g[c] != 0) s[static_cast<std::size_t>(c)] = static_cast<char>('0' + g[c]);
    return s;
}

QString Run(const QString& program, const QStringList& args, int& status) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
}

// The mnemonic letter of a caption ("&&" is a plain ampersand), or "".
QString Mnemonic(const QString& text) {
    for (int i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] != '&') return text.mid(i + 1, 1).toLower();
        ++i;
    }
    return {};
}

// The mnemonic letters of the visible controls under `root`.
QStringList Mnemonics(QWidget* root) {
    QStringList out;
    for (QAbstractButton* b : root->findChildren<QAbstractButton*>())
        if (b->isVisible() && !Mnemonic(b->text()).isEmpty()) out << Mnemonic(b->text());
    for (QLabel* l : root->findChildren<QLabel*>())
        if (l->isVisible() && l->buddy() != nullptr && !Mnemonic(l->text()).isEmpty()) out << Mnemonic(l->text());
    return out;
}

}  // namespace

class WorkbenchTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void commandLine_data();
    void commandLine();
    void folderChosenCreatedAndRemembered();
    void defaultFolderNeverBesideAnInstalledProgram_data();
    void defaultFolderNeverBesideAnInstalledProgram();
    void huntWithTwoWorkersHaltedFromTheCloseQuestion();
    void panelRunCountedAlikeAndNotClosed();
    void limitEndsTheRun_data();
    void limitEndsTheRun();
    void fullLevelsMarkedAndHuntSuggested_data();
    void fullLevelsMarkedAndHuntSuggested();
    void collectionOpensAPuzzleAndItsExplanation();
    void pastedPuzzleSteppedThrough_data();
    void pastedPuzzleSteppedThrough();
    void trialAndForcingChainShownNodeByNode_data();
    void trialAndForcingChainShownNodeByNode();
    void bookExportedToPdf();
    void otherFolderMergedIn();
    void mnemonicsAndResizing();

private:
    QTemporaryDir settingsDir_;
    std::vector<Known> puzzles_;
};

void WorkbenchTest::initTestCase() {
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir_.path());
    QApplication::setOrganizationName("Gridwick tests");
    QApplication::setApplicationName("Gridwick window tests");
    puzzles_ = TestPuzzles(120);
    QCOMPARE(static_cast<int>(puzzles_.size()), 120);  // no data, no test
}

void WorkbenchTest::init() { QSettings().clear(); }

void WorkbenchTest::commandLine_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");
    QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: gridwick-window [FOLDER]";
    QTest::newRow("short help") << QStringList{"-h"} << 0 << "Usage:";
    QTest::newRow("version") << QStringList{"--version"} << 0 << "gridwick-window " GRIDWICK_WINDOW_VERSION;
    QTest::newRow("unknown option") << QStringList{"--colour"} << 2 << "Unknown option 'colour'";
    QTest::newRow("two folders") << QStringList{"a", "b"} << 2 << "one folder at most";
    QTest::newRow("folder under a file") << QStringList{"@file/sub"} << 1 << "Cannot create the folder";
}

void WorkbenchTest::commandLine() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, says);
    QTemporaryDir dir;
    QFile file(dir.filePath("file"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    for (QString& a : args) a.replace("@", dir.path() + "/");
    int got = 0;
    const QString output = Run(GRIDWICK_WINDOW_EXE, args, got);
    QCOMPARE(got, status);
    QVERIFY2(output.contains(says), qPrintable(output));
}

void WorkbenchTest::folderChosenCreatedAndRemembered() {
    QTemporaryDir dir;
    const fs::path first = fs::path(dir.path().toStdString()) / "first";
    fs::create_directories(first);
    const QString second = dir.filePath("made/on/demand");
    {
        gw::Workbench w(first);
        w.Load();
        QCOMPARE(w.folderEdit()->text(), QString::fromStdString(first.string()));
        QCOMPARE(w.ChooseFolder(second), QString());
        QVERIFY(fs::is_directory(fs::path(second.toStdString()) / "Sudoku_81_Char"));
        QCOMPARE(QString::fromStdString(w.main()->basePath().string()), second);
        QCOMPARE(w.folderEdit()->text(), second);
        // A folder that cannot be made is refused, and the folder stays.
        QFile blocker(dir.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        QVERIFY(w.ChooseFolder(dir.filePath("blocker/sub")).startsWith("Cannot create"));
        QCOMPARE(w.folderEdit()->text(), second);
        w.main()->combo2()->setCurrentIndex(5);
        w.runPanel()->SetLevels(LevelBit(7) | LevelBit(8));
        w.runPanel()->SetHunt(true);
        w.runPanel()->SetWorkers(2);
        QVERIFY(w.close());
    }
    const gw::WindowSettings s = gw::WindowSettings::Load();
    QCOMPARE(s.folder, second);
    gw::Workbench again(s.folder.toStdString());
    again.Load();
    QCOMPARE(again.main()->combo2()->currentIndex(), 5);
    QCOMPARE(again.runPanel()->levels(), LevelBit(7) | LevelBit(8));
    QVERIFY(again.runPanel()->hunt());
    QCOMPARE(again.runPanel()->workers(), std::min(2, again.runPanel()->workerBox()->maximum()));
}

void WorkbenchTest::defaultFolderNeverBesideAnInstalledProgram_data() {
    QTest::addColumn<QString>("program");  // under a scratch folder, made with "@share" beside it when asked
    QTest::addColumn<bool>("own");
    QTest::newRow("build folder") << "build/app" << true;
    QTest::newRow("installed prefix") << "prefix/bin@share" << false;
    QTest::newRow("a bin folder of one's own") << "tools/bin" << true;
    QTest::newRow("a folder named share beside") << "tools/app@share" << true;
    QTest::newRow("cannot be written") << "/proc" << false;
}

void WorkbenchTest::defaultFolderNeverBesideAnInstalledProgram() {
    QFETCH(QString, program);
    QFETCH(bool, own);
    QTemporaryDir dir;
    QString folder = program.section('@', 0, 0);
    if (!folder.startsWith('/')) {
        folder = dir.filePath(folder);
        QVERIFY(QDir().mkpath(folder));
        if (program.contains('@')) QVERIFY(QDir().mkpath(QDir(folder).filePath("../share")));
    }
    const gw::StartFolder start = gw::DefaultFolder(folder, dir.filePath("home"));
    QCOMPARE(start.own, own);
    QCOMPARE(start.folder, own ? folder : dir.filePath("home/Gridwick"));
    QVERIFY2(start.message.startsWith("Puzzles are kept in " + start.folder), qPrintable(start.message));
}

// Levels Easy and Medium, the hunt with two workers; Exit and close during the
// run are refused with a question that offers the halt; the counts match the
// disk afterwards.
void WorkbenchTest::huntWithTwoWorkersHaltedFromTheCloseQuestion() {
    QTemporaryDir dir;
    const fs::path base = dir.path().toStdString();
    gw::Workbench w(base);
    w.Load();
    gw::RunPanel* run = w.runPanel();
    run->SetLevels(LevelBit(1) | LevelBit(2));
    run->SetHunt(true);
    run->SetWorkers(2);
    run->startButton()->click();
    QVERIFY(run->running());
    QVERIFY(!w.main()->commandGenerate()->isEnabled());
    QVERIFY(!w.ChooseFolder(dir.filePath("elsewhere")).isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(run->lastSnapshot().saved >= 6, 120000);
    QTRY_VERIFY(MainCounts(w) != QStringList(9, "0"));
    QCOMPARE(MakeCounts(w), MainCounts(w));

    QTest::mouseClick(w.main()->buttonExit(), Qt::LeftButton);
    QVERIFY(w.isVisible());
    QVERIFY(w.haltQuestion() != nullptr);
    QVERIFY(!w.close());
    QVERIFY(run->running());
    auto* halt = w.haltQuestion()->findChild<QPushButton*>("haltRun");
    QVERIFY(halt != nullptr);
    halt->click();
    QTRY_VERIFY_WITH_TIMEOUT(!run->running(), 10000);
    QVERIFY(w.main()->commandGenerate()->isEnabled());

    const gw::RunSnapshot& s = run->lastSnapshot();
    const auto disk = gw::CountSudokus(base, 0);
    long long total = 0;
    for (int l = 1; l <= 9; ++l) {
        const auto i = static_cast<std::size_t>(l);
        QCOMPARE(QString::number(s.savedPerLevel[i]), QString::fromStdString(disk[i - 1]));
        // Two hunting workers on a free machine can fill Easy before the halt.
        const QString full = disk[i - 1] == "1000" ? " (full)" : "";
        QCOMPARE(run->levelTable()->item(l - 1, 1)->text(), QString::fromStdString(disk[i - 1]) + full);
        if (l > 2) QCOMPARE(s.savedPerLevel[i], 0LL);
        total += s.savedPerLevel[i];
    }
    QCOMPARE(total, s.saved);
    // Every graded puzzle is saved or has its reason.
    QCOMPARE(s.saved + s.notTicked + s.levelFull, s.made);
    QCOMPARE(MainCounts(w), DiskCounts(base, 0));
    QVERIFY(w.close());
}

// The main panel's plain loop on the window's thread: the Make tab shows the
// same stored counts at every event pass; Exit and closing the window are
// refused and the status bar says to halt first; the status bar shows the
// run's figures.
void WorkbenchTest::panelRunCountedAlikeAndNotClosed() {
    QTemporaryDir dir;
    const fs::path base = dir.path().toStdString();
    gw::Workbench w(base);
    w.Load();
    int compared = 0;
    w.main()->yieldHook = [&](gw::MainWindow::Phase p) {
        if (p != gw::MainWindow::Phase::Events) return;
        QCOMPARE(MakeCounts(w), MainCounts(w));
        if (w.main()->lastRun().puzzles < 3 || ++compared < 3 || w.panelFigures()->text().isEmpty()) return;
        QTest::mouseClick(w.main()->buttonExit(), Qt::LeftButton);
        QVERIFY(w.statusBar()->currentMessage().contains("Halt Generator"));
        w.statusBar()->clearMessage();
        QVERIFY(!w.close());
        QVERIFY(w.statusBar()->currentMessage().contains("Halt Generator"));
        QVERIFY(w.haltQuestion() == nullptr);
        QVERIFY(w.panelFigures()->text().contains(" a second · "));
        w.main()->commandHalt()->click();
    };
    // Ends the run should the hook fail before its halt.
    QTimer::singleShot(60000, w.main(), [&] { w.main()->CommandHalt_Click(); });
    w.main()->commandGenerate()->click();
    QVERIFY(compared >= 3);
    QVERIFY(!w.main()->generating());
    QCOMPARE(MainCounts(w), DiskCounts(base, 0));
    QCOMPARE(MakeCounts(w), MainCounts(w));
    QTRY_VERIFY(w.panelFigures()->text().startsWith(
        QString("\"Generate Sudokus\": Saved %1 of ").arg(w.main()->lastRun().puzzles)));
    QVERIFY(w.close());
}

void WorkbenchTest::limitEndsTheRun_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("says");
    QTest::newRow("count") << 5 << 0.0 << "Made the 5 puzzles asked for.";
    QTest::newRow("time") << 0 << 0.5 << "Time is up.";
}

void WorkbenchTest::limitEndsTheRun() {
    QFETCH(int, count);
    QFETCH(double, seconds);
    QFETCH(QString, says);
    QTemporaryDir dir;
    const fs::path base = dir.path().toStdString();
    gw::Workbench w(base);
    w.Load();
    w.main()->combo2()->setCurrentIndex(2);
    gw::RunPanel* run = w.runPanel();
    run->SetLevels(gw::kAllLevels);
    run->SetHunt(false);
    run->SetWorkers(2);
    run->SetCount(count);
    run->secondsLimit = seconds;
    run->Start();
    QTRY_VERIFY_WITH_TIMEOUT(!run->running(), 60000);
    QCOMPARE(run->statusLabel()->text(), says);
    const long long saved = run->lastSnapshot().saved;
    if (count > 0) QCOMPARE(saved, static_cast<long long>(count));
    int files = 0;
    for (const auto& e : fs::directory_iterator(base / "Simple Sudoku")) files += e.is_regular_file() ? 1 : 0;
    QCOMPARE(static_cast<long long>(files), saved);
    QCOMPARE(MainCounts(w), DiskCounts(base, 2));
    // The collection caught up with the disk.
    long long listed = 0;
    for (int l = 1; l <= 9; ++l) {
        w.collection()->SelectLevel(l);
        listed += static_cast<long long>(w.collection()->puzzles().size());
    }
    QCOMPARE(listed, saved);
}

void WorkbenchTest::fullLevelsMarkedAndHuntSuggested_data() {
    QTest::addColumn<unsigned>("levels");
    QTest::addColumn<bool>("hunt");
    QTest::addColumn<bool>("suggested");
    // Easy is full in these cases.
    QTest::newRow("rare levels only") << (LevelBit(8) | LevelBit(9)) << false << true;
    QTest::newRow("full Easy and Extreme") << (LevelBit(1) | LevelBit(7)) << false << true;
    QTest::newRow("Medium still open") << (LevelBit(2) | LevelBit(7)) << false << false;
    QTest::newRow("common levels only") << (LevelBit(2) | LevelBit(3)) << false << false;
    QTest::newRow("already hunting") << (LevelBit(8) | LevelBit(9)) << true << false;
}

void WorkbenchTest::fullLevelsMarkedAndHuntSuggested() {
    QFETCH(unsigned, levels);
    QFETCH(bool, hunt);
    QFETCH(bool, suggested);
    QTemporaryDir dir;
    const fs::path base = dir.path().toStdString();
    gw::CreateOutputFolders(base);
    {
        // 1000 Easy lines for "81 char $ (.)".
        std::ofstream f(base / "Sudoku_81_Char" / "Sudoku_Easy.txt", std::ios::binary);
        const std::string line = Cells(puzzles_[0].puzzle, '.') + "\r\n";
        for (int i = 0; i < gw::kMaxPerLevel; ++i) f << line;
    }
    gw::Workbench w(base);
    w.Load();
    w.main()->combo2()->setCurrentIndex(6);
    gw::RunPanel* run = w.runPanel();
    QCOMPARE(run->levelTable()->item(0, 1)->text(), QString("1000 (full)"));
    QCOMPARE(run->levelTable()->item(1, 1)->text(), QString("0"));
    run->SetHunt(hunt);
    run->SetLevels(levels);
    QCOMPARE(run->hintLabel()->isVisible(), suggested);
    QCOMPARE(run->useHuntButton()->isVisible(), suggested);
    if (suggested) {
        run->useHuntButton()->click();
        QVERIFY(run->hunt());
        QVERIFY(!run->hintLabel()->isVisible());
    }
    // Only the full level chosen: nothing to do, and the run says so.
    run->SetLevels(LevelBit(1));
    run->Start();
    QVERIFY(!run->running());
    QVERIFY(run->statusLabel()->text().contains("already holds 1000"));
}

void WorkbenchTest::collectionOpensAPuzzleAndItsExplanation() {
    QTemporaryDir dir;
    const fs::path base = dir.path().toStdString();
    const std::array<int, 10> perLevel = Fill(base, 0, puzzles_);
    int level = 0;  // the hardest level stored
    for (int l = 1; l <= 9; ++l)
        if (perLevel[static_cast<std::size_t>(l)] > 0) level = l;
    QVERIFY(level >= 4);
    gw::Workbench w(base);
    w.Load();
    gw::CollectionView* c = w.collection();
    w.tabs()->setCurrentWidget(c);
    for (int l = 1; l <= 9; ++l) {
        c->SelectLevel(l);
        QCOMPARE(static_cast<int>(c->puzzles().size()), perLevel[static_cast<std::size_t>(l)]);
        QCOMPARE(c->puzzleTable()->rowCount(), perLevel[static_cast<std::size_t>(l)]);
    }
    c->SelectLevel(level);
    c->SelectPuzzle(0);
    const gw::Grid chosen = c->puzzles()[0].puzzle;
    QVERIFY(c->grid()->valid());
    const std::string plain = c->grid()->svg();
    c->solutionBox()->setChecked(true);
    QVERIFY(c->grid()->valid());
    QVERIFY(c->grid()->svg() != plain);
    QVERIFY(c->grid()->svg().find("class=\"solved\"") != std::string::npos);

    c->openButton()->click();
    gw::PuzzleView* p = w.puzzle();
    QCOMPARE(w.tabs()->currentWidget(), static_cast<QWidget*>(p));
    QTRY_VERIFY_WITH_TIMEOUT(!p->grading(), 30000);
    std::vector<gw::Step> steps;
    gw::GradeState s;
    QCOMPARE(p->level(), gw::GradePuzzle(s, chosen, &steps));
    QCOMPARE(p->steps().size(), steps.size());
    // Every step drawn exactly as the explanation page draws it.
    gw::explain::Board board(chosen);
    QCOMPARE(p->grid()->svg(), gw::explain::StandaloneGridSvg(board, nullptr));
    for (std::size_t i = 0; i < steps.size(); ++i) {
        p->nextButton()->click();
        QCOMPARE(p->position(), static_cast<int>(i) + 1);
        QCOMPARE(p->grid()->svg(), gw::explain::StandaloneGridSvg(board, &steps[i]));
        QVERIFY(p->stepLabel()->text().endsWith(QString::fromStdString(gw::explain::StepText(steps[i]))));
        board.Apply(steps[i]);
    }
    QVERIFY(!p->nextButton()->isEnabled());
    QVERIFY(p->grid()->valid());
    QVERIFY(p->techniquesLabel()->text().startsWith("techniques:"));
}

void WorkbenchTest::pastedPuzzleSteppedThrough_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    const std::string dots = Cells(puzzles_[1].puzzle, '.');
    std::string rows;
    for (int r = 0; r < 9; ++r) rows += Cells(puzzles_[1].puzzle, '0').substr(static_cast<std::size_t>(9 * r), 9) + "\n";
    QTest::newRow("one line, dots") << QString::fromStdString(dots) << true;
    QTest::newRow("nine rows of zeros") << QString::fromStdString(rows) << true;
    QTest::newRow("with the level after it") << QString::fromStdString(dots + " 3 Hard") << true;
    QTest::newRow("two solutions") << QString(81, '.') << false;
    QTest::newRow("no puzzle") << QString("hello") << false;
}

void WorkbenchTest::pastedPuzzleSteppedThrough() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QTemporaryDir dir;
    gw::Workbench w(fs::path(dir.path().toStdString()));
    w.Load();
    gw::PuzzleView* p = w.puzzle();
    w.tabs()->setCurrentWidget(p);
    p->input()->setPlainText(text);
    p->gradeButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(!p->grading(), 30000);
    QCOMPARE(p->level() != 0, valid);
    if (!valid) {
        QVERIFY(!p->resultLabel()->text().isEmpty());
        QVERIFY(!p->nextButton()->isEnabled());
        return;
    }
    QCOMPARE(p->level(), puzzles_[1].level);
    const int n = static_cast<int>(p->steps().size());
    QVERIFY(n > 0);
    QCOMPARE(p->stepList()->count(), n + 1);
    // Hint mode: the steps show one at a time.
    p->hintBox()->setChecked(true);
    QCOMPARE(p->stepList()->count(), 2);  // the puzzle, and "more hidden"
    p->nextButton()->click();
    p->nextButton()->click();
    QCOMPARE(p->position(), 2);
    QCOMPARE(p->stepList()->count(), n > 2 ? 4 : 3);
    QVERIFY(!p->techniquesLabel()->isVisible() || n <= 2);
    p->previousButton()->click();
    QCOMPARE(p->position(), 1);
    QCOMPARE(p->stepList()->count(), n > 2 ? 4 : 3);  // what was shown stays shown
    p->hintBox()->setChecked(false);
    QCOMPARE(p->stepList()->count(), n + 1);
}

void WorkbenchTest::trialAndForcingChainShownNodeByNode_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("rung");
    std::ifstream trial(GRIDWICK_TEST_DATA "/trial.txt"), forcing(GRIDWICK_TEST_DATA "/grade_outputs/input.txt");
    std::string line;
    QVERIFY(std::getline(trial, line));
    QTest::newRow("bivalue trial") << QString::fromStdString(line.substr(0, 81)) << gw::kRungCount;
    for (int i = 0; i < 4; ++i) QVERIFY(std::getline(forcing, line));
    QTest::newRow("forcing chain") << QString::fromStdString(line) << gw::RungNamed("Forcing Chain").number;
}

// The window shows what `grade --explain` prints: a forcing chain's branches
// and a trial's refutation node by node under the step, then the trial's own
// steps up to the solved grid.
void WorkbenchTest::trialAndForcingChainShownNodeByNode() {
    QFETCH(QString, text);
    QFETCH(int, rung);
    QTemporaryDir dir;
    gw::Workbench w(fs::path(dir.path().toStdString()));
    gw::PuzzleView* p = w.puzzle();
    p->input()->setPlainText(text);
    p->gradeButton()->click();
    QVERIFY(p->grading());  // off the window's thread
    QTRY_VERIFY_WITH_TIMEOUT(!p->grading(), 30000);
    QVERIFY(p->level() != 0);
    const std::string explained = gw::explain::ExplanationText(p->frames()[0].board.grid, p->level(), p->steps(), false);
    int shown = 0;
    while (true) {
        const gw::explain::Frame& f = p->frames()[static_cast<std::size_t>(p->position())];
        if (f.step != nullptr && f.step->rung == rung) {
            QVERIFY(!f.details.empty());
            for (const std::string& d : f.details) {
                QVERIFY(explained.find(d) != std::string::npos);
                QVERIFY2(p->stepLabel()->text().contains(QString::fromStdString(d)), qPrintable(p->stepLabel()->text()));
                ++shown;
            }
        }
        if (!p->nextButton()->isEnabled()) break;
        p->nextButton()->click();
    }
    QVERIFY(shown > 0);
    QCOMPARE(p->position(), static_cast<int>(p->frames().size()) - 1);
    QCOMPARE(p->stepList()->count(), static_cast<int>(p->frames().size()));
    if (rung == gw::kRungCount) {
        // The last frame is the solved grid the trial's own steps lead to.
        const gw::explain::Frame& last = p->frames().back();
        QVERIFY(last.solved);
        for (int c = 0; c < 81; ++c) QVERIFY(last.board.grid[c] != 0);
        QVERIFY(p->frames().size() > p->steps().size() + 2);
    }
}

void WorkbenchTest::bookExportedToPdf() {
    QTemporaryDir dir;
    const fs::path base = fs::path(dir.path().toStdString()) / "puzzles";
    const std::array<int, 10> perLevel = Fill(base, 3, puzzles_);
    gw::Workbench w(base);
    w.Load();
    w.main()->combo2()->setCurrentIndex(3);
    gw::SharePanel* share = w.share();
    share->SetLevels(LevelBit(1));
    share->titleEdit()->setText("Easy does it");
    share->SetPerPage(6);
    share->SetHowToPlay(true);
    const QString pdf = dir.filePath("easy.pdf");
    share->pathForTests = pdf;
    share->exportButton()->click();
    QVERIFY(share->exporting());  // off the window's thread
    QTRY_VERIFY_WITH_TIMEOUT(!share->exporting(), 30000);
    QVERIFY2(share->statusLabel()->text().startsWith("Wrote"), qPrintable(share->statusLabel()->text()));
    QVERIFY(share->openBookButton()->isEnabled());
    int status = 0;
    const QString info = Run("pdfinfo", {pdf}, status);
    QCOMPARE(status, 0);
    const int easy = perLevel[1];
    // A title page, the contents, how to play, the puzzle pages (6 a page),
    // the solution pages (12 a page).
    const int pages = 3 + (easy + 5) / 6 + (easy + 11) / 12;
    QVERIFY2(info.contains(QRegularExpression(QString("Pages:\\s+%1\\n").arg(pages))), qPrintable(info));
    const QString text = Run("pdftotext", {pdf, "-"}, status);
    QCOMPARE(status, 0);
    QVERIFY(text.contains("Easy does it"));
    QVERIFY(text.contains("How to play"));
    QVERIFY(text.contains(QString("No. %1 · Easy").arg(easy)));

    // `gridwick print` makes the same pages of the same puzzles.
    QStringList args{"print"};
    for (const gw::StoredFile& f : gw::ListTargetFiles(base, 3))
        if (f.level == 1) args << QString::fromStdString(f.path.string());
    const QString cliPdf = dir.filePath("cli.pdf");
    args << "--title" << "Easy does it" << "--per-page" << "6" << "--how-to-play" << "-o" << cliPdf;
    Run(GRIDWICK_CLI, args, status);
    QCOMPARE(status, 0);
    const QStringList windowPages = text.split('\f'), cliPages = Run("pdftotext", {cliPdf, "-"}, status).split('\f');
    QCOMPARE(windowPages.size(), pages + 1);  // the text ends with a page break
    QCOMPARE(windowPages.size(), cliPages.size());
    for (int i = 0; i < windowPages.size(); ++i) QCOMPARE(windowPages[i], cliPages[i]);

    // As print's: a link planted at the name is replaced, never followed; a
    // write that fails (here a file size limit, met like a full disk) keeps
    // the previous book, says why and leaves no temporary behind.
    auto strays = [&] { return QDir(dir.path()).entryList(QDir::Hidden | QDir::Files).filter(QRegularExpression("^\\.")); };
    const QString victim = dir.filePath("victim");
    QVERIFY(QFile(victim).open(QIODevice::WriteOnly));
    QVERIFY(QFile::remove(pdf) && QFile::link(victim, pdf));
    share->exportButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(!share->exporting(), 30000);
    QVERIFY2(share->statusLabel()->text().startsWith("Wrote"), qPrintable(share->statusLabel()->text()));
    QCOMPARE(QFileInfo(victim).size(), 0);
    QVERIFY(!QFileInfo(pdf).isSymLink());
    {
        QFile previous(pdf);
        QVERIFY(previous.open(QIODevice::WriteOnly | QIODevice::Truncate) && previous.write("previous") == 8);
    }
    rlimit before {};
    ::getrlimit(RLIMIT_FSIZE, &before);
    rlimit cap = before;
    cap.rlim_cur = 4096;
    const auto xfsz = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &cap);
    share->exportButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(!share->exporting(), 30000);
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, xfsz);
    QVERIFY2(share->statusLabel()->text().endsWith("File too large"), qPrintable(share->statusLabel()->text()));
    QCOMPARE(QFileInfo(pdf).size(), 8);
    QCOMPARE(strays(), QStringList{});

    // The puzzles chosen in the collection, in two levels: the choice of a
    // level is kept while another is looked at.
    QVERIFY(perLevel[2] > 0);
    gw::CollectionView* c = w.collection();
    c->SelectLevel(1);
    c->puzzleTable()->selectRow(1);
    c->SelectLevel(2);
    QVERIFY(c->puzzleTable()->selectionModel()->selectedRows().isEmpty());
    c->puzzleTable()->selectRow(0);
    c->SelectLevel(1);
    QCOMPARE(c->puzzleTable()->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(c->puzzleTable()->selectionModel()->selectedRows().front().row(), 1);
    QCOMPARE(c->exportButton()->text(), QString("E&xport 2 chosen to PDF…"));
    const QString two = dir.filePath("two.pdf");
    share->pathForTests = two;
    share->titleEdit()->clear();
    share->SetHowToPlay(false);
    c->exportButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(!share->exporting(), 30000);
    // The contents, one puzzle page and one solution page.
    const QString both = Run("pdftotext", {two, "-"}, status);
    QVERIFY2(both.contains("No. 1 · Easy") && both.contains("No. 2 · Medium"), qPrintable(both));
    QVERIFY(Run("pdfinfo", {two}, status).contains(QRegularExpression("Pages:\\s+3\\n")));
    c->findChild<QPushButton*>("clearChoice")->click();
    QVERIFY(c->Selected().empty());

    // Levels mixed as `gridwick print --levels 1-3 --per-level 2 [--order random --seed 7]` mixes them.
    QVERIFY(perLevel[3] >= 2);
    share->SetLevels(LevelBit(1) | LevelBit(2) | LevelBit(3));
    share->SetPerLevel(2);
    QStringList books;
    for (const bool random : {false, true, true}) {
        share->SetRandomOrder(random);
        share->seedEdit()->setText("7");
        share->pathForTests = dir.filePath(QString("mixed%1.pdf").arg(books.size()));
        share->exportButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(!share->exporting(), 30000);
        const QString said = share->statusLabel()->text();
        QVERIFY2(said.contains("Wrote 6 puzzles") && said.contains("(Easy 2, Medium 2, Hard 2)"), qPrintable(said));
        QCOMPARE(said.contains("random order, seed 7"), random);
        books << Run("pdftotext", {share->pathForTests, "-"}, status);
    }
    for (const char* n : {"No. 1 · Easy", "No. 3 · Medium", "No. 5 · Hard"})
        QVERIFY2(books[0].contains(QString::fromUtf8(n)), qPrintable(books[0]));
    QVERIFY(books[1] != books[0]);
    QCOMPARE(books[2], books[1]);  // the same seed, the same book

    // A cancel leaves no file.
    gw::BookRequest request;
    request.base = base;
    request.target = 3;
    request.path = dir.filePath("cancelled.pdf");
    const std::atomic<bool> cancelled{true};
    QVERIFY(gw::MakeBook(request, cancelled).cancelled);
    QVERIFY(!QFile::exists(request.path));
}

void WorkbenchTest::otherFolderMergedIn() {
    QTemporaryDir dir;
    const fs::path source = fs::path(dir.path().toStdString()) / "source";
    const fs::path base = fs::path(dir.path().toStdString()) / "base";
    const std::vector<Known> some(puzzles_.begin(), puzzles_.begin() + 30);
    Fill(source, 6, some);
    Fill(base, 2, std::vector<Known>(puzzles_.begin(), puzzles_.begin() + 10));
    gw::Workbench w(base);
    w.Load();
    w.main()->combo2()->setCurrentIndex(2);
    gw::SharePanel* share = w.share();
    share->sourceEdit()->setText(QString::fromStdString(source.string()));
    QCOMPARE(share->mergeButton()->text(), "M&erge into \"Simple Sudoku\"");
    share->mergeButton()->click();
    QVERIFY2(share->statusLabel()->text().startsWith("Merged into \"Simple Sudoku\": 20 copied, 10 already stored"),
             qPrintable(share->statusLabel()->text()));
    QCOMPARE(MainCounts(w), DiskCounts(base, 2));
    double total = 0;
    for (const std::string& n : gw::CountSudokus(base, 2)) total += std::stod(n);
    QCOMPARE(total, 30.0);
    // A stored puzzle with its digits relabelled is a new one, unless
    // disguised copies are skipped too.
    const fs::path disguise = fs::path(dir.path().toStdString()) / "disguise.txt";
    {
        std::string text(81, '0');
        for (int c = 0; c < 81; ++c)
            if (const int d = puzzles_[0].puzzle[c]) text[static_cast<std::size_t>(c)] = static_cast<char>('0' + 10 - d);
        std::ofstream(disguise) << text << "\n";
    }
    share->sourceEdit()->setText(QString::fromStdString(disguise.string()));
    share->uniqueBox()->setChecked(true);
    share->mergeButton()->click();
    QVERIFY2(share->statusLabel()->text().startsWith("Merged into \"Simple Sudoku\": 0 copied, 0 already stored, 1 disguised copies"),
             qPrintable(share->statusLabel()->text()));
    gw::MergeOptions o;
    o.target = 2;
    const gw::MergeReport again = gw::MergeCollections(base, {source.string()}, o);
    QCOMPARE(again.copied, 0LL);
    QCOMPARE(again.same, 30LL);
    QVERIFY(!gw::MergeCollections(base, {dir.filePath("nowhere").toStdString()}, o).Merged());
}

void WorkbenchTest::mnemonicsAndResizing() {
    QTemporaryDir dir;
    gw::Workbench w(fs::path(dir.path().toStdString()));
    w.Load();
    QStringList global;
    for (int t = 0; t < w.tabs()->count(); ++t) {
        const QString key = Mnemonic(w.tabs()->tabText(t));
        QVERIFY2(!key.isEmpty(), qPrintable(w.tabs()->tabText(t)));
        global << key;
    }
    for (int t = 0; t < w.tabs()->count(); ++t) {
        w.tabs()->setCurrentIndex(t);
        QStringList keys = global + Mnemonics(w.centralWidget());
        keys.removeDuplicates();
        QStringList all = global + Mnemonics(w.centralWidget());
        QVERIFY2(all.size() == keys.size(), qPrintable(all.join(",")));  // no letter used twice on one view
    }
    // Resizable, and the main panel keeps its size.
    const QSize panel = w.main()->size();
    QVERIFY(w.minimumWidth() < 1100 && w.minimumHeight() < 720);
    w.resize(1400, 900);
    QCOMPARE(w.size(), QSize(1400, 900));
    QCOMPARE(w.main()->size(), panel);
    w.resize(w.minimumSize());
    QCOMPARE(w.main()->size(), panel);
}

QTEST_MAIN(WorkbenchTest)
#include "workbench_test.moc"
