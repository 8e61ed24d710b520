"""Grading speed from Python against the command line on the benchmark set, in CPU seconds per puzzle.

usage: PYTHONPATH=build/python /usr/bin/python3 bench/python_grading.py build/gridwick
"""
import os
import resource
import subprocess
import sys
import tempfile
import time

import gridwick


def child_cpu():
    r = resource.getrusage(resource.RUSAGE_CHILDREN)
    return r.ru_utime + r.ru_stime


def main():
    cli = sys.argv[1]
    puzzles = gridwick.benchmark_puzzles()
    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
        f.write("\n".join(puzzles) + "\n")
    try:
        for label, args, call in [
            ("level only", [], lambda p: gridwick.grade(p, steps=False).level),
            ("steps (jsonl / dicts)", ["--format", "jsonl"], lambda p: gridwick.grade(p).steps),
        ]:
            best_cli = best_py = None
            for _ in range(3):
                c0 = child_cpu()
                subprocess.run([cli, "grade", "-q", *args, f.name], stdout=subprocess.DEVNULL, check=True)
                t = child_cpu() - c0
                best_cli = t if best_cli is None else min(best_cli, t)
                t0 = time.process_time()
                for p in puzzles:
                    call(p)
                t = time.process_time() - t0
                best_py = t if best_py is None else min(best_py, t)
            n = len(puzzles)
            print(f"{label}: command line {best_cli / n * 1e3:.3f} ms, Python {best_py / n * 1e3:.3f} ms per puzzle "
                  f"({best_py / best_cli:.2f}x)")
    finally:
        os.unlink(f.name)


if __name__ == "__main__":
    main()
