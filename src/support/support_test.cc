// Message formatting, allocation and the name-list store.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/alloc.h"
#include "support/messages.h"
#include "support/str_list.h"
#include "test_util.h"

namespace kavel {
namespace {

TEST(ErrEdit, UnknownOption) {
  EXPECT_STREQ(err_edit("-%c: unknown option\n", {'q'}), "-q: unknown option\n");
}

TEST(ErrEdit, Directives) {
  struct {
    const char* format;
    std::initializer_list<msg_arg> args;
    const char* want;
  } cases[] = {
      {"%d|%x|%c", {-42, 255, 'Z'}, "-42|ff|Z"},
      {"%x", {-1}, "ffffffff"},
      {"%f", {1.5}, "1.500000"},
      {"[%s]", {"abc"}, "[abc]"},
      {"[%s]", {""}, "[]"},
      // Only five directives exist; everything else stands as written and
      // takes no argument, so the %s after it still gets the first one.
      {"50%% %s", {"x"}, "50%% x"},
      {"%5d %ld %u %s", {"y"}, "%5d %ld %u y"},
      // A backslash takes the next character literally, so \% starts no directive.
      {"\\%d", {}, "%d"},
      {"a\\\\b\\n", {}, "a\\bn"},
      {"end\\", {}, "end\\"},
      {"100%", {}, "100%"},
      // Directives whose argument was not passed are written unchanged.
      {"\"%s\": %d of %c\n", {"f.c"}, "\"f.c\": %d of %c\n"},
      {"%s%s", {}, "%s%s"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(std::string(err_edit(c.format, c.args)), c.want) << c.format;
  }
}

TEST(ErrEdit, LongStringIsCutTo768) {
  std::string name(2000, 'n');
  std::string got = err_edit("\"%s\": not found\n", {name.c_str()});
  EXPECT_EQ(got, "\"" + std::string(767, 'n') + "\": not found\n");
}

TEST(ErrEdit, StringThatFitsUpToTheMarkIsWhole) {
  std::string s(1023, 's');
  EXPECT_EQ(std::string(err_edit("[%s", {s.c_str()})), "[" + s);
  std::string t(1024, 't');
  EXPECT_EQ(std::string(err_edit("[%s]", {t.c_str()})), "[" + std::string(767, 't') + "]");
}

TEST(ErrEdit, StringPast768GetsNothingButTheFormatGoesOn) {
  std::string head(800, 'h');
  std::string tail(300, 't');
  // The second string cannot fit and the text is already past 768.
  EXPECT_EQ(std::string(err_edit("%s%s!", {head.c_str(), tail.c_str()})), head + "!");
}

TEST(ErrEdit, StopsAtTheMarkButFinishesADirective) {
  std::string head(1022, 'h');
  // The number begins below the mark and is written whole; then the loop stops.
  EXPECT_EQ(std::string(err_edit("%s%d tail", {head.c_str(), 123456})), head + "123456");
  std::string full(1024, 'f');
  EXPECT_EQ(std::string(err_edit("%sXYZ", {full.c_str()})), full);
  // Ordinary text alone stops at exactly 1024 characters.
  std::string text(1500, 'a');
  EXPECT_EQ(std::strlen(err_edit(text.c_str(), {})), 1024u);
}

TEST(ErrEdit, HugeDoubleFitsPastTheMark) {
  std::string head(1023, 'h');
  std::string got = err_edit("%s%f", {head.c_str(), 1e308});
  EXPECT_EQ(got.substr(0, 1023), head);
  EXPECT_EQ(got.size(), 1023 + 309 + 7u);
}

TEST(Errmsg, WritesFormatUnchangedWithoutPercent) {
  capture_messages msgs;
  EXPECT_EQ(errmsg1("a\\b\n"), 4);
  errmsg("-%c: unknown option\n", 'q');
  errmsg1("\"%s\": not found\n", "50%.c");
  EXPECT_EQ(msgs.text(), "a\\b\n-q: unknown option\n\"50%.c\": not found\n");
}

TEST(Errmsg, PercentBehindALeadByteStartsNoFormatting) {
  capture_messages msgs;
  // 0x81 takes the '%' with it as its second byte, so the text is written
  // as it stands, backslash and all.
  errmsg1("\x81%d\\n");
  EXPECT_EQ(msgs.text(), "\x81%d\\n");
}

TEST(ByteSearch, StrchrSkipsTrailBytesIndexDoesNot) {
  const char text[] = "\x95\x5c\x25";
  EXPECT_EQ(Strchr(text, 0x5c), nullptr);
  EXPECT_EQ(Strchr(text, 0x25), text + 2);
  EXPECT_EQ(Strchr(text, 0x95), text);  // a lead byte itself can be found
  EXPECT_EQ(index(text, 0x5c), text + 1);
  EXPECT_EQ(Strchr(text, 0), nullptr);
  EXPECT_EQ(index(text, 0), nullptr);
  // A lead byte at the very end does not swallow the terminator.
  const char tail[] = "ab\xe0";
  EXPECT_EQ(Strchr(tail, 'x'), nullptr);
  // 0xFD is no lead byte, so the backslash after it is found.
  const char plain[] = "a\xfd\\";
  EXPECT_EQ(Strchr(plain, '\\'), plain + 2);
  const char kana[] = "\xa4\\";  // half-width katakana: one byte in Shift-JIS
  EXPECT_EQ(Strchr(kana, '\\'), kana + 1);
}

TEST(ByteSearch, ClearWritesCountBytesOnly) {
  unsigned char buf[6] = {9, 9, 9, 9, 9, 9};
  clear(buf, 0, 0);
  clear(buf, 0, -3);
  EXPECT_EQ(buf[0], 9);
  clear(buf + 1, 0x1FF, 3);
  EXPECT_EQ(buf[0], 9);
  EXPECT_EQ(buf[1], 0xFF);
  EXPECT_EQ(buf[3], 0xFF);
  EXPECT_EQ(buf[4], 9);
}

// The heap is made to refuse through the test seam; the real heap is never
// exhausted.
bool refuse_all(long long) {
  return true;
}

TEST(Alloc, SetstrAndAddstr) {
  char* s = setstr("");
  EXPECT_EQ(s[0], 0);
  EXPECT_EQ(s[1], 0);
  EXPECT_EQ(s[2], 0);
  s = addstr(s, "abc");
  s = addstr(s, "");
  EXPECT_STREQ(s, "abc");
  freeMem(s);
  freeMem(nullptr);
  unsigned char* block = static_cast<unsigned char*>(getmem(64));
  for (int k = 0; k < 64; k++)
    ASSERT_EQ(block[k], 0);
  freeMem(block);
}

using AllocDeathTest = ::testing::Test;

TEST_F(AllocDeathTest, GetmemMessages) {
  struct {
    int32_t size;
    const char* message;
  } cases[] = {
      {1000, "\ncannot get the memory of 1000 bytes\n"},
      {1001, "\ncannot get the memory of 0 K bytes\n"},
      {1023, "\ncannot get the memory of 0 K bytes\n"},
      {2048, "\ncannot get the memory of 2 K bytes\n"},
      {5, "\ncannot get the memory of 5 bytes\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EXIT(
        {
          alloc_fail_hook = refuse_all;
          getmem(c.size);
        },
        ::testing::ExitedWithCode(1), std::string("^") + c.message + "$")
        << c.size;
  }
}

TEST_F(AllocDeathTest, SetstrAndAddstrMessages) {
  EXPECT_EXIT(
      {
        alloc_fail_hook = refuse_all;
        setstr("x");
      },
      ::testing::ExitedWithCode(1), "^\ncannot get the memory of 4 bytes\n$");
  EXPECT_EXIT(
      {
        char* s = setstr("abc");
        alloc_fail_hook = refuse_all;
        addstr(s, "d");
      },
      ::testing::ExitedWithCode(1), "^can't get memory\n$");
}

TEST(Alloc, RequestAtTerminateSizeReturnsNull) {
  capture_messages msgs;
  alloc_fail_hook = refuse_all;
  EXPECT_EQ(getmem(terminate_size), nullptr);
  alloc_fail_hook = nullptr;
  EXPECT_EQ(msgs.text(), "\ncannot get the memory of 2097151 K bytes\n");
}

TEST_F(AllocDeathTest, SetstrAfterNullGetmemAndEndfun) {
  EXPECT_EXIT(
      {
        alloc_fail_hook = refuse_all;
        terminate_size = 1;  // every refused request comes back as null
        endfun = [] { fputs("endfun\n", stderr); };
        setstr("x");
      },
      ::testing::ExitedWithCode(1),
      "^\ncannot get the memory of 4 bytes\ncannot get memory\nendfun\n$");
}

TEST_F(AllocDeathTest, OutOfMemoryEndsLikeGetmem) {
  EXPECT_EXIT(out_of_memory(4096), ::testing::ExitedWithCode(1),
              "^\ncannot get the memory of 4 K bytes\n$");
}

class NameStore : public ::testing::Test {
 protected:
  void SetUp() override { name_init(&list_); }
  void TearDown() override { del_allname(&list_); }
  std::string walk(int start) {
    std::string out;
    for (const char* s = get_name(&list_, start); s; s = get_name(&list_, 1))
      out += s;
    return out;
  }
  name_list list_;
};

TEST_F(NameStore, FreshListHasNothingEitherWay) {
  EXPECT_EQ(get_name(&list_, 0), nullptr);
  EXPECT_EQ(get_name(&list_, -1), nullptr);
  EXPECT_EQ(get_name(&list_, 1), nullptr);
}

TEST_F(NameStore, WalksForwardAndBackward) {
  for (const char* s : {"a", "b", "c"})
    EXPECT_EQ(add_name(&list_, s), 0);
  EXPECT_EQ(walk(0), "abc");
  EXPECT_EQ(walk(-1), "cba");
  // Past the end the walk stays at its end.
  EXPECT_EQ(get_name(&list_, 1), nullptr);
  EXPECT_EQ(get_name(&list_, 1), nullptr);
  // A new start abandons the walk under way.
  EXPECT_STREQ(get_name(&list_, 0), "a");
  EXPECT_STREQ(get_name(&list_, -1), "c");
  EXPECT_STREQ(get_name(&list_, 1), "b");
}

TEST_F(NameStore, DuplicateCheck) {
  add_name(&list_, "x");
  add_name(&list_, "x");
  EXPECT_EQ(walk(0), "x");
  list_.dup_check = false;
  add_name(&list_, "x");
  add_name(&list_, "");
  add_name(&list_, "x");
  EXPECT_EQ(walk(-1), "xxx");
  int n = 0;
  for (const char* s = get_name(&list_, 0); s; s = get_name(&list_, 1))
    n++;
  EXPECT_EQ(n, 4);  // the empty text is an entry of its own
}

TEST_F(NameStore, DelAllnameLeavesAReusableEmptyList) {
  del_allname(&list_);
  EXPECT_EQ(list_.head.name, nullptr);
  EXPECT_EQ(get_name(&list_, 0), nullptr);
  add_name(&list_, "one");
  add_name(&list_, "two");
  del_allname(&list_);
  EXPECT_EQ(list_.head.name, nullptr);
  EXPECT_EQ(list_.head.next, nullptr);
  EXPECT_EQ(get_name(&list_, -1), nullptr);
  add_name(&list_, "again");
  EXPECT_EQ(walk(0), "again");
  EXPECT_EQ(list_.head.next, nullptr);  // the first node took it
}

}  // namespace
}  // namespace kavel
