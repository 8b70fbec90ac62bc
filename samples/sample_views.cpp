#include "samples/sample_views.h"

#include <algorithm>
#include <cmath>

namespace {

ViewPanel channel_panel(int channel) {
    ViewPanel panel{"channel " + std::to_string(channel), {}};
    for (std::size_t i = 0; i < channel_positions; ++i)
        panel.bytes.push_back(channel_count * i + static_cast<std::size_t>(channel));
    return panel;
}

ViewPanel last_bytes_panel() {
    const std::size_t first = channel_count * channel_positions;
    return {"bytes " + std::to_string(first) + "-" + std::to_string(first + 1), {first, first + 1}};
}

} // namespace

std::string sample_view_name(SampleView view) {
    switch (view) {
    case SampleView::channels: return "channels apart";
    case SampleView::file_order: return "file order";
    case SampleView::last_bytes: return last_bytes_panel().title;
    default: break;
    }
    return channel_panel(static_cast<int>(view) - static_cast<int>(SampleView::channel_0)).title;
}

std::vector<ViewPanel> view_panels(SampleView view) {
    switch (view) {
    case SampleView::channels: {
        std::vector<ViewPanel> panels;
        for (int channel = 0; channel < channel_count; ++channel)
            panels.push_back(channel_panel(channel));
        panels.push_back(last_bytes_panel());
        return panels;
    }
    case SampleView::file_order: {
        ViewPanel panel{"file order", {}};
        for (std::size_t i = 0; i < sample_data_size; ++i)
            panel.bytes.push_back(i);
        return {panel};
    }
    case SampleView::last_bytes: return {last_bytes_panel()};
    default: break;
    }
    return {channel_panel(static_cast<int>(view) - static_cast<int>(SampleView::channel_0))};
}

ValueRange panel_value_range(const std::vector<const std::vector<std::uint8_t>*>& samples,
                             const ViewPanel& panel) {
    int low = 255, high = 0;
    for (const std::vector<std::uint8_t>* data : samples)
        for (const std::size_t byte : panel.bytes) {
            if (byte >= data->size())
                break;
            low = std::min<int>(low, (*data)[byte]);
            high = std::max<int>(high, (*data)[byte]);
        }
    if (low > high)
        return {};
    constexpr int room = 5;
    return {std::max(0, (low - room) / 10 * 10), std::min(255, (high + room + 9) / 10 * 10)};
}

std::vector<Excursion> sample_excursions(const std::vector<std::uint8_t>& data,
                                         const Envelope& envelope) {
    // The same two excursions that `distance_from_envelope` counts, each on its own.
    std::vector<Excursion> excursions;
    for (std::size_t i = 0; i < data.size() && i < sample_data_size; ++i) {
        if (data[i] > envelope.maximum[i])
            excursions.push_back({i, envelope.maximum[i], data[i]});
        if (data[i] < envelope.minimum[i])
            excursions.push_back({i, envelope.minimum[i], data[i]});
    }
    return excursions;
}

int sample_near(const std::vector<const std::vector<std::uint8_t>*>& samples,
                const ViewPanel& panel, double position, double value, double tolerance) {
    if (panel.bytes.empty() || position < 0 ||
        position > static_cast<double>(panel.bytes.size() - 1))
        return -1;
    const auto left = static_cast<std::size_t>(std::floor(position));
    const std::size_t right = std::min(left + 1, panel.bytes.size() - 1);
    const double part = position - static_cast<double>(left);
    int nearest = -1;
    double nearest_gap = tolerance;
    for (std::size_t k = 0; k < samples.size(); ++k) {
        const std::vector<std::uint8_t>& data = *samples[k];
        if (panel.bytes[right] >= data.size())
            continue;
        const double at = data[panel.bytes[left]] * (1 - part) + data[panel.bytes[right]] * part;
        if (std::abs(at - value) <= nearest_gap) {
            nearest_gap = std::abs(at - value);
            nearest = static_cast<int>(k);
        }
    }
    return nearest;
}
