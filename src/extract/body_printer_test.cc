#include "extract/body_printer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "support/options.h"
#include "tables/fun_table.h"
#include "tables/ignore_list.h"
#include "tables/pattern.h"
#include "test_util.h"

namespace kavel {
namespace {

// Offset of the start of the line holding `needle`.
long long line_start(const std::string& text, const std::string& needle) {
  size_t at = text.find(needle);
  EXPECT_NE(at, std::string::npos) << needle;
  size_t nl = text.rfind('\n', at);
  return nl == std::string::npos ? 0 : static_cast<long long>(nl + 1);
}

// Offset just past the line on which the first `needle` ends.
long long line_end(const std::string& text, const std::string& needle) {
  size_t at = text.find(needle);
  EXPECT_NE(at, std::string::npos) << needle;
  size_t nl = text.find('\n', at + needle.size() - 1);
  return nl == std::string::npos ? static_cast<long long>(text.size())
                                 : static_cast<long long>(nl + 1);
}

std::string crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n')
      out += '\r';
    out += c;
  }
  return out;
}

class BodyPrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_tables();
    reset_options();
    reset_printer();
    reset_ignore();
    char tmpl[] = "/tmp/kavel_printer_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    reset_printer();
    std::string cmd = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
  }

  std::string write(const std::string& name, const std::string& text) {
    std::string path = dir_ + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return path;
  }

  // Enters a record the way the scan would; returns its number.
  int add(const std::string& name, const std::string& file, long long top, long long head,
          long long end) {
    fun_info& f = new_record(name, file);
    int no = f.no;
    f.set_top_pos(top);
    f.set_head_pos(head);
    f.set_end_pos(end);
    g_tab.by_name[name].recs.push_back(no);
    return no;
  }
  // A function of `path` whose leading region starts at the line holding
  // `top`, header at `head`, closing line at `end`.
  int add_in(const std::string& name, const std::string& path, const std::string& text,
             const std::string& top, const std::string& head, const std::string& end) {
    return add(name, path, line_start(text, top), line_start(text, head), line_end(text, end));
  }
  void calls(int a, int b) {
    fun_info& f = g_tab.Finf[a];
    f.callees().push_back(b);
  }
  int external(const std::string& name) {
    return add_extern(name);
  }

  std::string dir_;
};

// Prints the comment block above `head` of `text`, looking back to `top`.
std::string lead_comment(const std::string& path, long long head, long long top) {
  text_window file;
  EXPECT_TRUE(file.open(path.c_str()));
  capture_stdout out;
  print_lead_comment(file, head, top);
  return out.text();
}

struct lead_case {
  const char* what;
  const char* text;  // the header is the line holding "HEAD"
  const char* top;   // the region starts at the line holding this
  const char* expected;
};

const lead_case kLeadCases[] = {
    {"stacked blocks keep the blank lines between them",
     "int x;\n/* one */\n\n/* two\n * more */\n\nint HEAD(void)\n", "int x;",
     "/* one */\n\n/* two\n * more */\n"},
    {"a code line above a comment ends the block", "int a;\n/* c */\nint HEAD(void)\n", "int a;",
     "/* c */\n"},
    {"code before the opening on its line is left out", "int a; /* c */\nint HEAD(void)\n",
     "int a;", "/* c */\n"},
    {"comment, declaration, header: the comment only",
     "/* about f */\nstatic int n;\nint HEAD(void)\n", "/* about", "/* about f */\n"},
    {"text after the last */ is left out", "/* c */ int n;\nint HEAD(void)\n", "/* c", "/* c */\n"},
    {"two comments on one line", "/* a */ /* b */\nint HEAD(void)\n", "/* a", "/* a */ /* b */\n"},
    {"a block whose opening is not on the nearest line ends there",
     "/* a\n b */\n/* c */\nint HEAD(void)\n", "/* a", "/* c */\n"},
    {"line comments are not a block", "// one\n// two\n\nint HEAD(void)\n", "// one", ""},
    {"no comment at all", "int a;\nint b;\nint HEAD(void)\n", "int a;", ""},
    {"an opening above within the region is enough", "x = 1; /* a */\n  /* b */\nint HEAD(void)\n",
     "x = 1;", "/* a */\n  /* b */\n"},
    {"equal lines are all kept", "/****/\n/****/\nint HEAD(void)\n", "/**", "/****/\n/****/\n"},
    {"a comment before top is not looked at", "/* old */\nint a;\nint HEAD(void)\n", "int a;", ""},
    {"a comment ending without its opening in the region",
     "/* long\n   comment */\nint HEAD(void)\n", "   comment", ""},
};

TEST_F(BodyPrinterTest, LeadCommentShapes) {
  for (const lead_case& c : kLeadCases) {
    for (bool dos : {false, true}) {
      std::string text = dos ? crlf(c.text) : c.text;
      std::string path = write("lead.c", text);
      EXPECT_EQ(lead_comment(path, line_start(text, "HEAD"), line_start(text, c.top)), c.expected)
          << c.what << (dos ? " (CR LF)" : "");
    }
  }
}

TEST_F(BodyPrinterTest, LeadCommentEmptyRegion) {
  std::string path = write("first.c", "int f(void)\n{\n}\n");
  EXPECT_EQ(lead_comment(path, 0, 0), "");
}

TEST_F(BodyPrinterTest, LeadCommentAcrossManyPieces) {
  // A block of 80 lines below 50 lines of declarations, and then 3000 bytes
  // of declarations between the block and the header: the scan has to read
  // several pieces back both to find the block's end and to collect it.
  std::string decls;
  for (int i = 0; i < 50; i++)
    decls += "int v" + std::to_string(i) + " = 1;\n";
  std::string block = "/*\n";
  for (int i = 0; i < 80; i++)
    block += " * line " + std::to_string(i) + " of the block\n";
  block += " */\n";
  std::string gap;
  while (gap.size() < 3000)
    gap += "extern int some_declaration_here;\n";
  std::string text = decls + block + gap + "int HEAD(void)\n";
  for (bool dos : {false, true}) {
    std::string t = dos ? crlf(text) : text;
    std::string path = write("long.c", t);
    EXPECT_EQ(lead_comment(path, line_start(t, "HEAD"), 0), block) << dos;
  }
}

TEST_F(BodyPrinterTest, LeadCommentLongLines) {
  std::string longline = "/* " + std::string(3000, 'x') + " */";
  std::string text =
      "int a;\n" + longline + "\n/* " + std::string(2100, 'y') + "\n */\nint HEAD(void)\n";
  std::string path = write("wide.c", text);
  EXPECT_EQ(lead_comment(path, line_start(text, "HEAD"), 0),
            longline + "\n/* " + std::string(2100, 'y') + "\n */\n");
}

TEST_F(BodyPrinterTest, LeadCommentCrLfSplitAtPieceBoundary) {
  // Lengthen the declaration between block and header a byte at a time so
  // that some run puts a CR and its LF of the block into different pieces;
  // the output must stay the LF twin's.
  std::string block = "/* start\n";
  for (int i = 0; i < 300; i++)
    block += " * l\n";
  block += " */\n";
  for (int pad = 0; pad < 12; pad++) {
    std::string t =
        crlf("int a;\n" + block + "int " + std::string(pad + 1, 'v') + ";\nint HEAD(void)\n");
    std::string path = write("split.c", t);
    EXPECT_EQ(lead_comment(path, line_start(t, "HEAD"), 0), block) << pad;
  }
}

const char kTwoFns[] =
    "#include <stdio.h>\n"
    "/* adds */\n"
    "int add(int a, int b)\n"
    "{\n"
    "  return a + b;\n"
    "}\n"
    "static int n;\n"
    "/* subtracts */\n"
    "int sub(int a, int b)\n"
    "{\n"
    "  return a - b;\n"
    "}\n"
    "int tail;\n";

TEST_F(BodyPrinterTest, PrintsCommentAndBody) {
  std::string path = write("a.c", kTwoFns);
  add_in("add", path, kTwoFns, "/* adds", "int add", "  return a + b;\n}");
  add_in("sub", path, kTwoFns, "/* subtracts", "int sub", "  return a - b;\n}");
  capture_stdout out;
  EXPECT_EQ(print_fun(-1, "sub"), 1);
  EXPECT_EQ(print_fun(-1, "add"), 0);
  EXPECT_EQ(out.text(),
            "/* subtracts */\nint sub(int a, int b)\n{\n  return a - b;\n}\n\n"
            "/* adds */\nint add(int a, int b)\n{\n  return a + b;\n}\n\n");
}

TEST_F(BodyPrinterTest, CrLfTwinPrintsTheSame) {
  std::string lf = write("lf.c", kTwoFns);
  std::string dos_text = crlf(kTwoFns);
  std::string dos = write("dos.c", dos_text);
  add_in("add", lf, kTwoFns, "/* adds", "int add", "  return a + b;\n}");
  add_in("sub", dos, dos_text, "/* subtracts", "int sub", "  return a - b;\r\n}");
  add_in("sub2", lf, kTwoFns, "/* subtracts", "int sub", "  return a - b;\n}");
  add_in("add2", dos, dos_text, "/* adds", "int add", "  return a + b;\r\n}");
  std::string from_lf, from_dos;
  {
    capture_stdout out;
    print_fun(-1, "add");
    print_fun(-1, "sub2");
    from_lf = out.text();
  }
  {
    capture_stdout out;
    print_fun(-1, "add2");
    print_fun(-1, "sub");
    from_dos = out.text();
  }
  EXPECT_EQ(from_dos, from_lf);
  EXPECT_EQ(from_lf.find('\r'), std::string::npos);
}

TEST_F(BodyPrinterTest, FileCommentOnlyWhenTheFileChanges) {
  const std::string a = "int f1(void)\n{\n}\nint f2(void)\n{\n}\nint f3(void)\n{\n}\n";
  const std::string b = "int g(void)\n{\n}\n";
  std::string pa = write("a.c", a), pb = write("b.c", b);
  add_in("f1", pa, a, "f1", "f1", "f1(void)\n{\n}");
  add_in("f2", pa, a, "f2", "f2", "f2(void)\n{\n}");
  add_in("f3", pa, a, "f3", "f3", "f3(void)\n{\n}");
  add_in("g", pb, b, "g", "g", "g(void)\n{\n}");
  g_opt.file_flag = 1;
  capture_stdout out;
  for (const char* name : {"f1", "f2", "g", "f3"})
    print_fun(-1, name);
  EXPECT_EQ(out.text(), "/* File: " + pa + " */\nint f1(void)\n{\n}\n\nint f2(void)\n{\n}\n\n" +
                            "/* File: " + pb + " */\nint g(void)\n{\n}\n\n" + "/* File: " + pa +
                            " */\nint f3(void)\n{\n}\n\n");
}

TEST_F(BodyPrinterTest, LeadFlagCopiesTheWholeRegion) {
  std::string path = write("a.c", kTwoFns);
  add_in("sub", path, kTwoFns, "static int n;", "int sub", "  return a - b;\n}");
  g_opt.lead_flag = 1;
  capture_stdout out;
  print_fun(-1, "sub");
  EXPECT_EQ(out.text(),
            "static int n;\n/* subtracts */\nint sub(int a, int b)\n{\n  return a - b;\n}\n\n");
}

TEST_F(BodyPrinterTest, MacroPrintsFromItsDefine) {
  const std::string text = "/* max */\n#define MAX(a, b) \\\n  ((a) > (b) ? f(a) : (b))\nint x;\n";
  std::string path = write("m.h", text);
  add("MAX", path, line_start(text, "#define"), -1, line_end(text, "  ((a)"));
  capture_stdout out;
  print_fun(-1, "MAX");
  EXPECT_EQ(out.text(), "#define MAX(a, b) \\\n  ((a) > (b) ? f(a) : (b))\n\n");
}

TEST_F(BodyPrinterTest, LongLinesArePrintedWhole) {
  std::string longline = "  int x = " + std::string(5000, '1') + ";\n";
  std::string text = "int f(void)\n{\n" + longline + "}\nint g;\n";
  std::string path = write("a.c", text);
  add("f", path, 0, 0, line_end(text, "}"));
  capture_stdout out;
  print_fun(-1, "f");
  EXPECT_EQ(out.text(), "int f(void)\n{\n" + longline + "}\n\n");
}

TEST_F(BodyPrinterTest, OffsetsPastTheFileEnd) {
  // The file was cut short after the scan: what is left of a text prints,
  // and a header past the end prints as an empty text.
  const std::string text = "/* c */\nint f(void)\n{\n}";
  std::string path = write("cut.c", text);
  add("f", path, 0, line_start(text, "int f"), 400);
  add("g", path, 0, 300, 400);
  capture_stdout out;
  print_fun(-1, "f");
  print_fun(-1, "g");
  EXPECT_EQ(out.text(), "/* c */\nint f(void)\n{\n}\n\n");
}

TEST_F(BodyPrinterTest, FailuresAndTheirMessages) {
  const std::string text = "int f(void)\n{\n}\n";
  std::string pa = write("a.c", text), pb = write("b.c", text);
  int f1 = add("f", pa, 0, 0, line_end(text, "}"));
  int f2 = add("f", pb, 0, 0, line_end(text, "}"));
  g_tab.Finf[f1].dup = g_tab.Finf[f2].dup = 1;
  add("open", pa, 5, 5, 5);
  add("gone", dir_ + "/missing.c", 0, 0, 10);

  struct row {
    const char* entry;  // as written
    int result;
    std::string err;
  };
  const row rows[] = {
      {"nosuch", -1, "\"nosuch\": not found\n"},
      {"no*such?", -1, "\"no*such?\": not found\n"},
      {"f", -1, "f in \"" + pa + "\": multiple function\n"},
      {"*f", -1, "*f in \"" + pa + "\": multiple function\n"},
      {"x.c#f", -1, "f in \"x.c\": not found\n"},
      {"*#f", -1, "f in \"*\": not found\n"},
      {"open", -1, "internal error; open is none statement\n"},
      {"gone", -1, "\"" + dir_ + "/missing.c\": not found\n"},
  };
  for (const row& r : rows) {
    std::string entry = r.entry;
    conv_search_str(entry);
    capture_messages err;
    capture_stdout out;
    EXPECT_EQ(print_fun(-1, entry.c_str()), r.result) << r.entry;
    EXPECT_EQ(err.text(), r.err) << r.entry;
    EXPECT_EQ(out.text(), "") << r.entry;
  }
  EXPECT_TRUE(g_print.text_file.empty());
}

TEST_F(BodyPrinterTest, FileHashNamePicksTheDefinition) {
  const std::string a = "int f(void)\n{\n  return 1;\n}\n";
  const std::string b = "int f(void)\n{\n  return 2;\n}\n";
  std::string pa = write("a.c", a), pb = write("b.c", b), pc = write("c.c", a);
  int f1 = add("f", pa, 0, 0, line_end(a, "}"));
  int f2 = add("f", pb, 0, 0, line_end(b, "}"));
  g_tab.Finf[f1].dup = g_tab.Finf[f2].dup = 1;
  add("once", pc, 0, 0, line_end(a, "}"));
  capture_stdout out;
  EXPECT_EQ(print_fun(-1, (pb + "#f").c_str()), f2);
  EXPECT_EQ(print_fun(-1, (pa + "#f").c_str()), f1);
  // Defined once: the file part is not consulted.
  EXPECT_EQ(print_fun(-1, "elsewhere.c#once"), 2);
  EXPECT_EQ(out.text(), b + "\n" + a + "\n" + a + "\n");
}

TEST_F(BodyPrinterTest, AlreadyPrintedPrintsNothingAndWalksOn) {
  const std::string text = "int main(void)\n{\n}\nint f(void)\n{\n}\n";
  std::string path = write("a.c", text);
  int m = add_in("main", path, text, "main", "main", "main(void)\n{\n}");
  int f = add_in("f", path, text, "int f", "int f", "f(void)\n{\n}");
  calls(m, f);
  g_opt.caller_flag = 1;
  capture_stdout out;
  EXPECT_EQ(print_fun(-1, "main"), m);
  EXPECT_EQ(print_fun(-1, "main"), m);
  print_fun_below("main");
  EXPECT_EQ(out.text(), "int main(void)\n{\n}\n\n/* Called by: main */\nint f(void)\n{\n}\n\n");
}

// One file holding functions a..e, each "int X(void)\n{\n}\n".
class WalkTest : public BodyPrinterTest {
 protected:
  void SetUp() override {
    BodyPrinterTest::SetUp();
    for (const char* n : {"a", "b", "c", "d", "e"})
      text_ += std::string("int ") + n + "(void)\n{\n}\n";
    path_ = write("w.c", text_);
    for (const char* n : {"a", "b", "c", "d", "e"}) {
      std::string h = std::string("int ") + n + "(";
      no_[static_cast<int>(n[0])] = add_in(n, path_, text_, h, h, h + "void)\n{\n}");
    }
    g_opt.caller_flag = 1;
  }
  static std::string fn(char n) { return std::string("int ") + n + "(void)\n{\n}\n\n"; }
  static std::string by(char n) { return std::string("/* Called by: ") + n + " */\n"; }

  std::string text_, path_;
  int no_[128] = {};
};

TEST_F(WalkTest, SharedCalleesAndACycle) {
  calls(no_['a'], no_['b']);
  calls(no_['a'], no_['c']);
  calls(no_['b'], no_['c']);
  calls(no_['c'], no_['a']);  // back up: a cycle
  calls(no_['c'], no_['d']);
  capture_stdout out;
  capture_messages err;
  print_fun_below("a");
  const std::string tree = fn('a') + by('a') + fn('b') + by('b') + fn('c') + by('c') + fn('d');
  EXPECT_EQ(out.text(), tree);
  EXPECT_EQ(err.text(), "");
  // The tree is used up: a second walk prints nothing more.
  print_fun_below("a");
  EXPECT_EQ(out.text(), tree);
}

TEST_F(WalkTest, ExternalAndDuplicateCallees) {
  int x = external("xfun");
  calls(no_['a'], x);
  calls(no_['a'], no_['b']);
  calls(no_['b'], x);
  calls(no_['b'], no_['e']);
  calls(no_['a'], no_['e']);
  // e defined in two files, neither of them the callers' own.
  std::string other = write("w2.c", "int e(void)\n{\n}\n");
  int e2 = add_in("e", other, "int e(void)\n{\n}\n", "int e(", "int e(", "int e(void)\n{\n}");
  g_tab.Finf[no_['e']].file = file_ref("w3.c");
  g_tab.Finf[no_['e']].dup = g_tab.Finf[e2].dup = 1;
  capture_stdout out;
  capture_messages err;
  print_fun_below("a");
  EXPECT_EQ(out.text(), fn('a') + by('a') + fn('b'));
  std::string dupmsg = "e in \"w3.c\": multiple function\n";
  EXPECT_EQ(err.text(), "\"xfun\": not found\n\"xfun\": not found\n" + dupmsg + dupmsg);
}

TEST_F(WalkTest, ExcludedNamesAreEnteredNotPrinted) {
  calls(no_['a'], no_['b']);
  calls(no_['b'], no_['c']);
  g_opt.ign_list = {"b"};
  capture_stdout out;
  print_fun_below("a");
  EXPECT_EQ(out.text(), fn('a') + by('b') + fn('c'));
  EXPECT_EQ(g_tab.Finf[no_['b']].printed, 1);
}

TEST_F(WalkTest, CallerCommentOnlyInWalks) {
  calls(no_['a'], no_['b']);
  calls(no_['a'], no_['c']);
  calls(no_['d'], no_['e']);
  capture_stdout out;
  print_fun(-1, "c");
  print_fun_below("a");
  g_opt.caller_flag = 0;
  print_fun_below("d");
  EXPECT_EQ(out.text(), fn('c') + fn('a') + by('a') + fn('b') + fn('d') + fn('e'));
}

TEST_F(BodyPrinterTest, VeryDeepChain) {
  // f0 calls f1 calls f2 ... f9999: the walk must not run out of anything.
  constexpr int kDepth = 10000;
  std::string text;
  for (int i = 0; i < kDepth; i++)
    text += "int f" + std::to_string(i) + "(void)\n{\n}\n";
  std::string path = write("deep.c", text);
  long long at = 0;
  for (int i = 0; i < kDepth; i++) {
    long long len = static_cast<long long>(("int f" + std::to_string(i) + "(void)\n{\n}\n").size());
    add("f" + std::to_string(i), path, at, at, at + len);
    at += len;
    if (i > 0)
      calls(i - 1, i);
  }
  g_opt.caller_flag = 1;
  capture_stdout out;
  print_fun_below("f0");
  std::string got = out.text();
  EXPECT_EQ(std::count(got.begin(), got.end(), '{'), kDepth);
  EXPECT_NE(got.find("/* Called by: f9998 */\nint f9999(void)\n{\n}\n\n"), std::string::npos);
  for (int i = 0; i < kDepth; i++)
    EXPECT_EQ(g_tab.Finf[i].printed, 1);
}

}  // namespace
}  // namespace kavel
