// The main window: nine level counters, the run buttons, the target list, and
// the generation loop that runs on the window's own thread and keeps the
// window alive by processing pending events at the engine's yield points.
#pragma once

#include <QStringList>
#include <QWidget>

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>

#include "generator/generator.h"
#include "model/control.h"
#include "model/state.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTimer;

namespace gw {

class MainWindow : public QWidget {
    Q_OBJECT

public:
    // What the run loop is doing; handed to the yield hook.
    enum class Phase { Idle, Events, GridBuild, ClueRemoval, Grading, Saving };
    Q_ENUM(Phase)

    // Start-up up to (not including) showing the window: flags, centring, the
    // base folder and the eight output folders under it. `basePath` empty means
    // the folder that holds the executable.
    explicit MainWindow(std::filesystem::path basePath = {}, QWidget* parent = nullptr);

    // The rest of start-up: shows the window, selects the first target (which
    // counts it) and counts once more.
    void Load();

    // Reseeds the generator (start-up seeds it from the clock); lets a
    // measurement replay the same puzzles as another loop.
    void SeedGenerator(std::uint64_t seed) { gen_.rng.Seed(seed); }

    // Moves the output to another folder (created when missing) and counts
    // it. Refused (false) while a run goes on.
    bool SetBasePath(std::filesystem::path basePath);

    bool generating() const { return generating_; }
    bool haltRequested() const { return control_.halt.load(std::memory_order_relaxed); }
    const std::filesystem::path& basePath() const { return basePath_; }
    Phase phase() const { return phase_; }

    QPushButton* commandGenerate() const { return commandGenerate_; }
    QPushButton* commandHalt() const { return commandHalt_; }
    QPushButton* buttonExit() const { return buttonExit_; }
    QComboBox* combo2() const { return combo2_; }
    QTimer* timer1() const { return timer1_; }
    QLabel* lblLevel(int index) const { return lblLevel_[static_cast<std::size_t>(index)]; }
    QLabel* lblLevelCount(int index) const { return lblLevelCount_[static_cast<std::size_t>(index)]; }
    // Why the last run stopped on a failed save; hidden while there is none.
    QLabel* lblStatus() const { return lblStatus_; }

    // Called at every yield point of a run (before the throttled event pass),
    // and right after the loop's own event pass, with the current phase. Tests
    // use it to press buttons at a chosen point of a run.
    std::function<void(Phase)> yieldHook;

    // Shortest time between two event passes made from inside the engine.
    std::chrono::microseconds pumpInterval{10000};

    // Statistics of the last run, for measurements.
    struct RunStats {
        std::uint64_t puzzles = 0;     // puzzles saved
        std::uint64_t made = 0;        // puzzles graded to a level, saved or not
        std::uint64_t full = 0;        // made for a level that was full, so not saved
        std::uint64_t yields = 0;      // hook calls from the engine
        std::uint64_t passes = 0;      // event passes made from those calls
        // Longest time between two event passes (explicit or from a yield point).
        std::chrono::microseconds maxPassGap{0};
        // A step of the engine saw the halt flag and returned early.
        bool haltSeenInStep = false;
        std::chrono::steady_clock::time_point started{}, ended{};
    };
    const RunStats& lastRun() const { return stats_; }

public slots:
    void CommandGenerate_Click();
    void CommandHalt_Click();
    void ButtonExit_Click();
    void Combo2_Click();
    void Timer1_Timer();
    void CountSudokus();

signals:
    // The nine counts just shown for `target` (index 0 = Easy).
    void counted(int target, const QStringList& counts);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void OnEngineYield();
    void OnHaltSeen();
    void EventPass();
    Yielder NewYielder();
    void RecountIfStale(bool now);
    void ShowStatus(const QString& text);

    std::filesystem::path basePath_;
    bool generating_ = false;
    RunControl control_;
    Phase phase_ = Phase::Idle;

    GenState gen_;
    GradeState grade_;

    // Pump throttling: the clock is read only every `pumpEvery` yield points,
    // a number retuned at every read so that reads come about every
    // kReadGap, whatever the density of yield points in the current search.
    using Clock = std::chrono::steady_clock;
    Clock::time_point lastPass_{};
    Clock::time_point lastRead_{};
    RunStats stats_;

    // Counters not yet refreshed since the last save, and what a count cost.
    bool countsStale_ = false;
    Clock::time_point lastCount_{};
    Clock::duration countCost_{};

    std::array<QLabel*, 9> lblLevel_{};
    std::array<QLabel*, 9> lblLevelCount_{};
    QPushButton* commandGenerate_ = nullptr;
    QPushButton* commandHalt_ = nullptr;
    QLabel* label4_ = nullptr;
    QComboBox* combo2_ = nullptr;
    QPushButton* buttonExit_ = nullptr;
    QTimer* timer1_ = nullptr;
    QLabel* lblStatus_ = nullptr;
};

}  // namespace gw
