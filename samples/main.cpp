// varden_samples: the samples of the banknote sides in a folder against their envelope.
#include "files/folder_files.h"
#include "link/program_end.h"
#include "samples/sample_chart.h"
#include "samples/samples_command.h"
#include "samples/samples_window.h"
#include "varden_version.h"

#include <QApplication>
#include <csignal>
#include <iostream>

namespace {

// The chart of one side into a PNG file, on Qt's offscreen platform: no screen is needed.
int write_png(const SamplesCommand& command) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "varden_samples";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    if (!folder_readable(command.folder)) {
        std::cerr << "varden_samples: cannot read the folder " << command.folder << "\n";
        return 1;
    }
    const SideSamples side = load_side(command.folder, command.prefix, list_folder(command.folder));
    if (side.samples.empty()) {
        std::cerr << "varden_samples: no sample files " << command.prefix << "N.bin in "
                  << command.folder << "\n";
        return 1;
    }
    SideCharts charts;
    charts.show_side(&side);
    charts.resize(1400, 800);
    charts.setAttribute(Qt::WA_DontShowOnScreen);
    charts.show();
    QApplication::processEvents();
    if (!save_widget_png(charts, command.png_file)) {
        std::cerr << "varden_samples: cannot write " << command.png_file << "\n";
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    // A reader that went away fails the writes, which are checked, instead of ending us.
    std::signal(SIGPIPE, SIG_IGN);
    const SamplesCommand command =
        parse_samples_command(std::vector<std::string>(argv + 1, argv + argc));
    switch (command.mode) {
    case SamplesMode::invalid:
        std::cerr << "varden_samples: " << command.error << "\n"
                  << "Try 'varden_samples --help'.\n";
        return 2;
    case SamplesMode::help:
        std::cout << samples_help_text();
        return finish_standard_output("varden_samples", 0);
    case SamplesMode::version:
        std::cout << "varden_samples " << varden_version << "\n";
        return finish_standard_output("varden_samples", 0);
    case SamplesMode::list:
        return finish_standard_output("varden_samples",
                                      write_side_list(command.folder, command.prefix,
                                                      command.set_aside, std::cout, std::cerr));
    case SamplesMode::set_aside:
    case SamplesMode::put_back:
        return finish_standard_output("varden_samples",
                                      run_sample_moves(command, std::cout, std::cerr));
    case SamplesMode::png: return write_png(command);
    case SamplesMode::window: break;
    }
    QApplication application(argc, argv);
    SamplesWindow window(command.folder);
    window.show();
    return QApplication::exec();
}
