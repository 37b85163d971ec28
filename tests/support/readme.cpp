// readme: the README's figures for the tests (see readme.h).
#include "readme.h"

#include <fstream>
#include <regex>
#include <sstream>

const std::string& readme_text() {
    static const std::string text = [] {
        std::ifstream in(CAVE_README);
        std::stringstream raw;
        raw << in.rdbuf();
        return std::regex_replace(raw.str(), std::regex("\\s+"), " ");
    }();
    return text;
}

std::vector<std::vector<std::string>> readme_matches(const std::string& pattern) {
    std::vector<std::vector<std::string>> all;
    const std::string& text = readme_text();
    const std::regex expression(pattern);
    for (std::sregex_iterator it(text.begin(), text.end(), expression), end; it != end; ++it) {
        std::vector<std::string> groups;
        for (size_t i = 1; i < it->size(); i++)
            groups.push_back((*it)[i].str());
        all.push_back(groups);
    }
    return all;
}

std::vector<std::string> readme_match(const std::string& pattern) {
    const auto all = readme_matches(pattern);
    return all.empty() ? std::vector<std::string>() : all.front();
}

long long readme_number(const std::string& text) {
    std::string digits;
    for (char c : text)
        if (c != ',')
            digits += c;
    return digits.empty() ? 0 : std::stoll(digits);
}
