#include "main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <ctime>

#include "grader/grader.h"
#include "output/targets.h"

namespace gw {

namespace {

// Layout unit of the window design: 1/1440 inch, 15 to a pixel at 96 dpi.
constexpr int Twips(int t) { return t / 15; }

QRect TwipRect(int left, int top, int width, int height) {
    return {Twips(left), Twips(top), Twips(width), Twips(height)};
}

// The window's design font: MS Sans Serif 8.25 pt where the system has it,
// otherwise the platform's general sans font at the same size. The level
// names and counters use it in bold.
QFont DesignFont(bool bold) {
    QFont font;
    if (QFontDatabase::families().contains(QStringLiteral("MS Sans Serif"))) {
        font = QFont(QStringLiteral("MS Sans Serif"));
    } else {
        font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        font.setStyleHint(QFont::SansSerif);
    }
    font.setPointSizeF(8.25);
    font.setBold(bold);
    return font;
}

// A fallback font is often wider than the design font: shrink a label's font
// until its caption fits the label's fixed width, rather than clip it.
void FitCaption(QLabel* label) {
    QFont font = label->font();
    while (font.pointSizeF() > 6.0 && QFontMetrics(font).horizontalAdvance(label->text()) > label->width())
        font.setPointSizeF(font.pointSizeF() - 0.25);
    label->setFont(font);
}

// Yield points between two clock reads: retuned at every read so that reads
// come about every kReadGap. The cap bounds how long a sudden drop in the
// density of yield points (a search that yields rarely after one that yields
// often) can delay the next read.
constexpr std::chrono::microseconds kReadGap{250};
constexpr std::uint32_t kMaxYieldsPerRead = 64;

}  // namespace

MainWindow::MainWindow(std::filesystem::path basePath, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Gridwick"));
    BuildControls();

    // Idle: no run, and a press of "Halt Generator" changes nothing.
    control_.halt.store(true);
    generating_ = false;
    control_.pumpHook = [this] { OnEngineYield(); };
    control_.haltSeenHook = [this] { OnHaltSeen(); };
    gen_.rng.Seed(ClockSeed());

    // Centred on the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        const QRect w = frameGeometry();
        move(s.left() + (s.width() - w.width()) / 2, s.top() + (s.height() - w.height()) / 2);
    }

    // All output goes below the program's own folder.
    if (basePath.empty()) basePath = QCoreApplication::applicationDirPath().toStdString();
    basePath_ = std::move(basePath);
    CreateOutputFolders(basePath_);
    // The conversion tables of the engine are compile-time constants: there
    // is nothing to initialise here.
}

void MainWindow::BuildControls() {
    setFixedSize(Twips(4335), Twips(5295));
    setFont(DesignFont(false));
    const QFont counterFont = DesignFont(true);

    for (int i = 0; i < 9; ++i) {
        auto* name = new QLabel(QString::fromLatin1(kLevelNames[static_cast<std::size_t>(i + 1)]) + " :", this);
        name->setObjectName(QStringLiteral("lblLevel"));
        name->setProperty("index", i);
        name->setFont(counterFont);
        name->setGeometry(TwipRect(240, 240 + 360 * i, 2655, 255));
        lblLevel_[static_cast<std::size_t>(i)] = name;
    }
    for (int i = 0; i < 9; ++i) {
        auto* count = new QLabel(QStringLiteral("0"), this);
        count->setObjectName(QStringLiteral("lblLevelCount"));
        count->setProperty("index", i);
        count->setFont(counterFont);
        count->setGeometry(TwipRect(2880, 240 + 360 * i, 1215, 255));
        lblLevelCount_[static_cast<std::size_t>(i)] = count;
    }

    commandGenerate_ = new QPushButton(QStringLiteral("Generate Sudokus"), this);
    commandGenerate_->setObjectName(QStringLiteral("CommandGenerate"));
    commandGenerate_->setGeometry(TwipRect(120, 3480, 4095, 375));

    commandHalt_ = new QPushButton(QStringLiteral("Halt Generator"), this);
    commandHalt_->setObjectName(QStringLiteral("CommandHalt"));
    commandHalt_->setGeometry(TwipRect(120, 3960, 4095, 375));

    label4_ = new QLabel(QStringLiteral("Select output file-type =>"), this);
    label4_->setObjectName(QStringLiteral("Label4"));
    label4_->setGeometry(TwipRect(120, 4485, 1815, 255));
    FitCaption(label4_);

    combo2_ = new QComboBox(this);
    combo2_->setObjectName(QStringLiteral("Combo2"));
    combo2_->setEditable(false);
    combo2_->setGeometry(TwipRect(1920, 4440, 2295, 315));
    {
        // Filled without a selection: start-up selects the first entry itself.
        const QSignalBlocker block(combo2_);
        for (const OutputTarget& t : kTargets) combo2_->addItem(QString::fromLatin1(t.listText));
        combo2_->setCurrentIndex(-1);
    }

    buttonExit_ = new QPushButton(QStringLiteral("Exit"), this);
    buttonExit_->setObjectName(QStringLiteral("ButtonExit"));
    buttonExit_->setGeometry(TwipRect(120, 4800, 4095, 375));

    // Below the design's controls, shown (and the window grown to hold it)
    // only when a save fails.
    lblStatus_ = new QLabel(this);
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));
    lblStatus_->setWordWrap(true);
    lblStatus_->setStyleSheet(QStringLiteral("color: #b00000"));
    lblStatus_->setGeometry(TwipRect(120, 5235, 4095, 900));
    lblStatus_->hide();

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(200);

    setTabOrder(commandGenerate_, commandHalt_);
    setTabOrder(commandHalt_, combo2_);
    setTabOrder(combo2_, buttonExit_);

    connect(commandGenerate_, &QPushButton::clicked, this, &MainWindow::CommandGenerate_Click);
    connect(commandHalt_, &QPushButton::clicked, this, &MainWindow::CommandHalt_Click);
    connect(buttonExit_, &QPushButton::clicked, this, &MainWindow::ButtonExit_Click);
    connect(combo2_, &QComboBox::currentIndexChanged, this, &MainWindow::Combo2_Click);
    connect(timer1_, &QTimer::timeout, this, &MainWindow::Timer1_Timer);
}

bool MainWindow::SetBasePath(std::filesystem::path basePath) {
    if (generating_) return false;
    basePath_ = std::move(basePath);
    CreateOutputFolders(basePath_);
    CountSudokus();
    return true;
}

void MainWindow::Load() {
    show();
    combo2_->setCurrentIndex(0);  // counts the first target through Combo2_Click
    CountSudokus();
}

void MainWindow::CountSudokus() {
    countsStale_ = false;
    const int target = combo2_->currentIndex();
    if (target < 0 || target >= static_cast<int>(kTargets.size())) return;
    // The cost is taken in processor time: being descheduled on a busy
    // machine is not a cost of counting.
    const std::clock_t start = std::clock();
    const std::array<std::string, 9> counts = gw::CountSudokus(basePath_, target);
    QStringList shown;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        shown << QString::fromStdString(counts[i]);
        lblLevelCount_[i]->setText(shown.back());
    }
    lastCount_ = Clock::now();
    countCost_ = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC));
    emit counted(target, shown);
}

// The counters can only be seen (painted, read by a handler) during an event
// pass, so a save marks them stale and they are recounted before the next
// pass. Counting a numbered target means listing its folder, which grows
// slow with thousands of files; once a count costs more than a millisecond,
// a recount waits until the run has done nine times that in other work, so
// counting never takes more than a tenth of the run. Cheaper counts are made
// before every pass (at most one every pumpInterval).
void MainWindow::RecountIfStale(bool now) {
    if (!countsStale_) return;
    constexpr Clock::duration kCheapCount = std::chrono::milliseconds(1);
    if (!now && countCost_ > kCheapCount && Clock::now() - lastCount_ < countCost_ * 9) return;
    CountSudokus();
}

void MainWindow::ShowStatus(const QString& text) {
    lblStatus_->setText(text);
    lblStatus_->setVisible(!text.isEmpty());
    setFixedSize(Twips(4335), Twips(text.isEmpty() ? 5295 : 6195));
}

void MainWindow::Combo2_Click() { CountSudokus(); }

void MainWindow::CommandHalt_Click() { control_.halt.store(true); }

void MainWindow::ButtonExit_Click() {
    if (generating_) return;  // the running loop must end the run first
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (generating_) {
        event->ignore();
        return;
    }
    event->accept();
}

void MainWindow::Timer1_Timer() {
    // A tick arrives only while the run yields; it adds one nested pass.
    QCoreApplication::processEvents();
}

void MainWindow::EventPass() {
    RecountIfStale(false);
    const Clock::time_point now = Clock::now();
    if (generating_ && lastPass_ != Clock::time_point{})
        stats_.maxPassGap = std::max(stats_.maxPassGap,
                                     std::chrono::duration_cast<std::chrono::microseconds>(now - lastPass_));
    lastPass_ = now;
    QCoreApplication::processEvents();
}

// Every `pumpEvery` yield points of the engine. Reading the clock is the
// costly part, so the count between reads follows the measured density of
// yield points; a real event pass is made at most once per pumpInterval.
void MainWindow::OnEngineYield() {
    ++stats_.yields;
    if (yieldHook) yieldHook(phase_);
    const Clock::time_point now = Clock::now();
    const auto gap = now - lastRead_;
    lastRead_ = now;
    std::uint32_t every = control_.pumpEvery;
    if (gap < kReadGap / 2) {
        every = std::min(every * 2, kMaxYieldsPerRead);
    } else if (gap > kReadGap * 2) {
        const auto ratio = static_cast<std::uint32_t>(gap / kReadGap);
        every = std::max<std::uint32_t>(1, every / ratio);
    }
    control_.pumpEvery = every;
    if (now - lastPass_ >= pumpInterval) {
        ++stats_.passes;
        EventPass();
    }
}

void MainWindow::OnHaltSeen() {
    stats_.haltSeenInStep = true;
    timer1_->stop();
}

// A fresh yielder for each step of a puzzle: its first yield point reads the
// clock at once, and the count between reads starts low again, so a step that
// yields rarely is not held to the count tuned for the step before it.
Yielder MainWindow::NewYielder() {
    control_.pumpEvery = 1;
    lastRead_ = Clock::now();
    return Yielder(&control_);
}

void MainWindow::CommandGenerate_Click() {
    if (generating_) return;
    generating_ = true;
    control_.halt.store(false);
    commandHalt_->setEnabled(true);
    commandGenerate_->setEnabled(false);
    timer1_->start();
    stats_ = {};
    stats_.started = Clock::now();
    lastPass_ = {};
    ShowStatus({});

    for (;;) {
        // The loop's own pass: this is where a press of "Halt Generator" made
        // between two puzzles is seen. Many puzzles take well under a
        // millisecond, so the pass shares the throttle of the engine's yield
        // points: processing events (and repainting the counters) after every
        // puzzle would cost a large share of the run.
        phase_ = Phase::Events;
        if (Clock::now() - lastPass_ >= pumpInterval) EventPass();
        if (yieldHook) yieldHook(phase_);
        if (haltRequested()) break;

        phase_ = Phase::GridBuild;
        {
            Yielder y = NewYielder();
            BuildSolutionGrid(gen_, y);
        }
        if (haltRequested()) break;

        phase_ = Phase::ClueRemoval;
        {
            Yielder y = NewYielder();
            RemoveClues(gen_, y);
        }
        if (haltRequested()) break;

        phase_ = Phase::Grading;
        int level = 0;
        {
            Yielder y = NewYielder();
            GradeRun run{.yield = &y};
            grade_.run = &run;
            level = GradePuzzle(grade_, gen_.Puzzle);
            grade_.run = nullptr;
        }
        // A halted grading is never saved, whatever level it got to.
        if (haltRequested()) break;

        if (level >= 1 && level <= 9) {
            phase_ = Phase::Saving;
            ++stats_.made;
            // The target is read afresh for every puzzle.
            const SaveResult saved = SaveSudoku(basePath_, combo2_->currentIndex(), level, gen_.Puzzle, gen_.Solution);
            if (saved.kind == SaveResult::Kind::Written) {
                ++stats_.puzzles;
                countsStale_ = true;
            } else if (saved.kind == SaveResult::Kind::Full) {
                ++stats_.full;
            } else if (saved.kind == SaveResult::Kind::Failed) {
                // A failed save would fail again for the next puzzle: the run
                // stops and says why, and the puzzle is not counted.
                ShowStatus(QStringLiteral("Cannot save to %1: %2")
                               .arg(QString::fromStdString(saved.path.string()), QString::fromStdString(saved.error)));
                break;
            }
        }
    }
    RecountIfStale(true);

    phase_ = Phase::Idle;
    commandGenerate_->setEnabled(true);
    commandHalt_->setEnabled(false);
    generating_ = false;
    control_.halt.store(true);
    timer1_->stop();
    stats_.ended = Clock::now();
}

}  // namespace gw
