// The CSV records of `varden dumps --csv` and `varden results --csv` (RFC 4180: fields
// separated by commas, a field with a comma, quote or line break in double quotes with its
// quotes doubled, CR LF after every record, a header row first). Pure functions.
#pragma once

#include "analysis/dump_analysis.h"
#include "analysis/session_results.h"

#include <string>
#include <string_view>
#include <vector>

// One record of `fields`, ended by CR LF.
std::string csv_record(const std::vector<std::string>& fields);

// The header of the dump records: Num, Currency, Extension, Value, Side, R, G, B, IR, UVL,
// CMP, UV, MAG, PQL, PQS, the four failure marks and Recognised.
std::vector<std::string> dump_csv_header();
// The fields of dump `number`: those its analysis line shows, numbers as plain numbers, the
// marks as 1 or 0, Recognised 1 or 0; a field the line leaves blank is empty.
std::vector<std::string> dump_csv_fields(int number, const DumpValues& values);

// The header of the result records: Count, Date, Time, Currency, Value, Pieces, Total.
std::vector<std::string> results_csv_header();
// The fields of a denomination line under its session and currency lines.
std::vector<std::string> results_csv_fields(const ResultsLine& session, const std::string& currency,
                                            const ResultsLine& denomination);
