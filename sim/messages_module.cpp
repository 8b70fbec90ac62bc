// Memory dumps and session results: the device's reports of one examined banknote and of one
// counting run, built from the fields a script gives.
#include "formats/device_messages.h"
#include "sim/modules.h"
#include "sim/script_line.h"

#include <cstdint>
#include <limits>

namespace {

constexpr long max_u8 = std::numeric_limits<std::uint8_t>::max();
constexpr long max_u16 = std::numeric_limits<std::uint16_t>::max();
constexpr long max_denomination = 0xFFFFF;
constexpr std::size_t code_length = 3;

// "WORD" split at the first `separator`: false when there is none.
bool split_at(const std::string& word, char separator, std::string& left, std::string& right) {
    const std::size_t at = word.find(separator);
    if (at == std::string::npos)
        return false;
    left = word.substr(0, at);
    right = word.substr(at + 1);
    return true;
}

std::vector<std::string> split_all(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

// A three-character text of the device: '_' stands for a blank, shorter texts are padded.
bool device_text(const std::string& word, std::string& text) {
    if (word.size() > code_length)
        return false;
    text = word;
    for (char& c : text) {
        if (c == '_')
            c = ' ';
    }
    text.resize(code_length, ' ');
    return true;
}

template <typename Field> bool number_into(const std::string& word, long high, Field& field) {
    long value = 0;
    if (!parse_number(word, 0, high, value))
        return false;
    field = static_cast<Field>(value);
    return true;
}

// group=INDEX:R,G,B,IR
bool distance_group(const std::string& value, std::vector<DistanceGroup>& groups) {
    std::string index_word, distances;
    long index = 0;
    if (!split_at(value, ':', index_word, distances) ||
        !parse_number(index_word, 0, static_cast<long>(dump_distance_group_capacity) - 1, index))
        return false;
    const std::vector<std::string> parts = split_all(distances, ',');
    DistanceGroup group;
    if (parts.size() != 4 || !number_into(parts[0], max_u16, group.r) ||
        !number_into(parts[1], max_u16, group.g) || !number_into(parts[2], max_u16, group.b) ||
        !number_into(parts[3], max_u16, group.ir))
        return false;
    if (groups.size() <= static_cast<std::size_t>(index))
        groups.resize(static_cast<std::size_t>(index) + 1);
    groups[static_cast<std::size_t>(index)] = group;
    return true;
}

bool dump_field(const std::string& key, const std::string& value, DumpFields& fields,
                std::vector<DistanceGroup>& groups) {
    if (key == "flags")
        return number_into(value, max_u16, fields.flags);
    if (key == "kind")
        return number_into(value, max_u8, fields.kind_index);
    if (key == "side")
        return number_into(value, max_u8, fields.side_index);
    if (key == "uvl")
        return number_into(value, max_u8, fields.uvl);
    if (key == "pql")
        return number_into(value, max_u8, fields.pql);
    if (key == "uv")
        return number_into(value, max_u16, fields.uv);
    if (key == "cmp")
        return number_into(value, max_u16, fields.cmp);
    if (key == "mag")
        return number_into(value, max_u16, fields.mag);
    if (key == "pqs")
        return number_into(value, max_u16, fields.pqs);
    if (key == "denomination")
        return number_into(value, max_denomination, fields.denomination);
    if (key == "name")
        return device_text(value, fields.name);
    if (key == "ext")
        return device_text(value, fields.extension);
    if (key == "group")
        return distance_group(value, groups);
    return false;
}

void send_message(Simulator& sim, const std::vector<std::uint8_t>& bytes) {
    queue_output(sim, bytes);
    sim.script_waits_for_output = true;
}

ScriptOutcome send_dump(Simulator& sim, const std::vector<std::string>& args,
                        std::string& message) {
    DumpFields fields;
    std::vector<DistanceGroup> groups;
    for (const std::string& arg : args) {
        std::string key, value;
        if (!split_at(arg, '=', key, value) || !dump_field(key, value, fields, groups)) {
            message = "'" + arg + "' is not a dump field (see --help)";
            return ScriptOutcome::malformed;
        }
    }
    send_message(sim, build_memory_dump(fields, groups));
    return ScriptOutcome::applied;
}

// CODE:PIECES:TOTAL
bool session_entry(const std::string& word, SessionEntry& entry) {
    const std::vector<std::string> parts = split_all(word, ':');
    long total = 0;
    if (parts.size() != 3 || !device_text(parts[0], entry.code) ||
        !number_into(parts[1], max_u16, entry.pieces) ||
        !parse_number(parts[2], 0, std::numeric_limits<std::int32_t>::max(), total))
        return false;
    entry.total = static_cast<std::int32_t>(total);
    return true;
}

ScriptOutcome send_result(Simulator& sim, const std::vector<std::string>& args,
                          std::string& message) {
    std::uint16_t count = 0;
    if (!number_into(args[0], max_u16, count)) {
        message = "COUNT '" + args[0] + "' is not 0.." + std::to_string(max_u16);
        return ScriptOutcome::malformed;
    }
    std::vector<SessionEntry> entries;
    for (std::size_t i = 1; i < args.size(); ++i) {
        SessionEntry entry;
        if (!session_entry(args[i], entry)) {
            message = "'" + args[i] + "' is not CODE:PIECES:TOTAL";
            return ScriptOutcome::malformed;
        }
        entries.push_back(entry);
    }
    send_message(sim, build_session_result(count, entries));
    return ScriptOutcome::applied;
}

} // namespace

void register_messages_module(Simulator& sim) {
    register_script_command(
        sim, "send-dump",
        {"[FIELD=VALUE...]",
         "send a 16048-byte memory dump; fields flags, kind, side, uvl, pql, uv, cmp, mag, pqs, "
         "denomination, name, ext (3 characters, _ for a blank), group=INDEX:R,G,B,IR; the rest 0",
         0, 1 + dump_distance_group_capacity, send_dump});
    register_script_command(sim, "send-result",
                            {"COUNT [CODE:PIECES:TOTAL...]",
                             "send a 1442-byte session result with these currency entries "
                             "(CODE 3 characters, _ for a blank)",
                             1, 1 + session_entry_count, send_result});
}
