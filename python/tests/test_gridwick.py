"""The Python module against the command line: same levels, same steps, same signature."""
import json
import os
import subprocess

import pytest

import gridwick

MEDIUM = "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......"


@pytest.fixture(scope="module")
def bench():
    puzzles = gridwick.benchmark_puzzles()
    assert len(puzzles) > 1000
    return puzzles


def test_signature_of_the_benchmark_set(bench):
    assert gridwick.signature([gridwick.grade(p) for p in bench]) == "9bcd6d9cf3cc7d13"


def test_gradings_match_the_command_line(bench):
    cli = os.environ.get("GRIDWICK_CLI")
    if not cli:
        pytest.fail("GRIDWICK_CLI names no command line to compare with")
    sample = bench[::10] + bench[-38:]
    out = subprocess.run([cli, "grade", "--format", "jsonl", "-q"], input="\n".join(sample) + "\n",
                         capture_output=True, text=True, check=True).stdout.splitlines()
    assert len(out) == len(sample)
    for puzzle, line in zip(sample, out):
        want = json.loads(line)
        got = gridwick.grade(puzzle).to_dict()
        assert {k: got[k] for k in ("level", "name", "solution", "steps")} == \
               {k: want[k] for k in ("level", "name", "solution", "steps")}, puzzle


@pytest.mark.parametrize("call", [
    lambda: gridwick.parse("12345"),
    lambda: gridwick.parse(MEDIUM + "\n" + MEDIUM),
    lambda: gridwick.grade("." * 81),
    lambda: gridwick.grade("11" + "." * 79),
    lambda: gridwick.grade(MEDIUM, without="no such rung"),
    lambda: gridwick.generate(levels="Hardest"),
    lambda: gridwick.generate(method="magic"),
    lambda: gridwick.grade(MEDIUM).explain("pdf"),
    lambda: gridwick.hint(MEDIUM, "." * 81),
])
def test_errors_raise(call):
    with pytest.raises(gridwick.Error):
        call()


def test_check_explain_hint_canonical():
    assert gridwick.check("." * 81)["reason"] == "more than one solution"
    c = gridwick.check(MEDIUM)
    g = gridwick.grade(MEDIUM)
    assert c["valid"] and c["solution"] == g.solution
    assert (g.level, g.name) == (2, "Medium") and 2 <= g.score < 3
    assert g.explain().startswith(MEDIUM + " 2 Medium %.2f\n" % g.score)
    assert g.to_dict()["score"] == g.score == gridwick.grade(MEDIUM, steps=False).score
    assert json.loads(g.explain("jsonl")) == g.to_dict()
    assert g.svg(0).startswith("<svg") and "<svg" in g.explain("html")
    with pytest.raises(IndexError):
        g.svg(len(g.steps) + 1)
    # Each step carries the command line's sentence for it.
    assert [s["text"] for s in g.steps] == g.texts and g.texts[0] in g.explain()
    h = gridwick.hint(MEDIUM, MEDIUM)
    assert h["status"] == "step" and h["step"] == g.steps[0] and h["svg"] == g.svg(0)
    # Results read as attributes, as a Grading does, and as keys as before.
    assert (c.valid, h.status, h.text) == (True, "step", g.texts[0])
    assert gridwick.hint(MEDIUM, g.solution)["status"] == "solved"
    assert gridwick.canonical(gridwick.canonical(MEDIUM)) == gridwick.canonical(MEDIUM)
    assert gridwick.grade(MEDIUM, steps=False).steps == []


@pytest.mark.parametrize("method", ["random", "hunt"])
def test_generate_is_seeded(method):
    a = gridwick.generate(levels="3-5", method=method, seed=7)
    assert a == gridwick.generate(levels="3-5", method=method, seed=7)
    assert 3 <= a["level"] <= 5 and gridwick.grade(a.puzzle, steps=False).level == a.level == a["level"]
    assert gridwick.generate(levels="9", seed=1, max_tries=2) is None
