// Print and share: a book (PDF) of a level or of chosen puzzles through the
// book maker, and another collection merged into the chosen target (the
// engine's merge, as `gridwick merge` does it).
#pragma once

#include <QWidget>

#include <array>
#include <filesystem>
#include <vector>

#include "book_export.h"
#include "collection_view.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace gw {

class SharePanel : public QWidget {
    Q_OBJECT

public:
    explicit SharePanel(QWidget* parent = nullptr);

    void SetPlace(const std::filesystem::path& base, int target);

    int perPage() const;
    void SetPerPage(int n);
    bool letter() const;
    void SetLetter(bool letter);
    bool solutions() const;
    void SetSolutions(bool on);
    bool howToPlay() const;
    void SetHowToPlay(bool on);

    // The book's levels (bit L: level L), how many of each (0: all) and
    // whether in a random order, as `gridwick print` chooses them.
    unsigned levels() const;
    void SetLevels(unsigned levels);
    int perLevel() const;
    void SetPerLevel(int n);
    bool randomOrder() const;
    void SetRandomOrder(bool random);

    // Asks where to save, then makes the book off the window's thread: of
    // `puzzles`, or when none are given of the levels chosen here (the file
    // dialog is skipped when `pathForTests` is set).
    void ExportWithDialog(const std::vector<CollectionPuzzle>& puzzles, const QString& name);
    QString pathForTests;
    bool exporting() const { return exporter_->running(); }

    QLineEdit* seedEdit() const { return seed_; }
    QPushButton* cancelButton() const { return cancel_; }
    QLineEdit* titleEdit() const { return title_; }
    QPushButton* exportButton() const { return export_; }
    QLineEdit* sourceEdit() const { return source_; }
    QPushButton* mergeButton() const { return merge_; }
    QCheckBox* uniqueBox() const { return unique_; }
    QLabel* statusLabel() const { return status_; }
    QPushButton* openBookButton() const { return openBook_; }

signals:
    void merged();
    void exported();  // a book export ended, written or not

private:
    void Merge();
    void Exported(const BookResult& result);
    QString BookName() const;
    BookRequest Request(const std::vector<CollectionPuzzle>& puzzles, const QString& path) const;

    std::filesystem::path base_;
    int target_ = 0;
    std::array<QCheckBox*, 10> levels_{};
    QSpinBox* perLevel_;
    QComboBox* order_;
    QLineEdit* seed_;
    QProgressBar* progress_;
    QPushButton* cancel_;
    BookExport* exporter_;
    QString exportPath_;
    QComboBox* perPage_;
    QComboBox* paper_;
    QCheckBox* solutions_;
    QCheckBox* howToPlay_;
    QLineEdit* title_;
    QPushButton* export_;
    QPushButton* openBook_;  // the last book written, in the desktop's PDF viewer (to print it)
    QString lastBook_;
    QLineEdit* source_;
    QPushButton* choose_;
    QPushButton* merge_;
    QCheckBox* unique_;  // also skip disguised copies
    QLabel* status_;
};

}  // namespace gw
