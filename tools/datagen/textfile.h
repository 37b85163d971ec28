// textfile: small helpers for reading our text sources.
#pragma once
#include <string>
#include <vector>

/// The lines of a file without line ends; false if it cannot be read.
bool textfile_read_lines(const std::string& path, std::vector<std::string>& lines);

/// The line without leading and trailing blanks.
std::string textfile_trim(const std::string& s);

/// Splits a line into blank-separated words; a word in double quotes may
/// hold blanks (the quotes are removed).
std::vector<std::string> textfile_words(const std::string& line);

/// The *.txt files of a folder, sorted by name.
std::vector<std::string> textfile_list_dir(const std::string& dir, const std::string& suffix);

/// Parses RRGGBB (hex, without prefix); false if it is not a colour.
bool textfile_parse_rgb(const std::string& word, unsigned& rgb);
