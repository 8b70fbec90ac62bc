#include "samples/samples_window.h"

#include "files/folder_files.h"
#include "samples/folder_watch.h"
#include "samples/sample_chart.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <algorithm>

namespace {

const QColor beyond_limit_background(255, 205, 160);
const QColor note_background(235, 235, 235);
const QColor refused_colour(200, 0, 0);
enum SampleColumn {
    file_column,
    number_column,
    distance_column,
    before_column,
    mark_column,
    note_column
};
enum SetAsideColumn { aside_file_column, aside_number_column, aside_distance_column };
const QString set_aside_notice =
    "Samples set aside are out of the envelope of the next arriving sample and out of the "
    "next make of ornivex_control.";

QTableWidget* make_table(const QStringList& headers, QWidget* parent) {
    auto* table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    table->setHorizontalHeaderLabels(headers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

QTableWidgetItem* text_item(const QString& text) {
    return new QTableWidgetItem(text);
}

QString shown(const std::string& text) {
    return QFile::decodeName(QByteArray::fromStdString(text));
}

// The file name of a sample row, which keeps the sample's index whatever the sorting.
QTableWidgetItem* name_item(const SideSample& sample, int index) {
    auto* item = text_item(shown(sample.file_name));
    item->setData(Qt::UserRole, index);
    return item;
}

// Numbers sort as numbers, not as texts.
QTableWidgetItem* number_item(long long value) {
    auto* item = new QTableWidgetItem;
    item->setData(Qt::DisplayRole, value);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

// A file that could not be read has no distance, not a distance of 0.
QTableWidgetItem* distance_item(const SideSample& sample) {
    return sample.file.state == SampleFileState::unreadable ? text_item("")
                                                            : number_item(sample.distance);
}

} // namespace

SamplesWindow::SamplesWindow(const std::string& folder, QWidget* parent)
    : QMainWindow(parent), folder_(folder) {
    setWindowTitle("VARDEN samples - " + shown(folder));
    sides_table_ = make_table({"Prefix", "Name", "Ext", "Nominal", "Side", "Files"}, this);
    sides_table_->setSelectionMode(QAbstractItemView::SingleSelection);
    samples_table_ = make_table({"File", "Number", "Distance", "Before", "Mark", "Note"}, this);
    set_aside_table_ = make_table({"File set aside", "Number", "Distance if it arrived"}, this);
    charts_ = new SideCharts(this);
    view_box_ = new QComboBox(this);
    for (int view = 0; view < sample_view_count; ++view)
        view_box_->addItem(QString::fromStdString(sample_view_name(static_cast<SampleView>(view))));
    set_aside_button_ = new QPushButton("Set aside", this);
    set_aside_button_->setToolTip("Move the chosen samples into set_aside/ (Delete)");
    put_back_button_ = new QPushButton("Put back", this);
    message_label_ = new QLabel(this);
    message_label_->setWordWrap(true);
    message_label_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* chart_area = new QWidget(this);
    auto* chart_layout = new QVBoxLayout(chart_area);
    chart_layout->setContentsMargins(0, 0, 0, 0);
    auto* view_row = new QHBoxLayout;
    view_row->addWidget(new QLabel("Chart:", this));
    view_row->addWidget(view_box_);
    view_row->addStretch(1);
    chart_layout->addLayout(view_row);
    chart_layout->addWidget(charts_, 1);
    auto* samples_area = new QWidget(this);
    auto* samples_layout = new QVBoxLayout(samples_area);
    samples_layout->setContentsMargins(0, 0, 0, 0);
    samples_layout->addWidget(samples_table_, 1);
    auto* button_row = new QHBoxLayout;
    button_row->addWidget(set_aside_button_);
    button_row->addWidget(message_label_, 1);
    samples_layout->addLayout(button_row);
    auto* aside_area = new QWidget(this);
    auto* aside_layout = new QVBoxLayout(aside_area);
    aside_layout->setContentsMargins(0, 0, 0, 0);
    auto* notice = new QLabel(set_aside_notice, this);
    notice->setWordWrap(true);
    aside_layout->addWidget(notice);
    aside_layout->addWidget(set_aside_table_, 1);
    aside_layout->addWidget(put_back_button_);

    auto* left = new QSplitter(Qt::Vertical, this);
    left->addWidget(sides_table_);
    left->addWidget(aside_area);
    auto* right = new QSplitter(Qt::Vertical, this);
    right->addWidget(chart_area);
    right->addWidget(samples_area);
    right->setSizes({640, 220});
    auto* main = new QSplitter(Qt::Horizontal, this);
    main->addWidget(left);
    main->addWidget(right);
    main->setSizes({400, 880});
    setCentralWidget(main);

    QMenu* file_menu = menuBar()->addMenu("&File");
    file_menu->addAction("&Export chart as PNG...", QKeySequence(Qt::CTRL | Qt::Key_E), this,
                         [this] { ask_and_export(); });
    file_menu->addAction("&Quit", QKeySequence::Quit, this, [this] { close(); });
    QMenu* edit_menu = menuBar()->addMenu("&Edit");
    edit_menu->addAction("&Undo the last set aside or put back", QKeySequence::Undo, this,
                         [this] { undo_last_move(); });
    edit_menu->addAction("&Set aside the chosen samples", this, [this] { set_aside_selected(); });
    edit_menu->addAction("&Put back the chosen samples set aside", this,
                         [this] { put_back_selected(); });
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
    connect(view_box_, &QComboBox::currentIndexChanged, this,
            [this](int view) { charts_->set_view(static_cast<SampleView>(view)); });
    connect(set_aside_button_, &QPushButton::clicked, this, [this] { set_aside_selected(); });
    connect(put_back_button_, &QPushButton::clicked, this, [this] { put_back_selected(); });
    auto* delete_key = new QShortcut(QKeySequence::Delete, samples_table_);
    delete_key->setContext(Qt::WidgetShortcut);
    connect(delete_key, &QShortcut::activated, this, [this] { set_aside_selected(); });
    for (auto [table, put_back] : {std::pair{samples_table_, false}, {set_aside_table_, true}}) {
        table->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(table, &QWidget::customContextMenuRequested, this,
                [this, table, put_back](QPoint at) {
                    QMenu menu;
                    menu.addAction(put_back ? "Put back" : "Set aside", this,
                                   [this, table, put_back] { move_samples(table, put_back); });
                    menu.exec(table->viewport()->mapToGlobal(at));
                });
    }
    charts_->on_sample_clicked = [this](int index) {
        select_samples({shown_side_.samples[static_cast<std::size_t>(index)].file_name});
    };
    charts_->on_context_menu = [this](int index, QPoint global) {
        chart_context_menu(index, global);
    };

    watch_ = new FolderWatch([this] { reload(); }, this);
    watch_->watch(folder_);
    watch_->watch(set_aside_folder(folder_));
    fill_sides();
    choose_side(sides_table_->currentRow());
    resize(1280, 880);
}

QString SamplesWindow::message() const {
    return message_label_->text();
}

void SamplesWindow::fill_sides() {
    const QString shown_folder = shown(folder_);
    const std::string kept_prefix = shown_side_.prefix;
    const QSignalBlocker quiet(sides_table_);
    sides_table_->setRowCount(0);
    if (!folder_readable(folder_)) {
        folder_label_->setText("Cannot read the folder " + shown_folder);
        sides_.clear();
        return;
    }
    folder_names_ = list_folder(folder_);
    sides_ = sample_sides_of(folder_names_);
    // A side whose samples are all set aside is still listed, to put them back.
    for (const SampleSide& aside : sample_sides_of(list_folder(set_aside_folder(folder_))))
        if (std::none_of(sides_.begin(), sides_.end(),
                         [&](const SampleSide& side) { return side.prefix == aside.prefix; }))
            sides_.push_back({aside.prefix, {}});
    std::sort(sides_.begin(), sides_.end(),
              [](const SampleSide& a, const SampleSide& b) { return a.prefix < b.prefix; });
    folder_label_->setText(
        sides_.empty()
            ? "No sample files in " + shown_folder
            : QString("Sides with sample files: %1, in %2").arg(sides_.size()).arg(shown_folder));
    sides_table_->setRowCount(static_cast<int>(sides_.size()));
    int kept_row = sides_.empty() ? -1 : 0;
    for (int row = 0; row < static_cast<int>(sides_.size()); ++row) {
        const SampleSide& side = sides_[static_cast<std::size_t>(row)];
        const PrefixFields fields = prefix_fields(side.prefix);
        sides_table_->setItem(row, 0, text_item(shown(side.prefix)));
        sides_table_->setItem(row, 1, text_item(shown(fields.name)));
        sides_table_->setItem(row, 2, text_item(shown(fields.ext)));
        sides_table_->setItem(row, 3, text_item(shown(fields.nominal)));
        sides_table_->setItem(row, 4, text_item(shown(fields.side)));
        sides_table_->setItem(row, 5, number_item(static_cast<long long>(side.file_names.size())));
        if (side.prefix == kept_prefix)
            kept_row = row;
    }
    sides_table_->resizeColumnsToContents();
    if (kept_row >= 0)
        sides_table_->setCurrentCell(kept_row, 0);
}

void SamplesWindow::choose_side(int row) {
    const std::string previous_prefix = shown_side_.prefix;
    if (row < 0 || row >= static_cast<int>(sides_.size())) {
        shown_side_ = {};
        shown_set_aside_ = {};
    } else {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const std::string& prefix = sides_[static_cast<std::size_t>(row)].prefix;
        shown_side_ = load_side(folder_, prefix, folder_names_);
        shown_set_aside_ = load_set_aside(folder_, prefix, folder_names_);
        QApplication::restoreOverrideCursor();
    }
    if (shown_side_.prefix != previous_prefix) {
        distances_before_.clear();
        message_label_->clear();
    }
    charts_->show_side(&shown_side_);
    fill_samples();
    fill_set_aside();
}

void SamplesWindow::fill_samples() {
    const QSignalBlocker quiet(samples_table_);
    samples_table_->setSortingEnabled(false);
    samples_table_->clearContents();
    samples_table_->setRowCount(static_cast<int>(shown_side_.samples.size()));
    for (int row = 0; row < static_cast<int>(shown_side_.samples.size()); ++row) {
        const SideSample& sample = shown_side_.samples[static_cast<std::size_t>(row)];
        const bool beyond = beyond_limit(sample.distance);
        const QString note = QString::fromStdString(sample_file_note(sample.file));
        samples_table_->setItem(row, file_column, name_item(sample, row));
        samples_table_->setItem(row, number_column, number_item(sample.number));
        QTableWidgetItem* distance = distance_item(sample);
        samples_table_->setItem(row, distance_column, distance);
        // What the last move changed: the distance before it, where it differs.
        const auto before = distances_before_.find(sample.file_name);
        const bool changed = before != distances_before_.end() && before->second != sample.distance;
        samples_table_->setItem(row, before_column,
                                changed ? number_item(before->second) : text_item(""));
        if (changed)
            distance->setToolTip(QString("%1 before the last move").arg(before->second));
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
    charts_->choose(-1);
}

void SamplesWindow::fill_set_aside() {
    set_aside_table_->setSortingEnabled(false);
    set_aside_table_->clearContents();
    set_aside_table_->setRowCount(static_cast<int>(shown_set_aside_.samples.size()));
    for (int row = 0; row < static_cast<int>(shown_set_aside_.samples.size()); ++row) {
        const SideSample& sample = shown_set_aside_.samples[static_cast<std::size_t>(row)];
        set_aside_table_->setItem(row, aside_file_column, name_item(sample, row));
        set_aside_table_->setItem(row, aside_number_column, number_item(sample.number));
        set_aside_table_->setItem(row, aside_distance_column, distance_item(sample));
    }
    set_aside_table_->setSortingEnabled(true);
    set_aside_table_->sortItems(aside_number_column, Qt::AscendingOrder);
    set_aside_table_->resizeColumnsToContents();
    put_back_button_->setText(QString("Put back (%1 set aside)").arg(set_aside_table_->rowCount()));
}

void SamplesWindow::choose_sample_row(int row) {
    const QTableWidgetItem* name = row < 0 ? nullptr : samples_table_->item(row, file_column);
    charts_->choose(name == nullptr ? -1 : name->data(Qt::UserRole).toInt());
}

void SamplesWindow::select_samples(const std::vector<std::string>& file_names) {
    auto command = QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    for (int row = 0; row < samples_table_->rowCount(); ++row) {
        QTableWidgetItem* item = samples_table_->item(row, file_column);
        const std::string& name =
            shown_side_.samples[static_cast<std::size_t>(item->data(Qt::UserRole).toInt())]
                .file_name;
        if (std::find(file_names.begin(), file_names.end(), name) == file_names.end())
            continue;
        samples_table_->setCurrentCell(row, file_column, command);
        samples_table_->scrollToItem(item);
        command = QItemSelectionModel::Select | QItemSelectionModel::Rows;
    }
}

void SamplesWindow::chart_context_menu(int index, QPoint global) {
    if (index < 0)
        return;
    const std::string name = shown_side_.samples[static_cast<std::size_t>(index)].file_name;
    select_samples({name});
    QMenu menu;
    menu.addAction("Set aside " + shown(name), this, [this] { set_aside_selected(); });
    menu.exec(global);
}

std::vector<std::string> SamplesWindow::selected_names(QTableWidget* table) const {
    const SideSamples& side = table == samples_table_ ? shown_side_ : shown_set_aside_;
    std::vector<std::string> names;
    for (int row = 0; row < table->rowCount(); ++row) {
        QTableWidgetItem* item = table->item(row, file_column);
        if (item != nullptr && item->isSelected())
            names.push_back(
                side.samples[static_cast<std::size_t>(item->data(Qt::UserRole).toInt())].file_name);
    }
    return names;
}

void SamplesWindow::set_aside_selected() {
    move_samples(samples_table_, false);
}

void SamplesWindow::put_back_selected() {
    move_samples(set_aside_table_, true);
}

void SamplesWindow::move_samples(QTableWidget* table, bool put_back) {
    const std::vector<std::string> names = selected_names(table);
    if (names.empty()) {
        message_label_->setText(put_back ? "Choose the samples to put back in the table of those "
                                           "set aside."
                                         : "Choose the samples to set aside in the table.");
        return;
    }
    std::vector<SampleMove> moves;
    for (const std::string& name : names)
        moves.push_back(put_back ? put_back_sample(folder_, name)
                                 : set_aside_sample(folder_, name));
    show_moves(moves, put_back ? "Put back:" : "Set aside:");
}

void SamplesWindow::undo_last_move() {
    if (last_moves_.empty()) {
        message_label_->setText("Nothing to undo.");
        return;
    }
    std::vector<SampleMove> moves;
    for (auto move = last_moves_.rbegin(); move != last_moves_.rend(); ++move)
        moves.push_back(undo_sample_move(*move));
    show_moves(moves, "Undone:");
    last_moves_.clear(); // what was undone is not undone twice
}

void SamplesWindow::show_moves(const std::vector<SampleMove>& moves, const QString& first_line) {
    distances_before_.clear();
    for (const SideSample& sample : shown_side_.samples)
        distances_before_[sample.file_name] = sample.distance;
    std::vector<SampleMove> done;
    QString text = first_line;
    for (const SampleMove& move : moves) {
        const QString line = shown(move.message).toHtmlEscaped();
        text +=
            "<br>" +
            (move.result == 1
                 ? line
                 : QString("<span style=\"color:%1\">%2</span>").arg(refused_colour.name(), line));
        if (move.result == 1)
            done.push_back(move);
    }
    if (!done.empty())
        last_moves_ = done;
    reload();
    message_label_->setText(text);
    // The samples put back (under the names they got) are the chosen ones now.
    std::vector<std::string> returned;
    for (const SampleMove& move : done)
        if (move.to_folder == folder_)
            returned.push_back(move.to_name);
    if (!returned.empty())
        select_samples(returned);
}

void SamplesWindow::reload() {
    const std::vector<std::string> chosen = selected_names(samples_table_);
    watch_->watch(set_aside_folder(folder_)); // made by the first set-aside
    fill_sides();
    choose_side(sides_table_->currentRow());
    select_samples(chosen);
}
int SamplesWindow::export_chart(const QString& path) {
    return save_widget_png(*charts_, QFile::encodeName(path).toStdString());
}

void SamplesWindow::ask_and_export() {
    const QString suggested = shown(path_in(folder_, shown_side_.prefix + "chart.png"));
    const QString path =
        QFileDialog::getSaveFileName(this, "Export chart as PNG", suggested, "PNG (*.png)");
    if (path.isEmpty())
        return;
    statusBar()->showMessage(export_chart(path) ? "Saved " + path : "Cannot write " + path, 8000);
}
