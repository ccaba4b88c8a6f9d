// The scenario scripts of the end-to-end tests: one step a line, read by the
// Win32 test driver (which performs the steps against tavrelic.exe) and by
// the native tool that writes the expected files (which replays the commands
// on the portable core). Both read the same file, so both run the same
// command sequence.
#pragma once

#include <string>
#include <vector>

struct ScriptLine {
    int number = 0;                  // 1-based line number in the file
    std::vector<std::string> words;  // UTF-8; words[0] is the step's name
};

// Splits one line into words. Words are separated by spaces or tabs; a word
// in double quotes may hold spaces and the escapes \n, \t, \" and \\; an
// unquoted word is taken as it stands (so Windows paths keep their
// backslashes). Everything from an unquoted # on is a comment. Returns false
// with a reason for an unterminated quote or an unknown escape.
bool splitScriptLine(const std::string& line, std::vector<std::string>& words, std::string& error);

// Reads a whole script; blank and comment-only lines are left out.
bool readScript(const std::string& fileName, std::vector<ScriptLine>& lines, std::string& error);

// Replaces every %NAME% by the value of the environment variable NAME;
// an unset variable is an error.
bool expandVariables(const std::string& text, std::string& expanded, std::string& error);

// Shows a text on one output line: line ends as \n, quotes escaped.
std::string quoted(const std::string& text);

// Reads a decimal integer word (an optional minus sign, then digits).
bool parseInteger(const std::string& word, long long& value);
