"""Builds the gridwick Python module: `pip install --no-build-isolation .` (Debian's pybind11 and setuptools).

The module is compiled from the engine's sources and the library's calls; the stored hard puzzles of the
benchmark set are written into a generated header first, as the CMake build does.
"""
import os
import re

from pybind11.setup_helpers import ParallelCompile, Pybind11Extension, build_ext
from setuptools import setup

here = os.path.dirname(os.path.abspath(__file__))
generated = os.path.join("build", "setup-generated")


def hard_puzzles():
    """The first word of every puzzle line of bench/data/hard.txt, as C string literals."""
    target = os.path.join(generated, "generator", "hard_puzzles.inc")
    lines = []
    with open(os.path.join(here, "bench", "data", "hard.txt")) as f:
        for line in f:
            if re.match(r"^[0-9.]", line):
                lines.append('"' + line.split()[0] + '",')
    with open(os.path.join(here, "generator", "hard_puzzles.inc.in")) as f:
        text = f.read().replace("@GRIDWICK_HARD_PUZZLES@", "\n".join(lines))
    os.makedirs(os.path.dirname(target), exist_ok=True)
    if not os.path.exists(target) or open(target).read() != text:
        with open(target, "w") as f:
            f.write(text)


def listed_sources(*names):
    """The files of the named lists of cmake/sources.cmake, where the CMake builds find them too."""
    with open(os.path.join(here, "cmake", "sources.cmake")) as f:
        text = re.sub(r"#.*", "", f.read())
    lists = {m.group(1): m.group(2).split() for m in re.finditer(r"set\((\w+)([^)]*)\)", text)}
    return [path for name in names for path in lists[name]]


hard_puzzles()
sources = ["python/module.cpp", "lib/gridwick.cpp"] + listed_sources("GRIDWICK_ENGINE_SOURCES",
                                                                     "GRIDWICK_EXPLAIN_SOURCES",
                                                                     "GRIDWICK_RUNS_SOURCES")

ParallelCompile("GRIDWICK_JOBS", default=0).install()
setup(
    name="gridwick",
    version="0.1",
    description="Sudoku puzzles graded the way a person solves them, explained, hinted and generated",
    packages=["gridwick"],
    package_dir={"gridwick": "python/gridwick"},
    package_data={"gridwick": ["_core.pyi", "py.typed"]},
    ext_modules=[
        Pybind11Extension("gridwick._core", sources, cxx_std=20, include_dirs=[".", "include", generated],
                          define_macros=[("GRIDWICK_BUILDING", "1"), ("NDEBUG", "1")],
                          extra_compile_args=["-O2"])
    ],
    cmdclass={"build_ext": build_ext},
    zip_safe=False,
)
