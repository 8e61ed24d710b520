#include "workbench.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "collection_view.h"
#include "main_window.h"
#include "options.h"
#include "puzzle_view.h"
#include "run_figures.h"
#include "run_panel.h"
#include "settings.h"
#include "share_panel.h"

namespace gw {

namespace {

const QString kPressHaltFirst =
    QStringLiteral("A run is in progress: press \"Halt Generator\" first, then Exit or close the window.");

}  // namespace

Workbench::Workbench(const std::filesystem::path& folder, QWidget* parent) : QMainWindow(parent) {
    setObjectName("Workbench");
    setWindowTitle("Gridwick");
    auto* central = new QWidget(this);
    main_ = new MainWindow(folder, central);

    folder_ = new QLineEdit(central);
    folder_->setObjectName("folder");
    folder_->setReadOnly(true);
    chooseFolder_ = new QPushButton(tr("Choose &folder…"), central);
    chooseFolder_->setObjectName("chooseFolder");
    auto* folderLabel = new QLabel(tr("Puzzles are stored in:"), central);
    folderLabel->setBuddy(folder_);

    run_ = new RunPanel(central);
    collection_ = new CollectionView(central);
    puzzle_ = new PuzzleView(central);
    share_ = new SharePanel(central);
    tabs_ = new QTabWidget(central);
    tabs_->setObjectName("tabs");
    tabs_->addTab(run_, tr("&Make"));
    tabs_->addTab(collection_, tr("&Collection"));
    tabs_->addTab(puzzle_, tr("One &puzzle"));
    tabs_->addTab(share_, tr("Print && sha&re"));

    auto* top = new QHBoxLayout;
    top->addWidget(folderLabel);
    top->addWidget(folder_, 1);
    top->addWidget(chooseFolder_);
    auto* purpose = new QLabel(tr("\"Generate Sudokus\" fills every level, one puzzle at a time on the window's own thread, "
                                  "until halted."),
                               central);
    purpose->setObjectName("panelPurpose");
    purpose->setWordWrap(true);
    purpose->setMaximumWidth(main_->width());
    auto* left = new QVBoxLayout;
    left->addWidget(main_);
    left->addWidget(purpose);
    left->addStretch(1);
    auto* body = new QHBoxLayout;
    body->addLayout(left);
    body->addWidget(tabs_, 1);
    auto* box = new QVBoxLayout(central);
    box->addLayout(top);
    box->addLayout(body, 1);
    setCentralWidget(central);
    // The main panel's run: its figures beside the status bar's messages.
    panelFigures_ = new QLabel(this);
    panelFigures_->setObjectName("panelFigures");
    statusBar()->addPermanentWidget(panelFigures_);
    resize(1100, 720);
    setMinimumSize(minimumSizeHint());

    connect(chooseFolder_, &QPushButton::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(this, tr("Folder for the puzzles"), folder_->text());
        if (dir.isEmpty()) return;
        const QString why = ChooseFolder(dir);
        if (!why.isEmpty()) statusBar()->showMessage(why, 10000);
    });
    connect(main_->combo2(), &QComboBox::currentIndexChanged, this, &Workbench::PlaceChanged);
    // Both generators show the same stored counts at every moment.
    connect(main_, &MainWindow::counted, run_, &RunPanel::ShowStored);
    // "Exit" during the main panel's run does nothing; say why.
    connect(main_->buttonExit(), &QPushButton::clicked, this, [this] {
        if (main_->generating())
            statusBar()->showMessage(kPressHaltFirst, 10000);
    });
    main_->buttonExit()->installEventFilter(this);
    connect(run_, &RunPanel::started, this, [this] {
        // One run at a time writes the chosen target.
        main_->commandGenerate()->setEnabled(false);
        main_->combo2()->setEnabled(false);
        chooseFolder_->setEnabled(false);
    });
    connect(run_, &RunPanel::progressed, this, [this] { main_->CountSudokus(); });
    connect(run_, &RunPanel::finished, this, [this] {
        main_->commandGenerate()->setEnabled(true);
        main_->combo2()->setEnabled(true);
        chooseFolder_->setEnabled(true);
        main_->CountSudokus();
        collection_->Refresh();
    });
    connect(collection_, &CollectionView::openPuzzle, this, [this](const CollectionPuzzle& p) {
        puzzle_->LoadGrid(p.puzzle, p.source);
        tabs_->setCurrentWidget(puzzle_);
    });
    connect(collection_, &CollectionView::exportPuzzles, this,
            [this](const std::vector<CollectionPuzzle>& p, const QString& name) { share_->ExportWithDialog(p, name); });
    connect(share_, &SharePanel::merged, this, [this] {
        main_->CountSudokus();
        run_->Recount();
        collection_->Refresh();
    });

    watch_ = new QTimer(this);
    watch_->setInterval(250);
    connect(watch_, &QTimer::timeout, this, &Workbench::Watch);
}

void Workbench::Load() {
    // Read first: start-up selects the first target, which would be saved.
    const WindowSettings s = WindowSettings::Load();
    main_->Load();
    if (s.target >= 0 && s.target < main_->combo2()->count()) main_->combo2()->setCurrentIndex(s.target);
    run_->SetLevels(s.levels);
    run_->SetHunt(s.hunt);
    run_->SetWorkers(s.workers);
    run_->SetCount(s.count);
    run_->SetMinutes(s.minutes);
    share_->SetPerPage(s.perPage);
    share_->SetLetter(s.letter);
    share_->SetSolutions(s.solutions);
    share_->SetHowToPlay(s.howToPlay);
    loaded_ = true;
    PlaceChanged();
    if (const QScreen* screen = this->screen()) {
        const QRect a = screen->availableGeometry();
        resize(std::min(width(), a.width()), std::min(height(), a.height()));
        move(a.left() + (a.width() - width()) / 2, a.top() + (a.height() - height()) / 2);
    }
    show();
    watch_->start();
}

void Workbench::PlaceChanged() {
    const std::filesystem::path base = main_->basePath();
    const int target = std::max(0, main_->combo2()->currentIndex());
    folder_->setText(QString::fromStdString(base.string()));
    folder_->setToolTip(folder_->text());
    run_->SetPlace(base, target);
    collection_->SetPlace(base, target);
    share_->SetPlace(base, target);
    if (loaded_) SaveSettings();
}

QString Workbench::ChooseFolder(const QString& folder) {
    if (Busy()) return tr("Halt the run before choosing another folder.");
    if (const QString why = PrepareFolder(folder); !why.isEmpty()) return why;
    main_->SetBasePath(folder.toStdString());
    PlaceChanged();
    statusBar()->showMessage(tr("Puzzles now go to %1").arg(folder), 5000);
    return {};
}

bool Workbench::Busy() const { return main_->generating() || run_->running(); }

void Workbench::SaveSettings() {
    WindowSettings s;
    s.folder = QString::fromStdString(main_->basePath().string());
    s.target = main_->combo2()->currentIndex();
    s.levels = run_->levels();
    s.hunt = run_->hunt();
    s.workers = run_->workers();
    s.count = run_->count();
    s.minutes = run_->minutes();
    s.perPage = share_->perPage();
    s.letter = share_->letter();
    s.solutions = share_->solutions();
    s.howToPlay = share_->howToPlay();
    s.Save();
}

// The main panel's own loop runs on this thread; this timer ticks during its
// event passes. While it runs, the workbench's run cannot start; when it ends,
// the views catch up with the disk.
void Workbench::Watch() {
    const bool generating = main_->generating();
    run_->SetBlocked(generating);
    chooseFolder_->setEnabled(!Busy());
    if (mainWasGenerating_ && !generating) {
        run_->Recount();
        collection_->Refresh();
    }
    if (main_->lastRun().started != std::chrono::steady_clock::time_point{}) ShowPanelFigures();
    mainWasGenerating_ = generating;
}

void Workbench::ShowPanelFigures() {
    const MainWindow::RunStats& r = main_->lastRun();
    const auto end = main_->generating() ? std::chrono::steady_clock::now() : r.ended;
    const double seconds = std::chrono::duration<double>(end - r.started).count();
    const auto saved = static_cast<long long>(r.puzzles), made = static_cast<long long>(r.made);
    QString text = "\"Generate Sudokus\": " + RunFigures(saved, made, seconds);
    if (r.full > 0) text += tr(" · %1 not saved: level full").arg(r.full);
    panelFigures_->setText(text);
}

void Workbench::AskToHalt() {
    if (question_ != nullptr) return;
    question_ = new QMessageBox(QMessageBox::Question, tr("Gridwick"),
                                tr("A run is in progress. It must be halted before the window closes."),
                                QMessageBox::NoButton, this);
    question_->setObjectName("haltQuestion");
    QPushButton* halt = question_->addButton(tr("&Halt the run"), QMessageBox::AcceptRole);
    halt->setObjectName("haltRun");
    question_->addButton(tr("&Keep running"), QMessageBox::RejectRole);
    question_->setAttribute(Qt::WA_DeleteOnClose);
    connect(question_, &QMessageBox::finished, this, [this, halt] {
        if (question_->clickedButton() == halt) {
            main_->CommandHalt_Click();
            run_->Halt();
            statusBar()->showMessage(tr("Halting: close the window again once the run has ended."), 10000);
        }
        question_ = nullptr;
    });
    // Not modal to the application: the run goes on while the question waits.
    question_->setWindowModality(Qt::WindowModal);
    question_->show();
}

// "Exit" during a run of the workbench would end the program under the run:
// the press is taken here and the run is offered a halt instead.
bool Workbench::eventFilter(QObject* watched, QEvent* event) {
    if (watched == main_->buttonExit() && run_->running()) {
        const bool press = event->type() == QEvent::MouseButtonRelease ||
                           (event->type() == QEvent::KeyPress &&
                            (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space ||
                             static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return));
        if (press) {
            AskToHalt();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Workbench::closeEvent(QCloseEvent* event) {
    // The main panel's run is ended only by its own halt button.
    if (main_->generating()) {
        event->ignore();
        statusBar()->showMessage(kPressHaltFirst, 10000);
        return;
    }
    if (Busy()) {
        event->ignore();
        AskToHalt();
        return;
    }
    SaveSettings();
    event->accept();
}

}  // namespace gw
