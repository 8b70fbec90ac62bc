#include "files/folder_files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string upper_cased(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Writes all `size` bytes, retrying short writes and interruptions.
bool write_all(int descriptor, const std::uint8_t* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(descriptor, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

std::string path_in(const std::string& folder, const std::string& name) {
    return folder + "/" + name;
}

std::vector<std::string> list_folder(const std::string& folder) {
    std::vector<std::string> names;
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr)
        return names;
    while (const dirent* entry = ::readdir(directory)) {
        const std::string name = entry->d_name;
        struct stat status {};
        if (::stat(path_in(folder, name).c_str(), &status) == 0 && S_ISREG(status.st_mode))
            names.push_back(name);
    }
    ::closedir(directory);
    return names;
}

std::vector<std::string> names_with_extension(const std::vector<std::string>& names,
                                              const std::string& extension) {
    std::vector<std::string> matching;
    for (const std::string& name : names) {
        if (name.size() >= extension.size() &&
            name.compare(name.size() - extension.size(), extension.size(), extension) == 0)
            matching.push_back(name);
    }
    std::sort(matching.begin(), matching.end(), [](const std::string& a, const std::string& b) {
        return upper_cased(a) < upper_cased(b);
    });
    return matching;
}

std::string listing_name(const std::string& file_name) {
    return file_name.substr(0, std::min<std::size_t>(file_name.find('.'), 30));
}

int leading_number(std::string_view name, int ceiling) {
    long long value = 0;
    for (std::size_t at = 0; at < name.size() && name[at] >= '0' && name[at] <= '9'; ++at)
        value = std::min<long long>(value * 10 + (name[at] - '0'), ceiling);
    return static_cast<int>(value);
}

int file_exists(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) ? 1 : 0;
}

int read_file_bytes(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return 0;
    bytes.resize(limit);
    std::size_t filled = 0;
    bool failed = false;
    while (filled < limit) {
        const ssize_t got = ::read(descriptor, bytes.data() + filled, limit - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            failed = true;
        if (got <= 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    ::close(descriptor);
    bytes.resize(failed ? 0 : filled);
    return failed ? 0 : 1;
}

int read_text_file(const std::string& path, std::string& text) {
    text.clear();
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return 0;
    char chunk[65536];
    int result = 1;
    while (true) {
        const ssize_t got = ::read(descriptor, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            result = 0;
        if (got <= 0)
            break;
        text.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(descriptor);
    if (result == 0)
        text.clear();
    return result;
}

int write_file_atomically(const std::string& path, const std::string& temporary_path,
                          const void* bytes, std::size_t size) {
    const int descriptor =
        ::open(temporary_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0)
        return 0;
    bool complete = write_all(descriptor, static_cast<const std::uint8_t*>(bytes), size);
    complete = ::fsync(descriptor) == 0 && complete;
    complete = ::close(descriptor) == 0 && complete;
    if (!complete) {
        ::unlink(temporary_path.c_str());
        return 0;
    }
    if (::rename(temporary_path.c_str(), path.c_str()) != 0) {
        ::unlink(temporary_path.c_str());
        return -1;
    }
    return 1;
}

int write_file_atomically(const std::string& path, const std::string& contents) {
    return write_file_atomically(path, path + temporary_suffix, contents.data(), contents.size());
}
