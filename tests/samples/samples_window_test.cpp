// The window of varden_samples in-process on Qt's offscreen platform.
#include "files/folder_files.h"
#include "formats/sample_names.h"
#include "samples/sample_chart.h"
#include "samples/samples_window.h"
#include "sim/sample_generator.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/qt_application.h"

#include <QImage>
#include <QMouseEvent>
#include <QTableWidget>
#include <QTest>
#include <QValueAxis>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

const std::string prefix = "USD.OLD_100_1_";
constexpr int far_number = 12;

void store(const TempFolder& folder, const std::string& side_prefix, int number,
           SampleKind kind = SampleKind::usual) {
    const SampleBuffer buffer = generate_sample(5, static_cast<std::uint32_t>(number), kind);
    folder.write(sample_file_name(side_prefix, number), {buffer.begin(), buffer.end()});
}

ZoomableChartView* first_chart(const SamplesWindow& window) {
    return window.charts()->views().front();
}

QValueAxis* positions_axis(const SamplesWindow& window) {
    return static_cast<QValueAxis*>(first_chart(window)->chart()->axes(Qt::Horizontal).first());
}

// Pixels of the strong red in which the chosen sample is drawn.
int chosen_pixels(QWidget* charts) {
    const QImage image = charts->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            count += colour.red() > 200 && colour.green() < 40 && colour.blue() < 40 ? 1 : 0;
        }
    return count;
}

void send_mouse(QWidget* target, QEvent::Type type, QPointF at) {
    QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

TEST(SamplesWindow, ShowsASideMarksTheBadSampleAndDrawsTheChosenOneOnTop) {
    qt_application();
    TempFolder folder;
    for (int number = 1; number <= 14; ++number)
        store(folder, prefix, number, number == far_number ? SampleKind::far : SampleKind::usual);
    store(folder, "EUR_50_2_", 1);

    SamplesWindow window(folder.path());
    QTableWidget* sides = window.sides_table();
    ASSERT_EQ(sides->rowCount(), 2);
    EXPECT_EQ(sides->item(1, 0)->text().toStdString(), prefix);
    EXPECT_EQ(sides->item(1, 5)->text(), "14");

    window.choose_side(1);
    QTableWidget* samples = window.samples_table();
    ASSERT_EQ(samples->rowCount(), 14);
    // Sorted by distance, largest first: the far sample leads and alone carries the mark.
    samples->sortItems(2, Qt::DescendingOrder);
    EXPECT_EQ(samples->item(0, 1)->text().toInt(), far_number);
    EXPECT_EQ(samples->item(0, 4)->text(), "beyond 150000");
    for (int row = 1; row < samples->rowCount(); ++row)
        EXPECT_EQ(samples->item(row, 4)->text(), "") << row;

    window.resize(900, 600);
    // Only the legend's entry is red before a sample is chosen.
    const int legend_red = chosen_pixels(window.charts());
    window.choose_sample_row(0);
    EXPECT_EQ(window.charts()->chosen(), far_number - 1);
    EXPECT_GT(chosen_pixels(window.charts()), legend_red + 500);

    EXPECT_EQ(window.export_chart(QString::fromStdString(folder.file("chart.png"))), 1);
    EXPECT_FALSE(QImage(QString::fromStdString(folder.file("chart.png"))).isNull());
    EXPECT_EQ(window.export_chart(QString::fromStdString(folder.file("none/chart.png"))), 0);
}

TEST(SamplesWindow, WheelZoomsAroundThePointerDragPansDoubleClickShowsAll) {
    qt_application();
    TempFolder folder;
    store(folder, prefix, 1);
    SamplesWindow window(folder.path());
    window.charts()->set_view(SampleView::file_order);
    window.show();
    QApplication::processEvents();
    QWidget* viewport = first_chart(window)->viewport();
    const QRectF area = first_chart(window)->chart()->plotArea();
    QValueAxis* positions = positions_axis(window);
    ASSERT_EQ(positions->max(), 1561);

    // At three quarters of the width the position 1170.75 stays under the pointer.
    const QPointF at(area.left() + area.width() * 0.75, area.center().y());
    QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
    EXPECT_NEAR(positions->max() - positions->min(), 1561 / 1.25, 1);
    EXPECT_NEAR(positions->min() + (positions->max() - positions->min()) * 0.75, 1170.75, 1);

    const double zoomed_min = positions->min();
    send_mouse(viewport, QEvent::MouseButtonPress, at);
    send_mouse(viewport, QEvent::MouseMove, at - QPointF(100, 0));
    send_mouse(viewport, QEvent::MouseButtonRelease, at - QPointF(100, 0));
    EXPECT_NEAR(positions->min() - zoomed_min, 100 * 1561 / 1.25 / area.width(), 1);

    send_mouse(viewport, QEvent::MouseButtonDblClick, at);
    EXPECT_EQ(positions->min(), 0);
    EXPECT_EQ(positions->max(), 1561);
}

// The far sample 3, one of the first ten, set aside with the Delete key: at once the side is
// drawn and judged as an arriving sample would be, the table shows the distances before; Ctrl+Z
// returns it. Set aside again, a new sample 3 written beside the window shows without a reload,
// and putting the old one back gives it the next free number and says so.
TEST(SamplesWindow, SetAsideUndoPutBackAndAFolderThatChangesMeanwhile) {
    qt_application();
    TempFolder folder;
    for (int number = 1; number <= 12; ++number)
        store(folder, prefix, number, number == 3 ? SampleKind::far : SampleKind::usual);
    const std::string three = sample_file_name(prefix, 3);
    SamplesWindow window(folder.path());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTableWidget* samples = window.samples_table();
    ASSERT_EQ(samples->item(2, 0)->text().toStdString(), three);
    // A click on the far line in the chart of channel 0 (position 100: byte 500) chooses it.
    const SampleBuffer far = generate_sample(5, 3, SampleKind::far);
    ZoomableChartView* channel_0 = first_chart(window);
    const QPointF on_line = channel_0->mapFromScene(
        channel_0->chart()->mapToScene(channel_0->chart()->mapToPosition(QPointF(100, far[500]))));
    send_mouse(channel_0->viewport(), QEvent::MouseButtonPress, on_line);
    send_mouse(channel_0->viewport(), QEvent::MouseButtonRelease, on_line);
    EXPECT_EQ(samples->currentRow(), 2);
    EXPECT_EQ(window.charts()->chosen(), 2);

    samples->setFocus();
    QTest::keyClick(samples, Qt::Key_Delete);
    EXPECT_TRUE(file_exists(folder.file("set_aside/" + three)));
    ASSERT_EQ(samples->rowCount(), 11) << window.message().toStdString();
    ASSERT_EQ(window.set_aside_table()->rowCount(), 1);
    EXPECT_NE(window.message().toStdString().find("-&gt; set_aside/" + three), std::string::npos);
    int changed = 0;
    for (int row = 0; row < samples->rowCount(); ++row) {
        std::vector<std::uint8_t> data;
        read_file_bytes(folder.file(samples->item(row, 0)->text().toStdString()), 1562, data);
        EXPECT_EQ(samples->item(row, 2)->text().toInt(),
                  envelope_distance(data, prefix, folder.path(), list_folder(folder.path())));
        changed += samples->item(row, 3)->text().isEmpty() ? 0 : 1;
    }
    EXPECT_GT(changed, 0); // the distances before the move, where they differ

    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(file_exists(folder.file(three)));
    EXPECT_EQ(samples->rowCount(), 12);

    // The sample undone is the chosen one again.
    window.set_aside_selected();
    ASSERT_EQ(samples->rowCount(), 11) << window.message().toStdString();
    store(folder, prefix, 3); // a technician's new sample 3, written beside the window
    EXPECT_TRUE(QTest::qWaitFor([&] { return samples->rowCount() == 12; }, 2000));
    window.set_aside_table()->selectRow(0);
    window.put_back_selected();
    const std::string thirteen = sample_file_name(prefix, 13);
    EXPECT_NE(window.message().toStdString().find(thirteen + " (" + three + " is taken)"),
              std::string::npos)
        << window.message().toStdString();
    EXPECT_EQ(samples->rowCount(), 13);
    EXPECT_EQ(samples->item(samples->currentRow(), 0)->text().toStdString(), thirteen);
}
