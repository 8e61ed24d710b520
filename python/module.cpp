// The Python module gridwick._core over the library: puzzles are strings of 81
// cells, gradings are objects whose steps are dicts of the JSON-lines shape
// with the step's sentence; the other results are dicts whose fields also
// read as attributes.
// Grading and generation release the interpreter lock.
#include <pybind11/eval.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <gridwick/gridwick.h>

#include <cstdio>

namespace py = pybind11;

namespace {

gridwick::Puzzle Read(const std::string& text) {
    py::gil_scoped_release unlocked;
    return gridwick::Parse(text);
}

py::object Loads(const std::string& json) { return py::module_::import("json").attr("loads")(json); }

// A score with its two decimals, as the command line prints it.
std::string Two(double score) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", score);
    return buf;
}

// A step as a dict: the JSON-lines shape, and the sentence the command line's
// explanation gives it.
py::object StepDict(const gridwick::Step& st) {
    py::object d = Loads(st.Json());
    d["text"] = st.text;
    return d;
}

// One parse of all the steps: far cheaper than a parse per step.
py::object Steps(const gridwick::Grading& g) {
    std::string all = "[";
    for (std::size_t i = 0; i < g.steps.size(); ++i) {
        if (i) all += ", ";
        all += g.steps[i].Json();
    }
    py::list steps = Loads(all + "]");
    for (std::size_t i = 0; i < g.steps.size(); ++i) steps[i]["text"] = g.steps[i].text;
    return steps;
}

// The results of check, hint and generate: dicts whose fields also read as
// attributes (r.level), as a Grading's do.
constexpr const char* kResultClass = R"py(
class Result(dict):
    """A result whose fields read as attributes (r.level) and as keys (r["level"])."""
    __slots__ = ()

    def __getattr__(self, name):
        try:
            return self[name]
        except KeyError:
            raise AttributeError(name) from None

    def __repr__(self):
        return "gridwick.Result(" + dict.__repr__(self) + ")"
)py";

py::object Result(const py::dict& fields) { return py::module_::import("gridwick._core").attr("Result")(fields); }

gridwick::Format FormatNamed(const std::string& name) {
    if (name == "text") return gridwick::Format::Text;
    if (name == "grids") return gridwick::Format::TextGrids;
    if (name == "jsonl") return gridwick::Format::Jsonl;
    if (name == "html") return gridwick::Format::Html;
    throw gridwick::Error("unknown format \"" + name + "\" (text, grids, jsonl, html)");
}

}  // namespace

PYBIND11_MODULE(_core, m) {
    m.doc() = "Sudoku puzzles graded the way a person solves them, explained, hinted and generated.";
    m.attr("__version__") = gridwick::Version();
    py::register_exception<gridwick::Error>(m, "Error", PyExc_ValueError);
    py::dict scope;
    scope["__builtins__"] = py::module_::import("builtins");
    scope["__name__"] = "gridwick";
    py::exec(kResultClass, scope);
    m.attr("Result") = scope["Result"];

    m.def("parse", [](const std::string& text) { return Read(text).ToString(); }, py::arg("text"),
          "The puzzle in the text (81 cells on a line, or nine lines of nine) as 81 characters, '.' for empty.\n"
          "Raises gridwick.Error when the text holds no puzzle or more than one.");

    m.def(
        "check",
        [](const std::string& puzzle, int limit) {
            const gridwick::CheckResult r = gridwick::Check(Read(puzzle), limit);
            py::dict d;
            d["valid"] = r.valid;
            d["solutions"] = r.solutions;
            d["complete"] = r.complete;
            d["reason"] = r.reason;
            d["solution"] = r.solution ? py::object(py::str(r.solution->ToString())) : py::object(py::none());
            return Result(d);
        },
        py::arg("puzzle"), py::arg("limit") = 2,
        "Whether the puzzle can be graded: valid (one solution, no clash), solutions counted up to `limit`,\n"
        "complete (False when the count gave up), reason (empty when valid) and the solution, as a Result\n"
        "(a dict whose fields also read as attributes: r.valid).");

    py::class_<gridwick::Grading>(m, "Grading", "A graded puzzle: its level and the steps that solve it.")
        .def_property_readonly("puzzle", [](const gridwick::Grading& g) { return g.puzzle.ToString(); })
        .def_property_readonly("solution", [](const gridwick::Grading& g) { return g.solution.ToString(); })
        .def_readonly("level", &gridwick::Grading::level, "1..8 solved by the ladder, 9 when it got stuck")
        .def_readonly("name", &gridwick::Grading::levelName, "the level's name, \"Easy\" ... \"Outlaw\"")
        .def_readonly("score", &gridwick::Grading::score,
                      "the difficulty score: the level plus 0.00..0.99, easy to hard within the level")
        .def_property_readonly("steps", &Steps,
                               "the steps as dicts: rung, technique, level, changes ([kind, cell, digit]), pattern, text")
        .def_property_readonly("texts",
                               [](const gridwick::Grading& g) {
                                   std::vector<std::string> out;
                                   for (const gridwick::Step& st : g.steps) out.push_back(st.text);
                                   return out;
                               },
                               "one line per step: \"Technique: pattern => result\"")
        .def("json", &gridwick::Grading::Json, "the grading as one JSON line")
        .def("to_dict", [](const gridwick::Grading& g) { return Loads(g.Json()); },
             "the grading as a dict: puzzle, level, name, score, solution, steps")
        .def(
            "explain",
            [](const gridwick::Grading& g, const std::string& format) {
                return gridwick::Explain(g, FormatNamed(format));
            },
            py::arg("format") = "text", "the explanation as text, grids (with candidate grids), jsonl or html")
        .def("svg", &gridwick::StepSvg, py::arg("index"),
             "the drawn grid before step `index` (0-based), its pattern highlighted; len(steps) draws the end")
        .def("__repr__", [](const gridwick::Grading& g) {
            return "<gridwick.Grading " + g.puzzle.ToString() + " " + std::to_string(g.level) + " " + g.levelName + " " +
                   Two(g.score) + ">";
        });

    m.def(
        "grade",
        [](const std::string& puzzle, const std::string& without, bool steps) {
            py::gil_scoped_release unlocked;
            return gridwick::Grade(gridwick::Parse(puzzle), {without, steps});
        },
        py::arg("puzzle"), py::arg("without") = "", py::arg("steps") = true,
        "Grades a puzzle. `without` switches rungs off (\"20-25, X-Wing\"); steps=False only finds the level.\n"
        "Raises gridwick.Error when the puzzle has no unique solution.");

    m.def(
        "hint",
        [](const std::string& puzzle, const std::string& progress, const std::string& without,
           const std::optional<std::vector<std::string>>& marks) {
            gridwick::Marks m{};
            if (marks) {
                if (marks->size() != 81) throw gridwick::Error("marks: expected 81 cells, found " + std::to_string(marks->size()));
                for (std::size_t c = 0; c < 81; ++c)
                    for (char ch : (*marks)[c]) {
                        if (ch < '1' || ch > '9') throw gridwick::Error("marks: a cell holds something other than the digits 1-9");
                        m[c] = static_cast<std::uint16_t>(m[c] | (1u << (ch - '1')));
                    }
            }
            gridwick::Hint h;
            {
                py::gil_scoped_release unlocked;
                h = gridwick::NextHint(gridwick::Parse(puzzle), gridwick::Parse(progress), m, {without, true});
            }
            py::dict d;
            d["status"] = h.status == gridwick::Hint::Status::Step     ? "step"
                          : h.status == gridwick::Hint::Status::Solved ? "solved"
                                                                       : "stuck";
            d["step"] = h.status == gridwick::Hint::Status::Step ? StepDict(h.step) : py::object(py::none());
            d["text"] = h.step.text;
            d["svg"] = h.svg;
            return Result(d);
        },
        py::arg("puzzle"), py::arg("progress"), py::arg("without") = "", py::arg("marks") = py::none(),
        "The next step from `progress` (the givens and the digits placed so far) and, when given, the solver's\n"
        "pencil marks (`marks`: 81 strings, the digits marked in each cell, \"\" for a cell not marked): a Result\n"
        "with status (\"step\", \"solved\" or \"stuck\"), step (a step dict or None), text and svg.\n"
        "Raises gridwick.Error when progress drops a given, holds a wrong digit, or a mark that is the cell's\n"
        "digit was removed.");

    m.def(
        "canonical", [](const std::string& puzzle) { return gridwick::Canonical(Read(puzzle)).ToString(); },
        py::arg("puzzle"), "The canonical form: one representative of the puzzle and all its disguises.");

    m.def(
        "generate",
        [](const std::string& levels, const std::string& method, std::uint64_t seed, long long maxTries) -> py::object {
            gridwick::GenerateOptions o;
            o.levels = gridwick::ParseLevels(levels);
            if (method == "random") o.method = gridwick::Method::Random;
            else if (method == "hunt") o.method = gridwick::Method::Hunt;
            else throw gridwick::Error("unknown method \"" + method + "\" (random, hunt)");
            o.seed = seed;
            o.maxTries = maxTries;
            std::optional<gridwick::Generated> made;
            {
                py::gil_scoped_release unlocked;
                made = gridwick::Generate(o);
            }
            if (!made) return py::none();
            py::dict d;
            d["puzzle"] = made->puzzle.ToString();
            d["solution"] = made->solution.ToString();
            d["level"] = made->level;
            d["name"] = gridwick::LevelName(made->level);
            d["tries"] = made->tries;
            return Result(d);
        },
        py::arg("levels") = "1-9", py::arg("method") = "random", py::arg("seed") = 0, py::arg("max_tries") = 0,
        "One puzzle of the levels (\"7-9\", \"Extreme,Mayhem\") by the random method or the hunt, from the seed:\n"
        "a Result with puzzle, solution, level, name and tries (g.level or g[\"level\"]), or None once\n"
        "max_tries (0: no limit) ran out.");

    m.def(
        "benchmark_puzzles",
        [] {
            std::vector<std::string> out;
            for (const gridwick::Puzzle& p : gridwick::BenchmarkPuzzles()) out.push_back(p.ToString());
            return out;
        },
        "The fixed benchmark set of `gridwick bench`.");
    m.def("signature", &gridwick::Signature, py::arg("gradings"),
          "The signature of gradings (16 hex digits) as `gridwick bench` prints it for its set.");
    m.def("level_name", &gridwick::LevelName, py::arg("level"), "\"Easy\" for 1 ... \"Outlaw\" for 9.");
}
