// The workbench: the main window's panel of counters and run buttons, with
// the output folder above it and, beside it, tabs for what to make, the
// collection, one puzzle, and printing and sharing.
#pragma once

#include <QMainWindow>

#include <filesystem>

class QLabel;
class QLineEdit;
class QMessageBox;
class QPushButton;
class QTabWidget;
class QTimer;

namespace gw {

class CollectionView;
class MainWindow;
class PuzzleView;
class RunPanel;
class SharePanel;

class Workbench : public QMainWindow {
    Q_OBJECT

public:
    // `folder`: where the puzzles go (empty: the program's own folder).
    explicit Workbench(const std::filesystem::path& folder, QWidget* parent = nullptr);

    // Shows the window with the remembered choices in place.
    void Load();

    // Moves the output to `folder`; refused during a run. Empty when done,
    // else why not.
    QString ChooseFolder(const QString& folder);

    // A run of either kind is going on.
    bool Busy() const;

    MainWindow* main() const { return main_; }
    RunPanel* runPanel() const { return run_; }
    CollectionView* collection() const { return collection_; }
    PuzzleView* puzzle() const { return puzzle_; }
    SharePanel* share() const { return share_; }
    QTabWidget* tabs() const { return tabs_; }
    QLineEdit* folderEdit() const { return folder_; }
    QPushButton* folderButton() const { return chooseFolder_; }
    // The figures of the main panel's run (saved, made, rate, time) in the status bar.
    QLabel* panelFigures() const { return panelFigures_; }
    // The question shown when the window is closed during a run of the Make tab (null when none is open).
    QMessageBox* haltQuestion() const { return question_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PlaceChanged();
    void SaveSettings();
    void Watch();
    void AskToHalt();
    void ShowPanelFigures();

    MainWindow* main_;
    RunPanel* run_;
    CollectionView* collection_;
    PuzzleView* puzzle_;
    SharePanel* share_;
    QTabWidget* tabs_;
    QLineEdit* folder_;
    QPushButton* chooseFolder_;
    QTimer* watch_;
    QLabel* panelFigures_;
    QMessageBox* question_ = nullptr;
    bool mainWasGenerating_ = false;
    bool loaded_ = false;  // the remembered choices are in place
};

}  // namespace gw
