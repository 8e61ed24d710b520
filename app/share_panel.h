// Print and share: a book (PDF) of a level or of chosen puzzles through the
// book maker, and another collection merged into the chosen target (the
// engine's merge, as `gridwick merge` does it).
#pragma once

#include <QWidget>

#include <filesystem>
#include <vector>

#include "collection_view.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

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

    // Writes the book; an empty string when it was written, else why not.
    QString ExportPdf(const std::vector<CollectionPuzzle>& puzzles, const QString& path, const QString& title);

    // Asks where to save, then writes (the file dialog is skipped when
    // `pathForTests` is set).
    void ExportWithDialog(const std::vector<CollectionPuzzle>& puzzles, const QString& name);
    QString pathForTests;

    QComboBox* levelBox() const { return level_; }
    QLineEdit* titleEdit() const { return title_; }
    QPushButton* exportButton() const { return export_; }
    QLineEdit* sourceEdit() const { return source_; }
    QPushButton* mergeButton() const { return merge_; }
    QCheckBox* uniqueBox() const { return unique_; }
    QLabel* statusLabel() const { return status_; }
    QPushButton* openBookButton() const { return openBook_; }

signals:
    void merged();

private:
    void Merge();

    std::filesystem::path base_;
    int target_ = 0;
    QComboBox* level_;
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
