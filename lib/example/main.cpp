// Grades the puzzle given as the first argument and prints its level, the
// first step and its canonical form: the smallest program of the library.
#include <gridwick/gridwick.h>

#include <iostream>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: gridwick-example PUZZLE\n";
        return 2;
    }
    try {
        const gridwick::Puzzle puzzle = gridwick::Parse(argv[1]);
        const gridwick::Grading grading = gridwick::Grade(puzzle);
        std::cout << grading.level << " " << grading.levelName << "\n";
        if (!grading.steps.empty()) std::cout << grading.steps.front().text << "\n";
        std::cout << gridwick::Canonical(puzzle).ToString() << "\n";
    } catch (const gridwick::Error& e) {
        std::cerr << "gridwick-example: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
