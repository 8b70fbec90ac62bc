// Setting sample files aside and putting them back: a sample set aside moves into the
// sub-folder "set_aside" of its folder under its own name, where the control program's
// listings do not see it (it is out of the envelope of the next arriving sample and out of the
// next make). Every move is one rename within one file system that never replaces a file;
// nothing is copied, overwritten or deleted, and a move that cannot be made changes nothing.
#pragma once

#include <string>
#include <vector>

inline constexpr const char* set_aside_folder_name = "set_aside";

// One move done (or refused): from `from_name` in `from_folder` to `to_name` in `to_folder`.
struct SampleMove {
    std::string from_folder;
    std::string from_name;
    std::string to_folder;
    std::string to_name;
    int result = 0; // 1 done, 0 refused (nothing changed)
    // Done: where the file went ("A_1_7.bin -> set_aside/A_1_7.bin"); refused: what and why
    // ("cannot set aside A_1_7.bin: the file is gone").
    std::string message;
};

// `folder` + "/set_aside".
std::string set_aside_folder(const std::string& folder);

// Moves the sample file `name` of `folder` into its set_aside folder (made when missing),
// under the same name. Refused when the name is not a sample file name of the folder, the
// file is gone, the name is taken in set_aside (whatever that file holds), or the rename fails
// (a read-only folder, another file system).
SampleMove set_aside_sample(const std::string& folder, const std::string& name);

// Moves the file `name` of the set_aside folder back into `folder`: under its own name, or,
// when that name is taken, as the next free number after the highest of its side in `folder`
// (the message then says which name it got).
SampleMove put_back_sample(const std::string& folder, const std::string& name);

// Undoes `done` (a move that was made): the file goes back where it came from, under the name
// it had. Refused, changing nothing, when that name is taken meanwhile or the file is gone.
SampleMove undo_sample_move(const SampleMove& done);

// The sample files of `prefix` set aside in `folder`, ordered by number.
std::vector<std::string> set_aside_names(const std::string& folder, const std::string& prefix);
