// Measures the window's generation speed against a plain loop over the same
// engine calls, and how long a press of "Halt Generator" takes to end a run.
//
//   gridwick-window-bench [seconds per run = 20] [rounds = 3] [halt trials = 40]
//   gridwick-window-bench --puzzles N [target [folder]]
//       one window run of N puzzles, timed, into `folder` (default: a new
//       temporary one), with a queued halt press afterwards to time its end
//   gridwick-window-bench --workbench [TRIALS]
//       halt latency with the workbench: its worker runs (plain loop and
//       hunt, two workers) and the main panel's loop beside its timers
//   gridwick-window-bench --grade-gaps FILE
//       grades every puzzle of FILE (81 cells a line, '.' or '0' empty) and
//       reports the longest stretch without a yield point, then halts the
//       slowest gradings at nine moments each and reports how long the grader
//       takes to return once the halt flag is set.
//
// Rounds alternate the plain loop and the window so that a change in machine
// load hits both alike. Output goes to temporary folders.
#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "generator/generator.h"
#include "grader/grader.h"
#include "main_window.h"
#include "output/targets.h"
#include "run_panel.h"
#include "workbench.h"

namespace {

using Clock = std::chrono::steady_clock;
using gw::MainWindow;

// CPU time of this thread: the machine may be shared, and CPU time per puzzle
// is what the window adds to the engine's own work.
double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Rate {
    double wall = 0;  // puzzles per second
    double cpu = 0;   // puzzles per CPU second
};

// The engine loop without a window: build, remove clues, grade, save. Stops
// after `seconds` or after `limit` puzzles, whichever comes first.
Rate PlainRate(double seconds, std::uint64_t seed, std::uint64_t limit, std::uint64_t* made = nullptr) {
    QTemporaryDir dir;
    const std::filesystem::path base = dir.path().toStdString();
    gw::CreateOutputFolders(base);
    gw::GenState gen;
    gen.rng.Seed(seed);
    gw::GradeState grade;
    gw::Yielder y;
    std::uint64_t n = 0;
    const double cpu0 = ThreadCpuSeconds();
    const Clock::time_point start = Clock::now();
    Clock::time_point now = start;
    while (Seconds(now - start) < seconds && n < limit) {
        gw::BuildSolutionGrid(gen, y);
        gw::RemoveClues(gen, y);
        const int level = gw::GradePuzzle(grade, gen.Puzzle);
        gw::SaveSudoku(base, 0, level, gen.Puzzle, gen.Solution);
        ++n;
        now = Clock::now();
    }
    if (made != nullptr) *made = n;
    return {static_cast<double>(n) / Seconds(now - start), static_cast<double>(n) / (ThreadCpuSeconds() - cpu0)};
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
    Rate rate;
    double latencyMs = 0;
    MainWindow::RunStats stats;
    MainWindow::Phase seenIn = MainWindow::Phase::Idle;
};

// A run of the window, halted by a queued press after `length`, or, when
// `limit` is given, by a press right after puzzle `limit` has been saved.
WindowRun RunWindow(MainWindow& w, std::chrono::microseconds length, std::uint64_t limit = 0) {
    WindowRun r;
    w.yieldHook = nullptr;
    if (limit != 0) {
        w.yieldHook = [&w, limit](MainWindow::Phase p) {
            if (p == MainWindow::Phase::Events && w.lastRun().puzzles >= limit) w.commandHalt()->click();
        };
        length = std::chrono::hours(1);
    }
    QObject::connect(w.commandHalt(), &QPushButton::clicked, &w, [&w, &r] { r.seenIn = w.phase(); },
                     Qt::SingleShotConnection);
    Clock::time_point pressedAt;
    const double cpu0 = ThreadCpuSeconds();
    const Clock::time_point start = Clock::now();
    std::thread presser;
    if (limit == 0) presser = PressHaltAfter(w, length, pressedAt);
    w.commandGenerate()->click();  // returns when the run has ended
    const double cpu = ThreadCpuSeconds() - cpu0;
    if (presser.joinable()) presser.join();
    r.stats = w.lastRun();
    r.rate.wall = static_cast<double>(r.stats.puzzles) / Seconds(r.stats.ended - start);
    r.rate.cpu = static_cast<double>(r.stats.puzzles) / cpu;
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

struct Graded {
    gw::Grid puzzle{};
    double ms = 0;
};

int GradeGaps(const char* file) {
    std::vector<gw::Grid> puzzles;
    {
        std::FILE* f = std::fopen(file, "r");
        if (f == nullptr) {
            std::perror(file);
            return 1;
        }
        char line[512];
        while (std::fgets(line, sizeof line, f) != nullptr) {
            gw::Grid g{};
            int n = 0;
            for (const char* p = line; *p != 0 && n < 81; ++p) {
                if (*p >= '1' && *p <= '9') g[n++] = static_cast<std::uint8_t>(*p - '0');
                else if (*p == '.' || *p == '0') g[n++] = 0;
            }
            if (n == 81) puzzles.push_back(g);
        }
        std::fclose(f);
    }

    gw::RunControl rc;
    rc.pumpEvery = 1;
    Clock::time_point last;
    Clock::duration worstGap{};
    rc.pumpHook = [&] {
        const Clock::time_point now = Clock::now();
        worstGap = std::max(worstGap, now - last);
        last = now;
    };
    gw::GradeState s;
    std::vector<Graded> graded;
    for (const gw::Grid& p : puzzles) {
        gw::Yielder y(&rc);
        gw::GradeRun run{.yield = &y};
        s.run = &run;
        const Clock::time_point start = Clock::now();
        last = start;
        gw::GradePuzzle(s, p);
        const Clock::time_point end = Clock::now();
        worstGap = std::max(worstGap, end - last);
        graded.push_back({p, Millis(end - start)});
    }
    std::sort(graded.begin(), graded.end(), [](const Graded& a, const Graded& b) { return a.ms > b.ms; });
    std::printf("%zu puzzles graded; slowest %.1f ms; longest stretch without a yield point %.2f ms\n",
                graded.size(), graded.empty() ? 0.0 : graded.front().ms, Millis(worstGap));

    // Halting the slowest gradings part-way.
    double worstReturn = 0;
    int halts = 0;
    for (std::size_t i = 0; i < std::min<std::size_t>(10, graded.size()); ++i) {
        for (int k = 1; k <= 9; ++k) {
            const auto at = std::chrono::duration<double, std::milli>(graded[i].ms * k / 10.0);
            Clock::time_point start, flagged;
            rc.halt.store(false);
            rc.pumpHook = [&] {
                if (!rc.halt.load() && Clock::now() - start >= at) {
                    flagged = Clock::now();
                    rc.halt.store(true);
                }
            };
            gw::Yielder y(&rc);
            gw::GradeRun run{.yield = &y};
            s.run = &run;
            start = Clock::now();
            const int level = gw::GradePuzzle(s, graded[i].puzzle);
            const Clock::time_point end = Clock::now();
            if (rc.halt.load()) {
                ++halts;
                worstReturn = std::max(worstReturn, Millis(end - flagged));
            }
            (void)level;
        }
    }
    std::printf("%d halts inside the 10 slowest gradings: the grader returned at most %.2f ms after the flag\n",
                halts, worstReturn);
    return 0;
}

void Report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double m : ms) sum += m;
    std::printf("%s: %zu halts, mean %.2f ms, median %.2f ms, max %.2f ms\n", what, ms.size(),
                sum / static_cast<double>(ms.size()), ms[ms.size() / 2], ms.back());
    std::fflush(stdout);
}

// Halt latency with the workbench around the main panel: runs of the
// workbench on two workers (plain loop and hunt) halted at random moments,
// from the press to the end of the last worker as the window sees it; then
// the main panel's own loop, halted by a queued press, with the workbench's
// timers running beside it.
int WorkbenchLatency(int trials) {
    QTemporaryDir dir;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath("settings"));
    QCoreApplication::setOrganizationName("Gridwick bench");
    gw::Workbench w(dir.filePath("puzzles").toStdString());
    w.Load();
    gw::RunPanel* run = w.runPanel();
    std::mt19937 rng(2024);
    std::uniform_int_distribution<int> delayMs(50, 1500);
    auto settle = [](int ms) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
    };
    for (const bool hunt : {false, true}) {
        run->SetLevels(gw::kAllLevels);
        run->SetHunt(hunt);
        run->SetWorkers(2);
        std::vector<double> ms;
        for (int t = 0; t < trials; ++t) {
            run->Start();
            settle(delayMs(rng));
            run->haltButton()->click();
            while (run->running()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            ms.push_back(static_cast<double>(run->lastHaltLatency().count()) / 1000.0);
        }
        Report(hunt ? "workbench, hunt, 2 workers" : "workbench, plain loop, 2 workers", ms);
    }
    std::vector<double> ms;
    for (int t = 0; t < trials; ++t)
        ms.push_back(RunWindow(*w.main(), std::chrono::milliseconds(delayMs(rng))).latencyMs);
    Report("main panel's own loop inside the workbench", ms);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 2 && std::string(argv[1]) == "--grade-gaps") return GradeGaps(argv[2]);
    QApplication app(argc, argv);
    if (argc > 1 && std::string(argv[1]) == "--workbench") return WorkbenchLatency(argc > 2 ? std::atoi(argv[2]) : 20);
    if (argc > 2 && std::string(argv[1]) == "--puzzles") {
        QTemporaryDir dir;
        MainWindow w(argc > 4 ? std::string(argv[4]) : dir.path().toStdString());
        w.Load();
        if (argc > 3) w.combo2()->setCurrentIndex(std::atoi(argv[3]));
        const WindowRun run = RunWindow(w, {}, std::strtoull(argv[2], nullptr, 10));
        std::printf("window: %llu puzzles, %.1f/s, %.1f per CPU s; longest gap between event passes %.1f ms\n",
                    static_cast<unsigned long long>(run.stats.puzzles), run.rate.wall, run.rate.cpu,
                    static_cast<double>(run.stats.maxPassGap.count()) / 1000.0);
        // A queued press, as a user's, in a run that goes on.
        const WindowRun halted = RunWindow(w, std::chrono::milliseconds(500));
        std::printf("halt press to end of run: %.1f ms\n", halted.latencyMs);
        return 0;
    }
    const double seconds = argc > 1 ? std::atof(argv[1]) : 20.0;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    const int trials = argc > 3 ? std::atoi(argv[3]) : 40;

    // Each measured run writes into fresh folders, so that no level reaches
    // its limit of stored puzzles (a full level makes saving free).
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<MainWindow> window;
    auto fresh = [&]() -> MainWindow& {
        window.reset();
        dir = std::make_unique<QTemporaryDir>();
        window = std::make_unique<MainWindow>(dir->path().toStdString());
        window->Load();
        return *window;
    };
    const auto length = std::chrono::microseconds(static_cast<long long>(seconds * 1e6));

    std::vector<double> wallRatios, cpuRatios;
    for (int round = 1; round <= rounds; ++round) {
        // Both loops make the same puzzles: the plain loop runs for the
        // time, and the window replays as many puzzles from the same seed.
        const std::uint64_t seed = gw::ClockSeed();
        std::uint64_t made = 0;
        const Rate plain = PlainRate(seconds, seed, ~0ULL, &made);
        MainWindow& w = fresh();
        w.SeedGenerator(seed);
        const WindowRun win = RunWindow(w, length, made);
        wallRatios.push_back(win.rate.wall / plain.wall);
        cpuRatios.push_back(win.rate.cpu / plain.cpu);
        std::printf(
            "round %d: plain %.1f/s (%.1f per CPU s), window %.1f/s (%.1f per CPU s); ratio %.3f wall, %.3f CPU; "
            "yields %llu, event passes %llu, longest gap between passes %.1f ms\n",
            round, plain.wall, plain.cpu, win.rate.wall, win.rate.cpu, wallRatios.back(), cpuRatios.back(),
            static_cast<unsigned long long>(win.stats.yields), static_cast<unsigned long long>(win.stats.passes),
            static_cast<double>(win.stats.maxPassGap.count()) / 1000.0);
        std::fflush(stdout);
    }
    if (rounds > 0) {
        std::sort(wallRatios.begin(), wallRatios.end());
        std::sort(cpuRatios.begin(), cpuRatios.end());
        std::printf("median ratio window / plain: %.3f wall, %.3f CPU\n", wallRatios[wallRatios.size() / 2],
                    cpuRatios[cpuRatios.size() / 2]);
    }

    // Halt latency at random moments of a run.
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> delayUs(20000, 700000);
    std::vector<double> latencies;
    std::map<std::string, std::pair<int, double>> byPhase;  // count, worst
    double worstGap = 0;
    for (int t = 0; t < trials; ++t) {
        const WindowRun win = RunWindow(t % 10 == 0 ? fresh() : *window, std::chrono::microseconds(delayUs(rng)));
        latencies.push_back(win.latencyMs);
        auto& slot = byPhase[PhaseName(win.seenIn)];
        ++slot.first;
        slot.second = std::max(slot.second, win.latencyMs);
        worstGap = std::max(worstGap, static_cast<double>(win.stats.maxPassGap.count()) / 1000.0);
    }
    if (!latencies.empty() && window) {
        const auto counts = gw::CountSudokus(window->basePath(), 0);
        std::printf("stored by the last window, Easy..Outlaw:");
        for (const auto& c : counts) std::printf(" %s", c.c_str());
        std::printf("\n");
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
