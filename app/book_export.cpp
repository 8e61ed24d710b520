#include "book_export.h"

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
    std::vector<print::BookPick> chosen;
    for (const print::BookPick& p : picks) {
        if (cancel.load()) {
            result.cancelled = true;
            return result;
        }
        print::BookPick c{.puzzle = p.puzzle, .solution = {}, .level = p.level};
        CountSolutions(p.puzzle, 1, &c.solution);
        chosen.push_back(c);
        ++result.perLevel[static_cast<std::size_t>(p.level)];
    }
    // The command line's book of the same puzzles (with their short ids),
    // written whole or not at all: a failure or a cancel never leaves a
    // half-written book under the chosen name, nor a temporary beside it.
    const std::vector<print::BookPuzzle> book = print::AssembleBook(chosen);
    result.puzzles = static_cast<int>(book.size());
    std::string reason;
    const bool written = print::WriteWhole(
        request.path.toStdString(),
        [&](const print::Sink& sink, std::string& error) {
            const print::Sink cancellable = [&](const unsigned char* data, unsigned length) {
                return !cancel.load() && sink(data, length);
            };
            return print::WritePdf(cancellable, book, request.book, error);
        },
        reason);
    if (!written || cancel.load()) {
        result.cancelled = cancel.load();
        if (!result.cancelled) result.error = QString::fromStdString(reason.empty() ? "cannot write the file" : reason);
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
