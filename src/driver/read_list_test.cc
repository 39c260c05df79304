// Name lists from comma lists and list files: the names taken, the repeat
// rules and the two overflow messages.
#include "driver/read_list.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/options.h"
#include "test_util.h"

namespace kavel {
namespace {

name_table from_list(const char* text) {
  name_table t;
  read_list(t, text, kListText);
  return t;
}

name_table from_file(const std::string& bytes) {
  name_table t;
  read_list(t, temp_file(bytes).c_str(), kListFile);
  return t;
}

using names = std::vector<std::string>;

TEST(ReadList, CommaListItemsAsWritten) {
  struct {
    const char* text;
    names want;
  } cases[] = {
      {"a,b,c", {"a", "b", "c"}},
      {"a", {"a"}},
      {"", {""}},
      // Empty items are entries of their own; readers stop at the first.
      {"a,,b", {"a", "", "b"}},
      {",a", {"", "a"}},
      {"a,", {"a", ""}},
      // Named twice in one list: both kept.
      {"a,a", {"a", "a"}},
      {" a , b", {" a ", " b"}},
      {"@main,!printf,x.c#init,f*", {"@main", "!printf", "x.c#init", "f*"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(from_list(c.text), c.want) << c.text;
}

TEST(ReadList, NameFromAnEarlierOptionIsNotAddedAgain) {
  name_table t;
  read_list(t, "a", kListText);
  read_list(t, "b,a,c", kListText);
  EXPECT_EQ(t, (names{"a", "b", "c"}));
  read_list(t, temp_file("c d a\n").c_str(), kListFile);
  EXPECT_EQ(t, (names{"a", "b", "c", "d"}));
}

TEST(ReadList, ListsHoldAnyNumberOfNames) {
  std::string text;
  for (int k = 0; k < 5000; k++)
    text += (k ? ",n" : "n") + std::to_string(k);
  capture_messages msgs;
  name_table t = from_list(text.c_str());
  ASSERT_EQ(t.size(), 5000u);
  EXPECT_EQ(t.back(), "n4999");
  read_list(t, "n4999,late", kListText);  // a repeat is still left out
  EXPECT_EQ(t.size(), 5001u);
  EXPECT_EQ(msgs.text(), "");
}

TEST(ReadList, FileLines) {
  struct {
    std::string text;
    names want;
  } cases[] = {
      {"main sub1 sub2\n", {"main", "sub1", "sub2"}},
      {"...  sub1\n", {"sub1"}},
      {"\t main\t\n\n  \n", {"main"}},
      {"[1.2] sub1\n", {"sub1"}},
      {"<3.1> sub2\n", {"sub2"}},
      {"[M] sub3\n", {"sub3"}},
      // Tree glyphs and dots before the bracket are passed over.
      {"\x84\xa5\x84\x9f\x84\x9f [1.2] sub1\n", {"sub1"}},
      {"| | `-- [2.1] leaf ...\n", {"leaf"}},
      {"@top !printf a.c#init\n", {"@top", "!printf", "a.c#init"}},
      {"a.b name..\n", {"a.b", "name.."}},
      {"[x]\n", {}},
      {"[x] \n", {}},
      {"[1] f [2] g\n", {"f", "g"}},
      {"f [1] g\n", {"g"}},
      // '[' is looked for first; a '<' counts only on a line without one.
      {"<1> x [2] y\n", {"y"}},
      // Either bracket closes either.
      {"[1> a <2] b\n", {"a", "b"}},
      // Exactly one character after the bracket is skipped.
      {"[1]xy\n", {"y"}},
      {"[1]\tz\n", {"z"}},
      {"[1] a b\n", {"a", "b"}},
      // An unclosed bracket drops the rest of the line only.
      {"[1 main\nnext\n", {"next"}},
      {"<none\n", {}},
      // The last line needs no line end.
      {"a\nb", {"a", "b"}},
      {"[1] tail", {"tail"}},
      {"[x]", {}},
      // Repeats inside one file are kept.
      {"a a\n", {"a", "a"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(from_file(c.text), c.want) << c.text;
}

TEST(ReadList, CrLfFileGivesTheSameNames) {
  EXPECT_EQ(from_file("main\r\n[1.1] sub1\r\n  [1.2] sub2\r\nlast"),
            (names{"main", "sub1", "sub2", "last"}));
}

TEST(ReadList, MissingFileLeavesTheTable) {
  name_table t{"a"};
  capture_messages msgs;
  EXPECT_FALSE(read_list(t, "no/such/list.txt", kListFile));
  EXPECT_FALSE(read_list(t, ::testing::TempDir().c_str(), kListFile));  // a directory is no list file
  EXPECT_EQ(t, (names{"a"}));
  EXPECT_EQ(msgs.text(),
            "\"no/such/list.txt\": not found\n\"" + ::testing::TempDir() +
                "\": cannot be read (Is a directory)\n");
}

TEST(ReadList, BlanksAndDotsEndNoName) {
  std::string text;
  // Blanks and dots after the last name are no further name.
  for (int k = 0; k < 1024; k++)
    text += "n" + std::to_string(k) + " ..\t\n";
  capture_messages msgs;
  EXPECT_EQ(from_file(text).size(), 1024u);
  EXPECT_EQ(msgs.text(), "");
}

TEST(ReadList, LongLinesAreReadWhole) {
  std::string name(1500, 'x');
  name_table t = from_file(name + " after\n");
  EXPECT_EQ(t, (names{name, "after"}));
  t = from_file("[" + std::string(1100, '1') + "] f\n");
  EXPECT_EQ(t, (names{"f"}));
}

TEST(NotListed, ComparesTheFirstEntriesExactly) {
  name_table t{"a", "b", ""};
  EXPECT_EQ(not_listed("a", t, 3), 0);
  EXPECT_EQ(not_listed("b", t, 1), 1);
  EXPECT_EQ(not_listed("", t, 3), 0);
  EXPECT_EQ(not_listed("A", t, 3), 1);
  EXPECT_EQ(not_listed("a", t, 0), 1);
  EXPECT_EQ(not_listed("b", t, 99), 0);
}

}  // namespace
}  // namespace kavel
