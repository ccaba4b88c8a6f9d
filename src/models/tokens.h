// Words and numbers of the text formats (ASCII STL and PLY), read from a
// file's bytes without ever reading past them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "picture/byte_span.h"

// Where reading has come to in the bytes.
struct TextCursor {
    ByteSpan bytes;
    size_t at = 0;
};

// A run of bytes between blanks; empty at the end of the bytes.
struct Token {
    const uint8_t* begin = nullptr;
    size_t size = 0;
};

// The next token, after any blanks (spaces, tabs, line ends).
Token nextToken(TextCursor& cursor);

// The rest of the line, without its line end, and the cursor past that.
ByteSpan nextLine(TextCursor& cursor);

// True when the token is `word`, in any case of its ASCII letters.
bool tokenIs(Token token, const char* word);

// The token as a decimal number (a leading + allowed); false when it is
// none. Infinities and NaN come back as such, for the caller to refuse.
bool numberOf(Token token, double& value);

// The token as a whole decimal number from 0 to 2^63 - 1; false otherwise.
bool countOf(Token token, uint64_t& value);
