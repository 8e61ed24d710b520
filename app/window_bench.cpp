// Measures the window's generation speed against a plain loop over the same
// engine calls, and how long a press of "Halt Generator" takes to end a run.
//
//   gridwick-window-bench [seconds per run = 20] [rounds = 3] [halt trials = 40]
//
// Rounds alternate the plain loop and the window so that a change in machine
// load hits both alike. Output goes to temporary folders.
#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <thread>
#include <vector>

#include "generator/generator.h"
#include "grader/grader.h"
#include "main_window.h"
#include "output/targets.h"

namespace {

using Clock = std::chrono::steady_clock;
using gw::MainWindow;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The engine loop without a window: build, remove clues, grade, save.
double PlainRate(double seconds) {
    QTemporaryDir dir;
    const std::filesystem::path base = dir.path().toStdString();
    gw::CreateOutputFolders(base);
    gw::GenState gen;
    gen.rng.Seed(gw::ClockSeed());
    gw::GradeState grade;
    gw::Yielder y;
    std::uint64_t n = 0;
    const Clock::time_point start = Clock::now();
    Clock::time_point now = start;
    while (Seconds(now - start) < seconds) {
        gw::BuildSolutionGrid(gen, y);
        gw::RemoveClues(gen, y);
        const int level = gw::GradePuzzle(grade, gen.Puzzle);
        gw::SaveSudoku(base, 0, level, gen.Puzzle, gen.Solution);
        ++n;
        now = Clock::now();
    }
    return static_cast<double>(n) / Seconds(now - start);
}

// Presses "Halt Generator" from outside the window's thread after `delay`:
// the press is queued like a user's click and handled at the next event pass.
std::thread PressHaltAfter(MainWindow& w, std::chrono::microseconds delay, Clock::time_point& pressedAt) {
    return std::thread([&w, delay, &pressedAt] {
        std::this_thread::sleep_for(delay);
        pressedAt = Clock::now();
        QPushButton* halt = w.commandHalt();
        QMetaObject::invokeMethod(halt, [halt] { halt->click(); }, Qt::QueuedConnection);
    });
}

struct WindowRun {
    double rate = 0;
    double latencyMs = 0;
    MainWindow::RunStats stats;
    MainWindow::Phase seenIn = MainWindow::Phase::Idle;
};

WindowRun RunWindow(MainWindow& w, std::chrono::microseconds length) {
    WindowRun r;
    QObject::connect(w.commandHalt(), &QPushButton::clicked, &w, [&w, &r] { r.seenIn = w.phase(); },
                     Qt::SingleShotConnection);
    Clock::time_point pressedAt;
    const Clock::time_point start = Clock::now();
    std::thread presser = PressHaltAfter(w, length, pressedAt);
    w.commandGenerate()->click();  // returns when the run has ended
    presser.join();
    r.stats = w.lastRun();
    r.rate = static_cast<double>(r.stats.puzzles) / Seconds(pressedAt - start);
    r.latencyMs = Millis(r.stats.ended - pressedAt);
    return r;
}

const char* PhaseName(MainWindow::Phase p) {
    switch (p) {
        case MainWindow::Phase::Events: return "loop pass";
        case MainWindow::Phase::GridBuild: return "grid build";
        case MainWindow::Phase::ClueRemoval: return "clue removal";
        case MainWindow::Phase::Grading: return "grading";
        case MainWindow::Phase::Saving: return "saving";
        default: return "idle";
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 20.0;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    const int trials = argc > 3 ? std::atoi(argv[3]) : 40;

    QTemporaryDir dir;
    MainWindow w(dir.path().toStdString());
    w.Load();
    const auto length = std::chrono::microseconds(static_cast<long long>(seconds * 1e6));

    double plainTotal = 0, windowTotal = 0;
    for (int round = 1; round <= rounds; ++round) {
        const double plain = PlainRate(seconds);
        const WindowRun win = RunWindow(w, length);
        plainTotal += plain;
        windowTotal += win.rate;
        std::printf(
            "round %d: plain %.1f/s, window %.1f/s (ratio %.3f); yields %llu, event passes %llu, "
            "longest gap between passes %.1f ms\n",
            round, plain, win.rate, win.rate / plain, static_cast<unsigned long long>(win.stats.yields),
            static_cast<unsigned long long>(win.stats.passes),
            static_cast<double>(win.stats.maxPassGap.count()) / 1000.0);
        std::fflush(stdout);
    }
    std::printf("overall: plain %.1f/s, window %.1f/s, ratio %.3f\n", plainTotal / rounds, windowTotal / rounds,
                windowTotal / plainTotal);

    // Halt latency at random moments of a run.
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> delayUs(20000, 700000);
    std::vector<double> latencies;
    std::map<std::string, std::pair<int, double>> byPhase;  // count, worst
    double worstGap = 0;
    for (int t = 0; t < trials; ++t) {
        const WindowRun win = RunWindow(w, std::chrono::microseconds(delayUs(rng)));
        latencies.push_back(win.latencyMs);
        auto& slot = byPhase[PhaseName(win.seenIn)];
        ++slot.first;
        slot.second = std::max(slot.second, win.latencyMs);
        worstGap = std::max(worstGap, static_cast<double>(win.stats.maxPassGap.count()) / 1000.0);
    }
    if (!latencies.empty()) {
        std::sort(latencies.begin(), latencies.end());
        double sum = 0;
        for (double l : latencies) sum += l;
        std::printf("halt latency over %d presses: mean %.2f ms, median %.2f ms, max %.2f ms; "
                    "longest gap between event passes %.1f ms\n",
                    trials, sum / trials, latencies[latencies.size() / 2], latencies.back(), worstGap);
        for (const auto& [phase, v] : byPhase)
            std::printf("  press handled during %s: %d presses, worst %.2f ms\n", phase.c_str(), v.first, v.second);
    }
    return 0;
}
