#include "common/layout.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "support/expected_text.h"

namespace xas {
namespace {

using test::padded;

TEST(Layout, DataRowsStopAtTheFirstFieldWithoutAValue) {
  const Layout row("(1X,F6.3,1X,F8.5,1X,F12.6)");
  EXPECT_EQ(row.format({0.02f, 0.01235f}), "  0.020  0.01235\n");
  EXPECT_EQ(row.format({3.21f, -0.01235f, 9.0195f * 1000.0f}), "  3.210 -0.01235  9019.500000\n");
  EXPECT_EQ(row.format({9.98f, -0.0000001f}), "  9.980 -0.00000\n");
  EXPECT_EQ(row.format({3.21f, 123.0f, 100000.0f}), "  3.210 ******** ************\n");
  EXPECT_EQ(row.format({3.21f, std::numeric_limits<float>::quiet_NaN()}), "  3.210      NaN\n");
  EXPECT_EQ(row.format({}), "\n");

  const Layout abs_row("(1X,F8.2,1X,F8.5)");
  EXPECT_EQ(abs_row.format({8.9795f * 1000.0f, 1.23456f}), "  8979.50  1.23456\n");
}

TEST(Layout, ResultFileHeaders) {
  const float e0 = 8.98012f;
  const float ewl = 8.99512f;
  const std::string gexa = Layout("('# EDGE= ',F12.5,' JUMP=',F10.5,'  EWL=',F12.5)")
                               .format({e0 * 1000.0f, 1.234567f, ewl * 1000.0f});
  EXPECT_EQ(gexa, "# EDGE=   8980.12012 JUMP=   1.23457  EWL=  8995.12012\n");
  EXPECT_EQ(gexa.size(), 55u);

  const std::string gfou =
      Layout("('# k interval= ',F10.5,' - ',F10.5,' Apodization DK= ' ,F10.5,' Weight k^WH WH=',F10.5)")
          .format({2.5f, 15.2345f, 0.5f, 2.0f});
  EXPECT_EQ(gfou,
            "# k interval=    2.50000 -   15.23450 Apodization DK=    0.50000 Weight k^WH WH=   2.00000\n");
  EXPECT_EQ(gfou.size(), 91u);

  const std::string gabs =
      Layout("('# EDGE= ',F12.5,' SLOPE=',F12.5,' JUMP=',F10.5,'  EWL=',F12.5,' HWL =',F10.5)")
          .format({8979.0f, 20.0f, 1.5f, 8995.0f, 1.25f});
  EXPECT_EQ(gabs,
            "# EDGE=   8979.00000 SLOPE=    20.00000 JUMP=   1.50000  EWL=  8995.00000 HWL =   1.25000\n");
  EXPECT_EQ(gabs.size(), 90u);
}

TEST(Layout, ScreenLines) {
  const std::string noise =
      Layout("(' >>> int. n.',I3,' (',I5,'-',I5,' ) r m s noise =          ',E12.7)")
          .format({3, 139, 158, 0.001234567f});
  EXPECT_EQ(noise, " >>> int. n.  3 (  139-  158 ) r m s noise =          .1234567E-02\n");
  EXPECT_EQ(noise.size(), 67u);

  const std::string name = padded("cu_foil.topn", 90);
  const Layout announce(
      "(/,                                                         '  >>> opening Topdrawer file for "
      "noise est.: ',A90)");
  EXPECT_EQ(announce.format({name}), "\n  >>> opening Topdrawer file for noise est.: " + name + "\n");

  EXPECT_EQ(Layout("(' >>> FILE NAME: ',A90)").format({padded("ftn30", 90)}),
            " >>> FILE NAME: " + padded("ftn30", 90) + "\n");
}

TEST(Layout, PlotTitlesWithDoubledApostrophes) {
  const float ajump = 1.23456f;
  EXPECT_EQ(Layout("('TITLE 3. 8.5 SIZE 2.5 ''EDGE= ',F7.1)").format({8.98012f * 1000.0f}),
            "TITLE 3. 8.5 SIZE 2.5 'EDGE=  8980.1\n");
  EXPECT_EQ(Layout("('TITLE ''SLOPE=',F7.3)").format({25.1234f}), "TITLE 'SLOPE= 25.123\n");
  EXPECT_EQ(Layout("('TITLE ''JUMP= ',F7.3)").format({ajump}), "TITLE 'JUMP=   1.235\n");
  EXPECT_EQ(Layout("('TITLE 8. 8.5 SIZE 2.5 ''EWL=  ',F7.1)").format({8.99512f * 1000.0f}),
            "TITLE 8. 8.5 SIZE 2.5 'EWL=   8995.1\n");
  const Layout hwl("('TITLE ''HWL=  ',F7.3)");
  EXPECT_EQ(hwl.format({1.5f}), "TITLE 'HWL=    1.500\n");
  // A zero jump makes the ratios infinite or undefined.
  EXPECT_EQ(hwl.format({1.5f / 0.0f}), "TITLE 'HWL=      Inf\n");
  EXPECT_EQ(hwl.format({-1.5f / 0.0f}), "TITLE 'HWL=     -Inf\n");
  EXPECT_EQ(hwl.format({std::numeric_limits<float>::quiet_NaN()}), "TITLE 'HWL=      NaN\n");

  const std::string file = padded("data/cu_foil.dat", 90);
  const std::string topa = Layout("('TITLE .2 9.5 SIZE 3 ''FILE ',A90)").format({file});
  EXPECT_EQ(topa, "TITLE .2 9.5 SIZE 3 'FILE " + file + "\n");
  EXPECT_EQ(topa.size(), 116u + 1u);
  const std::string tope = Layout("('TITLE 3. 9.7 SIZE 3 ''',A90)").format({file});
  EXPECT_EQ(tope, "TITLE 3. 9.7 SIZE 3 '" + file + "\n");
  EXPECT_EQ(tope.size(), 111u + 1u);
}

TEST(Layout, LiteralsHoldCommasBlanksAndParentheses) {
  const Layout l("( 'a, b; (c)' , I2 ,' ''q'', ' , A3 )");
  EXPECT_EQ(l.format({7, "xy"}), "a, b; (c) 7 'q',  xy\n");
  EXPECT_EQ(Layout("('''')").format({}), "'\n");
  EXPECT_EQ(Layout("('')").format({}), "\n");
}

TEST(Layout, BlanksAndLiteralsAroundTheStoppingField) {
  const Layout l("('a',I3,'b',1X,'c',1X,I3,'d')");
  EXPECT_EQ(l.format({1, 2}), "a  1b c   2d\n");
  // Literals between the last used field and the next one are written, the
  // nX just before that field is not.
  EXPECT_EQ(l.format({1}), "a  1b c\n");
  EXPECT_EQ(l.format({}), "a\n");
  EXPECT_EQ(Layout("(I2,1X)").format({5}), " 5\n");
  EXPECT_EQ(Layout("(I2,3X,'z')").format({5}), " 5   z\n");
  EXPECT_EQ(Layout("(1x,f6.3,x,i2)").format({1.0f, 4}), "  1.000  4\n");
}

TEST(Layout, SlashesEndLines) {
  EXPECT_EQ(Layout("(/,'x')").format({}), "\nx\n");
  EXPECT_EQ(Layout("('a',/,'b')").format({}), "a\nb\n");
  EXPECT_EQ(Layout("('a'/'b')").format({}), "a\nb\n");
  EXPECT_EQ(Layout("('a',/)").format({}), "a\n\n");
  EXPECT_EQ(Layout("('a',/,/,'b')").format({}), "a\n\nb\n");
  // Blanks waiting before a line end are dropped.
  EXPECT_EQ(Layout("('a',2X,/,1X,I2)").format({3}), "a\n  3\n");
  EXPECT_EQ(Layout("(I2,/,'b',I2)").format({1}), " 1\nb\n");
}

TEST(Layout, TextFields) {
  EXPECT_EQ(Layout("(A5,'|')").format({"ab"}), "   ab|\n");
  EXPECT_EQ(Layout("(A2,'|')").format({"abcd"}), "ab|\n");
  EXPECT_EQ(Layout("(' >>> ',A,'!')").format({"abc  "}), " >>> abc  !\n");
}

TEST(Layout, RenderStaysWithinMaxLength) {
  const std::vector<std::string> layouts = {
      "(1X,F6.3,1X,F8.5,1X,F12.6)",
      "(' >>> int. n.',I3,' (',I5,'-',I5,' ) r m s noise =          ',E12.7)",
      "(/,'  >>> opening gnuplot file for absorption: ',A90)",
      "(A500)",
      "(A,/,A)",
  };
  const std::string big(500, 'x');
  for (const std::string& layout : layouts) {
    const Layout l(layout);
    std::vector<char> buf(l.max_length() + 1, '#');
    std::size_t n = 0;
    if (layout[1] == 'A' && layout[2] == ',') {
      n = l.render(buf.data(), {std::string_view(big), std::string_view(big)});
    } else if (layout.find("I3") != std::string::npos) {
      n = l.render(buf.data(), {-2147483647 - 1, -2147483647 - 1, 2147483647, -3.4e38f});
    } else if (layout.find("A") != std::string::npos) {
      n = l.render(buf.data(), {std::string_view(big)});
    } else {
      n = l.render(buf.data(), {-3.4e38f, -3.4e38f, -3.4e38f});
    }
    EXPECT_LE(n, l.max_length()) << layout;
    EXPECT_EQ(buf[l.max_length()], '#') << layout;
    EXPECT_EQ(buf[n - 1], '\n') << layout;
  }
}

TEST(LayoutDeathTest, ProgrammingErrorsAbort) {
  EXPECT_DEATH(Layout("(Q5)"), "unknown item");
  EXPECT_DEATH(Layout("1X,F6.3"), "missing");
  EXPECT_DEATH(Layout("('abc)"), "unterminated");
  EXPECT_DEATH(Layout("(F6)"), "w.d");
  EXPECT_DEATH(Layout("(3F6.2)"), "followed by X");
  EXPECT_DEATH(Layout("(I3)").format({1, 2}), "more values");
  EXPECT_DEATH(Layout("(I3)").format({1.0f}), "wrong kind");
  EXPECT_DEATH(Layout("(A)").format({std::string(501, 'x')}), "too long");
}

}  // namespace
}  // namespace xas
