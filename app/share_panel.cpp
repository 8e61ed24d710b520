#include "share_panel.h"

#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "generator/generator.h"
#include "model/levels.h"
#include "runs/merge.h"
#include "output/targets.h"
#include "print/book.h"

namespace gw {

SharePanel::SharePanel(QWidget* parent) : QWidget(parent) {
    setObjectName("SharePanel");
    level_ = new QComboBox(this);
    level_->setObjectName("bookLevel");
    for (int l = 1; l <= 9; ++l) level_->addItem(QString::fromLatin1(kLevelNames[static_cast<std::size_t>(l)]));
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
    export_ = new QPushButton(tr("E&xport the level to PDF…"), this);
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
    add(form, tr("&Level:"), level_);
    add(form, tr("Puzzles per pa&ge:"), perPage_);
    add(form, tr("P&aper:"), paper_);
    add(form, tr("&Title:"), title_);
    form->addRow(solutions_);
    form->addRow(howToPlay_);
    auto* bookButtons = new QHBoxLayout;
    bookButtons->addWidget(export_, 1);
    bookButtons->addWidget(openBook_);
    form->addRow(bookButtons);

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

    connect(export_, &QPushButton::clicked, this, [this] {
        const int level = level_->currentIndex() + 1;
        ExportWithDialog(ReadLevel(base_, target_, level), level_->currentText());
    });
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

QString SharePanel::ExportPdf(const std::vector<CollectionPuzzle>& puzzles, const QString& path, const QString& title) {
    if (puzzles.empty()) return tr("No puzzle to print.");
    std::vector<print::BookPuzzle> book;
    for (const CollectionPuzzle& p : puzzles) {
        print::BookPuzzle b;
        b.number = static_cast<int>(book.size()) + 1;
        b.puzzle = p.puzzle;
        CountSolutions(p.puzzle, 1, &b.solution);
        b.levelName = kLevelNames[static_cast<std::size_t>(p.level)];
        book.push_back(b);
    }
    print::BookOptions o;
    o.paper = letter() ? print::Paper::Letter : print::Paper::A4;
    o.perPage = perPage();
    o.solutions = solutions();
    o.howToPlay = howToPlay();
    o.title = title.toStdString();
    // Written beside the file and renamed, so that a failure never leaves a
    // half-written book under the chosen name.
    const std::filesystem::path final = path.toStdString();
    const QFileInfo info(path);
    const std::filesystem::path tmp =
        info.dir().filePath("." + info.fileName() + "." + QString::number(::getpid()) + ".tmp").toStdString();
    std::string error;
    std::error_code ec;
    if (!print::WritePdf(tmp.string(), book, o, error)) {
        std::filesystem::remove(tmp, ec);
        return QString::fromStdString(error);
    }
    std::filesystem::rename(tmp, final, ec);
    if (ec) {
        std::filesystem::remove(tmp, ec);
        return QString::fromStdString(ec.message());
    }
    return {};
}

void SharePanel::ExportWithDialog(const std::vector<CollectionPuzzle>& puzzles, const QString& name) {
    if (puzzles.empty()) {
        status_->setText(tr("No %1 puzzle is stored for this target.").arg(name));
        return;
    }
    QString path = pathForTests;
    if (path.isEmpty()) {
        const QString suggested = QString::fromStdString((base_ / ("Gridwick " + name.toStdString() + ".pdf")).string());
        path = QFileDialog::getSaveFileName(this, tr("Export to PDF"), suggested, tr("PDF files (*.pdf)"));
        if (path.isEmpty()) return;
        if (!path.endsWith(".pdf", Qt::CaseInsensitive)) path += ".pdf";
    }
    const QString error = ExportPdf(puzzles, path, title_->text());
    if (error.isEmpty()) lastBook_ = path;
    openBook_->setEnabled(!lastBook_.isEmpty());
    status_->setText(error.isEmpty() ? tr("Wrote %1 %2 to %3").arg(puzzles.size()).arg(puzzles.size() == 1 ? "puzzle" : "puzzles", path)
                                     : tr("Cannot write %1: %2").arg(path, error));
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
