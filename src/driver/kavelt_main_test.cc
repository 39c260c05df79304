// The driver run in process: help, option parsing and its messages, the
// include pass's skip rules, body mode and every listing form.
#include "driver/kavelt_main.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "scanner/include_files.h"
#include "support/messages.h"
#include "support/options.h"
#include "tables/fun_table.h"
#include "test_util.h"

namespace kavel {
namespace {

// The help text as it reads, in UTF-8.
const char* const kHelpUtf8[] = {
    "関数名のリストまたは関数の実体を出力します。",
    " ",
    "Usage: kavel [-fius] [-EUC] [-l <list1>] [-L <file1>] [-r <list2>]",
    "             [-R <file2>] [-m <list3>] [-M <file3>]",
    "             [-I <dir>] <c_files>",
    " ",
    "Parameter:",
    "   -fus:",
    "     f         関数実体を出力する場合、関数の先頭にファイル名をコメントとして埋",
    "               め込みます。",
    "               ただし、直前の関数とファイルが同じ場合には出力しません。",
    "     i         関数名を出力する場合、関数名の後にファイル名及び行番号を次の形式",
    "               で出力します。",
    "                   関数名:ファイル名:行番号",
    "     u         関数実体を出力する場合、コール元の関数名をコメントとして埋め込み",
    "               ます。",
    "     s         関数名のみの表示の場合、関数名ではなく関数の先頭行を表示します。",
    "     t         関数実体の代わりに関数の呼び出しツリーを出力します。",
    "     d         呼び出しツリーをGraphvizのDOT形式で出力します。",
    " ",
    "   -EUC        文字セットをEUCコードとみなします。",
    " ",
    "   -l <list1>  関数の実体を出力する関数名のリスト",
    "               これを省略した場合には、関数名のみが出力されます。",
    "               それぞれの関数名は次のように指定します。",
    "                   [@]<function>",
    "                @を付加した場合には、<function>の下位の関数も出力します。",
    "                ^を付加した場合には、<function>の上位の関数も出力します。",
    "               複数指定する場合には、カンマで結合します。",
    "               各関数名にはワイルドカード(*,?)を使用できます。",
    "   -L <file1>  関数の実体を出力する関数名を記述したファイル名",
    "               これは関数名を羅列したテキストファイルです。",
    "               また、moxitで出力された関数ツリーのものも指定できます。",
    "   -r <list2>  除外する関数名リスト",
    "               複数指定する場合には、カンマで結合します。",
    "               各関数名にはワイルドカードを使用できます。",
    "   -R <file2>  除外する関数名を記述したファイル名",
    "               これは除外する関数名を羅列したテキストファイルです。",
    "   -m <list3>  同一関数名に対するファイル指定リスト",
    "               複数指定する場合には、カンマで結合します。",
    "   -M <file3>  同一関数名に対するファイル指定を記述したファイル名",
    "               これは同一関数名に対するファイル指定を羅列したテキストファイル",
    "               です。",
    "   -I <dir>    ヘッダーファイルのあるディレクトリパス",
    "   <c_files>   ｃ言語のソースファイル名",
    " ",
    "Version: 0.93",
};

std::string sjis_to_utf8(const std::string& in) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1))
    cd = iconv_open("UTF-8", "SHIFT_JIS");
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::string src = in;
  std::string out(in.size() * 4 + 4, '\0');
  char* ip = src.data();
  size_t il = src.size();
  char* op = out.data();
  size_t ol = out.size();
  size_t r = iconv(cd, &ip, &il, &op, &ol);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1))
    return "<not Shift-JIS>";
  out.resize(out.size() - ol);
  return out;
}

struct run_result {
  std::string out;
  std::string err;
  int rc = 0;
};

class Driver : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_all();
    g_exit_throws = true;
  }
  void TearDown() override {
    g_exit_throws = false;
    reset_all();
  }

  run_result run(std::vector<std::string> args) {
    args.insert(args.begin(), "kavel");
    std::vector<char*> argv;
    for (std::string& a : args)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    run_result r;
    capture_messages msgs;
    capture_stdout out;
    try {
      r.rc = kavelt_main(static_cast<int>(args.size()), argv.data());
    } catch (const exit_request& e) {
      r.rc = e.status;
    }
    r.out = out.text();
    r.err = msgs.text();
    return r;
  }

  static void add_record(const char* name, const char* file, int line, const char* first,
                         int kind = 0, int dup = 0) {
    fun_info& f = new_record(name, file);
    f.line = line;
    set_first_line(f, first);
    f.kind = static_cast<fun_kind>(kind);
    f.dup = static_cast<int16_t>(dup);
  }
};

TEST(UsageMsg, ReadsAsTheHelpText) {
  int n = 0;
  while (usage_msg[n][0])
    n++;
  ASSERT_EQ(n, 47);
  for (int k = 0; k < n; k++)
    EXPECT_EQ(sjis_to_utf8(usage_msg[k]), kHelpUtf8[k]) << "line " << k;
}

TEST_F(Driver, UsageAloneWritesTheHelpAndEnds) {
  run_result r = run({"-usage"});
  std::string want;
  for (int k = 0; usage_msg[k][0]; k++)
    want += std::string(usage_msg[k]) + "\n";
  EXPECT_EQ(r.out, want);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.rc, 1);
}

TEST_F(Driver, NoArgumentsWritesTwoUsageLines) {
  run_result r = run({});
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            "Usage: kavel [-fius] [-EUC] [-l <list1>] [-L <file1>] [-r <list2>]\n"
            "             [-R <file2>] [-m <list3>] [-M <file3>]\n");
  EXPECT_EQ(r.rc, 1);
}

TEST_F(Driver, UsageAmongOtherArgumentsIsASwitchGroup) {
  run_result r = run({"-usage", "-"});
  EXPECT_EQ(r.err, "-a: unknown option\n-e: unknown option\n");
  EXPECT_EQ(r.rc, 2);
  EXPECT_EQ(g_opt.caller_flag, 1);
  EXPECT_EQ(g_opt.lead_flag, 1);
  EXPECT_EQ(g_opt.file_flag, 0);
}

TEST_F(Driver, SwitchLetters) {
  run_result r = run({"-fgiu", "-xf", "-"});
  EXPECT_EQ(r.err, "-x: unknown option\n");
  EXPECT_EQ(g_opt.file_flag, 1);
  EXPECT_EQ(g_opt.lead_flag, 1);
  EXPECT_EQ(g_opt.line_flag, 1);
  EXPECT_EQ(g_opt.caller_flag, 1);
  EXPECT_EQ(g_opt.euc_flag, 0);
}

TEST_F(Driver, MissingParameters) {
  struct {
    const char* option;
    const char* message;
  } cases[] = {
      {"-l", "-l <list> parameter missing\n"}, {"-L", "-L <list> parameter missing\n"},
      {"-r", "-r <list> parameter missing\n"}, {"-R", "-R <list> parameter missing\n"},
      {"-m", "-m <list> parameter missing\n"}, {"-M", "-M <list> parameter missing\n"},
      {"-I", "-I <dir> parameter missing\n"},
  };
  for (const auto& c : cases) {
    reset_all();
    add_record("main", "a.c", 1, "int main()\n");
    run_result r = run({"-i", c.option});
    EXPECT_EQ(r.err, c.message);
    EXPECT_EQ(r.rc, 2);
    // A bare -l or -L still selects body mode, with nothing to print.
    bool body = c.option[1] == 'l' || c.option[1] == 'L';
    EXPECT_EQ(r.out, body ? "" : "main;a.c;1\n") << c.option;
  }
}

TEST_F(Driver, EucIsNeverAFile) {
  run_result r = run({"-EUC"});
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(g_opt.euc_flag, 1);
}

TEST_F(Driver, MissingSourceReportedOnce) {
  run_result r = run({"nofile.c", "-", "nofile.c"});
  EXPECT_EQ(r.err, "\"nofile.c\": not found\n\"nofile.c\": not found\n");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.rc, 2);
}

TEST_F(Driver, ListOptionsAppendInOrder) {
  temp_file list("[1] b\n  [2] c\n");
  temp_file files("y.c\n");
  run_result r = run({"-l", "a", "-L", list.path(), "-l", "d,a", "-r", "x,!y", "-M", files.path(),
                      "-m", "z.c"});
  EXPECT_EQ(g_opt.fun_list, (name_table{"a", "b", "c", "d"}));
  EXPECT_EQ(g_opt.ign_list, (name_table{"x", "!y"}));
  EXPECT_EQ(g_opt.file_list, (name_table{"y.c", "z.c"}));
}

TEST_F(Driver, IncludeDirectoriesHaveNoLimit) {
  std::vector<std::string> args;
  for (int k = 0; k < 1100; k++) {
    args.push_back("-I");
    args.push_back("dir" + std::to_string(k));
  }
  args.push_back("-");
  run_result r = run(args);
  ASSERT_EQ(g_opt.inc_dir.size(), 1100u);
  EXPECT_EQ(g_opt.inc_dir[1099], "dir1099");
  EXPECT_EQ(r.err, "");
}

TEST_F(Driver, IncludePassSkipsCommandLineAndSystemPaths) {
  temp_file empty("");
  struct {
    const char* name;
    std::string path;
  } recorded[] = {
      {"cmd.h", "missing_cmd.h"},                  // also a command-line argument
      {"stdio_x.h", "/usr/include/kavel_none.h"},  // the system's own
      {"gone.h", "./kavel_gone.h"},                // reported by its written name
      {"empty.h", empty.path()},
  };
  for (const auto& e : recorded) {
    g_inc.inc_name.push_back(e.name);
    g_inc.inc_path.push_back(e.path);
    g_inc.inc_cnt++;
  }
  run_result r = run({"missing_cmd.h"});
  EXPECT_EQ(r.err, "\"missing_cmd.h\": not found\n\"gone.h\": not found\n");
}

TEST_F(Driver, BodyModeConvertsEntriesUpToTheFirstEmpty) {
  add_record("main", "a.c", 1, "int main()\n");
  run_result r = run({"-s", "-l", "ma?n*,,b*"});
  EXPECT_EQ(g_opt.fun_list, (name_table{"ma\x01n\x02", "", "b*"}));
  EXPECT_EQ(r.rc, 2);  // the record made here has no text to print
}

TEST_F(Driver, ListingForms) {
  struct {
    std::vector<std::string> args;
    const char* want;
  } cases[] = {
      {{"-"}, "main\nb.c;dup\nc.c;dup\n"},
      {{"-i"}, "main;a.c;3\ndup;b.c;7\ndup;c.c;-9\n"},
      {{"-s"}, "int main(void)\nb.c;void dup()\nc.c;static void dup() {\n"},
      {{"-i", "-s"}, "int main(void)\nb.c;void dup()\nc.c;static void dup() {\n"},
      {{"-EUC"}, "main\nb.c;dup\nc.c;dup\n"},
  };
  for (const auto& c : cases) {
    reset_all();
    add_record("main", "a.c", 3, "int main(void)\n");
    add_record("MAC", "a.c", 5, "#define MAC(x) f(x)\n", 1);  // macros are not listed
    add_record("", "a.c", 6, "int gone()\n");                 // displaced by a preferred file
    add_record("dup", "b.c", 7, "void dup()\n", 0, 1);
    add_record("dup", "c.c", -9, "static void dup() {\n", 2, 1);
    run_result r = run(c.args);
    EXPECT_EQ(r.out, c.want) << c.args[0];
    EXPECT_EQ(r.err, "");
  }
}

TEST_F(Driver, RunsTwiceInOneProcess) {
  run_result first = run({"-l", "a", "nofile.c"});
  reset_all();
  run_result second = run({"-l", "a", "nofile.c"});
  EXPECT_EQ(first.out, second.out);
  EXPECT_EQ(first.err, second.err);
  EXPECT_EQ(g_opt.fun_list, (name_table{"a"}));
}

}  // namespace
}  // namespace kavel
