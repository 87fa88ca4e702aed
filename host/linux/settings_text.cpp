#include "host/linux/settings_text.h"

#include <ini.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

const char kSystemSection[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
const char kSaverSection[] = "Software\\Quent\\Dunmere";
const char kPasswordDelayName[] = "Password Delay";
const char kMouseThresholdName[] = "Mouse Threshold";
const char kUseMirrorsName[] = "UseMirrors";
const char kIdleMinutesName[] = "IdleMinutes";

namespace {

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Registry key and value names ignore case; the file that stands in for the
// registry does the same, so a hand-edited "usemirrors" still counts.
bool sameName(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string trimmed(const std::string& s) {
    size_t begin = 0, end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.substr(begin, end - begin);
}

struct ValueSlot {
    const char* section;
    const char* name;
    uint32_t defaultValue;
    bool SettingsText::*present;
    uint32_t SettingsText::*value;
};

const ValueSlot kSlots[] = {
    {kSystemSection, kPasswordDelayName, kDefaultPasswordDelay, &SettingsText::hasPasswordDelay,
     &SettingsText::passwordDelay},
    {kSystemSection, kMouseThresholdName, static_cast<uint32_t>(kDefaultMouseThreshold),
     &SettingsText::hasMouseThreshold, &SettingsText::mouseThreshold},
    {kSaverSection, kUseMirrorsName, kDefaultUseMirrors, &SettingsText::hasUseMirrors,
     &SettingsText::useMirrors},
    {kSaverSection, kIdleMinutesName, 0, &SettingsText::hasIdleMinutes, &SettingsText::idleMinutes},
};

// The INI library keeps at most 49 characters of a section name, and the
// system key "Software\Microsoft\Windows\CurrentVersion\Screen Savers" has
// 56. So every section header reaches the library as a short number, and the
// handler looks the real name up again.
struct ParseState {
    SettingsText* parsed;
    std::vector<std::string> sections;
};

int onIniValue(void* user, const char* section, const char* name, const char* value) {
    ParseState& state = *static_cast<ParseState*>(user);
    SettingsText& parsed = *state.parsed;
    const size_t index = static_cast<size_t>(std::strtoul(section, nullptr, 10));
    const std::string sectionText =
        section[0] != '\0' && index < state.sections.size() ? state.sections[index] : "";
    const std::string nameText = name;
    for (const ValueSlot& slot : kSlots) {
        if (!sameName(sectionText, slot.section) || !sameName(nameText, slot.name))
            continue;
        uint32_t number = 0;
        // The last occurrence counts, as the last write to a registry value
        // would; an unreadable one therefore brings the default back.
        const bool readable = parseInt32Value(value, &number);
        parsed.*slot.present = readable;
        parsed.*slot.value = readable ? number : 0;
        if (!readable) {
            char line[512];
            std::snprintf(line, sizeof line, "\"%s\" in [%s] is \"%.80s\", not a 32-bit integer; using %ld",
                          slot.name, slot.section, value,
                          slot.value == &SettingsText::mouseThreshold
                              ? static_cast<long>(static_cast<int32_t>(slot.defaultValue))
                              : static_cast<long>(slot.defaultValue));
            parsed.warnings.push_back(line);
        }
    }
    return 1; // keep going: one bad line must not hide the values after it
}

// Longer lines do not fit the INI library's line buffer, which would read
// the rest as a line of its own; both the reader and the writer skip them.
// The length leaves the line end out, so a last line that the writer ends
// stays what it was.
constexpr size_t kLongestLine = 190;

bool tooLong(const std::string& line) {
    size_t length = line.size();
    if (length > 0 && line[length - 1] == '\n')
        --length;
    if (length > 0 && line[length - 1] == '\r')
        --length;
    return length > kLongestLine;
}

// A line as the INI library sees it, so that the writer changes exactly the
// value the reader reads and nothing around it.
struct IniLine {
    enum Kind { Blank, Comment, Continuation, Section, Value, Error, TooLong } kind = Blank;
    std::string name;                    // Section: its name; Value: the value's name
    size_t valueBegin = 0, valueEnd = 0; // Value: where the value's text lies
};

// Stops at one of chars (any when chars is null) or at an inline comment:
// a ';' right after white space.
size_t findCharsOrComment(const std::string& line, size_t from, size_t to, const char* chars) {
    bool afterSpace = false;
    size_t i = from;
    for (; i < to; ++i) {
        const char c = line[i];
        if ((chars != nullptr && std::strchr(chars, c) != nullptr) || (afterSpace && c == ';'))
            break;
        afterSpace = isBlank(c);
    }
    return i;
}

// Reads lines in order with the library's state: whether a value line has
// been seen since the last section header. Only then is an indented line a
// continuation of that value (and a byte-order mark counts on line one only).
struct IniScanner {
    bool firstLine = true;
    bool afterValue = false;

    IniLine next(const std::string& line) {
        IniLine result;
        const size_t begin = firstLine && line.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
        firstLine = false;
        if (tooLong(line)) {
            result.kind = IniLine::TooLong;
            return result;
        }
        size_t end = line.size();
        while (end > begin && isBlank(line[end - 1]))
            --end;
        size_t start = begin;
        while (start < end && isBlank(line[start]))
            ++start;
        if (start == end) {
            result.kind = IniLine::Blank;
        } else if (line[start] == ';' || line[start] == '#') {
            result.kind = IniLine::Comment;
        } else if (afterValue && start > 0) {
            result.kind = IniLine::Continuation;
        } else if (line[start] == '[') {
            const size_t close = findCharsOrComment(line, start + 1, end, "]");
            result.kind = close < end ? IniLine::Section : IniLine::Error;
            if (close < end) {
                result.name = line.substr(start + 1, close - start - 1);
                afterValue = false;
            }
        } else {
            const size_t separator = findCharsOrComment(line, start, end, "=:");
            if (separator == end || line[separator] == ';') {
                result.kind = IniLine::Error;
                return result;
            }
            result.kind = IniLine::Value;
            result.name = trimmed(line.substr(start, separator - start));
            size_t valueBegin = separator + 1;
            while (valueBegin < end && isBlank(line[valueBegin]))
                ++valueBegin;
            size_t valueEnd = findCharsOrComment(line, valueBegin, end, nullptr);
            while (valueEnd > valueBegin && isBlank(line[valueEnd - 1]))
                --valueEnd;
            result.valueBegin = valueBegin;
            result.valueEnd = valueEnd;
            afterValue = !result.name.empty();
        }
        return result;
    }
};

// The text up to its first NUL, where the INI library stops, as lines with
// their line ends; rest gets the NUL and everything after it.
std::vector<std::string> splitLines(const std::string& text, std::string* rest) {
    const size_t nul = text.find('\0');
    const std::string body = text.substr(0, nul);
    *rest = nul == std::string::npos ? std::string() : text.substr(nul);
    std::vector<std::string> lines;
    size_t begin = 0;
    while (begin < body.size()) {
        size_t end = body.find('\n', begin);
        end = end == std::string::npos ? body.size() : end + 1;
        lines.push_back(body.substr(begin, end - begin));
        begin = end;
    }
    return lines;
}

// Whether the first line from `from` on that the reader does not skip is
// indented: after a new value it would turn into that value's continuation.
// (Only an indented section header can be there: anything else indented
// would have counted as part of the section.)
bool indentedLineFollows(const std::vector<std::string>& lines, size_t from) {
    for (size_t i = from; i < lines.size(); ++i) {
        const std::string content = trimmed(lines[i]);
        if (content.empty() || content[0] == ';' || content[0] == '#' || tooLong(lines[i]))
            continue;
        return isBlank(lines[i][0]);
    }
    return false;
}

} // namespace

bool parseInt32Value(const std::string& text, uint32_t* out) {
    const std::string s = trimmed(text);
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    int base = 10;
    if (!negative && i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == s.size())
        return false;
    uint64_t magnitude = 0;
    for (; i < s.size(); ++i) {
        const char c = lowerAscii(s[i]);
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return false;
        magnitude = magnitude * base + digit;
        if (magnitude > 0xFFFFFFFFull)
            return false;
    }
    if (negative && magnitude > 0x80000000ull)
        return false;
    *out = negative ? static_cast<uint32_t>(0u - static_cast<uint32_t>(magnitude))
                    : static_cast<uint32_t>(magnitude);
    return true;
}

SettingsText parseSettingsText(const std::string& text) {
    SettingsText parsed;
    ParseState state{&parsed, {}};
    std::string rest, aliased;
    IniScanner scanner;
    for (const std::string& line : splitLines(text, &rest)) {
        const IniLine kind = scanner.next(line);
        if (kind.kind == IniLine::Section) {
            aliased += "[" + std::to_string(state.sections.size()) + "]\n";
            state.sections.push_back(kind.name);
        } else if (kind.kind == IniLine::TooLong) {
            aliased += "\n";
            parsed.skippedLines.push_back("a line longer than " + std::to_string(kLongestLine) +
                                          " characters is ignored: \"" + line.substr(0, 40) + "...\"");
        } else {
            aliased += line;
        }
    }
    ini_parse_string(aliased.c_str(), onIniValue, &state);
    return parsed;
}

void applySystemSettings(const SettingsText& parsed, SaverSettings* settings) {
    settings->passwordDelay = kDefaultPasswordDelay;
    settings->mouseThreshold = kDefaultMouseThreshold;
    settings->checkingPassword = 0;
    if (parsed.hasPasswordDelay)
        settings->passwordDelay = parsed.passwordDelay;
    if (parsed.hasMouseThreshold)
        settings->mouseThreshold = static_cast<int32_t>(parsed.mouseThreshold);
}

void applySaverSettings(const SettingsText& parsed, SaverSettings* settings) {
    settings->useMirrors = kDefaultUseMirrors;
    if (parsed.hasUseMirrors)
        settings->useMirrors = parsed.useMirrors;
}

std::string setSettingsValue(const std::string& text, const std::string& section, const std::string& name,
                             const std::string& value) {
    std::string rest;
    const std::vector<std::string> lines = splitLines(text, &rest);
    const bool crlf =
        !lines.empty() && lines[0].size() >= 2 && lines[0].compare(lines[0].size() - 2, 2, "\r\n") == 0;
    const std::string newline = crlf ? "\r\n" : "\n";

    std::vector<std::string> out;
    IniScanner scanner;
    bool inSection = false, replaced = false;
    // After the last line of the wanted section that the reader takes as part
    // of a value: a new value placed there cannot swallow an indented line
    // below it as its continuation.
    size_t insertAt = std::string::npos;
    bool dropContinuations = false; // the lines that continue a replaced value go with it
    for (const std::string& lineText : lines) {
        const IniLine line = scanner.next(lineText);
        if (line.kind == IniLine::Continuation && dropContinuations)
            continue;
        if (line.kind == IniLine::Section || line.kind == IniLine::Value)
            dropContinuations = false; // the reader's continuation ends only here
        if (line.kind == IniLine::Section) {
            inSection = sameName(line.name, section.c_str());
            out.push_back(lineText);
            if (inSection)
                insertAt = out.size();
            continue;
        }
        if (inSection && line.kind == IniLine::Value && sameName(line.name, name.c_str())) {
            out.push_back(lineText.substr(0, line.valueBegin) + value + lineText.substr(line.valueEnd));
            replaced = true;
            dropContinuations = true;
            insertAt = out.size();
            continue;
        }
        out.push_back(lineText);
        if (inSection && (line.kind == IniLine::Value || line.kind == IniLine::Continuation ||
                          line.kind == IniLine::Error))
            insertAt = out.size();
    }
    if (!out.empty() && out.back().back() != '\n')
        out.back() += newline;
    if (!replaced) {
        const std::string entry = name + "=" + value + newline;
        if (insertAt != std::string::npos && !indentedLineFollows(out, insertAt)) {
            out.insert(out.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
        } else {
            if (!out.empty())
                out.push_back(newline);
            // A section of the same name again: the reader merges them.
            out.push_back("[" + section + "]" + newline);
            out.push_back(entry);
        }
    }
    std::string result;
    for (const std::string& line : out)
        result += line;
    return result + rest;
}
