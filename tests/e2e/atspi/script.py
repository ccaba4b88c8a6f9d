"""The scenario scripts: one step a line, read as tests/e2e/script/script.cpp
reads them for the Win32 driver and for tavrelic_expected."""

import os
import re

ESCAPES = {"n": "\n", "t": "\t", '"': '"', "\\": "\\"}


class ScriptError(Exception):
    pass


def split_line(line):
    """The words of a line. Words are separated by spaces or tabs; a word in
    double quotes may hold spaces and the escapes \\n, \\t, \\" and \\\\; an
    unquoted word is taken as it stands (so Windows paths keep their
    backslashes). Everything from an unquoted # on is a comment."""
    words, pos = [], 0
    while True:
        while pos < len(line) and line[pos] in " \t\r":
            pos += 1
        if pos >= len(line) or line[pos] == "#":
            return words
        if line[pos] != '"':
            end = pos
            while end < len(line) and line[end] not in " \t\r":
                end += 1
            words.append(line[pos:end])
            pos = end
            continue
        word, pos = read_quoted_word(line, pos + 1)
        words.append(word)


def read_quoted_word(line, pos):
    """The quoted word that starts after the opening quote at pos; returns it
    and the position after the closing quote."""
    word = ""
    while pos < len(line):
        c = line[pos]
        pos += 1
        if c == '"':
            return word, pos
        if c != "\\":
            word += c
            continue
        if pos >= len(line):
            break
        if line[pos] not in ESCAPES:
            raise ScriptError("unknown escape \\" + line[pos])
        word += ESCAPES[line[pos]]
        pos += 1
    raise ScriptError("unterminated quote")


def read_script(file_name):
    """The script's lines as (line number, words), blank and comment-only
    lines left out."""
    lines = []
    with open(file_name, encoding="utf-8") as script:
        for number, text in enumerate(script, 1):
            try:
                words = split_line(text.rstrip("\n"))
            except ScriptError as error:
                raise ScriptError("%s:%d: %s" % (file_name, number, error)) from None
            if words:
                lines.append((number, words))
    return lines


def expand_variables(text):
    """Replaces every %NAME% by the value of the environment variable NAME."""
    def value(match):
        if match.group(1) not in os.environ:
            raise ScriptError("the variable %s is not set" % match.group(1))
        return os.environ[match.group(1)]
    return re.sub(r"%([^%]*)%", value, text)


def expand_words(words):
    """A step's words with the variables of its arguments expanded."""
    return words[:1] + [expand_variables(word) for word in words[1:]]
