// textfile: line reading, word splitting and folder listing for the sources.
#include "textfile.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fstream>

bool textfile_read_lines(const std::string& path, std::vector<std::string>& lines) {
    std::ifstream in(path);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return true;
}

std::string textfile_trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos)
        return "";
    size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

std::vector<std::string> textfile_words(const std::string& line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            i++;
        } else if (line[i] == '"') {
            size_t end = line.find('"', i + 1);
            if (end == std::string::npos)
                end = line.size();
            words.push_back(line.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            size_t end = line.find_first_of(" \t", i);
            if (end == std::string::npos)
                end = line.size();
            words.push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return words;
}

std::vector<std::string> textfile_list_dir(const std::string& dir, const std::string& suffix) {
    std::vector<std::string> names;
    DIR* d = opendir(dir.c_str());
    if (!d)
        return names;
    while (dirent* e = readdir(d)) {
        std::string n = e->d_name;
        if (n.size() > suffix.size() &&
            n.compare(n.size() - suffix.size(), suffix.size(), suffix) == 0)
            names.push_back(dir + "/" + n);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

bool textfile_parse_rgb(const std::string& word, unsigned& rgb) {
    if (word.size() != 6)
        return false;
    char* end = nullptr;
    unsigned long v = std::strtoul(word.c_str(), &end, 16);
    if (*end != '\0')
        return false;
    rgb = static_cast<unsigned>(v);
    return true;
}
