#include "samples/samples_window.h"

#include "files/folder_files.h"
#include "samples/sample_chart.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>

namespace {

const QColor beyond_limit_background(255, 205, 160);
const QColor note_background(235, 235, 235);
enum SampleColumn { file_column, number_column, distance_column, mark_column, note_column };

QTableWidget* make_table(const QStringList& headers, QWidget* parent) {
    auto* table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    table->setHorizontalHeaderLabels(headers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

QTableWidgetItem* text_item(const QString& text) {
    return new QTableWidgetItem(text);
}

// Numbers sort as numbers, not as texts.
QTableWidgetItem* number_item(long long value) {
    auto* item = new QTableWidgetItem;
    item->setData(Qt::DisplayRole, value);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace

SamplesWindow::SamplesWindow(const std::string& folder, QWidget* parent)
    : QMainWindow(parent), folder_(folder) {
    setWindowTitle("VARDEN samples - " + QFile::decodeName(folder.c_str()));
    sides_table_ = make_table({"Prefix", "Name", "Ext", "Nominal", "Side", "Files"}, this);
    samples_table_ = make_table({"File", "Number", "Distance", "Mark", "Note"}, this);
    chart_view_ = new ZoomableChartView(this);

    auto* right = new QSplitter(Qt::Vertical, this);
    right->addWidget(chart_view_);
    right->addWidget(samples_table_);
    right->setStretchFactor(0, 3);
    right->setStretchFactor(1, 2);
    auto* main = new QSplitter(Qt::Horizontal, this);
    main->addWidget(sides_table_);
    main->addWidget(right);
    main->setSizes({400, 880});
    setCentralWidget(main);

    QMenu* file_menu = menuBar()->addMenu("&File");
    file_menu->addAction("&Export chart as PNG...", QKeySequence(Qt::CTRL | Qt::Key_E), this,
                         [this] { ask_and_export(); });
    file_menu->addAction("&Quit", QKeySequence::Quit, this, [this] { close(); });
    folder_label_ = new QLabel(this);
    statusBar()->addWidget(folder_label_, 1);

    // A click into another column of the same side reads nothing again.
    connect(sides_table_, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int previous_row) {
                if (row != previous_row)
                    choose_side(row);
            });
    connect(samples_table_, &QTableWidget::currentCellChanged, this,
            [this](int row) { choose_sample_row(row); });
    fill_sides();
    resize(1280, 860);
}

void SamplesWindow::fill_sides() {
    const QString shown_folder = QFile::decodeName(folder_.c_str());
    if (!folder_readable(folder_)) {
        folder_label_->setText("Cannot read the folder " + shown_folder);
        return;
    }
    folder_names_ = list_folder(folder_);
    sides_ = sample_sides_of(folder_names_);
    folder_label_->setText(
        sides_.empty()
            ? "No sample files in " + shown_folder
            : QString("Sides with sample files: %1, in %2").arg(sides_.size()).arg(shown_folder));
    sides_table_->setRowCount(static_cast<int>(sides_.size()));
    for (int row = 0; row < static_cast<int>(sides_.size()); ++row) {
        const SampleSide& side = sides_[static_cast<std::size_t>(row)];
        const PrefixFields fields = prefix_fields(side.prefix);
        sides_table_->setItem(row, 0, text_item(QFile::decodeName(side.prefix.c_str())));
        sides_table_->setItem(row, 1, text_item(QFile::decodeName(fields.name.c_str())));
        sides_table_->setItem(row, 2, text_item(QFile::decodeName(fields.ext.c_str())));
        sides_table_->setItem(row, 3, text_item(QFile::decodeName(fields.nominal.c_str())));
        sides_table_->setItem(row, 4, text_item(QFile::decodeName(fields.side.c_str())));
        sides_table_->setItem(row, 5, number_item(static_cast<long long>(side.file_names.size())));
    }
    sides_table_->resizeColumnsToContents();
    if (!sides_.empty())
        sides_table_->setCurrentCell(0, 0);
}

void SamplesWindow::choose_side(int row) {
    if (row < 0 || row >= static_cast<int>(sides_.size())) {
        shown_side_ = {};
    } else {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        shown_side_ =
            load_side(folder_, sides_[static_cast<std::size_t>(row)].prefix, folder_names_);
        QApplication::restoreOverrideCursor();
    }
    QChart* old_chart = chart_view_->chart();
    chart_view_->setChart(make_side_chart(shown_side_));
    delete old_chart;
    fill_samples();
}

void SamplesWindow::fill_samples() {
    samples_table_->setSortingEnabled(false);
    samples_table_->clearContents();
    samples_table_->setRowCount(static_cast<int>(shown_side_.samples.size()));
    for (int row = 0; row < static_cast<int>(shown_side_.samples.size()); ++row) {
        const SideSample& sample = shown_side_.samples[static_cast<std::size_t>(row)];
        const bool beyond = beyond_limit(sample.distance);
        const QString note = QString::fromStdString(sample_file_note(sample.file));
        auto* name = text_item(QFile::decodeName(sample.file_name.c_str()));
        name->setData(Qt::UserRole, row); // the sample's index, whatever the sorting
        samples_table_->setItem(row, file_column, name);
        samples_table_->setItem(row, number_column, number_item(sample.number));
        // A file that could not be read has no distance, not a distance of 0.
        const bool unreadable = sample.file.state == SampleFileState::unreadable;
        samples_table_->setItem(row, distance_column,
                                unreadable ? text_item("") : number_item(sample.distance));
        samples_table_->setItem(
            row, mark_column,
            text_item(beyond ? QString("beyond %1").arg(wrong_image_distance) : QString()));
        samples_table_->setItem(row, note_column, text_item(note));
        for (int column = file_column; column <= note_column; ++column) {
            if (beyond)
                samples_table_->item(row, column)->setBackground(beyond_limit_background);
            else if (!note.isEmpty())
                samples_table_->item(row, column)->setBackground(note_background);
        }
    }
    samples_table_->setSortingEnabled(true);
    samples_table_->sortItems(number_column, Qt::AscendingOrder);
    samples_table_->resizeColumnsToContents();
}

void SamplesWindow::choose_sample_row(int row) {
    const QTableWidgetItem* name = row < 0 ? nullptr : samples_table_->item(row, file_column);
    show_chosen_sample(chart_view_->chart(), shown_side_,
                       name == nullptr ? -1 : name->data(Qt::UserRole).toInt());
}

int SamplesWindow::export_chart(const QString& path) {
    return save_chart_png(*chart_view_, QFile::encodeName(path).toStdString());
}

void SamplesWindow::ask_and_export() {
    const QString suggested =
        QFile::decodeName(path_in(folder_, shown_side_.prefix + "chart.png").c_str());
    const QString path =
        QFileDialog::getSaveFileName(this, "Export chart as PNG", suggested, "PNG (*.png)");
    if (path.isEmpty())
        return;
    statusBar()->showMessage(export_chart(path) ? "Saved " + path : "Cannot write " + path, 8000);
}
