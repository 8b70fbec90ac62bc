#include "samples/samples_command.h"

#include "formats/sample_file.h"
#include "samples/sample_moves.h"

namespace {

bool is_option(const std::string& argument) {
    return argument.size() > 1 && argument[0] == '-';
}

SamplesCommand invalid(const std::string& error) {
    SamplesCommand command;
    command.mode = SamplesMode::invalid;
    command.error = error;
    return command;
}

} // namespace

SamplesCommand parse_samples_command(const std::vector<std::string>& words) {
    SamplesCommand command;
    const std::string first_word = words.empty() ? "" : words[0];
    if (first_word == "--set-aside" || first_word == "--put-back") {
        if (words.size() < 2)
            return invalid(first_word + " needs FILE");
        command.mode = first_word == "--put-back" ? SamplesMode::put_back : SamplesMode::set_aside;
        command.files.assign(words.begin() + 1, words.end());
        return command;
    }
    // "--list --set-aside PREFIX": the listing of the samples set aside.
    std::vector<std::string> arguments = words;
    command.set_aside = first_word == "--list" && words.size() > 1 && words[1] == "--set-aside";
    if (command.set_aside)
        arguments.erase(arguments.begin() + 1);
    std::size_t operands = 0; // the words the mode takes before the optional folder
    if (first_word == "--help" || first_word == "-h") {
        command.mode = SamplesMode::help;
    } else if (first_word == "--version") {
        command.mode = SamplesMode::version;
    } else if (first_word == "--list") {
        command.mode = SamplesMode::list;
        operands = 1;
    } else if (first_word == "--png") {
        command.mode = SamplesMode::png;
        operands = 2;
    } else if (is_option(first_word)) {
        return invalid("unknown option " + first_word);
    }

    const std::size_t first = command.mode == SamplesMode::window ? 0 : 1;
    const bool takes_folder =
        command.mode != SamplesMode::help && command.mode != SamplesMode::version;
    if (arguments.size() < first + operands)
        return invalid(first_word + " needs " + (operands == 1 ? "PREFIX" : "FILE and PREFIX"));
    if (arguments.size() > first + operands + (takes_folder ? 1 : 0))
        return invalid("too many arguments");
    if (command.mode == SamplesMode::list)
        command.prefix = arguments[1];
    if (command.mode == SamplesMode::png) {
        command.png_file = arguments[1];
        command.prefix = arguments[2];
    }
    if (takes_folder && arguments.size() == first + operands + 1)
        command.folder = arguments.back();
    return command;
}

int run_sample_moves(const SamplesCommand& command, std::ostream& out, std::ostream& errors) {
    int result = 0;
    for (const std::string& file : command.files) {
        const std::size_t slash = file.rfind('/');
        std::string folder = slash == std::string::npos ? "." : file.substr(0, slash);
        const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
        if (command.mode == SamplesMode::put_back) {
            // set_aside/NAME names the file as it lies there.
            const std::string inner = std::string("/") + set_aside_folder_name;
            if (folder == set_aside_folder_name)
                folder = ".";
            else if (folder.size() > inner.size() &&
                     folder.compare(folder.size() - inner.size(), inner.size(), inner) == 0)
                folder.resize(folder.size() - inner.size());
        }
        const SampleMove move = command.mode == SamplesMode::put_back
                                    ? put_back_sample(folder, name)
                                    : set_aside_sample(folder, name);
        (move.result == 1 ? out : errors)
            << (move.result == 1 ? "" : "varden_samples: ") << move.message << "\n";
        result = move.result == 1 ? result : 1;
    }
    return result;
}

std::string samples_help_text() {
    const std::string limit = std::to_string(wrong_image_distance);
    return "Usage: varden_samples [FOLDER]\n"
           "       varden_samples --list [--set-aside] PREFIX [FOLDER]\n"
           "       varden_samples --png FILE PREFIX [FOLDER]\n"
           "       varden_samples --set-aside FILE...\n"
           "       varden_samples --put-back FILE...\n"
           "\n"
           "Shows the sample files of banknote sides (PREFIX + number + \".bin\", for example\n"
           "USD.OLD_100_1_7.bin of the prefix USD.OLD_100_1_) in FOLDER, the working folder\n"
           "when none is given, against their envelope: the minimum and maximum per position\n"
           "over the ten lowest-numbered files 1..999 of the side, with which ornivex_control\n"
           "compares an arriving sample. The distance of a sample is the sum of the squares of\n"
           "its excursions beyond the envelope; above " +
           limit +
           " ornivex_control asks the technician.\n"
           "Fewer than ten files: nothing is compared and every distance is 0.\n"
           "Nothing is ever overwritten or deleted: a sample set aside moves into the\n"
           "sub-folder set_aside of its folder, where ornivex_control does not see it (it is\n"
           "out of the envelope of the next arriving sample and out of the next make), and\n"
           "can be put back.\n"
           "\n"
           "The window lists the sides with their number of files. Choosing a side shows a\n"
           "chart of its samples (byte value over position, the envelope as a band) and a\n"
           "table of them with their distances; samples beyond " +
           limit +
           " are\n"
           "marked. Choosing a row, or clicking a line of the chart, draws that sample on top\n"
           "with its excursions beyond the envelope. The channels are shown apart (byte\n"
           "5*i+ch is channel ch at position i) or in file order. Mouse wheel: zoom; drag:\n"
           "pan; double click: whole chart. Delete (or Set aside, or the context menu) sets\n"
           "the chosen samples aside; Put back returns them; Ctrl+Z undoes the last move.\n"
           "The window follows the folder as files arrive, change or go.\n"
           "\n"
           "  --list PREFIX      print one line per sample file of PREFIX, in the order of\n"
           "                     their numbers: the file name, one blank, the distance.\n"
           "                     Notes on files that are short or not sample buffers go to\n"
           "                     standard error; a file that cannot be read is left out and\n"
           "                     the exit status is 1 (also when no file of PREFIX exists).\n"
           "  --list --set-aside PREFIX\n"
           "                     the same for the samples of PREFIX set aside, with the\n"
           "                     distance each would have arriving now.\n"
           "  --png FILE PREFIX  write the chart of the side PREFIX to FILE as PNG, without a\n"
           "                     screen.\n"
           "  --set-aside FILE...\n"
           "                     move each sample file FILE into set_aside/ beside it, under\n"
           "                     its own name; prints where each went. A name taken there is\n"
           "                     refused.\n"
           "  --put-back FILE... move each file set aside (its name, or set_aside/NAME) back:\n"
           "                     under its own name, or as the next free number after the\n"
           "                     highest of its side when that name is taken again.\n"
           "  --help             show this text.\n"
           "  --version          show the program name and version.\n"
           "Exit status: 0 done, 1 a file could not be read or moved, 2 wrong usage.\n";
}
