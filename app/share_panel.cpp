#include "share_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

#include "generator/generator.h"
#include "model/levels.h"
#include "runs/merge.h"
#include "output/targets.h"
#include "print/book.h"

namespace gw {

SharePanel::SharePanel(QWidget* parent) : QWidget(parent) {
    setObjectName("SharePanel");
    // What `gridwick print` chooses with --levels, --per-level, --order and --seed.
    auto* levelBoxes = new QWidget(this);
    auto* levelGrid = new QGridLayout(levelBoxes);
    levelGrid->setContentsMargins(0, 0, 0, 0);
    for (int l = 1; l <= 9; ++l) {
        auto* box = new QCheckBox(QString::fromLatin1(kLevelNames[static_cast<std::size_t>(l)]), levelBoxes);
        box->setObjectName(QString("bookLevel%1").arg(l));
        levelGrid->addWidget(box, (l - 1) / 3, (l - 1) % 3);
        levels_[static_cast<std::size_t>(l)] = box;
    }
    levels_[1]->setChecked(true);
    perLevel_ = new QSpinBox(this);
    perLevel_->setObjectName("bookPerLevel");
    perLevel_->setRange(0, kMaxPerLevel);
    perLevel_->setSpecialValueText(tr("all"));
    order_ = new QComboBox(this);
    order_->setObjectName("bookOrder");
    order_->addItems({tr("Easy to hard"), tr("Random")});
    seed_ = new QLineEdit(this);
    seed_->setObjectName("bookSeed");
    seed_->setPlaceholderText(tr("from the clock"));
    seed_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,20}"), seed_));
    seed_->setEnabled(false);
    connect(order_, &QComboBox::currentIndexChanged, this, [this](int i) { seed_->setEnabled(i == 1); });
    progress_ = new QProgressBar(this);
    progress_->setObjectName("bookProgress");
    progress_->setRange(0, 0);  // busy: the drawing tells no fraction
    progress_->setVisible(false);
    cancel_ = new QPushButton(tr("Cancel"), this);
    cancel_->setObjectName("bookCancel");
    cancel_->setVisible(false);
    exporter_ = new BookExport(this);
    perPage_ = new QComboBox(this);
    perPage_->setObjectName("perPage");
    perPage_->addItems({"1", "2", "4", "6"});
    perPage_->setCurrentText("4");
    paper_ = new QComboBox(this);
    paper_->setObjectName("paper");
    paper_->addItems({"A4", "Letter"});
    solutions_ = new QCheckBox(tr("With the &solutions at the back"), this);
    solutions_->setObjectName("withSolutions");
    solutions_->setChecked(true);
    howToPlay_ = new QCheckBox(tr("With a how-to-play page at the fro&nt"), this);
    howToPlay_->setObjectName("withHowToPlay");
    title_ = new QLineEdit(this);
    title_->setObjectName("bookTitle");
    title_->setPlaceholderText(tr("no title page"));
    export_ = new QPushButton(tr("E&xport to PDF…"), this);
    export_->setObjectName("exportLevel");
    openBook_ = new QPushButton(tr("Open the &book to print it"), this);
    openBook_->setObjectName("openBook");
    openBook_->setEnabled(false);

    source_ = new QLineEdit(this);
    source_->setObjectName("mergeSource");
    source_->setPlaceholderText(tr("a folder Gridwick wrote (any target), or puzzle files"));
    choose_ = new QPushButton(tr("C&hoose…"), this);
    merge_ = new QPushButton(tr("M&erge into this target"), this);
    merge_->setObjectName("merge");
    unique_ = new QCheckBox(tr("Skip &disguised copies too"), this);
    unique_->setObjectName("mergeUnique");
    unique_->setToolTip(tr("A stored puzzle with its digits relabelled, its rows, columns, bands or stacks permuted, "
                           "or turned over is not copied either."));
    status_ = new QLabel(this);
    status_->setObjectName("shareStatus");
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* book = new QGroupBox(tr("Book (PDF)"), this);
    auto* form = new QFormLayout(book);
    auto add = [&](QFormLayout* f, const QString& text, QWidget* field) {
        auto* label = new QLabel(text, this);
        label->setBuddy(field);
        f->addRow(label, field);
    };
    add(form, tr("&Levels:"), levelBoxes);
    add(form, tr("Per le&vel:"), perLevel_);
    add(form, tr("Order of the p&uzzles:"), order_);
    add(form, tr("Seed of the random order:"), seed_);
    add(form, tr("Puzzles per pa&ge:"), perPage_);
    add(form, tr("P&aper:"), paper_);
    add(form, tr("&Title:"), title_);
    form->addRow(solutions_);
    form->addRow(howToPlay_);
    auto* bookButtons = new QHBoxLayout;
    bookButtons->addWidget(export_, 1);
    bookButtons->addWidget(openBook_);
    form->addRow(bookButtons);
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(progress_, 1);
    progressRow->addWidget(cancel_);
    form->addRow(progressRow);

    auto* mergeBox = new QGroupBox(tr("Merge another collection in"), this);
    auto* mv = new QVBoxLayout(mergeBox);
    auto* row = new QHBoxLayout;
    auto* sourceLabel = new QLabel(tr("Fr&om:"), this);
    sourceLabel->setBuddy(source_);
    row->addWidget(sourceLabel);
    row->addWidget(source_, 1);
    row->addWidget(choose_);
    mv->addLayout(row);
    mv->addWidget(unique_);
    mv->addWidget(merge_, 0, Qt::AlignLeft);

    auto* box = new QVBoxLayout(this);
    box->addWidget(book);
    box->addWidget(mergeBox);
    box->addWidget(status_);
    box->addStretch(1);

    connect(export_, &QPushButton::clicked, this, [this] { ExportWithDialog({}, BookName()); });
    connect(cancel_, &QPushButton::clicked, exporter_, &BookExport::Cancel);
    connect(exporter_, &BookExport::finished, this, &SharePanel::Exported);
    connect(choose_, &QPushButton::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(this, tr("Merge from"), source_->text());
        if (!dir.isEmpty()) source_->setText(dir);
    });
    connect(merge_, &QPushButton::clicked, this, &SharePanel::Merge);
    connect(openBook_, &QPushButton::clicked, this, [this] {
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(lastBook_)))
            status_->setText(tr("No program to show %1 was found.").arg(lastBook_));
    });
}

namespace {

QString TargetName(int target) {
    return ValidTarget(target) ? QString::fromLatin1(kTargets[static_cast<std::size_t>(target)].listText) : QString();
}

}  // namespace

void SharePanel::SetPlace(const std::filesystem::path& base, int target) {
    base_ = base;
    target_ = target;
    // The button names the target it merges into, and its folder.
    merge_->setText(tr("M&erge into \"%1\"").arg(TargetName(target)));
    merge_->setToolTip(QString::fromStdString(TargetFolder(base, target).string()));
}

int SharePanel::perPage() const { return perPage_->currentText().toInt(); }
void SharePanel::SetPerPage(int n) {
    const int i = perPage_->findText(QString::number(n));
    if (i >= 0) perPage_->setCurrentIndex(i);
}
bool SharePanel::letter() const { return paper_->currentIndex() == 1; }
void SharePanel::SetLetter(bool letter) { paper_->setCurrentIndex(letter ? 1 : 0); }
bool SharePanel::solutions() const { return solutions_->isChecked(); }
void SharePanel::SetSolutions(bool on) { solutions_->setChecked(on); }
bool SharePanel::howToPlay() const { return howToPlay_->isChecked(); }
void SharePanel::SetHowToPlay(bool on) { howToPlay_->setChecked(on); }

unsigned SharePanel::levels() const {
    unsigned m = 0;
    for (int l = 1; l <= 9; ++l)
        if (levels_[static_cast<std::size_t>(l)]->isChecked()) m |= LevelBit(l);
    return m;
}

void SharePanel::SetLevels(unsigned levels) {
    for (int l = 1; l <= 9; ++l) levels_[static_cast<std::size_t>(l)]->setChecked((levels & LevelBit(l)) != 0);
}

int SharePanel::perLevel() const { return perLevel_->value(); }
void SharePanel::SetPerLevel(int n) { perLevel_->setValue(n); }
bool SharePanel::randomOrder() const { return order_->currentIndex() == 1; }
void SharePanel::SetRandomOrder(bool random) { order_->setCurrentIndex(random ? 1 : 0); }

// "Easy", "Easy to Hard", "Easy, Crazy and Outlaw": the levels chosen, for
// the file name offered.
QString SharePanel::BookName() const {
    QStringList names;
    for (int l = 1; l <= 9; ++l)
        if (levels() & LevelBit(l)) names << QString::fromLatin1(kLevelNames[static_cast<std::size_t>(l)]);
    if (names.size() <= 1) return names.value(0, tr("Puzzles"));
    return names.mid(0, names.size() - 1).join(", ") + tr(" and ") + names.back();
}

BookRequest SharePanel::Request(const std::vector<CollectionPuzzle>& puzzles, const QString& path) const {
    BookRequest r;
    r.puzzles = puzzles;
    r.base = base_;
    r.target = target_;
    r.choice.levels = levels();
    r.choice.perLevel = perLevel();
    r.choice.order = randomOrder() ? print::BookOrder::Random : print::BookOrder::Level;
    bool ok = false;
    const qulonglong seed = seed_->text().toULongLong(&ok);
    if (ok) r.choice.seed = static_cast<std::uint64_t>(seed);
    r.book.paper = letter() ? print::Paper::Letter : print::Paper::A4;
    r.book.perPage = perPage();
    r.book.solutions = solutions();
    r.book.howToPlay = howToPlay();
    r.book.title = title_->text().toStdString();
    r.path = path;
    return r;
}

void SharePanel::ExportWithDialog(const std::vector<CollectionPuzzle>& puzzles, const QString& name) {
    if (exporter_->running()) return;
    if (puzzles.empty() && levels() == 0) {
        status_->setText(tr("Choose at least one level."));
        return;
    }
    QString path = pathForTests;
    if (path.isEmpty()) {
        const QString suggested = QString::fromStdString((base_ / ("Gridwick " + name.toStdString() + ".pdf")).string());
        path = QFileDialog::getSaveFileName(this, tr("Export to PDF"), suggested, tr("PDF files (*.pdf)"));
        if (path.isEmpty()) return;
        if (!path.endsWith(".pdf", Qt::CaseInsensitive)) path += ".pdf";
    }
    exporter_->Start(Request(puzzles, path));
    exportPath_ = path;
    export_->setEnabled(false);
    progress_->setVisible(true);
    cancel_->setVisible(true);
    status_->setText(tr("Making the book %1…").arg(path));
}

void SharePanel::Exported(const BookResult& r) {
    export_->setEnabled(true);
    progress_->setVisible(false);
    cancel_->setVisible(false);
    if (r.cancelled) {
        status_->setText(tr("Cancelled: no book was written."));
    } else if (!r.error.isEmpty()) {
        status_->setText(tr("Cannot write %1: %2").arg(exportPath_, r.error));
    } else {
        lastBook_ = exportPath_;
        QStringList levels;
        for (int l = 1; l <= 9; ++l)
            if (const int n = r.perLevel[static_cast<std::size_t>(l)]; n > 0)
                levels << QString("%1 %2").arg(QString::fromLatin1(kLevelNames[static_cast<std::size_t>(l)])).arg(n);
        QString text = tr("Wrote %1 %2 to %3 (%4)")
                           .arg(r.puzzles)
                           .arg(r.puzzles == 1 ? tr("puzzle") : tr("puzzles"), exportPath_, levels.join(", "));
        if (r.seed) text += tr("; random order, seed %1").arg(static_cast<qulonglong>(*r.seed));
        status_->setText(text);
    }
    openBook_->setEnabled(!lastBook_.isEmpty());
    emit exported();
}

void SharePanel::Merge() {
    const QString source = source_->text().trimmed();
    if (source.isEmpty()) {
        status_->setText(tr("Choose a folder or file to merge from."));
        return;
    }
    MergeOptions o;
    o.target = target_;
    o.unique = unique_->isChecked();
    const MergeReport r = MergeCollections(base_, {source.toStdString()}, o);
    if (!r.missing.empty()) {
        status_->setText(tr("No such file or folder: %1").arg(source));
        return;
    }
    if (!r.error.empty()) {
        status_->setText(QString::fromStdString(r.error));
        return;
    }
    const QString disguised = o.unique ? tr(", %1 disguised copies").arg(r.disguised) : QString();
    status_->setText(tr("Merged into \"%7\": %1 copied, %2 already stored%3, %4 not placed (level full), %5 unreadable, %6 "
                        "failed writes.")
                         .arg(r.copied)
                         .arg(r.same)
                         .arg(disguised)
                         .arg(r.Unplaced())
                         .arg(r.unreadable)
                         .arg(r.failed)
                         .arg(TargetName(target_)));
    emit merged();
}

}  // namespace gw
