#include "book_export.h"

#include <QFileInfo>
#include <QDir>

#include <unistd.h>

#include "generator/generator.h"
#include "model/levels.h"
#include "output/stored.h"

namespace gw {

BookResult MakeBook(const BookRequest& request, const std::atomic<bool>& cancel) {
    BookResult result;
    std::vector<print::BookPick> picks;
    if (!request.puzzles.empty()) {
        for (const CollectionPuzzle& p : request.puzzles) picks.push_back({p.puzzle, {}, p.level});
    } else {
        print::BookChooser chooser(request.choice);
        ForEachStoredPuzzle(request.base, request.target, request.choice.levels,
                            [&](const Grid& puzzle, int level) { chooser.Offer(puzzle, {}, level); });
        print::BookChoice chosen = chooser.Finish();
        picks = std::move(chosen.puzzles);
        if (request.choice.order == print::BookOrder::Random) result.seed = chosen.seed;
    }
    if (picks.empty()) {
        result.error = QObject::tr("No puzzle of the chosen levels is stored for this target.");
        return result;
    }
    std::vector<print::BookPuzzle> book;
    for (const print::BookPick& p : picks) {
        if (cancel.load()) {
            result.cancelled = true;
            return result;
        }
        print::BookPuzzle b;
        b.number = static_cast<int>(book.size()) + 1;
        b.puzzle = p.puzzle;
        CountSolutions(p.puzzle, 1, &b.solution);
        b.levelName = kLevelNames[static_cast<std::size_t>(p.level)];
        book.push_back(b);
        ++result.perLevel[static_cast<std::size_t>(p.level)];
    }
    result.puzzles = static_cast<int>(book.size());
    // Written beside the file and renamed, so that a failure or a cancel never
    // leaves a half-written book under the chosen name.
    const std::filesystem::path final = request.path.toStdString();
    const QFileInfo info(request.path);
    const std::filesystem::path tmp =
        info.dir().filePath("." + info.fileName() + "." + QString::number(::getpid()) + ".tmp").toStdString();
    std::error_code ec;
    std::FILE* out = std::fopen(tmp.c_str(), "wb");
    if (out == nullptr) {
        result.error = QString::fromLocal8Bit(std::strerror(errno));
        return result;
    }
    std::string error;
    bool written = true;
    const print::Sink sink = [&](const unsigned char* data, unsigned length) {
        if (cancel.load()) return false;
        written = std::fwrite(data, 1, length, out) == length;
        return written;
    };
    const bool drawn = print::WritePdf(sink, book, request.book, error);
    written = std::fclose(out) == 0 && written;
    if (!drawn || !written || cancel.load()) {
        result.cancelled = cancel.load();
        if (!result.cancelled) result.error = QString::fromStdString(error.empty() ? "cannot write the file" : error);
        std::filesystem::remove(tmp, ec);
        return result;
    }
    std::filesystem::rename(tmp, final, ec);
    if (ec) {
        std::filesystem::remove(tmp, ec);
        result.error = QString::fromStdString(ec.message());
    }
    return result;
}

BookExport::~BookExport() {
    Cancel();
    Join();
}

void BookExport::Join() {
    if (thread_.joinable()) thread_.join();
}

bool BookExport::Start(BookRequest request) {
    if (running_) return false;
    Join();
    running_ = true;
    cancel_.store(false);
    thread_ = std::thread([this, request = std::move(request)] {
        const BookResult result = MakeBook(request, cancel_);
        QMetaObject::invokeMethod(
            this,
            [this, result] {
                Join();
                running_ = false;
                emit finished(result);
            },
            Qt::QueuedConnection);
    });
    return true;
}

}  // namespace gw
