// One puzzle: opened from a file, pasted as text, or sent from the
// collection; graded, and explained step by step with the same drawn grid as
// the explanation page, its text, and the techniques used. Hint mode shows the
// steps only up to the one asked for.
#pragma once

#include <QWidget>

#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "explain/explain.h"
#include "grader/grader.h"
#include "runs/grading.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace gw {

class GridView;

class PuzzleView : public QWidget {
    Q_OBJECT

public:
    explicit PuzzleView(QWidget* parent = nullptr);

    // Reads the first puzzle of `text` (any form the grader reads) and grades
    // it. False, with the reason shown, when there is none.
    bool LoadText(const QString& text);
    bool LoadFile(const QString& path);
    void LoadGrid(const Grid& puzzle, const QString& source);

    // A grading runs off the window's thread (a puzzle asked for meanwhile
    // is graded next); the view shows it when it ends.
    bool grading() const { return grading_; }
    ~PuzzleView() override;

    // The frame on show: 0 the puzzle, then each step on the grid it starts
    // from, a trial's own steps and its solved grid after it, and the grid
    // where the ladder got stuck (see explain::Frames).
    int position() const { return position_; }
    void SetPosition(int position);
    int level() const { return level_; }
    const std::vector<Step>& steps() const { return steps_; }
    const std::vector<explain::Frame>& frames() const { return frames_; }
    bool hintMode() const;

    QPlainTextEdit* input() const { return input_; }
    QPushButton* gradeButton() const { return grade_; }
    QPushButton* openButton() const { return open_; }
    QPushButton* nextButton() const { return next_; }
    QPushButton* previousButton() const { return previous_; }
    QCheckBox* hintBox() const { return hint_; }
    QListWidget* stepList() const { return list_; }
    GridView* grid() const { return grid_; }
    QLabel* resultLabel() const { return result_; }
    QLabel* stepLabel() const { return stepText_; }
    QLabel* techniquesLabel() const { return techniques_; }

public slots:
    void Next();
    void Previous();
    void OpenFile();

private:
    bool Grade(const Grid& puzzle, const QString& source);
    void Graded(const runs::GradedPuzzle& g, const QString& source);
    void Show();
    void Fail(const QString& why);

    Grid puzzle_{};
    int level_ = 0;
    std::vector<Step> steps_;
    std::vector<explain::Frame> frames_;  // into steps_
    int position_ = 0;
    int revealed_ = 0;  // hint mode: frames shown so far

    std::thread worker_;
    bool grading_ = false;
    std::optional<std::pair<Grid, QString>> queued_;  // asked for during a grading

    QPlainTextEdit* input_;
    QPushButton* open_;
    QPushButton* grade_;
    QLabel* result_;
    QProgressBar* busy_;
    QLabel* techniques_;
    GridView* grid_;
    QListWidget* list_;
    QLabel* stepText_;
    QPushButton* previous_;
    QPushButton* next_;
    QCheckBox* hint_;
};

}  // namespace gw
