#include "script.h"

#include <cstdlib>
#include <fstream>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Reads the quoted word that starts at text[pos] == '"'; pos ends after the
// closing quote.
bool readQuotedWord(const std::string& text, size_t& pos, std::string& word, std::string& error) {
    ++pos;
    while (pos < text.size()) {
        const char c = text[pos++];
        if (c == '"') return true;
        if (c != '\\') {
            word += c;
            continue;
        }
        if (pos >= text.size()) break;
        const char escaped = text[pos++];
        switch (escaped) {
            case 'n': word += '\n'; break;
            case 't': word += '\t'; break;
            case '"': word += '"'; break;
            case '\\': word += '\\'; break;
            default: error = std::string("unknown escape \\") + escaped; return false;
        }
    }
    error = "unterminated quote";
    return false;
}

}  // namespace

bool splitScriptLine(const std::string& line, std::vector<std::string>& words, std::string& error) {
    words.clear();
    size_t pos = 0;
    while (true) {
        while (pos < line.size() && isBlank(line[pos])) ++pos;
        if (pos >= line.size() || line[pos] == '#') return true;
        std::string word;
        if (line[pos] == '"') {
            if (!readQuotedWord(line, pos, word, error)) return false;
        } else {
            while (pos < line.size() && !isBlank(line[pos])) word += line[pos++];
        }
        words.push_back(word);
    }
}

bool readScript(const std::string& fileName, std::vector<ScriptLine>& lines, std::string& error) {
    std::ifstream file(fileName, std::ios::binary);
    if (!file) {
        error = "cannot open " + fileName;
        return false;
    }
    lines.clear();
    std::string text;
    int number = 0;
    while (std::getline(file, text)) {
        ++number;
        ScriptLine line;
        line.number = number;
        if (!splitScriptLine(text, line.words, error)) {
            error = fileName + ":" + std::to_string(number) + ": " + error;
            return false;
        }
        if (!line.words.empty()) lines.push_back(line);
    }
    return true;
}

bool expandVariables(const std::string& text, std::string& expanded, std::string& error) {
    expanded.clear();
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t start = text.find('%', pos);
        if (start == std::string::npos) break;
        const size_t end = text.find('%', start + 1);
        if (end == std::string::npos) break;
        const std::string name = text.substr(start + 1, end - start - 1);
        const char* value = std::getenv(name.c_str());
        if (value == nullptr) {
            error = "the variable " + name + " is not set";
            return false;
        }
        expanded += text.substr(pos, start - pos);
        expanded += value;
        pos = end + 1;
    }
    expanded += text.substr(pos);
    return true;
}

std::string quoted(const std::string& text) {
    std::string shown = "\"";
    for (const char c : text) {
        if (c == '\n') shown += "\\n";
        else if (c == '\r') shown += "\\r";
        else if (c == '"') shown += "\\\"";
        else if (c == '\\') shown += "\\\\";
        else shown += c;
    }
    return shown + "\"";
}

bool parseInteger(const std::string& word, long long& value) {
    if (word.empty() || word.size() > 18) return false;
    size_t pos = word[0] == '-' ? 1 : 0;
    if (pos == word.size()) return false;
    long long magnitude = 0;
    for (; pos < word.size(); ++pos) {
        if (word[pos] < '0' || word[pos] > '9') return false;
        magnitude = magnitude * 10 + (word[pos] - '0');
    }
    value = word[0] == '-' ? -magnitude : magnitude;
    return true;
}
