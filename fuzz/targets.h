// The bodies of the fuzz targets, shared by the libFuzzer programs and by the
// test that replays fuzz/regressions/ in every build. Each takes any bytes
// and traps (__builtin_trap) when a property it checks does not hold.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gw::fuzz {

// Any bytes through the puzzle reader, handed over in pieces of a size the
// first byte chooses (so that lines and records straddle every read), as
// `grade` gets them from a file or a pipe.
void Reader(const std::uint8_t* data, std::size_t size);

// One rung of the ladder, chosen by the first byte, on a candidate state made
// from the rest: a puzzle (81 cell characters) or two bytes per cell.
void Grader(const std::uint8_t* data, std::size_t size);

// The input path of `merge` and `print`: the bytes as a file named by the
// first byte (a stored file of any target and level, or a plain file), read
// a puzzle at a time; the first puzzles read are solved.
void Stored(const std::uint8_t* data, std::size_t size);

// The canonical form of a grid of 17 givens or more, none twice in a unit:
// the same for any disguise of it (drawn from the bytes after the cells),
// and a fixed point.
void Canonical(const std::uint8_t* data, std::size_t size);

}  // namespace gw::fuzz
