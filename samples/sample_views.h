// What the charts of a side show: the byte positions of each small chart in each view, the
// chosen sample's excursions beyond the envelope, and which sample a click on a chart hits.
//
// The sample data interleave five channels: byte 5 * i + ch is channel ch at position i
// (positions 0..311), and the last two bytes stand on their own. This is the layout the image
// data of the database is built from.
#pragma once

#include "formats/sample_file.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr int channel_count = 5;
inline constexpr std::size_t channel_positions = 312;

enum class SampleView {
    channels,   // the five channels as five small charts, the last two bytes as a sixth
    file_order, // the 1562 bytes as the file holds them
    channel_0,
    channel_1,
    channel_2,
    channel_3,
    channel_4,
    last_bytes, // bytes 1560 and 1561
};
inline constexpr int sample_view_count = 8;

// One small chart: its title and the byte index drawn at each of its positions 0, 1, ...
struct ViewPanel {
    std::string title;
    std::vector<std::size_t> bytes;
};

// The name a view is offered under ("channels apart", "file order", "channel 2", ...).
std::string sample_view_name(SampleView view);

// The small charts of `view`, top to bottom.
std::vector<ViewPanel> view_panels(SampleView view);

// The values a chart shows: low..high.
struct ValueRange {
    int low = 0;
    int high = 255;
};

// The values the lines of `samples` take over `panel`, with a little room, widened to multiples
// of 10 within 0..255; 0..255 when no line reaches the panel.
ValueRange panel_value_range(const std::vector<const std::vector<std::uint8_t>*>& samples,
                             const ViewPanel& panel);

// Where a sample leaves the envelope: at byte `index` its `value` lies beyond the envelope's
// `edge` there (the maximum when above it, the minimum when below it).
struct Excursion {
    std::size_t index = 0;
    int edge = 0;
    int value = 0;
};

// Every excursion of `data` beyond `envelope`, by index: the bytes that add to its distance.
std::vector<Excursion> sample_excursions(const std::vector<std::uint8_t>& data,
                                         const Envelope& envelope);

// The sample among `samples` whose line passes nearest to the point (`position`, `value`) of
// `panel` (a fractional position between two bytes reads the line between them), when it is
// within `tolerance` in value; -1 when none is.
int sample_near(const std::vector<const std::vector<std::uint8_t>*>& samples,
                const ViewPanel& panel, double position, double value, double tolerance);
