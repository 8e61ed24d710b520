// A book export off the window's thread: the puzzles are chosen (those given,
// or the chosen levels of the target's collection through the book chooser),
// solved where their files hold no solution, drawn and written whole or not at
// all, while the window goes on. A cancel stops the drawing and leaves no file.
#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <atomic>
#include <filesystem>
#include <optional>
#include <thread>
#include <vector>

#include "collection_view.h"
#include "print/book.h"
#include "print/book_choice.h"

namespace gw {

struct BookRequest {
    // The puzzles to print in this order; when empty, those chosen from the
    // target's collection under `base` by `choice`.
    std::vector<CollectionPuzzle> puzzles;
    std::filesystem::path base;
    int target = 0;
    print::BookChoiceOptions choice;
    print::BookOptions book;
    QString path;
};

struct BookResult {
    QString error;   // empty: written
    bool cancelled = false;
    std::array<int, 10> perLevel{};  // puzzles of each level in the book
    int puzzles = 0;
    std::optional<std::uint64_t> seed;  // of a random order
};

// Chooses, solves, draws and writes; `cancel` is looked at between puzzles and
// while drawing.
BookResult MakeBook(const BookRequest& request, const std::atomic<bool>& cancel);

class BookExport : public QObject {
    Q_OBJECT

public:
    explicit BookExport(QObject* parent = nullptr) : QObject(parent) {}
    ~BookExport() override;

    // False while an export is going on.
    bool Start(BookRequest request);
    void Cancel() { cancel_.store(true); }
    bool running() const { return running_; }

signals:
    void finished(const gw::BookResult& result);

private:
    void Join();

    std::thread thread_;
    std::atomic<bool> cancel_{false};
    bool running_ = false;
};

}  // namespace gw
