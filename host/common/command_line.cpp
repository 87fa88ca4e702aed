#include "host/common/command_line.h"

namespace {

// Only the space separates words on a saver's command line; a tab is text.
bool isBlank(char c) {
    return c == ' ';
}

// The white space that the C library's atoi skips before a number.
bool isNumberSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

const char* skipProgramName(const char* p) {
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"')
            ++p;
    } else {
        while (*p != '\0' && !isBlank(*p))
            ++p;
    }
    // A missing closing quote leaves the whole line as the name.
    if (*p != '\0')
        ++p;
    return p;
}

const char* skipBlanksAndColons(const char* p) {
    while (isBlank(*p) || *p == ':')
        ++p;
    return p;
}

// atoi's reading: white space, an optional sign, then digits up to the first
// non-digit; no digits gives 0. Out-of-range numbers saturate to the 32-bit
// range instead of overflowing, since no window handle lies beyond it.
intptr_t readNumber(const char* p) {
    while (isNumberSpace(*p))
        ++p;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-')
        ++p;
    int64_t value = 0;
    const int64_t limit = INT64_C(2147483647) + (negative ? 1 : 0);
    while (*p >= '0' && *p <= '9') {
        value = value * 10 + (*p - '0');
        if (value > limit)
            value = limit;
        ++p;
    }
    return static_cast<intptr_t>(negative ? -value : value);
}

} // namespace

CommandLine parseCommandLine(const char* wholeLine) {
    CommandLine result{SaverMode::None, 0, false};
    const char* p = wholeLine != nullptr ? wholeLine : "";
    p = skipProgramName(p);
    while (isBlank(*p))
        ++p;
    if (*p == '\0') {
        result.mode = SaverMode::Configure;
        return result;
    }
    if (*p == '-' || *p == '/')
        ++p;
    const char letter = *p;
    switch (letter) {
    case 'A':
    case 'a':
        result.mode = SaverMode::ChangePassword;
        result.parentWindow = readNumber(skipBlanksAndColons(p + 1));
        break;
    case 'C':
    case 'c': {
        result.mode = SaverMode::Configure;
        const char* number = skipBlanksAndColons(p + 1);
        if (*number == '\0')
            result.ownerIsForeground = true;
        else
            result.parentWindow = readNumber(number);
        break;
    }
    case 'P':
    case 'p':
    case 'L':
    case 'l':
        result.mode = SaverMode::Preview;
        result.parentWindow = readNumber(skipBlanksAndColons(p + 1));
        break;
    case 'S':
    case 's':
        result.mode = SaverMode::FullScreen;
        break;
    default:
        break;
    }
    return result;
}
