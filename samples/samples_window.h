// The window of varden_samples: the sides of a folder, the chart of the chosen side, and the
// table of its samples. It only reads.
#pragma once

#include "samples/sample_sides.h"
#include "samples/side_samples.h"

#include <QMainWindow>
#include <QString>
#include <string>
#include <vector>

class QLabel;
class QTableWidget;
class SideCharts;

class SamplesWindow : public QMainWindow {
public:
    explicit SamplesWindow(const std::string& folder, QWidget* parent = nullptr);

    // Shows side `row` of the side list (-1: none).
    void choose_side(int row);
    // Draws the sample of row `row` of the sample table on top.
    void choose_sample_row(int row);
    // Saves the chart as shown. 1 on success.
    int export_chart(const QString& path);

    QTableWidget* sides_table() const { return sides_table_; }
    QTableWidget* samples_table() const { return samples_table_; }
    SideCharts* charts() const { return charts_; }

private:
    void fill_sides();
    void fill_samples();
    void ask_and_export();

    std::string folder_;
    std::vector<std::string> folder_names_;
    std::vector<SampleSide> sides_;
    SideSamples shown_side_;
    QTableWidget* sides_table_ = nullptr;
    QTableWidget* samples_table_ = nullptr;
    SideCharts* charts_ = nullptr;
    QLabel* folder_label_ = nullptr;
};
