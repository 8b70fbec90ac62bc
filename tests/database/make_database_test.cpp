#include "database/description_file.h"
#include "database/download_plan.h"
#include "database/make_database.h"
#include "files/folder_files.h"
#include "formats/made_file.h"
#include "formats/sample_names.h"
#include "sim/sample_generator.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

const std::string old_description = "COR=0\r\n;A_10_1\r\n";

class MakeDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        folder.write_text("X.dnl", old_description);
        for (int r = 0; r < db_row_count; ++r)
            input.rows[static_cast<std::size_t>(r)] = blank_row_text(r);
        input.db_file_name = "X.dnl";
        input.folder = folder.path();
        input.progress = [this](const std::string& text) { progress.push_back(text); };
    }

    void set_row(int index, const RowFields& fields) {
        std::string row = input.rows[static_cast<std::size_t>(index)];
        row = put_row_field(row, RowField::name, fields.name);
        row = put_row_field(row, RowField::ext, fields.ext);
        input.rows[static_cast<std::size_t>(index)] =
            put_row_field(row, RowField::nominal, fields.nominal);
    }

    void store_samples(const RowFields& fields, int side, int count) {
        for (int n = 1; n <= count; ++n) {
            const SampleBuffer sample = generate_sample(1, static_cast<std::uint32_t>(n));
            folder.write(sample_file_name(sample_prefix_for(fields, side), n),
                         {sample.begin(), sample.end()});
        }
    }

    // Runs the make; the description file must be unchanged when it fails.
    int make(std::string& message) {
        input.names = list_folder(folder.path());
        const int result = make_database(input, message);
        if (result == 0) {
            EXPECT_EQ(folder.read_text("X.dnl"), old_description) << message;
        }
        return result;
    }

    TempFolder folder;
    MakeInput input;
    std::vector<std::string> progress;
};

} // namespace

TEST_F(MakeDatabase, EmptyTableFindsNoFiles) {
    std::string message;
    EXPECT_EQ(make(message), 0);
    EXPECT_EQ(message, "Can't find .BIN file");
    EXPECT_EQ(progress, std::vector<std::string>{"Creating X.dnl ..."});
    EXPECT_FALSE(folder.exists("ZELK.TMP"));
}

TEST_F(MakeDatabase, RowChecksReportTheLineFromOne) {
    std::string message;
    set_row(4, {"A", "", ""});
    EXPECT_EQ(make(message), 0);
    EXPECT_EQ(message, "There is not Nominal, see line 5");

    set_row(4, {"", "B", ""});
    EXPECT_EQ(make(message), 0);
    EXPECT_EQ(message, "There is not Nominal, see line 5");

    set_row(4, {"", "", "10"});
    EXPECT_EQ(make(message), 0);
    EXPECT_EQ(message, "There is not Name, see line 5");

    set_row(4, {"A", "", "10"});
    EXPECT_EQ(make(message), 0);
    EXPECT_EQ(message, "There are not file's for Side1, see line5");

    // Side2 files without Side1 files.
    store_samples({"A", "", "10"}, 2, 1);
    EXPECT_EQ(make(message), 0);
    EXPECT_EQ(message, "There are not file's for Side1, see line5");

    // Side1 and Side2, but not Side3 and Side4.
    store_samples({"A", "", "10"}, 1, 1);
    EXPECT_EQ(make(message), 0);
    EXPECT_EQ(message, "File's must be made for Side1 or for all Side's  , see line 5");
}

TEST_F(MakeDatabase, MadeFileReplacesTheDescription) {
    // Row 0 empty, row 1 one-sided, row 2 four-sided, row 3 empty, row 4 one-sided.
    const RowFields one_sided{"A", "", "10"};
    const RowFields four_sided{"B", "C", "5"};
    const RowFields last{"E", "", "1"};
    set_row(1, one_sided);
    set_row(2, four_sided);
    set_row(4, last);
    store_samples(one_sided, 1, 3);
    for (int side = 1; side <= 4; ++side)
        store_samples(four_sided, side, side);
    store_samples(last, 1, 1);
    input.mc_percent = 6;
    std::vector<int> rows_done;
    input.row_progress = [&](int done, int total) {
        EXPECT_EQ(total, db_row_count);
        rows_done.push_back(done);
    };

    std::string message;
    ASSERT_EQ(make(message), 1);
    EXPECT_EQ(message, "X.dnl file is created");
    ASSERT_EQ(rows_done.size(), static_cast<std::size_t>(db_row_count)); // every row, in order
    EXPECT_EQ(rows_done.front(), 1);
    EXPECT_EQ(rows_done.back(), db_row_count);
    EXPECT_EQ(progress, (std::vector<std::string>{"Creating X.dnl ...", "Creating X.dnl ...1",
                                                  "Creating X.dnl ...2", "Creating X.dnl ...3"}));
    EXPECT_FALSE(folder.exists("ZELK.TMP"));

    const std::string made = folder.read_text("X.dnl");
    std::vector<std::string> headers;
    for (const std::string& token : split_tokens(made)) {
        if (token[0] == ';')
            headers.push_back(token);
    }
    EXPECT_EQ(made.substr(0, 7), "COR=6\r\n");
    EXPECT_EQ(headers, (std::vector<std::string>{";A_10_1_3", ";B.C_5_1_1", ";B.C_5_2_2",
                                                 ";B.C_5_3_3", ";B.C_5_4_4", ";E_1_1_1"}));

    // The made file loads into the same rows as the table it was made from.
    const DbRows loaded = rows_from_description(made, LoadedColumns::none, {});
    EXPECT_EQ(read_row_fields(loaded[0]).name, "A");
    EXPECT_EQ(read_row_fields(loaded[1]).ext, "C");
    EXPECT_EQ(read_row_fields(loaded[2]).nominal, "1");
    EXPECT_EQ(loaded[3], blank_row_text(3));
}

TEST_F(MakeDatabase, FailedWritesKeepTheDescription) {
    set_row(0, {"A", "", "10"});
    store_samples({"A", "", "10"}, 1, 2);
    std::string message;

    std::filesystem::create_directory(folder.file("ZELK.TMP"));
    EXPECT_EQ(make(message), 0);
    EXPECT_EQ(message, "Can't create ZELK.TMP");
    std::filesystem::remove(folder.file("ZELK.TMP"));

    // The description's name is taken by a folder: the rename cannot replace it.
    input.db_file_name = "Y.dnl";
    std::filesystem::create_directory(folder.file("Y.dnl"));
    folder.write_text("Y.dnl/keep", "x");
    EXPECT_EQ(make(message), 0);
    EXPECT_EQ(message, "Can't rename ZELK.TMP to Y.dnl");
    EXPECT_TRUE(folder.exists("Y.dnl/keep"));
    EXPECT_FALSE(folder.exists("ZELK.TMP"));
}

TEST_F(MakeDatabase, MadeFileIsAcceptedByTheDownload) {
    const RowFields four_sided{"USD", "OLD", "100"};
    set_row(0, four_sided);
    set_row(1, {"EUR", "", "5"});
    for (int side = 1; side <= 4; ++side)
        store_samples(four_sided, side, 12);
    store_samples({"EUR", "", "5"}, 1, 5);
    input.names = list_folder(folder.path());
    input.mc_percent = 10;
    MakeState state;
    ASSERT_EQ(make_database_text(input, state), 1);
    DownloadPlan plan;
    std::string error;
    EXPECT_EQ(plan_download(state.text, "X.dnl", "X", plan, error), 1) << error;
    EXPECT_GT(plan.block_count, 0);
}
