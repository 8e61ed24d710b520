# The sources of the engine, of the explanations and of the runs, one file a
# line, in one place for every build that compiles them: the main build, the library (lib/),
# the web page (web/) and the Python module (setup.py reads this file too).
# A new file of the engine is one more line here. Paths are relative to the
# top of the tree.
set(GRIDWICK_ENGINE_SOURCES
  model/canonical.cpp
  model/state.cpp
  techniques/fish.cpp
  techniques/elementary/claiming.cpp
  techniques/elementary/pointing.cpp
  techniques/elementary/singles.cpp
  techniques/elementary/subsets.cpp
  techniques/intermediate/conjugate_loop.cpp
  techniques/intermediate/empty_rectangle.cpp
  techniques/intermediate/kite_skyscraper.cpp
  techniques/intermediate/simple_colouring.cpp
  techniques/intermediate/xwing_swordfish.cpp
  techniques/intermediate/xy_wing.cpp
  techniques/intermediate/xyz_wing.cpp
  techniques/advanced/3d_medusa.cpp
  techniques/advanced/aligned_pair_exclusion.cpp
  techniques/advanced/alternating_inference_chain.cpp
  techniques/advanced/avoidable_rectangle.cpp
  techniques/advanced/bug_plus_one.cpp
  techniques/advanced/finned_xwing.cpp
  techniques/advanced/jellyfish.cpp
  techniques/advanced/multi_colouring.cpp
  techniques/advanced/pair_exclusion.cpp
  techniques/advanced/sue_de_coq.cpp
  techniques/advanced/unique_rectangle.cpp
  techniques/advanced/wxyz_wing.cpp
  techniques/advanced/x_cycle.cpp
  techniques/expert/aligned_triple_exclusion.cpp
  techniques/expert/aligned_triple_groups.cpp
  techniques/expert/als_xz.cpp
  techniques/expert/forcing_chain.cpp
  techniques/expert/four_digit_row_count.cpp
  techniques/expert/xy_chain.cpp
  grader/grader.cpp
  grader/signature.cpp
  grader/score.cpp
  grader/trial_explain.cpp
  generator/bench_set.cpp
  generator/generator.cpp
  generator/hunt.cpp
  generator/near_copies.cpp
  generator/solution_count.cpp
  output/reader.cpp
  output/replacing_file.cpp
  output/stored.cpp
  output/targets.cpp
)

set(GRIDWICK_EXPLAIN_SOURCES
  explain/explain.cpp
  explain/html.cpp
  explain/unusable.cpp
)

# The runs: what the front ends do, built on the engine (generation runs,
# grading jobs). No front end's code.
set(GRIDWICK_RUNS_SOURCES
  runs/generation.cpp
  runs/grading.cpp
  runs/merge.cpp
)
