// Window tests: start-up state, runs started and halted by clicks, halts inside
// each step of a puzzle, refusal of Exit and close during a run, and target
// changes. They run on Qt's offscreen platform and write into temporary folders.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "main_window.h"
#include "output/targets.h"

using gw::MainWindow;
using Phase = gw::MainWindow::Phase;
namespace fs = std::filesystem;

namespace {

const char* const kFolders[8] = {"YAZ Sudoku 1", "YAZ Sudoku 2",     "Simple Sudoku",  "Sudocue",
                                 "Into Sudoku",  "Sudoku Explainer", "Sudoku_81_Char", "Sudoku_81_Char_0"};

fs::path Base(const QTemporaryDir& dir) { return fs::path(dir.path().toStdString()); }

void WriteBytes(const fs::path& path, std::size_t n) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << std::string(n, 'x');
}

QStringList Counts(const MainWindow& w) {
    QStringList out;
    for (int i = 0; i < 9; ++i) out << w.lblLevelCount(i)->text();
    return out;
}

QStringList CountsOnDisk(const fs::path& base, int target) {
    QStringList out;
    for (const std::string& s : gw::CountSudokus(base, target)) out << QString::fromStdString(s);
    return out;
}

// Puzzles stored for a target, all levels together.
double StoredPuzzles(const fs::path& base, int target) {
    double total = 0;
    for (const std::string& s : gw::CountSudokus(base, target)) total += std::stod(s);
    return total;
}

int FilesIn(const fs::path& folder) {
    int n = 0;
    for (const auto& entry : fs::directory_iterator(folder)) n += entry.is_regular_file() ? 1 : 0;
    return n;
}

void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }

// A run goes on until halted: a hook whose check failed, or that missed its
// moment, must still end it.
bool Bail(MainWindow& w) {
    if (!QTest::currentTestFailed() && w.lastRun().puzzles < 50) return false;
    w.commandHalt()->click();
    return true;
}

// The state table of a run.
void ExpectIdleAfterStartUp(const MainWindow& w) {
    QVERIFY(!w.generating());
    QVERIFY(w.haltRequested());
    QVERIFY(w.commandGenerate()->isEnabled());
    QVERIFY(w.commandHalt()->isEnabled());
    QVERIFY(!w.timer1()->isActive());
}

void ExpectRunning(const MainWindow& w) {
    QVERIFY(w.generating());
    QVERIFY(!w.haltRequested());
    QVERIFY(!w.commandGenerate()->isEnabled());
    QVERIFY(w.commandHalt()->isEnabled());
    QVERIFY(w.timer1()->isActive());
    QCOMPARE(w.timer1()->interval(), 200);
}

void ExpectAfterRun(const MainWindow& w) {
    QVERIFY(!w.generating());
    QVERIFY(w.haltRequested());
    QVERIFY(w.commandGenerate()->isEnabled());
    QVERIFY(!w.commandHalt()->isEnabled());
    QVERIFY(!w.timer1()->isActive());
    QCOMPARE(w.phase(), Phase::Idle);
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void startUpShowsCountsOfFirstTarget();
    void controlsAndLayout();
    void secondStartWithFoldersPresentShowsNoError();
    void runStartedAndHaltedByClicks();
    void haltInsideAStepSavesNothing_data();
    void haltInsideAStepSavesNothing();
    void exitAndCloseRefusedDuringRun();
    void exitEndsProgramWhenIdle();
    void newSelectionRecountsAndRedirectsSaves();
    void failedSaveStopsTheRunAndSaysWhy_data();
    void failedSaveStopsTheRunAndSaysWhy();
};

void WindowTest::startUpShowsCountsOfFirstTarget() {
    QTemporaryDir dir;
    const fs::path base = Base(dir);
    // 250 bytes of 166-byte records show as a fraction; two Hard records as 2.
    WriteBytes(base / "YAZ Sudoku 1" / "YAZ_Sudoku_1_Easy.sds", 250);
    WriteBytes(base / "YAZ Sudoku 1" / "YAZ_Sudoku_1_Hard.sds", 332);
    WriteBytes(base / "YAZ Sudoku 2" / "YAZ_Sudoku_2_Outlaw.sds", 166);

    MainWindow w(base);
    // The folders exist before anything is shown or counted.
    for (const char* f : kFolders) QVERIFY2(fs::is_directory(base / f), f);
    QVERIFY(!w.isVisible());
    QCOMPARE(w.combo2()->currentIndex(), -1);

    w.Load();
    QVERIFY(w.isVisible());
    QCOMPARE(w.combo2()->currentIndex(), 0);
    QCOMPARE(Counts(w), (QStringList{"1.50602409638554", "0", "2", "0", "0", "0", "0", "0", "0"}));
    ExpectIdleAfterStartUp(w);
    QCOMPARE(w.timer1()->interval(), 200);

    // Halt outside a run changes nothing.
    Click(w.commandHalt());
    ExpectIdleAfterStartUp(w);
}

void WindowTest::controlsAndLayout() {
    QTemporaryDir dir;
    MainWindow w(Base(dir));
    w.Load();
    QCOMPARE(w.windowTitle(), QStringLiteral("Gridwick"));
    QCOMPARE(w.size(), QSize(289, 353));

    const QStringList levels{"Easy :",    "Medium :",  "Hard :",   "Crazy :", "Insane :",
                             "Kamikaze :", "Extreme :", "Mayhem :", "Outlaw :"};
    const QList<QLabel*> names = w.findChildren<QLabel*>(QStringLiteral("lblLevel"));
    const QList<QLabel*> counts = w.findChildren<QLabel*>(QStringLiteral("lblLevelCount"));
    QCOMPARE(names.size(), 9);
    QCOMPARE(counts.size(), 9);
    for (int i = 0; i < 9; ++i) {
        QCOMPARE(names[i], w.lblLevel(i));
        QCOMPARE(counts[i], w.lblLevelCount(i));
        QCOMPARE(names[i]->property("index").toInt(), i);
        QCOMPARE(names[i]->text(), levels[i]);
        QCOMPARE(names[i]->geometry(), QRect(16, 16 + 24 * i, 177, 17));
        QCOMPARE(counts[i]->geometry(), QRect(192, 16 + 24 * i, 81, 17));
        for (QLabel* l : {names[i], counts[i]}) {
            QVERIFY(l->font().bold());
            QCOMPARE(l->font().pointSizeF(), 8.25);
        }
    }

    auto* generate = w.findChild<QPushButton*>(QStringLiteral("CommandGenerate"));
    auto* halt = w.findChild<QPushButton*>(QStringLiteral("CommandHalt"));
    auto* exitButton = w.findChild<QPushButton*>(QStringLiteral("ButtonExit"));
    auto* label4 = w.findChild<QLabel*>(QStringLiteral("Label4"));
    auto* combo = w.findChild<QComboBox*>(QStringLiteral("Combo2"));
    auto* timer = w.findChild<QTimer*>(QStringLiteral("Timer1"));
    QVERIFY(generate && halt && exitButton && label4 && combo && timer);
    QCOMPARE(generate->text(), QStringLiteral("Generate Sudokus"));
    QCOMPARE(halt->text(), QStringLiteral("Halt Generator"));
    QCOMPARE(exitButton->text(), QStringLiteral("Exit"));
    QCOMPARE(label4->text(), QStringLiteral("Select output file-type =>"));
    QCOMPARE(generate->geometry(), QRect(8, 232, 273, 25));
    QCOMPARE(halt->geometry(), QRect(8, 264, 273, 25));
    QCOMPARE(label4->geometry(), QRect(8, 299, 121, 17));
    // Whatever font stands in for the design font, the caption is not clipped.
    QVERIFY(QFontMetrics(label4->font()).horizontalAdvance(label4->text()) <= label4->width());
    QCOMPARE(combo->geometry(), QRect(128, 296, 153, 21));
    QCOMPARE(exitButton->geometry(), QRect(8, 320, 273, 25));

    QVERIFY(!combo->isEditable());
    const QStringList targets{"YAZ Sudoku 1",     "YAZ Sudoku 2",  "Simple Sudoku", "Sudocue",
                              "Into Sudoku",      "Sudoku Explainer", "81 char $ (.)", "81 char $ (0)"};
    QCOMPARE(combo->count(), 8);
    for (int i = 0; i < 8; ++i) QCOMPARE(combo->itemText(i), targets[i]);

    // Centred on the screen (the frame, if any, only adds a few pixels).
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QVERIFY(qAbs(w.frameGeometry().center().x() - screen.center().x()) <= 16);
    QVERIFY(qAbs(w.frameGeometry().center().y() - screen.center().y()) <= 32);
}

void WindowTest::secondStartWithFoldersPresentShowsNoError() {
    QTemporaryDir dir;
    const fs::path base = Base(dir);
    {
        MainWindow first(base);
        first.Load();
    }
    MainWindow second(base);
    second.Load();
    for (const char* f : kFolders) QVERIFY2(fs::is_directory(base / f), f);
    for (QWidget* top : QApplication::topLevelWidgets()) QVERIFY(qobject_cast<QMessageBox*>(top) == nullptr);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    ExpectIdleAfterStartUp(second);
}

void WindowTest::runStartedAndHaltedByClicks() {
    QTemporaryDir dir;
    const fs::path base = Base(dir);
    MainWindow w(base);
    w.Load();
    w.pumpInterval = std::chrono::microseconds(0);  // an event pass before every puzzle

    int passes = 0;
    double before = 0;  // puzzles stored before the run
    int puzzlePhases = 0;
    w.yieldHook = [&](Phase p) {
        if (Bail(w)) return;
        if (p != Phase::Events) {
            ++puzzlePhases;
            return;
        }
        ++passes;
        ExpectRunning(w);
        // The counters grow with the files on disk.
        QCOMPARE(StoredPuzzles(base, 0), before + passes - 1);
        QCOMPARE(Counts(w), CountsOnDisk(base, 0));
        if (passes == 4) {  // three puzzles saved
            Click(w.commandHalt());
            // Pressed, not yet seen by the loop.
            QVERIFY(w.generating());
            QVERIFY(w.haltRequested());
            QVERIFY(!w.commandGenerate()->isEnabled());
            QVERIFY(w.commandHalt()->isEnabled());
            QVERIFY(w.timer1()->isActive());
        }
    };
    Click(w.commandGenerate());
    ExpectAfterRun(w);
    QCOMPARE(passes, 4);
    QVERIFY(puzzlePhases > 0);
    QCOMPARE(w.lastRun().puzzles, 3u);
    QVERIFY(!w.lastRun().haltSeenInStep);  // seen by the loop between puzzles
    QCOMPARE(StoredPuzzles(base, 0), 3.0);
    QCOMPARE(Counts(w), CountsOnDisk(base, 0));

    // Halt again after the run: nothing changes; a new run starts from the button.
    Click(w.commandHalt());
    ExpectAfterRun(w);
    passes = 0;
    before = 3;
    Click(w.commandGenerate());
    ExpectAfterRun(w);
    QCOMPARE(StoredPuzzles(base, 0), 6.0);
}

void WindowTest::haltInsideAStepSavesNothing_data() {
    QTest::addColumn<Phase>("step");
    QTest::newRow("grid build") << Phase::GridBuild;
    QTest::newRow("clue removal") << Phase::ClueRemoval;
    QTest::newRow("grading") << Phase::Grading;
}

void WindowTest::haltInsideAStepSavesNothing() {
    QFETCH(Phase, step);
    QTemporaryDir dir;
    const fs::path base = Base(dir);
    WriteBytes(base / "YAZ Sudoku 1" / "YAZ_Sudoku_1_Mayhem.sds", 166 * 5);
    MainWindow w(base);
    w.Load();

    // The first puzzle is saved; the second is halted at its first yield
    // point inside `step`.
    int puzzle = 0;
    bool halted = false;
    QStringList countsAtHalt;
    std::vector<Phase> afterHalt;
    w.yieldHook = [&](Phase p) {
        if (Bail(w)) return;
        if (halted) {
            afterHalt.push_back(p);
            return;
        }
        if (p == Phase::Events) ++puzzle;
        if (puzzle == 2 && p == step) {
            countsAtHalt = CountsOnDisk(base, 0);
            Click(w.commandHalt());
            halted = true;
        }
    };
    Click(w.commandGenerate());
    ExpectAfterRun(w);
    QVERIFY(halted);
    // The step itself saw the flag and returned early; no later step ran.
    QVERIFY(w.lastRun().haltSeenInStep);
    for (Phase p : afterHalt) QCOMPARE(p, step);
    QCOMPARE(w.lastRun().puzzles, 1u);
    QCOMPARE(StoredPuzzles(base, 0), 6.0);
    QCOMPARE(Counts(w), countsAtHalt);
    QCOMPARE(Counts(w), CountsOnDisk(base, 0));
}

void WindowTest::exitAndCloseRefusedDuringRun() {
    QTemporaryDir dir;
    MainWindow w(Base(dir));
    w.Load();

    int passes = 0;
    w.yieldHook = [&](Phase p) {
        if (Bail(w)) return;
        if (p != Phase::Events || ++passes != 2) return;
        Click(w.buttonExit());
        QVERIFY(w.isVisible());
        QVERIFY(!w.close());  // the window's close request
        QVERIFY(w.isVisible());
        ExpectRunning(w);
        Click(w.commandHalt());
        // Still refused: the loop has not seen the halt yet.
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
    };
    Click(w.commandGenerate());
    ExpectAfterRun(w);
    QVERIFY(w.isVisible());
    QVERIFY(w.close());
    QVERIFY(!w.isVisible());
}

void WindowTest::exitEndsProgramWhenIdle() {
    QTemporaryDir dir;
    MainWindow w(Base(dir));
    w.Load();
    w.yieldHook = [&](Phase p) {
        if (Bail(w)) return;
        if (p == Phase::Events && w.lastRun().puzzles == 1) Click(w.commandHalt());
    };
    Click(w.commandGenerate());
    ExpectAfterRun(w);
    QVERIFY(w.isVisible());
    Click(w.buttonExit());
    QVERIFY(!w.isVisible());
}

void WindowTest::newSelectionRecountsAndRedirectsSaves() {
    QTemporaryDir dir;
    const fs::path base = Base(dir);
    WriteBytes(base / "Simple Sudoku" / "Easy_0001.ss", 145);
    WriteBytes(base / "Simple Sudoku" / "Easy_abcd.ss", 145);  // matches the pattern too
    WriteBytes(base / "Simple Sudoku" / "Medium_0001.ss", 145);
    WriteBytes(base / "Sudocue" / "Hard_0001.sdk", 97);
    MainWindow w(base);
    w.Load();
    QCOMPARE(Counts(w), CountsOnDisk(base, 0));

    // Idle: the labels follow the selection at once.
    w.combo2()->setCurrentIndex(2);
    QCOMPARE(Counts(w), (QStringList{"2", "1", "0", "0", "0", "0", "0", "0", "0"}));
    w.combo2()->setCurrentIndex(3);
    QCOMPARE(Counts(w), (QStringList{"0", "0", "1", "0", "0", "0", "0", "0", "0"}));
    w.combo2()->setCurrentIndex(2);

    // During a run: puzzle 1 goes to "Simple Sudoku"; the selection then moves
    // to "Sudocue", whose counts show at once and which takes puzzle 2.
    int passes = 0;
    w.yieldHook = [&](Phase p) {
        if (Bail(w)) return;
        if (p != Phase::Events) return;
        ++passes;
        if (passes == 2) {
            QCOMPARE(FilesIn(base / "Simple Sudoku"), 4);
            w.combo2()->setCurrentIndex(3);
            QCOMPARE(Counts(w), (QStringList{"0", "0", "1", "0", "0", "0", "0", "0", "0"}));
        } else if (passes == 3) {
            Click(w.commandHalt());
        }
    };
    Click(w.commandGenerate());
    ExpectAfterRun(w);
    QCOMPARE(FilesIn(base / "Simple Sudoku"), 4);
    QCOMPARE(FilesIn(base / "Sudocue"), 2);
    QCOMPARE(Counts(w), CountsOnDisk(base, 3));
    QCOMPARE(StoredPuzzles(base, 0), 0.0);
}

void WindowTest::failedSaveStopsTheRunAndSaysWhy_data() {
    QTest::addColumn<int>("target");
    QTest::newRow("level file") << 0;
    QTest::newRow("numbered file") << 2;
}

// A file where the target folder should be: no save can succeed. The run ends
// by itself at the first puzzle, the reason shows in the window, and nothing is
// counted.
void WindowTest::failedSaveStopsTheRunAndSaysWhy() {
    QFETCH(int, target);
    QTemporaryDir dir;
    const fs::path base = Base(dir);
    const fs::path folder = base / kFolders[target];
    WriteBytes(folder, 3);  // created before the window, so it stays a file
    MainWindow w(base);
    w.Load();
    w.combo2()->setCurrentIndex(target);
    QVERIFY(!w.lblStatus()->isVisible());
    w.yieldHook = [&](Phase) { Bail(w); };
    Click(w.commandGenerate());
    ExpectAfterRun(w);
    QCOMPARE(w.lastRun().puzzles, 0u);
    QVERIFY(w.lblStatus()->isVisible());
    const QString status = w.lblStatus()->text();
    QVERIFY2(status.contains(QString::fromStdString(folder.string())), qPrintable(status));
    QVERIFY2(status.contains(QStringLiteral("Not a directory")), qPrintable(status));
    QCOMPARE(Counts(w), (QStringList{"0", "0", "0", "0", "0", "0", "0", "0", "0"}));
    QVERIFY(fs::is_regular_file(folder));
    QCOMPARE(fs::file_size(folder), 3u);
}

int main(int argc, char** argv) {
    // No display needed: default to the offscreen platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    WindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_test.moc"
