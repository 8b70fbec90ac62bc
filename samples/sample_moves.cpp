#include "samples/sample_moves.h"

#include "files/folder_files.h"
#include "formats/sample_names.h"
#include "samples/sample_sides.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Files compared byte for byte up to this size; a sample file has 1566 bytes.
constexpr std::size_t compare_limit = 1 << 20;

std::string reason_of(int error) {
    switch (error) {
    case ENOENT: return "no such file";
    case EXDEV: return "set_aside is on another file system (a move is never a copy)";
    case EACCES:
    case EPERM:
    case EROFS: return std::string("the folder cannot be changed (") + std::strerror(error) + ")";
    default: return std::strerror(error);
    }
}

// Gives `from` the name `to` unless `to` exists: 0 when done, the error otherwise. A file
// system that cannot rename without replacing gets a second name for the file, then loses
// the first: the file itself never moves between file systems and no file is replaced.
int rename_without_replacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno;
    if (::unlink(from.c_str()) != 0) {
        const int error = errno;
        ::unlink(to.c_str()); // the second name of the same file, not a copy
        return error;
    }
    return 0;
}

// The name as the user sees it beside `folder`: "set_aside/NAME" inside its set_aside folder.
std::string shown_name(const SampleMove& move, bool to) {
    const std::string& name = to ? move.to_name : move.from_name;
    const std::string& folder = to ? move.to_folder : move.from_folder;
    const std::string& other = to ? move.from_folder : move.to_folder;
    return folder == set_aside_folder(other) ? std::string(set_aside_folder_name) + "/" + name
                                             : name;
}

SampleMove refused(SampleMove move, const std::string& what, const std::string& why) {
    move.result = 0;
    move.message = "cannot " + what + " " + shown_name(move, false) + ": " + why;
    return move;
}

// Makes the move; `what` names it in a refusal.
SampleMove make_move(SampleMove move, const std::string& what) {
    const int error = rename_without_replacing(path_in(move.from_folder, move.from_name),
                                               path_in(move.to_folder, move.to_name));
    if (error == EEXIST) {
        std::vector<std::uint8_t> here, there;
        const bool same =
            read_file_bytes(path_in(move.from_folder, move.from_name), compare_limit, here) &&
            read_file_bytes(path_in(move.to_folder, move.to_name), compare_limit, there) &&
            here == there;
        return refused(move, what,
                       shown_name(move, true) + " exists already" +
                           (same ? " (with the same content)" : " with other content"));
    }
    if (error != 0)
        return refused(move, what, reason_of(error));
    move.result = 1;
    move.message = shown_name(move, false) + " -> " + shown_name(move, true);
    return move;
}

// A name of one file of the folder, and of a sample file.
bool sample_name_acceptable(const std::string& name) {
    std::string prefix;
    int number = 0;
    return name.find('/') == std::string::npos && split_sample_file_name(name, prefix, number);
}

// 1 when `path` is a regular file (not followed when it is a link).
bool regular_file(const std::string& path, int& error) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        error = errno;
        return false;
    }
    error = S_ISREG(status.st_mode) ? 0 : EINVAL;
    return error == 0;
}

} // namespace

std::string set_aside_folder(const std::string& folder) {
    return path_in(folder, set_aside_folder_name);
}

SampleMove set_aside_sample(const std::string& folder, const std::string& name) {
    const SampleMove move{folder, name, set_aside_folder(folder), name, 0, ""};
    const std::string what = "set aside";
    if (!sample_name_acceptable(name))
        return refused(move, what, "not the name of a sample file of the folder");
    int error = 0;
    if (!regular_file(path_in(folder, name), error))
        return refused(move, what, error == EINVAL ? "not a file" : reason_of(error));
    if (::mkdir(move.to_folder.c_str(), 0777) != 0 && errno != EEXIST)
        return refused(move, what, "set_aside cannot be made: " + reason_of(errno));
    struct stat status {};
    if (::stat(move.to_folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
        return refused(move, what, "set_aside is not a folder");
    return make_move(move, what);
}

SampleMove put_back_sample(const std::string& folder, const std::string& name) {
    SampleMove move{set_aside_folder(folder), name, folder, name, 0, ""};
    const std::string what = "put back";
    if (!sample_name_acceptable(name))
        return refused(move, what, "not the name of a sample file");
    int error = 0;
    if (!regular_file(path_in(move.from_folder, name), error))
        return refused(move, what, error == EINVAL ? "not a file" : reason_of(error));
    std::string prefix;
    int number = 0;
    split_sample_file_name(name, prefix, number);
    // Its own name, or the number a new sample would get, as often as another file takes
    // that number meanwhile.
    for (int tries = 0; tries < 100; ++tries) {
        if (tries > 0)
            move.to_name =
                sample_file_name(prefix, next_sample_number(prefix, list_folder(folder)));
        const SampleMove done = make_move(move, what);
        if (done.result == 1 || !file_exists(path_in(folder, move.to_name))) {
            SampleMove result = done;
            if (done.result == 1 && move.to_name != name)
                result.message += " (" + name + " is taken)";
            return result;
        }
    }
    return refused(move, what, "every free number was taken meanwhile");
}

SampleMove undo_sample_move(const SampleMove& done) {
    const SampleMove back{done.to_folder, done.to_name, done.from_folder, done.from_name, 0, ""};
    return make_move(back, "move back");
}

std::vector<std::string> set_aside_names(const std::string& folder, const std::string& prefix) {
    return side_file_names(prefix, list_folder(set_aside_folder(folder)));
}
