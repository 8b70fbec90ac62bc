// A device exchange for tests: records every frame and status text, answers each frame with
// the next scripted result for its code (1 when the script is used up).
#pragma once

#include "link/device_exchange.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct RecordedFrame {
    int code = 0;
    int block = -1; // -1 for a short command frame
    std::vector<std::uint8_t> payload;
};

struct FakeExchange {
    std::vector<RecordedFrame> frames;
    std::vector<std::string> events; // "info:...", "error:...", "result:N"
    std::map<int, std::deque<int>> results;
    std::vector<std::pair<int, int>> progress; // (done, total) as reported
    // Called for every data frame, after it is recorded.
    std::function<void(const RecordedFrame&)> on_data;

    int answer(int code) {
        std::deque<int>& queue = results[code];
        if (queue.empty())
            return 1;
        const int result = queue.front();
        queue.pop_front();
        return result;
    }

    DeviceExchange exchange() {
        return {
            [this](int code) {
                frames.push_back({code, -1, {}});
                return answer(code);
            },
            [this](int code, int block, const std::uint8_t* payload, int length) {
                frames.push_back({code, block, {payload, payload + length}});
                if (on_data)
                    on_data(frames.back());
                return answer(code);
            },
            [this](int result) { events.push_back("result:" + std::to_string(result)); },
            [this](const std::string& text) { events.push_back("error:" + text); },
            [this](const std::string& text) { events.push_back("info:" + text); },
            [this](int done, int total) { progress.emplace_back(done, total); },
        };
    }

    std::vector<int> codes() const {
        std::vector<int> sent;
        for (const RecordedFrame& frame : frames)
            sent.push_back(frame.code);
        return sent;
    }
};
