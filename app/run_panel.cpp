#include "run_panel.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "grader/grader.h"
#include "output/targets.h"
#include "run_figures.h"

namespace gw {

namespace {

using Clock = std::chrono::steady_clock;

// Levels the hunt finds far faster than the plain loop.
constexpr unsigned kHuntLevels = LevelBit(7) | LevelBit(8) | LevelBit(9);

}  // namespace

RunPanel::RunPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("RunPanel");
    table_ = new QTableWidget(9, 3, this);
    table_->setObjectName("levelTable");
    table_->setHorizontalHeaderLabels({tr("Level to fill"), tr("Stored"), tr("This run")});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    for (int l = 1; l <= 9; ++l) {
        auto* name = new QTableWidgetItem(QString::fromLatin1(kLevelNames[static_cast<std::size_t>(l)]));
        name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        name->setCheckState(Qt::Checked);
        table_->setItem(l - 1, 0, name);
        for (int c = 1; c <= 2; ++c) {
            auto* n = new QTableWidgetItem("0");
            n->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            n->setFlags(Qt::ItemIsEnabled);
            table_->setItem(l - 1, c, n);
        }
    }
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table_->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    connect(table_, &QTableWidget::itemChanged, this, &RunPanel::UpdateHint);

    method_ = new QComboBox(this);
    method_->setObjectName("method");
    method_->addItems({tr("Plain loop"), tr("Hunt (near the hardest puzzles found)")});
    connect(method_, &QComboBox::currentIndexChanged, this, &RunPanel::UpdateHint);

    workers_ = new QSpinBox(this);
    workers_->setObjectName("workers");
    workers_->setRange(1, std::max(1, QThread::idealThreadCount()));
    workers_->setSuffix(tr(" of %1 cores").arg(workers_->maximum()));

    count_ = new QSpinBox(this);
    count_->setObjectName("count");
    count_->setRange(0, 9 * kMaxPerLevel);
    count_->setSpecialValueText(tr("no limit"));
    count_->setSuffix(tr(" puzzles"));
    minutes_ = new QSpinBox(this);
    minutes_->setObjectName("minutes");
    minutes_->setRange(0, 7 * 24 * 60);
    minutes_->setSpecialValueText(tr("no limit"));
    minutes_->setSuffix(tr(" min"));

    hint_ = new QLabel(tr("The hunt finds Extreme, Mayhem and Outlaw puzzles far faster than the plain loop."), this);
    hint_->setObjectName("huntHint");
    hint_->setWordWrap(true);
    useHunt_ = new QPushButton(tr("&Use the hunt"), this);
    useHunt_->setObjectName("useHunt");
    connect(useHunt_, &QPushButton::clicked, this, [this] { SetHunt(true); });

    start_ = new QPushButton(tr("&Start"), this);
    start_->setObjectName("start");
    halt_ = new QPushButton(tr("H&alt"), this);
    halt_->setObjectName("halt");
    halt_->setEnabled(false);
    connect(start_, &QPushButton::clicked, this, &RunPanel::Start);
    connect(halt_, &QPushButton::clicked, this, &RunPanel::Halt);

    progress_ = new QLabel(this);
    progress_->setObjectName("progress");
    status_ = new QLabel(this);
    status_->setObjectName("runStatus");
    status_->setWordWrap(true);

    auto* form = new QFormLayout;
    auto addRow = [&](const QString& text, QWidget* field) {
        auto* label = new QLabel(text, this);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    addRow(tr("Met&hod:"), method_);
    addRow(tr("&Workers:"), workers_);
    addRow(tr("Stop after cou&nt:"), count_);
    addRow(tr("Stop after t&ime:"), minutes_);

    auto* hintRow = new QHBoxLayout;
    hintRow->addWidget(hint_, 1);
    hintRow->addWidget(useHunt_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(start_);
    buttons->addWidget(halt_);
    auto* box = new QVBoxLayout(this);
    auto* purpose = new QLabel(tr("Fills only the levels you tick, on worker threads, with the hunt for the hardest, "
                                  "up to a count or a time."),
                               this);
    purpose->setObjectName("purpose");
    purpose->setWordWrap(true);
    box->addWidget(purpose);
    auto* levelsLabel = new QLabel(tr("&Levels (tick those to fill):"), this);
    levelsLabel->setBuddy(table_);
    box->addWidget(levelsLabel);
    box->addWidget(table_);
    box->addLayout(form);
    box->addLayout(hintRow);
    box->addLayout(buttons);
    box->addWidget(progress_);
    box->addWidget(status_);
    box->addStretch(1);

    poll_ = new QTimer(this);
    poll_->setInterval(200);
    connect(poll_, &QTimer::timeout, this, &RunPanel::Poll);
    UpdateHint();
}

RunPanel::~RunPanel() {
    // The workers end here; their queued word that they ended is dropped
    // with this object.
    if (run_) {
        run_->Halt();
        run_->Join();
    }
}

void RunPanel::SetPlace(const std::filesystem::path& base, int target) {
    base_ = base;
    target_ = target;
    Recount();
}

void RunPanel::SetBlocked(bool blocked) {
    blocked_ = blocked;
    start_->setEnabled(!running_ && !blocked_);
}

unsigned RunPanel::levels() const {
    unsigned m = 0;
    for (int l = 1; l <= 9; ++l)
        if (table_->item(l - 1, 0)->checkState() == Qt::Checked) m |= LevelBit(l);
    return m;
}

void RunPanel::SetLevels(unsigned levels) {
    for (int l = 1; l <= 9; ++l)
        table_->item(l - 1, 0)->setCheckState((levels & LevelBit(l)) ? Qt::Checked : Qt::Unchecked);
}

bool RunPanel::hunt() const { return method_->currentIndex() == 1; }
void RunPanel::SetHunt(bool hunt) { method_->setCurrentIndex(hunt ? 1 : 0); }
int RunPanel::workers() const { return workers_->value(); }
void RunPanel::SetWorkers(int n) { workers_->setValue(n); }
int RunPanel::count() const { return count_->value(); }
void RunPanel::SetCount(int n) { count_->setValue(n); }
int RunPanel::minutes() const { return minutes_->value(); }
void RunPanel::SetMinutes(int n) { minutes_->setValue(n); }

void RunPanel::Recount() {
    if (base_.empty()) return;
    QStringList counts;
    for (const std::string& c : CountSudokus(base_, target_)) counts << QString::fromStdString(c);
    lastRecount_ = {};
    ShowStored(target_, counts);
}

// The counts come from whoever counted last (this tab, or the main panel
// during its own run), so the two always show the same. Whether a level is
// full takes another look at the disk: at most once a second.
void RunPanel::ShowStored(int target, const QStringList& counts) {
    if (base_.empty() || target != target_ || counts.size() != 9) return;
    const bool lookAgain = Clock::now() - lastRecount_ >= std::chrono::seconds(1);
    const QSignalBlocker block(table_);
    for (int l = 1; l <= 9; ++l) {
        if (lookAgain) fullOnDisk_[static_cast<std::size_t>(l)] = LevelFull(base_, target_, l);
        const bool full = fullOnDisk_[static_cast<std::size_t>(l)];
        QTableWidgetItem* stored = table_->item(l - 1, 1);
        stored->setText(counts[l - 1] + (full ? tr(" (full)") : ""));
        stored->setForeground(full ? QColor(0xb0, 0x40, 0x00) : palette().color(QPalette::Text));
        stored->setToolTip(full ? tr("This level holds %1 puzzles: no more are saved.").arg(kMaxPerLevel) : QString());
    }
    if (lookAgain) lastRecount_ = Clock::now();
    UpdateHint();
}

// The hunt is suggested to a plain loop that could only fill the rare levels:
// only they are ticked, or every lower level ticked is full.
void RunPanel::UpdateHint() {
    const unsigned chosen = levels();
    bool lowerOpen = false;
    for (int l = 1; l <= 9; ++l)
        if ((chosen & LevelBit(l)) && !(kHuntLevels & LevelBit(l)) && !fullOnDisk_[static_cast<std::size_t>(l)])
            lowerOpen = true;
    const bool suggest = !hunt() && (chosen & kHuntLevels) != 0 && !lowerOpen;
    hint_->setVisible(suggest);
    useHunt_->setVisible(suggest);
}

void RunPanel::SetEditable(bool editable) {
    // The table stays readable during a run; only its ticks are locked.
    const QSignalBlocker block(table_);
    for (int l = 1; l <= 9; ++l) {
        QTableWidgetItem* item = table_->item(l - 1, 0);
        item->setFlags(editable ? (Qt::ItemIsEnabled | Qt::ItemIsUserCheckable) : Qt::ItemIsEnabled);
    }
    method_->setEnabled(editable);
    workers_->setEnabled(editable);
    count_->setEnabled(editable);
    minutes_->setEnabled(editable);
    useHunt_->setEnabled(editable);
}

void RunPanel::Start() {
    if (running_ || blocked_) return;
    RunSpec spec;
    spec.base = base_;
    spec.target = target_;
    spec.levels = levels();
    spec.hunt = hunt();
    spec.workers = workers();
    spec.count = count();
    spec.seconds = secondsLimit > 0 ? secondsLimit : minutes() * 60.0;
    run_ = std::make_unique<GenerationRun>();
    run_->onFinished = [this] { QMetaObject::invokeMethod(this, &RunPanel::OnWorkersEnded, Qt::QueuedConnection); };
    std::string why;
    if (!run_->Start(spec, why)) {
        status_->setText(QString::fromStdString(why));
        run_.reset();
        Recount();
        return;
    }
    running_ = true;
    shownSaved_ = 0;
    haltPressed_ = {};
    for (int l = 1; l <= 9; ++l) table_->item(l - 1, 2)->setText("0");
    const QString workers = spec.workers == 1 ? tr("1 worker") : tr("%1 workers").arg(spec.workers);
    status_->setText(spec.hunt ? tr("Hunting with %1…").arg(workers) : tr("Generating with %1…").arg(workers));
    SetEditable(false);
    start_->setEnabled(false);
    halt_->setEnabled(true);
    poll_->start();
    emit started();
}

void RunPanel::Halt() {
    if (!running_ || !run_) return;
    if (haltPressed_ == Clock::time_point{}) haltPressed_ = Clock::now();
    run_->Halt();
    halt_->setEnabled(false);
    status_->setText(tr("Halting…"));
}

// Why puzzles were not saved, with counts; nothing when every one was.
QString RunPanel::NotSaved(const RunSnapshot& s) {
    QStringList why;
    if (s.notTicked > 0) why << tr("%1 of levels not ticked").arg(s.notTicked);
    if (s.levelFull > 0) why << tr("%1 for full levels").arg(s.levelFull);
    if (s.nearCopies > 0) why << tr("%1 near-copies turned away").arg(s.nearCopies);
    return why.isEmpty() ? QString() : QStringLiteral("\n") + tr("Not saved: ") + why.join(QStringLiteral(" · "));
}

void RunPanel::ShowProgress(const RunSnapshot& s) {
    const QSignalBlocker block(table_);
    for (int l = 1; l <= 9; ++l)
        table_->item(l - 1, 2)->setText(QString::number(s.savedPerLevel[static_cast<std::size_t>(l)]));
    progress_->setText(RunFigures(s.saved, s.made, s.elapsed) + NotSaved(s));
}

void RunPanel::Poll() {
    if (!run_) return;
    snapshot_ = run_->Snapshot();
    ShowProgress(snapshot_);
    // Stored counts: at most once a second (a big numbered folder is slow to list).
    if (snapshot_.saved != shownSaved_ && Clock::now() - lastRecount_ >= std::chrono::seconds(1)) {
        shownSaved_ = snapshot_.saved;
        Recount();
        emit progressed();
    }
}

void RunPanel::OnWorkersEnded() {
    if (!run_) return;
    if (haltPressed_ != Clock::time_point{})
        haltLatency_ = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - haltPressed_);
    run_->Join();
    snapshot_ = run_->Snapshot();
    run_.reset();
    poll_->stop();
    running_ = false;
    ShowProgress(snapshot_);
    status_->setText(snapshot_.stopReason.empty() ? tr("Halted.") : QString::fromStdString(snapshot_.stopReason));
    SetEditable(true);
    start_->setEnabled(!blocked_);
    halt_->setEnabled(false);
    Recount();
    emit progressed();
    emit finished();
}

}  // namespace gw
