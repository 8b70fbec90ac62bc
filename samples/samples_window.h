// The window of varden_samples: the sides of a folder, the charts of the chosen side, the
// table of its samples and the table of those set aside. Samples are set aside and put back
// by moves that lose nothing (samples/sample_moves.h); the window follows the folder live.
#pragma once

#include "samples/sample_moves.h"
#include "samples/sample_sides.h"
#include "samples/side_samples.h"

#include <QMainWindow>
#include <QString>
#include <map>
#include <string>
#include <vector>

class FolderWatch;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class SideCharts;

class SamplesWindow : public QMainWindow {
public:
    explicit SamplesWindow(const std::string& folder, QWidget* parent = nullptr);

    // Shows side `row` of the side list (-1: none).
    void choose_side(int row);
    // Draws the sample of row `row` of the sample table on top.
    void choose_sample_row(int row);
    // Saves the charts as shown. 1 on success.
    int export_chart(const QString& path);
    // Sets the selected samples aside; puts the selected samples set aside back; undoes the
    // last of these. Each says in the window what it did or why not.
    void set_aside_selected();
    void put_back_selected();
    void undo_last_move();
    // Reads the folder again, keeping the side and the samples chosen.
    void reload();

    QTableWidget* sides_table() const { return sides_table_; }
    QTableWidget* samples_table() const { return samples_table_; }
    QTableWidget* set_aside_table() const { return set_aside_table_; }
    SideCharts* charts() const { return charts_; }
    QString message() const;

private:
    void fill_sides();
    void fill_samples();
    void fill_set_aside();
    void ask_and_export();
    void move_samples(QTableWidget* table, bool put_back);
    void show_moves(const std::vector<SampleMove>& moves, const QString& first_line);
    // Selects the rows of `file_names` (the last one current); none when none is shown.
    void select_samples(const std::vector<std::string>& file_names);
    void chart_context_menu(int index, QPoint global);
    std::vector<std::string> selected_names(QTableWidget* table) const;

    std::string folder_;
    std::vector<std::string> folder_names_;
    std::vector<SampleSide> sides_;
    SideSamples shown_side_;
    SideSamples shown_set_aside_;
    std::map<std::string, std::int32_t> distances_before_; // of the side, before the last move
    std::vector<SampleMove> last_moves_;                   // what Ctrl+Z undoes
    QTableWidget* sides_table_ = nullptr;
    QTableWidget* samples_table_ = nullptr;
    QTableWidget* set_aside_table_ = nullptr;
    SideCharts* charts_ = nullptr;
    QComboBox* view_box_ = nullptr;
    QPushButton* set_aside_button_ = nullptr;
    QPushButton* put_back_button_ = nullptr;
    QLabel* message_label_ = nullptr;
    QLabel* folder_label_ = nullptr;
    FolderWatch* watch_ = nullptr;
};
