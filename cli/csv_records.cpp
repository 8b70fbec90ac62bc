#include "cli/csv_records.h"

namespace {

std::string csv_field(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string flag(bool on) {
    return on ? "1" : "0";
}

} // namespace

std::string csv_record(const std::vector<std::string>& fields) {
    std::string record;
    for (std::size_t i = 0; i < fields.size(); ++i)
        record += (i ? "," : "") + csv_field(fields[i]);
    return record + "\r\n";
}

std::vector<std::string> dump_csv_header() {
    return {"Num", "Currency",   "Extension", "Value",      "Side",       "R",         "G",
            "B",   "IR",         "UVL",       "CMP",        "UV",         "MAG",       "PQL",
            "PQS", "CMP failed", "UV failed", "MAG failed", "PQS failed", "Recognised"};
}

std::vector<std::string> dump_csv_fields(int number, const DumpValues& v) {
    std::vector<std::string> fields(dump_csv_header().size());
    fields[0] = std::to_string(number);
    const bool recognised = v.shows == DumpValues::Shows::recognised;
    fields[19] = flag(recognised);
    if (v.shows == DumpValues::Shows::uvl_only) {
        fields[9] = std::to_string(v.uvl);
        return fields;
    }
    fields[5] = std::to_string(v.r);
    fields[6] = std::to_string(v.g);
    fields[7] = std::to_string(v.b);
    fields[8] = std::to_string(v.ir);
    if (!recognised)
        return fields;
    fields[1] = trimmed(v.name);
    fields[2] = trimmed(v.extension);
    fields[3] = std::to_string(v.denomination);
    fields[4] = std::to_string(v.side);
    const std::string values[] = {
        std::to_string(v.uvl), std::to_string(v.cmp), std::to_string(v.uv), std::to_string(v.mag),
        std::to_string(v.pql), std::to_string(v.pqs), flag(v.cmp_failed),   flag(v.uv_failed),
        flag(v.mag_failed),    flag(v.pqs_failed)};
    for (std::size_t i = 0; i < std::size(values); ++i)
        fields[9 + i] = values[i];
    return fields;
}

std::vector<std::string> results_csv_header() {
    return {"Count", "Date", "Time", "Currency", "Value", "Pieces", "Total"};
}

std::vector<std::string> results_csv_fields(const ResultsLine& session, const std::string& currency,
                                            const ResultsLine& denomination) {
    return {
        session.count,       session.date,      session.time, currency, denomination.denomination,
        denomination.pieces, denomination.total};
}
