// readme: the figures the README gives, read from it, so that a test that
// works a figure out can fail when the README no longer says the program's.
#pragma once
#include <string>
#include <vector>

/// The README's text with every run of white space (line ends too) made one
/// space, so that a sentence is found however the lines are wrapped.
const std::string& readme_text();

/// The groups of the first match of `pattern` (an ECMAScript expression
/// matched against readme_text()); empty when the README has no match.
std::vector<std::string> readme_match(const std::string& pattern);

/// The groups of every match of `pattern`, in the README's order.
std::vector<std::vector<std::string>> readme_matches(const std::string& pattern);

/// A whole number as the README writes it ("445,424", "-7"); 0 if none.
long long readme_number(const std::string& text);
