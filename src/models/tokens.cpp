#include "models/tokens.h"

#include <cctype>
#include <charconv>

namespace {

bool isBlank(uint8_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

const char* charsOf(const uint8_t* bytes) {
    return reinterpret_cast<const char*>(bytes);
}

}  // namespace

Token nextToken(TextCursor& cursor) {
    const ByteSpan bytes = cursor.bytes;
    while (cursor.at < bytes.size && isBlank(bytes.data[cursor.at])) ++cursor.at;
    const size_t begin = cursor.at;
    while (cursor.at < bytes.size && !isBlank(bytes.data[cursor.at])) ++cursor.at;
    return Token{bytes.data + begin, cursor.at - begin};
}

ByteSpan nextLine(TextCursor& cursor) {
    const ByteSpan bytes = cursor.bytes;
    const size_t begin = cursor.at;
    while (cursor.at < bytes.size && bytes.data[cursor.at] != '\n') ++cursor.at;
    size_t end = cursor.at;
    if (cursor.at < bytes.size) ++cursor.at;
    if (end > begin && bytes.data[end - 1] == '\r') --end;
    return ByteSpan{bytes.data + begin, end - begin};
}

bool tokenIs(Token token, const char* word) {
    size_t i = 0;
    for (; i < token.size && word[i] != '\0'; ++i)
        if (std::tolower(token.begin[i]) != std::tolower(static_cast<unsigned char>(word[i]))) return false;
    return i == token.size && word[i] == '\0';
}

bool numberOf(Token token, double& value) {
    const char* begin = charsOf(token.begin);
    const char* end = begin + token.size;
    // from_chars takes no leading plus sign, which some writers put before
    // every number.
    if (begin != end && *begin == '+') {
        ++begin;
        if (begin != end && *begin == '-') return false;
    }
    const std::from_chars_result result = std::from_chars(begin, end, value);
    return result.ec == std::errc() && result.ptr == end && begin != end;
}

bool countOf(Token token, uint64_t& value) {
    const char* begin = charsOf(token.begin);
    const char* end = begin + token.size;
    const std::from_chars_result result = std::from_chars(begin, end, value);
    return result.ec == std::errc() && result.ptr == end && begin != end && value <= 0x7FFFFFFFFFFFFFFFu;
}
