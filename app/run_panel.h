// "What to make": the levels to fill (with the puzzles stored and the full
// levels marked), the method, the number of workers, a count or time limit,
// and a run's progress. The run itself goes on worker threads.
#pragma once

#include <QWidget>

#include <chrono>
#include <filesystem>
#include <memory>

#include "generation_run.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;

namespace gw {

class RunPanel : public QWidget {
    Q_OBJECT

public:
    explicit RunPanel(QWidget* parent = nullptr);
    ~RunPanel() override;

    // Where and for which target puzzles go; read when a run starts.
    void SetPlace(const std::filesystem::path& base, int target);
    // Another run (the main window's own loop) holds the target: no start.
    void SetBlocked(bool blocked);

    bool running() const { return running_; }

    unsigned levels() const;
    void SetLevels(unsigned levels);
    bool hunt() const;
    void SetHunt(bool hunt);
    int workers() const;
    void SetWorkers(int n);
    int count() const;
    void SetCount(int n);
    int minutes() const;
    void SetMinutes(int n);

    // The controls, for tests and pictures.
    QTableWidget* levelTable() const { return table_; }
    QComboBox* method() const { return method_; }
    QSpinBox* workerBox() const { return workers_; }
    QSpinBox* countBox() const { return count_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* haltButton() const { return halt_; }
    QPushButton* useHuntButton() const { return useHunt_; }
    QLabel* hintLabel() const { return hint_; }
    QLabel* progressLabel() const { return progress_; }
    QLabel* statusLabel() const { return status_; }

    // The last run's figures, and the time from the halt press to the end of
    // all its workers as the window saw it.
    const RunSnapshot& lastSnapshot() const { return snapshot_; }
    std::chrono::microseconds lastHaltLatency() const { return haltLatency_; }
    // The seconds field: a run may be limited more finely than in minutes.
    double secondsLimit = 0;

public slots:
    void Start();
    void Halt();
    // Refreshes the stored counts and the full marks from the disk.
    void Recount();
    // Shows counts of `target` made elsewhere (ignored for another target).
    void ShowStored(int target, const QStringList& counts);

signals:
    void started();
    void progressed();  // puzzles were saved since the last signal
    void finished();

private:
    void Poll();
    void OnWorkersEnded();
    void UpdateHint();
    void ShowProgress(const RunSnapshot& s);
    static QString NotSaved(const RunSnapshot& s);
    void SetEditable(bool editable);

    std::filesystem::path base_;
    int target_ = 0;
    bool blocked_ = false;
    bool running_ = false;
    std::unique_ptr<GenerationRun> run_;
    RunSnapshot snapshot_;
    long long shownSaved_ = 0;
    std::chrono::steady_clock::time_point haltPressed_{}, lastRecount_{};
    std::chrono::microseconds haltLatency_{0};
    std::array<bool, 10> fullOnDisk_{};

    QTableWidget* table_;
    QComboBox* method_;
    QSpinBox* workers_;
    QSpinBox* count_;
    QSpinBox* minutes_;
    QLabel* hint_;
    QPushButton* useHunt_;
    QPushButton* start_;
    QPushButton* halt_;
    QLabel* progress_;
    QLabel* status_;
    QTimer* poll_;
};

}  // namespace gw
