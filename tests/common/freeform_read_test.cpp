// Free-form input: the rules by which the answers on standard input and the
// numbers of each data line are read.
#include "common/freeform_read.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "driver/answers.h"
#include "support/memory_answers.h"
#include "support/scratch_dir.h"

namespace xas {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// The outcome of reading one data line into `count` targets that all start
// at `initial`.
template <typename T>
struct LineRead {
  ListRead result;
  std::vector<T> values;
  std::string message;
};

template <typename T>
LineRead<T> read_targets(std::string_view line, int count, T initial) {
  LineRead<T> r;
  r.values.assign(static_cast<std::size_t>(count), initial);
  OneLineSource source(line);
  r.result = read_list(source, r.values.data(), count, &r.message);
  return r;
}

using RealRead = LineRead<double>;
using IntRead = LineRead<int>;

RealRead read_line(std::string_view line, int count, double initial = -1.0) {
  return read_targets(line, count, initial);
}

IntRead read_int_line(std::string_view line, int count, int initial = -1) {
  return read_targets(line, count, initial);
}

double real(std::string_view text) {
  double v = -12345.0;
  EXPECT_TRUE(parse_real(text, &v)) << "'" << text << "'";
  return v;
}

// --- Separators -------------------------------------------------------------

TEST(DataLineRead, TwoValuesWithEverySeparator) {
  for (const char* line : {"7112.5,1.234", "7112.5;1.234", "7112.5     1.234", "7112.5\t1.234",
                           "  7112.5 , 1.234  ", "7112.5\t;\t1.234", "\t\t7112.5 \t 1.234\t"}) {
    SCOPED_TRACE(line);
    RealRead r = read_line(line, 2);
    EXPECT_EQ(r.result, ListRead::complete);
    EXPECT_EQ(r.values[0], 7112.5);
    EXPECT_EQ(r.values[1], 1.234);
  }
}

TEST(DataLineRead, NumbersBeyondTheTargetsAreIgnored) {
  RealRead r = read_line("1 2 3 4", 2);
  EXPECT_EQ(r.result, ListRead::complete);
  EXPECT_EQ(r.values, (std::vector<double>{1.0, 2.0}));
  // Even a malformed word after the last needed value does not matter.
  r = read_line("1 2 word", 2);
  EXPECT_EQ(r.result, ListRead::complete);
  EXPECT_EQ(r.values, (std::vector<double>{1.0, 2.0}));
}

TEST(DataLineRead, LineRunningOutGivesEnd) {
  RealRead r = read_line("7112.5", 2);
  EXPECT_EQ(r.result, ListRead::end);
  EXPECT_EQ(r.values[0], 7112.5);  // assigned before the end
  EXPECT_EQ(r.values[1], -1.0);    // keeps its previous value

  for (const char* blank : {"", "   ", "\t \t"}) {
    SCOPED_TRACE(std::string("'") + blank + "'");
    r = read_line(blank, 1);
    EXPECT_EQ(r.result, ListRead::end);
    EXPECT_EQ(r.values[0], -1.0);
  }
  // A trailing comma does not supply the missing value.
  EXPECT_EQ(read_line("7112.5,", 2).result, ListRead::end);
}

TEST(DataLineRead, NullValuesKeepThePreviousValue) {
  RealRead r = read_line("7112.5,,1.234", 3);
  EXPECT_EQ(r.result, ListRead::complete);
  EXPECT_EQ(r.values, (std::vector<double>{7112.5, -1.0, 1.234}));

  r = read_line("7112.5 , \t , 1.234", 3);  // only blanks between the two commas
  EXPECT_EQ(r.result, ListRead::complete);
  EXPECT_EQ(r.values, (std::vector<double>{7112.5, -1.0, 1.234}));

  r = read_line(",5", 2);  // a leading comma is a null value for the first target
  EXPECT_EQ(r.result, ListRead::complete);
  EXPECT_EQ(r.values, (std::vector<double>{-1.0, 5.0}));

  r = read_line(" , ,3", 3);
  EXPECT_EQ(r.result, ListRead::complete);
  EXPECT_EQ(r.values, (std::vector<double>{-1.0, -1.0, 3.0}));

  r = read_line("1,,,2", 4);
  EXPECT_EQ(r.result, ListRead::complete);
  EXPECT_EQ(r.values, (std::vector<double>{1.0, -1.0, -1.0, 2.0}));

  // A null value for the last target completes the read.
  r = read_line("7112.5,,", 2);
  EXPECT_EQ(r.result, ListRead::complete);
  EXPECT_EQ(r.values, (std::vector<double>{7112.5, -1.0}));
}

TEST(DataLineRead, SlashEndsTheReadAsComplete) {
  RealRead r = read_line("7112.5 /", 2, 0.0);
  EXPECT_EQ(r.result, ListRead::complete);
  EXPECT_EQ(r.values, (std::vector<double>{7112.5, 0.0}));

  r = read_line("7112.5/9 9", 3);  // the slash ends a value; text after it is ignored
  EXPECT_EQ(r.result, ListRead::complete);
  EXPECT_EQ(r.values, (std::vector<double>{7112.5, -1.0, -1.0}));

  r = read_line("  / 5", 1);
  EXPECT_EQ(r.result, ListRead::complete);
  EXPECT_EQ(r.values[0], -1.0);

  r = read_line("1,/", 2);
  EXPECT_EQ(r.result, ListRead::complete);
  EXPECT_EQ(r.values, (std::vector<double>{1.0, -1.0}));
}

// --- Repeat counts ----------------------------------------------------------

TEST(DataLineRead, CountOfTheValuesALineYields) {
  struct Case {
    const char* line;
    int limit, items, numbers;
  };
  const Case cases[] = {
      {"1 2 3", 64, 3, 3},      {"1 2 3", 2, 2, 2},     {"", 64, 0, 0},
      {"energy mu", 64, 0, 0},  {"1 2 abc 4", 64, 2, 2}, {"1,,3", 64, 3, 2},
      {",,", 64, 2, 0},         {"1 2,", 64, 2, 2},      {"3*1.5 2*", 64, 5, 3},
      {"1 2 / 3", 64, 2, 2},    {"0*1 2", 64, 0, 0},     {"1;2\t3", 64, 3, 3},
  };
  for (const Case& c : cases) {
    LineValues v = count_values(c.line, c.limit);
    EXPECT_EQ(v.items, c.items) << c.line;
    EXPECT_EQ(v.numbers, c.numbers) << c.line;
    // A read of that many targets completes; one more does not, but for a slash.
    if (v.items < c.limit && std::string_view(c.line).find('/') == std::string_view::npos) {
      EXPECT_NE(read_line(c.line, v.items + 1).result, ListRead::complete) << c.line;
    }
    EXPECT_EQ(read_line(c.line, v.items).result, ListRead::complete) << c.line;
  }
}

TEST(DataLineRead, RepeatCounts) {
  RealRead r = read_line("2*7112.5", 2);
  EXPECT_EQ(r.result, ListRead::complete);
  EXPECT_EQ(r.values, (std::vector<double>{7112.5, 7112.5}));

  r = read_line("3*1.5", 3);
  EXPECT_EQ(r.values, (std::vector<double>{1.5, 1.5, 1.5}));

  r = read_line("2*1.5 7", 3);
  EXPECT_EQ(r.result, ListRead::complete);
  EXPECT_EQ(r.values, (std::vector<double>{1.5, 1.5, 7.0}));

  // r* followed by a separator: r null values.
  r = read_line("2* 7", 3);
  EXPECT_EQ(r.result, ListRead::complete);
  EXPECT_EQ(r.values, (std::vector<double>{-1.0, -1.0, 7.0}));
  r = read_line("2*,7", 3);
  EXPECT_EQ(r.result, ListRead::complete);
  EXPECT_EQ(r.values, (std::vector<double>{-1.0, -1.0, 7.0}));

  // The largest allowed count.
  r = read_line("200000000*4", 2);
  EXPECT_EQ(r.result, ListRead::complete);
  EXPECT_EQ(r.values, (std::vector<double>{4.0, 4.0}));

  IntRead ints = read_int_line("2*3 -4", 3);
  EXPECT_EQ(ints.result, ListRead::complete);
  EXPECT_EQ(ints.values, (std::vector<int>{3, 3, -4}));
}

TEST(DataLineRead, BadRepeatCountsNameTheItem) {
  RealRead r = read_line("0*5", 2);
  EXPECT_EQ(r.result, ListRead::error);
  EXPECT_EQ(r.message, "Zero repeat count in item 1 of list input");

  r = read_line("1 0*5", 3);
  EXPECT_EQ(r.result, ListRead::error);
  EXPECT_EQ(r.message, "Zero repeat count in item 2 of list input");
  EXPECT_EQ(r.values[0], 1.0);  // assigned before the failure

  r = read_line("200000001*4", 2);
  EXPECT_EQ(r.result, ListRead::error);
  EXPECT_EQ(r.message, "Repeat count overflow in item 1 of list input");

  r = read_line("5 6 99999999999999999999*1", 3);
  EXPECT_EQ(r.result, ListRead::error);
  EXPECT_EQ(r.message, "Repeat count overflow in item 3 of list input");

  r = read_line("2*abc", 2);
  EXPECT_EQ(r.result, ListRead::error);
  EXPECT_EQ(r.message, "Bad real number in item 1 of list input");
}

// --- Real values ------------------------------------------------------------

TEST(RealValue, ExponentForms) {
  RealRead r = read_line("7.1125E3 1.2D-1", 2);
  EXPECT_EQ(r.result, ListRead::complete);
  EXPECT_EQ(r.values[0], 7112.5);
  EXPECT_EQ(r.values[1], 0.12);

  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {
      {"1.0+3", 1000.0},  {"1.0-3", 1.0e-3}, {"2-1", 0.2},       {"1e5", 1.0e5},
      {"1E5", 1.0e5},     {"1d5", 1.0e5},    {"1D5", 1.0e5},     {"1q5", 1.0e5},
      {"1Q5", 1.0e5},     {"1e+05", 1.0e5},  {"2.5d-3", 2.5e-3}, {"1.5Q+2", 150.0},
      {"-7.5e-1", -0.75}, {"+.5E1", 5.0},    {"5.", 5.0},        {".5", 0.5},
      {"-.5", -0.5},      {"42", 42.0},      {"+3", 3.0},        {"007", 7.0},
      {"0", 0.0},         {"-0.0", -0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(real(c.text), c.value);
  }
  EXPECT_TRUE(std::signbit(real("-0.0")));
}

TEST(RealValue, InfinityAndNotANumberInAnyCase) {
  for (const char* text : {"inf", "INF", "Inf", "infinity", "INFINITY", "InFiNiTy", "+inf"})
    EXPECT_EQ(real(text), kInf) << text;
  for (const char* text : {"-inf", "-Infinity"}) EXPECT_EQ(real(text), -kInf) << text;
  for (const char* text : {"nan", "NaN", "NAN", "-nan", "+NaN"})
    EXPECT_TRUE(std::isnan(real(text))) << text;
}

TEST(RealValue, ConversionIsCorrectlyRounded) {
  // Halfway between two doubles: ties go to the even one; anything above the
  // tie goes up.
  EXPECT_EQ(real("9007199254740993"), 9007199254740992.0);
  EXPECT_EQ(real("9007199254740993.00000000000000000001"), 9007199254740994.0);
  EXPECT_EQ(real("9007199254740995"), 9007199254740996.0);
  // The compiler's own conversion of the same decimal text is correctly rounded.
  EXPECT_EQ(real("0.1"), 0.1);
  EXPECT_EQ(real("8979.123456789"), 8979.123456789);
  EXPECT_EQ(real("2.2250738585072011e-308"), 2.2250738585072011e-308);
  EXPECT_EQ(real("1.7976931348623157e308"), 1.7976931348623157e308);
  EXPECT_EQ(real("4.9406564584124654e-324"), std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(real("3.14159265358979323846264338327950288419716939937510582097494459230781640628"
                 "6208998628034825342117067982148086513282306647"),
            3.141592653589793238462643383279502884197169399375105820974944592307816406286208998628034825342117067982148086513282306647);
  // Beyond the range of a double.
  EXPECT_EQ(real("1e400"), kInf);
  EXPECT_EQ(real("-1d400"), -kInf);
  EXPECT_EQ(real("1e-400"), 0.0);
}

TEST(RealValue, MalformedValues) {
  for (const char* text : {"abc", "1.2.3", "1e", "1e+", "1d-", "e5", ".", "+", "-", "1x",
                           "1.0e5.0", "1e5e5", "0x1p3", "infin", "nana", "1..2", "--1", "1+-2",
                           "#", "12abc"}) {
    double v = -1.0;
    EXPECT_FALSE(parse_real(text, &v)) << "'" << text << "'";
  }
  RealRead r = read_line("7112.5 word", 2);
  EXPECT_EQ(r.result, ListRead::error);
  EXPECT_EQ(r.message, "Bad real number in item 2 of list input");
  EXPECT_EQ(r.values[0], 7112.5);
  EXPECT_EQ(r.values[1], -1.0);

  r = read_line("1.2.3 4", 2);
  EXPECT_EQ(r.result, ListRead::error);
  EXPECT_EQ(r.message, "Bad real number in item 1 of list input");
}

// --- Integer values ---------------------------------------------------------

TEST(IntegerValue, SignAndDigitsOnly) {
  struct Case {
    const char* text;
    int value;
  };
  for (const Case& c : {Case{"3", 3}, Case{"+3", 3}, Case{"-17", -17}, Case{"007", 7},
                        Case{"0", 0}, Case{"-0", 0}, Case{"000000000000000000003", 3},
                        Case{"2147483647", INT_MAX},
                        Case{"-2147483648", INT_MIN}}) {
    int v = 99;
    bool overflow = true;
    EXPECT_TRUE(parse_integer(c.text, &v, &overflow)) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
    EXPECT_FALSE(overflow) << c.text;
  }
  for (const char* text : {"3.0", "3.", ".3", "1e3", "1E3", "1d3", "3a", "a", "+", "-", "",
                           "0x10", "--3", "3-"}) {
    int v = 99;
    bool overflow = true;
    EXPECT_FALSE(parse_integer(text, &v, &overflow)) << "'" << text << "'";
    EXPECT_FALSE(overflow) << "'" << text << "'";
  }
  for (const char* text : {"2147483648", "-2147483649", "99999999999999999999999"}) {
    int v = 99;
    bool overflow = false;
    EXPECT_FALSE(parse_integer(text, &v, &overflow)) << text;
    EXPECT_TRUE(overflow) << text;
  }
}

TEST(IntegerValue, MessagesNameTheItem) {
  IntRead r = read_int_line("3.0", 1);
  EXPECT_EQ(r.result, ListRead::error);
  EXPECT_EQ(r.message, "Bad integer for item 1 in list input");

  r = read_int_line("1 2.5", 2);
  EXPECT_EQ(r.result, ListRead::error);
  EXPECT_EQ(r.message, "Bad integer for item 2 in list input");
  EXPECT_EQ(r.values[0], 1);

  r = read_int_line("2147483648", 1);
  EXPECT_EQ(r.result, ListRead::error);
  EXPECT_EQ(r.message, "Integer overflow while reading item 1");

  r = read_int_line("5,-99999999999", 2);
  EXPECT_EQ(r.result, ListRead::error);
  EXPECT_EQ(r.message, "Integer overflow while reading item 2");
}

// --- Standard input: reads over lines ----------------------------------------

// Reads integer answers from `input` the way the dialogue does.
class AnswerReads {
 public:
  explicit AnswerReads(const std::string& input) : input_(input) {}
  bool read(std::vector<int>* targets) {
    err_.clear();
    return input_.answers().read_integers(targets->data(), static_cast<int>(targets->size()),
                                          "Test question?", &err_);
  }
  bool text(std::string* line) { return input_.answers().read_line(line, "Test name?", &err_); }
  const std::string& err() const { return err_; }

 private:
  test::MemoryAnswers input_;
  std::string err_;
};

// True if one line of `text`, other than its first, is exactly `line`: the
// message follows a line that says which answer was being read.
bool has_message_line(const std::string& text, const std::string& line) {
  std::vector<std::string> lines = test::split_lines(text);
  for (std::size_t i = 1; i < lines.size(); ++i)
    if (lines[i] == line) return true;
  return false;
}

TEST(AnswerRead, ValuesOnOneLineOrSpreadOverLines) {
  for (const char* input : {"1, 2\n", "1 2\n", "1\n2\n", "\n\n1\n   \n2\n", "1,\n2\n", "1\r\n2\r\n"}) {
    SCOPED_TRACE(input);
    AnswerReads reads(input);
    std::vector<int> v{0, 0};
    ASSERT_TRUE(reads.read(&v)) << reads.err();
    EXPECT_EQ(v, (std::vector<int>{1, 2}));
  }
}

TEST(AnswerRead, EachReadStartsOnANewLine) {
  AnswerReads reads("3 4\n5\n1\n2 9\n7\n");
  std::vector<int> one{0};
  ASSERT_TRUE(reads.read(&one));
  EXPECT_EQ(one[0], 3);  // the 4 is lost
  ASSERT_TRUE(reads.read(&one));
  EXPECT_EQ(one[0], 5);
  std::vector<int> two{0, 0};
  ASSERT_TRUE(reads.read(&two));
  EXPECT_EQ(two, (std::vector<int>{1, 2}));  // the 9 is lost
  ASSERT_TRUE(reads.read(&one));
  EXPECT_EQ(one[0], 7);
}

TEST(AnswerRead, SlashAndNullValuesLeaveTargetsAlone) {
  AnswerReads reads("/\n,8\n");
  std::vector<int> one{0};
  ASSERT_TRUE(reads.read(&one));
  EXPECT_EQ(one[0], 0);
  std::vector<int> two{6, 0};
  ASSERT_TRUE(reads.read(&two));
  EXPECT_EQ(two, (std::vector<int>{6, 8}));
}

TEST(AnswerRead, MalformedAnswerAndEndOfInputAreFatal) {
  {
    AnswerReads reads("3.0\n");
    std::vector<int> v{0};
    EXPECT_FALSE(reads.read(&v));
    EXPECT_TRUE(has_message_line(reads.err(), "Bad integer for item 1 in list input"))
        << reads.err();
  }
  {
    AnswerReads reads("1\n");  // the second value never comes
    std::vector<int> v{0, 0};
    EXPECT_FALSE(reads.read(&v));
    EXPECT_TRUE(has_message_line(reads.err(), "End of file")) << reads.err();
  }
  {
    AnswerReads reads("\n\n");  // blank lines only
    std::vector<int> v{0};
    EXPECT_FALSE(reads.read(&v));
    EXPECT_TRUE(has_message_line(reads.err(), "End of file")) << reads.err();
  }
  {
    AnswerReads reads("");
    std::string name;
    EXPECT_FALSE(reads.text(&name));
    EXPECT_TRUE(has_message_line(reads.err(), "End of file")) << reads.err();
  }
}

TEST(AnswerRead, TextAnswerIsTheWholeLineAndALineBeyondTheReaderIsRefused) {
  const std::string long_name(95, 'n');
  AnswerReads reads("  cu.dat  \r\n" + long_name + "\n\n" + std::string(70000, 'x') + "\n");
  std::string name;
  ASSERT_TRUE(reads.text(&name));
  EXPECT_EQ(name, "  cu.dat  ");
  ASSERT_TRUE(reads.text(&name));
  EXPECT_EQ(name, long_name);
  ASSERT_TRUE(reads.text(&name));  // an empty answer is an empty name, not skipped
  EXPECT_EQ(name, "");
  EXPECT_FALSE(reads.text(&name));
  EXPECT_NE(reads.err().find("\"Test name?\" (line 4 of standard input) is longer than the 65536"),
            std::string::npos)
      << reads.err();
}

}  // namespace
}  // namespace xas
