// The collection: what is stored for the chosen target, level by level, then
// the puzzles of a level (number, clues), and a drawn grid of the chosen
// puzzle with its solution on demand. Read through the stored-file readers.
#pragma once

#include <QWidget>

#include <array>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "model/state.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace gw {

class GridView;

struct CollectionPuzzle {
    Grid puzzle{};
    int level = 0;
    QString source;  // file and line or record
    int number = 0;     // 1.. in the order stored
    double score = 0;   // the difficulty score, once the list has graded it
};

// The valid puzzles stored for one level of a target, in the order counted.
std::vector<CollectionPuzzle> ReadLevel(const std::filesystem::path& base, int target, int level);

class CollectionView : public QWidget {
    Q_OBJECT

public:
    explicit CollectionView(QWidget* parent = nullptr);

    void SetPlace(const std::filesystem::path& base, int target);
    int level() const { return level_; }
    void SelectLevel(int level);
    void SelectPuzzle(int row);

    // The puzzles listed for the level, and those chosen in the lists of
    // every level (a choice is kept while other levels are looked at), easy
    // to hard and in the order listed.
    const std::vector<CollectionPuzzle>& puzzles() const { return puzzles_; }
    std::vector<CollectionPuzzle> Selected() const;
    // Forgets the choice of every level.
    void ClearChoice();

    QListWidget* levelList() const { return levels_; }
    QTableWidget* puzzleTable() const { return table_; }
    GridView* grid() const { return grid_; }
    QCheckBox* solutionBox() const { return solution_; }
    QPushButton* openButton() const { return open_; }
    QPushButton* exportButton() const { return export_; }

public slots:
    // Reads the disk again (after a run, a merge).
    void Refresh();

signals:
    void openPuzzle(const gw::CollectionPuzzle& puzzle);
    void exportPuzzles(const std::vector<gw::CollectionPuzzle>& puzzles, const QString& name);

private:
    void LoadLevel();
    void ShowCurrent();
    void TakeChoice();
    void ShowChoice();

    std::filesystem::path base_;
    int target_ = 0;
    int level_ = 1;
    std::vector<CollectionPuzzle> puzzles_;
    // The difficulty score of every puzzle listed so far (a grading each, kept
    // while the window is open), and whether the list runs by it.
    std::map<Grid, double> scores_;
    bool byScore_ = false;
    std::array<std::string, 9> counts_{};
    // The chosen puzzles of each level, by their row in the level's list.
    std::array<std::map<int, CollectionPuzzle>, 10> chosen_{};

    QListWidget* levels_;
    QTableWidget* table_;
    GridView* grid_;
    QCheckBox* solution_;
    QLabel* caption_;
    QPushButton* open_;
    QPushButton* export_;
    QPushButton* clear_;
};

}  // namespace gw
