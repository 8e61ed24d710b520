#include "collection_view.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "explain/html.h"
#include "generator/generator.h"
#include "grader/score.h"
#include "grid_view.h"
#include "output/stored.h"
#include "runs/grading.h"
#include "output/targets.h"

#include <algorithm>

namespace gw {

namespace {

int Clues(const Grid& g) {
    int n = 0;
    for (std::uint8_t d : g) n += d != 0 ? 1 : 0;
    return n;
}

}  // namespace

std::vector<CollectionPuzzle> ReadLevel(const std::filesystem::path& base, int target, int level) {
    std::vector<CollectionPuzzle> out;
    const char* unit = kTargets[static_cast<std::size_t>(target)].levelFile ? "record" : "line";
    for (const StoredFile& f : ListTargetFiles(base, target)) {
        if (f.level != level) continue;
        std::vector<InputPuzzle> read;
        std::string error;
        if (!ReadStoredFile(f.path, read, error)) continue;
        for (const InputPuzzle& p : read) {
            if (!p.error.empty()) continue;
            out.push_back({p.grid, level,
                           QString("%1, %2 %3").arg(QString::fromStdString(f.path.filename().string()), unit,
                                                    QString::number(p.line)),
                           static_cast<int>(out.size()) + 1});
        }
    }
    return out;
}

CollectionView::CollectionView(QWidget* parent) : QWidget(parent) {
    setObjectName("CollectionView");
    levels_ = new QListWidget(this);
    levels_->setObjectName("levels");
    for (int l = 1; l <= 9; ++l) levels_->addItem(QString::fromLatin1(kLevelNames[static_cast<std::size_t>(l)]));
    // Wide enough for a level with puzzles chosen: "Kamikaze  (999 of 1000)".
    levels_->setMinimumWidth(std::max(130, levels_->fontMetrics().horizontalAdvance("Kamikaze  (999 of 1000)") + 12));

    table_ = new QTableWidget(0, 3, this);
    table_->setObjectName("puzzles");
    table_->setHorizontalHeaderLabels({tr("No."), tr("Clues"), tr("Score")});
    table_->horizontalHeader()->setToolTip(tr("Click Score to list the puzzles from easy to hard, No. for the order stored"));
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->setMinimumWidth(120);

    grid_ = new GridView(this);
    grid_->setObjectName("collectionGrid");
    caption_ = new QLabel(this);
    caption_->setWordWrap(true);
    solution_ = new QCheckBox(tr("Show s&olution"), this);
    solution_->setObjectName("showSolution");
    open_ = new QPushButton(tr("&Explain this puzzle"), this);
    open_->setObjectName("openPuzzle");
    export_ = new QPushButton(tr("E&xport chosen to PDF…"), this);
    export_->setObjectName("exportChosen");
    clear_ = new QPushButton(tr("Clear c&hoice"), this);
    clear_->setObjectName("clearChoice");

    auto* levelBox = new QWidget(this);
    auto* lv = new QVBoxLayout(levelBox);
    lv->setContentsMargins(0, 0, 0, 0);
    auto* levelLabel = new QLabel(tr("Le&vels:"), levelBox);
    levelLabel->setBuddy(levels_);
    lv->addWidget(levelLabel);
    lv->addWidget(levels_);
    lv->addWidget(clear_);
    auto* listBox = new QWidget(this);
    auto* tv = new QVBoxLayout(listBox);
    tv->setContentsMargins(0, 0, 0, 0);
    auto* listLabel = new QLabel(tr("P&uzzles:"), listBox);
    listLabel->setBuddy(table_);
    tv->addWidget(listLabel);
    tv->addWidget(table_);
    auto* gridBox = new QWidget(this);
    auto* gv = new QVBoxLayout(gridBox);
    gv->setContentsMargins(0, 0, 0, 0);
    gv->addWidget(grid_, 1);
    gv->addWidget(caption_);
    auto* row = new QHBoxLayout;
    row->addWidget(solution_);
    row->addStretch(1);
    row->addWidget(export_);
    row->addWidget(open_);
    gv->addLayout(row);

    auto* split = new QSplitter(this);
    split->addWidget(levelBox);
    split->addWidget(listBox);
    split->addWidget(gridBox);
    split->setStretchFactor(2, 1);
    auto* box = new QVBoxLayout(this);
    box->addWidget(split);

    connect(levels_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row + 1 != level_) {
            level_ = row + 1;
            LoadLevel();
        }
    });
    connect(table_, &QTableWidget::itemSelectionChanged, this, [this] {
        TakeChoice();
        ShowCurrent();
    });
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (row >= 0 && row < static_cast<int>(puzzles_.size())) emit openPuzzle(puzzles_[static_cast<std::size_t>(row)]);
    });
    // A click on Score lists the level from easy to hard, on No. in the order stored.
    connect(table_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (column == 1 || (column == 2) == byScore_) return;
        byScore_ = column == 2;
        LoadLevel();
    });
    connect(solution_, &QCheckBox::toggled, this, &CollectionView::ShowCurrent);
    connect(clear_, &QPushButton::clicked, this, &CollectionView::ClearChoice);
    connect(open_, &QPushButton::clicked, this, [this] {
        const int row = table_->currentRow();
        if (row >= 0 && row < static_cast<int>(puzzles_.size())) emit openPuzzle(puzzles_[static_cast<std::size_t>(row)]);
    });
    // The puzzles chosen in every level, else the whole level shown.
    connect(export_, &QPushButton::clicked, this, [this] {
        std::vector<CollectionPuzzle> chosen = Selected();
        if (chosen.empty()) chosen = puzzles_;
        if (chosen.empty()) return;
        bool oneLevel = true;
        for (const CollectionPuzzle& p : chosen) oneLevel = oneLevel && p.level == chosen.front().level;
        emit exportPuzzles(chosen, oneLevel ? QString::fromLatin1(kLevelNames[static_cast<std::size_t>(
                                                  chosen.front().level)])
                                            : tr("Chosen"));
    });
    levels_->setCurrentRow(0);
}

void CollectionView::SetPlace(const std::filesystem::path& base, int target) {
    if (base != base_ || target != target_) chosen_ = {};
    base_ = base;
    target_ = target;
    Refresh();
}

void CollectionView::SelectLevel(int level) {
    levels_->setCurrentRow(level - 1);
}

void CollectionView::SelectPuzzle(int row) {
    table_->selectRow(row);
}

std::vector<CollectionPuzzle> CollectionView::Selected() const {
    std::vector<CollectionPuzzle> out;
    for (const auto& level : chosen_)
        for (const auto& [row, p] : level) out.push_back(p);
    return out;
}

void CollectionView::ClearChoice() {
    chosen_ = {};
    const QSignalBlocker block(table_);
    table_->clearSelection();
    ShowChoice();
}

void CollectionView::Refresh() {
    if (base_.empty()) return;
    counts_ = CountSudokus(base_, target_);
    LoadLevel();
}

// The rows chosen in the level shown replace the level's earlier choice.
void CollectionView::TakeChoice() {
    auto& chosen = chosen_[static_cast<std::size_t>(level_)];
    chosen.clear();
    for (const QModelIndex& i : table_->selectionModel()->selectedRows())
        if (i.row() < static_cast<int>(puzzles_.size())) chosen[i.row()] = puzzles_[static_cast<std::size_t>(i.row())];
    ShowChoice();
}

// How many are chosen, on each level and on the export button.
void CollectionView::ShowChoice() {
    std::size_t all = 0;
    for (int l = 1; l <= 9; ++l) {
        const std::size_t n = chosen_[static_cast<std::size_t>(l)].size();
        all += n;
        const QString name = QString::fromLatin1(kLevelNames[static_cast<std::size_t>(l)]);
        const QString stored = QString::fromStdString(counts_[static_cast<std::size_t>(l - 1)]);
        levels_->item(l - 1)->setText(n == 0 ? QString("%1  (%2)").arg(name, stored)
                                             : tr("%1  (%2 of %3)").arg(name).arg(n).arg(stored));
    }
    clear_->setEnabled(all > 0);
    export_->setText(all == 0 ? tr("E&xport this level to PDF…") : tr("E&xport %1 chosen to PDF…").arg(all));
}

void CollectionView::LoadLevel() {
    puzzles_ = base_.empty() ? std::vector<CollectionPuzzle>{} : ReadLevel(base_, target_, level_);
    // Each puzzle is graded once for its score; a level of hard puzzles takes
    // a few seconds the first time it is shown.
    GradeState s;
    bool waiting = false;
    for (CollectionPuzzle& p : puzzles_) {
        auto [it, fresh] = scores_.try_emplace(p.puzzle, 0.0);
        if (fresh) {
            if (!waiting) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            waiting = true;
            it->second = GradeAndScore(s, p.puzzle).score;
        }
        p.score = it->second;
    }
    if (waiting) QGuiApplication::restoreOverrideCursor();
    if (byScore_)
        std::stable_sort(puzzles_.begin(), puzzles_.end(),
                         [](const CollectionPuzzle& a, const CollectionPuzzle& b) { return a.score < b.score; });
    table_->horizontalHeader()->setSortIndicatorShown(true);
    table_->horizontalHeader()->setSortIndicator(byScore_ ? 2 : 0, Qt::AscendingOrder);
    // The level's choice found again by where each puzzle is stored: a run
    // or a merge may have added puzzles since.
    auto& chosen = chosen_[static_cast<std::size_t>(level_)];
    std::map<QString, int> rowOf;
    for (std::size_t i = 0; i < puzzles_.size(); ++i) rowOf.emplace(puzzles_[i].source, static_cast<int>(i));
    std::map<int, CollectionPuzzle> found;
    for (const auto& [row, p] : chosen)
        if (const auto it = rowOf.find(p.source);
            it != rowOf.end() && puzzles_[static_cast<std::size_t>(it->second)].puzzle == p.puzzle)
            found[it->second] = p;
    chosen = std::move(found);

    const QSignalBlocker block(table_);
    table_->clearContents();
    table_->setRowCount(static_cast<int>(puzzles_.size()));
    for (std::size_t i = 0; i < puzzles_.size(); ++i) {
        auto* number = new QTableWidgetItem(QString::number(puzzles_[i].number));
        number->setToolTip(puzzles_[i].source);
        table_->setItem(static_cast<int>(i), 0, number);
        table_->setItem(static_cast<int>(i), 1, new QTableWidgetItem(QString::number(Clues(puzzles_[i].puzzle))));
        table_->setItem(static_cast<int>(i), 2, new QTableWidgetItem(QString::fromStdString(ScoreText(puzzles_[i].score))));
    }
    // The first puzzle is shown without being chosen.
    table_->clearSelection();
    for (const auto& [row, p] : chosen)
        table_->selectionModel()->select(table_->model()->index(row, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (!puzzles_.empty())
        table_->setCurrentCell(chosen.empty() ? 0 : chosen.begin()->first, 0, QItemSelectionModel::NoUpdate);
    ShowChoice();
    ShowCurrent();
}

void CollectionView::ShowCurrent() {
    const int row = table_->currentRow();
    const bool any = row >= 0 && row < static_cast<int>(puzzles_.size());
    open_->setEnabled(any);
    export_->setEnabled(!puzzles_.empty() || !Selected().empty());
    if (!any) {
        grid_->SetSvg({});
        caption_->setText(puzzles_.empty() ? tr("No %1 puzzle is stored for this target.")
                                                 .arg(QString::fromLatin1(kLevelNames[static_cast<std::size_t>(level_)]))
                                           : QString());
        return;
    }
    const CollectionPuzzle& p = puzzles_[static_cast<std::size_t>(row)];
    Grid shown = p.puzzle;
    if (solution_->isChecked()) CountSolutions(p.puzzle, 1, &shown);
    explain::Board board(p.puzzle);
    if (solution_->isChecked()) {
        // The solution's digits in the ink of placed digits, the givens as given.
        for (int c = 0; c < 81; ++c)
            if (board.grid[c] == 0) board.Apply(Change{'P', static_cast<std::uint8_t>(c), shown[c]});
    }
    // An empty step: the digits not given are drawn in the ink of solved ones.
    const Step none{};
    grid_->SetSvg(explain::StandaloneGridSvg(board, solution_->isChecked() ? &none : nullptr));
    caption_->setText(tr("No. %1 · %2 clues · score %3 · %4")
                          .arg(p.number)
                          .arg(Clues(p.puzzle))
                          .arg(QString::fromStdString(ScoreText(p.score)))
                          .arg(p.source));
}

}  // namespace gw
