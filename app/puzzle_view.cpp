#include "puzzle_view.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>

#include "explain/explain.h"
#include "explain/html.h"
#include "grader/score.h"
#include "grid_view.h"
#include "output/reader.h"
#include "output/stored.h"
#include "runs/grading.h"

namespace gw {

namespace {

QString Plural(int n, const char* noun) {
    return QString("%1 %2%3").arg(n).arg(QString::fromLatin1(noun), n == 1 ? "" : "s");
}

}  // namespace

PuzzleView::PuzzleView(QWidget* parent) : QWidget(parent) {
    setObjectName("PuzzleView");
    input_ = new QPlainTextEdit(this);
    input_->setObjectName("puzzleText");
    input_->setPlaceholderText(tr("Paste a puzzle: 81 cells on one line (0 or . for empty), or nine lines of nine"));
    input_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    input_->setMaximumHeight(input_->fontMetrics().lineSpacing() * 4 + 12);
    input_->setTabChangesFocus(true);
    open_ = new QPushButton(tr("&Open file…"), this);
    open_->setObjectName("openFile");
    grade_ = new QPushButton(tr("&Grade"), this);
    grade_->setObjectName("grade");
    result_ = new QLabel(this);
    result_->setObjectName("result");
    result_->setWordWrap(true);
    busy_ = new QProgressBar(this);
    busy_->setObjectName("gradingBusy");
    busy_->setRange(0, 0);  // a grading tells no fraction
    busy_->setMaximumHeight(result_->fontMetrics().height());
    busy_->setVisible(false);
    techniques_ = new QLabel(this);
    techniques_->setObjectName("techniques");
    techniques_->setWordWrap(true);

    grid_ = new GridView(this);
    grid_->setObjectName("stepGrid");
    list_ = new QListWidget(this);
    list_->setObjectName("steps");
    list_->setWordWrap(true);
    stepText_ = new QLabel(this);
    stepText_->setObjectName("stepText");
    stepText_->setWordWrap(true);
    stepText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    previous_ = new QPushButton(tr("◀ Pre&vious"), this);
    previous_->setObjectName("previous");
    next_ = new QPushButton(tr("&Next ▶"), this);
    next_->setObjectName("next");
    hint_ = new QCheckBox(tr("&Hint mode: show the next step only"), this);
    hint_->setObjectName("hintMode");

    auto* top = new QHBoxLayout;
    auto* inputLabel = new QLabel(tr("P&uzzle:"), this);
    inputLabel->setBuddy(input_);
    top->addWidget(inputLabel, 0, Qt::AlignTop);
    top->addWidget(input_, 1);
    auto* topButtons = new QVBoxLayout;
    topButtons->addWidget(grade_);
    topButtons->addWidget(open_);
    topButtons->addStretch(1);
    top->addLayout(topButtons);

    auto* gridBox = new QWidget(this);
    auto* gv = new QVBoxLayout(gridBox);
    gv->setContentsMargins(0, 0, 0, 0);
    gv->addWidget(grid_, 1);
    gv->addWidget(stepText_);
    auto* nav = new QHBoxLayout;
    nav->addWidget(previous_);
    nav->addWidget(next_);
    nav->addStretch(1);
    nav->addWidget(hint_);
    gv->addLayout(nav);
    auto* listBox = new QWidget(this);
    auto* lv = new QVBoxLayout(listBox);
    lv->setContentsMargins(0, 0, 0, 0);
    auto* stepsLabel = new QLabel(tr("S&teps:"), listBox);
    stepsLabel->setBuddy(list_);
    lv->addWidget(stepsLabel);
    lv->addWidget(list_, 1);
    lv->addWidget(techniques_);
    auto* split = new QSplitter(this);
    split->addWidget(gridBox);
    split->addWidget(listBox);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);

    auto* box = new QVBoxLayout(this);
    box->addLayout(top);
    box->addWidget(result_);
    box->addWidget(busy_);
    box->addWidget(split, 1);

    connect(grade_, &QPushButton::clicked, this, [this] { LoadText(input_->toPlainText()); });
    connect(open_, &QPushButton::clicked, this, &PuzzleView::OpenFile);
    connect(next_, &QPushButton::clicked, this, &PuzzleView::Next);
    connect(previous_, &QPushButton::clicked, this, &PuzzleView::Previous);
    connect(hint_, &QCheckBox::toggled, this, [this] {
        revealed_ = position_;
        Show();
    });
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row != position_) SetPosition(row);
    });
    Show();
}

bool PuzzleView::hintMode() const { return hint_->isChecked(); }

void PuzzleView::Fail(const QString& why) {
    steps_.clear();
    frames_.clear();
    level_ = 0;
    position_ = revealed_ = 0;
    grid_->SetSvg({});
    result_->setText(why);
    techniques_->clear();
    Show();
}

bool PuzzleView::LoadText(const QString& text) {
    const std::string bytes = text.toStdString();
    std::size_t at = 0;
    PuzzleReader reader([&](char* buf, std::size_t n) -> long {
        const std::size_t k = std::min(n, bytes.size() - at);
        std::copy_n(bytes.data() + at, k, buf);
        at += k;
        return static_cast<long>(k);
    });
    InputPuzzle p;
    if (!reader.Next(p)) {
        Fail(tr("No puzzle found: give 81 cells (digits, and 0 or . for empty)."));
        return false;
    }
    if (!p.error.empty()) {
        Fail(tr("Line %1: %2").arg(p.line).arg(QString::fromStdString(p.error)));
        return false;
    }
    return Grade(p.grid, tr("pasted text"));
}

bool PuzzleView::LoadFile(const QString& path) {
    std::vector<InputPuzzle> read;
    std::string error;
    if (!ReadStoredFile(path.toStdString(), read, error)) {
        Fail(QString::fromStdString(error));
        return false;
    }
    for (const InputPuzzle& p : read) {
        if (!p.error.empty()) continue;
        std::string cells(81, '.');
        for (int c = 0; c < 81; ++c)
            if (p.grid[c] != 0) cells[static_cast<std::size_t>(c)] = static_cast<char>('0' + p.grid[c]);
        input_->setPlainText(QString::fromStdString(cells));
        return Grade(p.grid, tr("%1, line %2").arg(path).arg(p.line));
    }
    Fail(tr("%1 holds no valid puzzle.").arg(path));
    return false;
}

void PuzzleView::OpenFile() {
    const QString path = QFileDialog::getOpenFileName(this, tr("Open a puzzle"), QString(),
                                                      tr("Puzzle files (*.txt *.sdk *.ss *.sud *.sds);;All files (*)"));
    if (!path.isEmpty()) LoadFile(path);
}

void PuzzleView::LoadGrid(const Grid& puzzle, const QString& source) {
    std::string cells(81, '.');
    for (int c = 0; c < 81; ++c)
        if (puzzle[c] != 0) cells[static_cast<std::size_t>(c)] = static_cast<char>('0' + puzzle[c]);
    input_->setPlainText(QString::fromStdString(cells));
    Grade(puzzle, source);
}

PuzzleView::~PuzzleView() {
    // A grading ends by itself; its word that it ended is dropped with this object.
    if (worker_.joinable()) worker_.join();
}

bool PuzzleView::Grade(const Grid& puzzle, const QString& source) {
    if (grading_) {
        queued_ = std::make_pair(puzzle, source);
        return true;
    }
    grading_ = true;
    busy_->setVisible(true);
    result_->setText(tr("Grading %1…").arg(source));
    if (worker_.joinable()) worker_.join();
    // The grading job's own path: checked, graded, a trial explained.
    worker_ = std::thread([this, puzzle, source] {
        runs::GradedPuzzle g;
        g.p.grid = puzzle;
        runs::GradingOptions o;
        o.steps = true;
        GradeState s;
        runs::GradeOne(g, s, o);
        QMetaObject::invokeMethod(this, [this, g = std::move(g), source] { Graded(g, source); }, Qt::QueuedConnection);
    });
    return true;
}

void PuzzleView::Graded(const runs::GradedPuzzle& g, const QString& source) {
    worker_.join();
    grading_ = false;
    busy_->setVisible(false);
    if (queued_) {
        // A later puzzle was asked for: it is the one to show.
        const auto [puzzle, from] = *queued_;
        queued_.reset();
        Grade(puzzle, from);
        return;
    }
    if (!g.p.error.empty()) {
        Fail(tr("%1: %2").arg(source, QString::fromStdString(g.p.error)));
        return;
    }
    const Grid& puzzle = g.p.grid;
    puzzle_ = puzzle;
    level_ = g.level;
    steps_ = g.steps;
    frames_ = explain::Frames(puzzle_, level_, steps_);
    position_ = revealed_ = 0;
    result_->setText(tr("%1 (level %2), score %3, %4 · %5")
                         .arg(QString::fromLatin1(kLevelNames[static_cast<std::size_t>(level_)]))
                         .arg(level_)
                         .arg(QString::fromStdString(ScoreText(g.score)))
                         .arg(Plural(static_cast<int>(steps_.size()), "step"), source) +
                     (level_ == 9 ? tr(" · no technique of the ladder finishes it") : QString()));
    QStringList summary;
    for (const std::string& line : explain::Summary(steps_)) summary << QString::fromStdString(line);
    techniques_->setText(summary.join("\n"));
    Show();
}

void PuzzleView::SetPosition(int position) {
    position_ = std::clamp(position, 0, std::max(0, static_cast<int>(frames_.size()) - 1));
    if (hintMode()) revealed_ = std::max(revealed_, position_);
    Show();
}

void PuzzleView::Next() { SetPosition(position_ + 1); }
void PuzzleView::Previous() { SetPosition(position_ - 1); }

void PuzzleView::Show() {
    const int last = std::max(0, static_cast<int>(frames_.size()) - 1);
    const int listed = hintMode() ? revealed_ : last;
    {
        const QSignalBlocker block(list_);
        list_->clear();
        for (int i = 0; i <= listed && i < static_cast<int>(frames_.size()); ++i) {
            const explain::Frame& f = frames_[static_cast<std::size_t>(i)];
            // A trial's own steps and its solved grid stand indented under it.
            const bool inTrial = f.label.find('.') != std::string::npos || f.solved;
            const QString text = QString::fromStdString(f.label.empty() ? f.text : f.label + ". " + f.text);
            list_->addItem(inTrial ? "    " + text : text);
        }
        if (frames_.empty()) list_->addItem(tr("The puzzle"));
        if (hintMode() && listed < last) list_->addItem(tr("(%1 hidden)").arg(Plural(last - listed, "more step")));
        list_->setCurrentRow(position_);
    }
    previous_->setEnabled(position_ > 0);
    next_->setEnabled(position_ < last);
    techniques_->setVisible(!hintMode() || revealed_ == last);
    if (level_ == 0 || frames_.empty()) {
        stepText_->clear();
        return;
    }
    const explain::Frame& f = frames_[static_cast<std::size_t>(position_)];
    grid_->SetSvg(explain::StandaloneGridSvg(f.board, f.step));
    const int n = static_cast<int>(steps_.size());
    QString text;
    if (position_ == 0)
        text = n > 0 ? tr("The puzzle. Press Next for the first step.") : tr("The puzzle.");
    else if (f.label.empty())
        text = QString::fromStdString(f.text) + ".";
    else
        text = tr("Step %1 of %2: %3").arg(QString::fromStdString(f.label)).arg(n).arg(QString::fromStdString(f.text));
    // A forcing chain's branches and a trial's refutation, node by node.
    for (const std::string& line : f.details) text += "\n    " + QString::fromStdString(line);
    stepText_->setText(text);
}

}  // namespace gw
