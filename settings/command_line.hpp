#pragma once

#include <cstddef>
#include <cxxopts.hpp>

// Real command lines are short. The option library matches every word with
// regular expressions whose recursion grows with the word's length, so a word
// of some ten thousand bytes overflows the stack; such words are refused first.
constexpr std::size_t max_command_line_word = 4096;

// Refuses a word longer than max_command_line_word, naming the option it
// belongs to, then lets the option library read the rest. Throws cxxopts
// exceptions.
cxxopts::ParseResult parse_command_line(cxxopts::Options& options, int argc, const char* const* argv);
