#include "host/linux/settings_file.h"
#include "host/linux/settings_text.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string describe(const char* what, const std::string& path, int error) {
    return std::string(what) + " " + path + ": " + std::strerror(error);
}

std::string directoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".")
                                      : (slash == 0 ? std::string("/") : path.substr(0, slash));
}

// mkdir -p for the one or two levels that may be missing on a fresh account
// (~/.config itself, then zellik/).
bool makeDirectories(const std::string& directory, std::string* error) {
    struct stat info;
    if (stat(directory.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return true;
        *error = describe("cannot use settings directory", directory, ENOTDIR);
        return false;
    }
    const std::string parent = directoryOf(directory);
    if (parent != directory && !makeDirectories(parent, error))
        return false;
    // 0700: the same privacy a per-user registry hive has.
    if (mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) {
        *error = describe("cannot create settings directory", directory, errno);
        return false;
    }
    return true;
}

// The file a path names, through any symbolic links (a dotfile manager keeps
// the settings file as one): replacing that file keeps the links.
std::string linkTarget(std::string path) {
    char target[4096];
    for (int hops = 0; hops < 40; ++hops) {
        const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
        if (n < 0)
            break;
        target[n] = '\0';
        path = target[0] == '/' ? std::string(target) : directoryOf(path) + "/" + target;
    }
    return path;
}

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Both system values and the saver's value come from the one file, read
// afresh by each operation as each registry read opens its key afresh.
// Only the first read reports a file that cannot be read, so a run prints
// the problem once.
SettingsText parsedStore(bool reportErrors) {
    const std::string path = settingsFilePath();
    std::string text, error;
    if (path.empty() || !readSettingsFile(path, &text, &error)) {
        if (!error.empty() && reportErrors)
            std::fprintf(stderr, "zellik: %s; using the defaults\n", error.c_str());
        return SettingsText{};
    }
    return parseSettingsText(text);
}

// The idle time is read by the watcher alone, so its warning is printed by
// the watcher's read (each time the file changes), not by every saver run.
bool aboutIdleMinutes(const std::string& warning) {
    return warning.compare(0, std::strlen(kIdleMinutesName) + 2,
                           std::string("\"") + kIdleMinutesName + "\"") == 0;
}

void printWarnings(const SettingsText& parsed, const char* section, bool idleMinutes) {
    const std::string path = settingsFilePath();
    const std::string marker = std::string("[") + section + "]";
    for (const std::string& warning : parsed.warnings) {
        if (warning.find(marker) != std::string::npos && aboutIdleMinutes(warning) == idleMinutes)
            std::fprintf(stderr, "zellik: %s: %s\n", path.c_str(), warning.c_str());
    }
}

// Writes one value of the saver's section, keeping every other line.
bool writeSaverValue(const char* name, uint32_t value, std::string* error) {
    const std::string path = settingsFilePath();
    if (path.empty()) {
        *error = "cannot find the settings directory: neither XDG_CONFIG_HOME nor a home directory is set";
        return false;
    }
    std::string text;
    if (!readSettingsFile(path, &text, error))
        return false;
    // Written as the registry stores a DWORD: the unsigned 32-bit number.
    return replaceSettingsFile(path, setSettingsValue(text, kSaverSection, name, std::to_string(value)),
                               error);
}

} // namespace

std::string settingsFilePath() {
    // A relative XDG_CONFIG_HOME is invalid by the base-directory rules and
    // is ignored, as other programs ignore it.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/')
        return std::string(config) + "/zellik/zellik.ini";
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        const passwd* entry = getpwuid(getuid());
        home = entry != nullptr ? entry->pw_dir : nullptr;
    }
    if (home == nullptr || home[0] == '\0')
        return std::string();
    return std::string(home) + "/.config/zellik/zellik.ini";
}

bool readSettingsFile(const std::string& path, std::string* text, std::string* error) {
    text->clear();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return true;
        *error = describe("cannot read settings file", path, errno);
        return false;
    }
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) != 0) {
        if (n > 0)
            text->append(buffer, static_cast<size_t>(n));
        else if (errno != EINTR)
            break;
    }
    // The cause as the system gives it: a folder in the file's place is "Is a directory".
    const int failure = errno;
    close(fd);
    if (n < 0) {
        *error = describe("cannot read settings file", path, failure);
        return false;
    }
    return true;
}

bool replaceSettingsFile(const std::string& named, const std::string& text, std::string* error) {
    const std::string path = linkTarget(named);
    const std::string directory = directoryOf(path);
    if (!makeDirectories(directory, error))
        return false;
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(&temporary[0]);
    if (fd < 0) {
        *error = describe("cannot write settings in", directory, errno);
        return false;
    }
    // Keep the permissions a user gave the old file; a new one gets 0600 from mkstemp.
    struct stat old;
    if (stat(path.c_str(), &old) == 0)
        fchmod(fd, old.st_mode & 07777);
    bool ok = writeAll(fd, text);
    int failure = errno;
    if (ok && fsync(fd) != 0) {
        ok = false;
        failure = errno;
    }
    if (close(fd) != 0 && ok) {
        ok = false;
        failure = errno;
    }
    if (ok && rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
        failure = errno;
    }
    if (!ok) {
        unlink(temporary.c_str());
        *error = describe("cannot write settings file", path, failure);
        return false;
    }
    return true;
}

void readSystemSettings(SaverSettings* settings) {
    const SettingsText parsed = parsedStore(true);
    // A line too long to read belongs to no section: the first read names it.
    for (const std::string& line : parsed.skippedLines)
        std::fprintf(stderr, "zellik: %s: %s\n", settingsFilePath().c_str(), line.c_str());
    printWarnings(parsed, kSystemSection, false);
    applySystemSettings(parsed, settings);
}

void readSaverSettings(SaverSettings* settings) {
    const SettingsText parsed = parsedStore(false);
    printWarnings(parsed, kSaverSection, false);
    applySaverSettings(parsed, settings);
}

bool writeSaverSettings(const SaverSettings& settings, std::string* error) {
    return writeSaverValue(kUseMirrorsName, settings.useMirrors, error);
}

uint32_t readIdleMinutes() {
    const SettingsText parsed = parsedStore(true);
    printWarnings(parsed, kSaverSection, true);
    if (!parsed.hasIdleMinutes)
        return 0;
    if (parsed.idleMinutes > kMaxIdleMinutes) {
        std::fprintf(stderr, "zellik: %s: \"%s\" in [%s] is %u, more than %u minutes; using 0 (off)\n",
                     settingsFilePath().c_str(), kIdleMinutesName, kSaverSection, parsed.idleMinutes,
                     kMaxIdleMinutes);
        return 0;
    }
    return parsed.idleMinutes;
}

bool writeIdleMinutes(uint32_t minutes, std::string* error) {
    if (minutes > kMaxIdleMinutes) {
        *error = "an idle time of " + std::to_string(minutes) + " minutes is more than " +
                 std::to_string(kMaxIdleMinutes);
        return false;
    }
    return writeSaverValue(kIdleMinutesName, minutes, error);
}
