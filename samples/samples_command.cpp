#include "samples/samples_command.h"

#include "traffic/sample_files.h"

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

SamplesCommand parse_samples_command(const std::vector<std::string>& arguments) {
    SamplesCommand command;
    const std::string first_word = arguments.empty() ? "" : arguments[0];
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

std::string samples_help_text() {
    const std::string limit = std::to_string(wrong_image_distance);
    return "Usage: varden_samples [FOLDER]\n"
           "       varden_samples --list PREFIX [FOLDER]\n"
           "       varden_samples --png FILE PREFIX [FOLDER]\n"
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
           "Nothing is changed or deleted.\n"
           "\n"
           "The window lists the sides with their number of files. Choosing a side shows a\n"
           "chart of its samples (byte value over position, the envelope as a band) and a\n"
           "table of them with their distances; samples beyond " +
           limit +
           " are\n"
           "marked. Choosing a row draws that sample on top. Mouse wheel: zoom; drag: pan;\n"
           "double click: whole chart. File > Export chart as PNG saves the chart.\n"
           "\n"
           "  --list PREFIX      print one line per sample file of PREFIX, in the order of\n"
           "                     their numbers: the file name, one blank, the distance.\n"
           "                     Notes on files that are short or not sample buffers go to\n"
           "                     standard error; a file that cannot be read is left out and\n"
           "                     the exit status is 1 (also when no file of PREFIX exists).\n"
           "  --png FILE PREFIX  write the chart of the side PREFIX to FILE as PNG, without a\n"
           "                     screen.\n"
           "  --help             show this text.\n"
           "  --version          show the program name and version.\n";
}
