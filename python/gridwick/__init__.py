"""Sudoku puzzles graded the way a person solves them: parse, check, grade, explain, hint, generate.

Puzzles are strings of 81 cells ('.' or '0' for an empty cell). Errors raise gridwick.Error (a ValueError).
"""
from ._core import (Error, Grading, Result, __version__, benchmark_puzzles, canonical, check, generate, grade, hint,
                    level_name, parse, signature)

__all__ = ["Error", "Grading", "Result", "benchmark_puzzles", "canonical", "check", "generate", "grade", "hint", "level_name",
           "parse", "signature", "__version__"]
