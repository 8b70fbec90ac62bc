#include "files/file_texts.h"
#include "files/typed_names.h"

#include <gtest/gtest.h>

namespace {

using namespace std::literals;

TEST(TypedNames, NamesThatLeaveTheFolderAreRefused) {
    for (const std::string_view name :
         {""sv, "."sv, ".."sv, "a/b"sv, "/tmp"sv, "../x"sv, "a\0b"sv, "/etc/x"sv, "../up"sv})
        EXPECT_FALSE(is_acceptable_file_name(name)) << name;
    for (const char* name : {"day", "...", "a.b", ".hidden"})
        EXPECT_TRUE(is_acceptable_file_name(name)) << name;
    EXPECT_EQ(new_name_step("day\0"sv, false, ""), NewNameStep::refuse);
    EXPECT_EQ(new_name_step("..", false, ""), NewNameStep::refuse);
}

TEST(TypedNames, OverwriteOnlyOnSecondEnterForTheSameName) {
    EXPECT_EQ(new_name_step("", false, ""), NewNameStep::nothing);
    EXPECT_EQ(new_name_step("new", false, ""), NewNameStep::create);
    EXPECT_EQ(new_name_step("day", true, ""), NewNameStep::ask_overwrite);
    EXPECT_EQ(new_name_step("day", true, "day"), NewNameStep::create);
    EXPECT_EQ(new_name_step("week", true, "day"), NewNameStep::ask_overwrite);
    EXPECT_EQ(overwrite_question_text("day.res"),
              "day.res is already exist. Ovewrite? Press <Enter> for ovewrite.");
    EXPECT_EQ(overwrite_question_text("EURO"),
              "EURO is already exist. Ovewrite? Press <Enter> for ovewrite.");
}

TEST(TypedNames, ListedNamesAreSortedCutAndCapped) {
    const std::string long_name(40, 'L');
    EXPECT_EQ(listed_names({"b.res", "a.b.res", "x.dnl", long_name + ".res", "c.RES"}, ".res"),
              (std::vector<std::string>{"a", "b", std::string(30, 'L')}));
    EXPECT_EQ(listed_names({"b.dnl", "A.dnl", "c.res", "x.dnl.tmp", "long.name.dnl"}, ".dnl"),
              (std::vector<std::string>{"A", "b", "long"}));

    std::vector<std::string> many;
    for (int i = 0; i < 1005; ++i)
        many.push_back(std::to_string(10000 + i) + ".res");
    const std::vector<std::string> names = listed_names(many, ".res");
    ASSERT_EQ(names.size(), listed_names_capacity);
    EXPECT_EQ(names.back(), "10999");
}

TEST(TypedNames, AddingStopsAtCapacity) {
    std::vector<std::string> names{"day"};
    EXPECT_EQ(add_listed_name(names, "day"), 0);
    EXPECT_EQ(add_listed_name(names, "week"), 1);
    EXPECT_EQ(names, (std::vector<std::string>{"day", "week"}));
    names.resize(listed_names_capacity, "x");
    EXPECT_EQ(add_listed_name(names, "day"), 0);
    EXPECT_EQ(add_listed_name(names, "month"), -1);
    EXPECT_EQ(names.size(), listed_names_capacity);
}

} // namespace
