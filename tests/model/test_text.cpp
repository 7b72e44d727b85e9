#include "model/text.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <string>

namespace kevo {
namespace {

struct CleaningCase {
    const char* name;
    std::string (*function)(std::string);
    std::string input;
    std::string expected;
};

TEST(Text, LineCleaning) {
    const CleaningCase cases[] = {
        {"RepTabs", RepTabs, "a\tb\t\tc", "a b  c"},
        {"ElimDupBlanks", ElimDupBlanks, "  a   b c  ", " a b c "},
        {"ElimLeadBlanks", ElimLeadBlanks, "   a b ", "a b "},
        {"ElimLeadBlanks all blanks", ElimLeadBlanks, "   ", ""},
        {"ElimEndBlanks", ElimEndBlanks, " a b   ", " a b"},
        {"ElimEndBlanks all blanks", ElimEndBlanks, "   ", ""},
        {"ElimEndBlanks empty", ElimEndBlanks, "", ""},
        {"ElimBlanks", ElimBlanks, " a b  c ", "abc"},
        {"ElimBlanksInSymOp", ElimBlanksInSymOp, "-x, y+1/2, z", "-x,y+1/2,z"},
        {"ElimBlanksInSymOp double blank", ElimBlanksInSymOp, "x,  y", "x,y"},
        {"ElimBlanksInSymOp other blanks stay", ElimBlanksInSymOp, "x ,y", "x ,y"},
        {"ElimQuotes straight", ElimQuotes, "'P 21/c'", "P 21/c"},
        {"ElimQuotes U+2019", ElimQuotes, "\xE2\x80\x99P -1\xE2\x80\x99", "P -1"},
        {"ElimQuotes other marks stay", ElimQuotes, "\"a\xE2\x80\x98", "\"a\xE2\x80\x98"},
        {"ElimPara", ElimPara, "(Fe)(Mg)", "FeMg"},
        {"ElimFinPoint", ElimFinPoint, "5.", "5"},
        {"ElimFinPoint only point", ElimFinPoint, ".", ""},
        {"ElimFinPoint inner point", ElimFinPoint, "5.0", "5.0"},
        {"ElimFinPoint two points", ElimFinPoint, "5.0.", "5.0."},
        {"ElimFinPoint no point", ElimFinPoint, "50", "50"},
        {"Shave", Shave, "(Fe)", "Fe"},
        {"Shave one character", Shave, "x", ""},
        {"Shave empty", Shave, "", ""},
        {"Star", Star, "*O1", "O1"},
        {"Star only the first", Star, "**O1", "*O1"},
        {"Star not leading", Star, "O*1", "O*1"},
        {"CleanLine", CleanLine, " \t_cell_length_a \t 5.4(1)\t", "_cell_length_a 5.4(1) "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.function(c.input), c.expected);
    }
}

TEST(Text, CountBlanks) {
    EXPECT_EQ(CountBlanks(""), 0);
    EXPECT_EQ(CountBlanks(" a  b\t"), 3);
}

struct GetColCase {
    const char* name;
    std::string separator;
    std::string line;
    int n;
    std::string expected;
};

TEST(Text, GetCol) {
    const GetColCase cases[] = {
        {"first field", " ", "a b c", 0, "a"},
        {"middle field", " ", "a b c", 1, "b"},
        {"last field", " ", "a b c", 2, "c"},
        {"past the end gives the last field", " ", "a b c", 5, "c"},
        {"a run of blanks counts as one", " ", "a  b", 1, "b"},
        {"a long run of blanks counts as one", " ", "a     b c", 2, "c"},
        {"negative n gives field 0", " ", "a b c", -1, "a"},
        {"leading separator gives an empty field 0", " ", " a b", 0, ""},
        {"field after a leading separator", " ", " a b", 1, "a"},
        {"trailing separator gives an empty last field", " ", "a b ", 2, ""},
        {"no separator", " ", "abc", 3, "abc"},
        {"empty line", " ", "", 1, ""},
        {"comma", ",", "-x,y+1/2,z", 1, "y+1/2"},
        {"comma keeps blanks", ",", "-x, y, z", 2, " z"},
        {"run of commas counts as one", ",", "x,,,y", 1, "y"},
        {"comma blank runs are not doubled commas", ",", "x, ,y", 1, " "},
        {"empty separator leaves the line whole", "", "a b", 1, "a b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(GetCol(c.separator, c.line, c.n), c.expected);
    }
}

TEST(Text, ElimESD) {
    const struct {
        const char* name;
        std::string input;
        std::string expected;
    } cases[] = {
        {"one uncertainty", "0.25(1)", "0.25"},
        {"two uncertainties", "1.2(3) 4.5(6)", "1.2 4.5"},
        {"no parentheses", "0.3333", "0.3333"},
        {"empty", "", ""},
        {"opening without closing", "1.5(2", "Error"},
        {"closing without opening", "1.52)", "Error"},
        {"closing before opening", ")1(", "Error"},
        {"closing before opening after a pair", "1(2))3(", "Error"},
        {"nested", "1((2))", "1)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ElimESD(c.input), c.expected);
    }
}

TEST(Text, GetSymbol) {
    const struct {
        std::string input;
        std::string expected;
    } cases[] = {
        {"Fe3+", "Fe"}, {"O2-", "O"}, {"Fe2.5+", "Fe"}, {" Mn 1,5 +", "Mn"},
        {"OH-", "OH"},  {"Fe", "Fe"}, {"3+", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(GetSymbol(c.input), c.expected);
    }
}

TEST(Text, ElementTable) {
    ASSERT_EQ(Elements.size(), 120u);
    // Entries by their number 1..120.
    const auto entry = [](int number) { return Elements.at(static_cast<std::size_t>(number - 1)); };
    EXPECT_EQ(entry(1), "H");
    EXPECT_EQ(entry(4), "Be");
    EXPECT_EQ(entry(10), "Be");
    EXPECT_EQ(entry(42), "Fe");
    EXPECT_EQ(entry(96), "O");
    EXPECT_EQ(entry(119), "Lr");
    EXPECT_EQ(entry(120), "OH");
    EXPECT_EQ(std::count(Elements.begin(), Elements.end(), "Be"), 2);
    // Be is the only entry written twice.
    EXPECT_EQ(std::set<std::string_view>(Elements.begin(), Elements.end()).size(), 119u);
}

TEST(Text, ValidSymbol) {
    const struct {
        const char* symbol;
        bool valid;
    } cases[] = {
        {"OH", true},  {"Be", true},  {"Fe", true}, {"H", true},    {"Og", true},    {"D", false},
        {"fe", false}, {"FE", false}, {"", false},  {"Fe ", false}, {"Fe3+", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.symbol);
        EXPECT_EQ(ValidSymbol(c.symbol), c.valid);
    }
}

TEST(Text, OrderSymbols) {
    const struct {
        const char* name;
        std::string input;
        std::string separator;
        std::string expected;
    } cases[] = {
        {"sorted with duplicates dropped", "Mg-Fe-Mg", "-", "Fe-Mg"},
        {"already ordered", "Fe-Mg", "-", "Fe-Mg"},
        {"letter case ignored in the order", "mg-Fe-al", "-", "al-Fe-mg"},
        {"texts differing in case both kept", "Co-CO-Co", "-", "CO-Co"},
        {"other separator", "O,Cl,F,Cl", ",", "Cl,F,O"},
        {"no separator", "Mg Fe", "-", "Mg Fe"},
        {"empty separator", "Mg-Fe", "", "Mg-Fe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OrderSymbols(c.input, c.separator), c.expected);
    }
}

TEST(Text, GetCharge) {
    const struct {
        std::string written;
        std::string sign;
        std::string charge;
        std::string result;
    } cases[] = {
        {"Fe3+", "", "3", "3.000"},
        {"O2-", "-", "2", "-2.000"},
        {"-2", "-", "2", "-2.000"},
        {"2-", "-", "2", "-2.000"},
        {"+3", "", "3", "3.000"},
        {"3", "", "3", "3.000"},
        {"2.0", "", "2.0", "2.000"},
        {"Fe2.5+", "", "2.5", "2.500"},
        {"Cl-", "-", "1", "-1.000"},
        {"Na+", "", "1", "1.000"},
        {"Fe", "", "9.999", "9.999"},
        {"", "", "9.999", "9.999"},
        {"0", "+", "9.999", "+9.999"},
        {"0+", "+", "9.999", "+9.999"},
        // Collected text that is no number comes back unformatted.
        {"1,5", "", "1,5", "1,5"},
        {"2.3.4-", "-", "2.3.4", "-2.3.4"},
        {"Fe +", "", " ", " "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        std::string sign = "unset";
        std::string charge = "unset";
        EXPECT_EQ(GetCharge(c.written, sign, charge), c.result);
        EXPECT_EQ(sign, c.sign);
        EXPECT_EQ(charge, c.charge);
    }
}

TEST(Text, CoordDecimalsAndIsNumber) {
    const struct {
        std::string text;
        int decimals;
        bool number;
    } cases[] = {
        {"0.2500", 4, true}, {"12", 2, true}, {"0.", 0, true},     {".5", 1, true},
        {"1.2.3", 3, true},  {"", 0, false},  {"_cell", 5, false}, {"x1", 2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CoordDecimals(c.text), c.decimals);
        EXPECT_EQ(isNumber(c.text), c.number);
    }
}

TEST(Text, Equal) {
    const struct {
        const char* name;
        double a;
        double b;
        bool equal;
    } cases[] = {
        {"same", 0.0, 0.0, true},
        {"just inside", 0.0, 0.0009, true},
        {"just inside, swapped", 0.0009, 0.0, true},
        {"boundary excluded", 0.0, 0.001, false},
        {"boundary excluded below", 0.0, -0.001, false},
        {"coordinates", 0.25, 0.2501, true},
        {"opposite signs", -1.0, 1.0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Equal(c.a, c.b), c.equal);
    }
}

TEST(Text, MaximumMinimum) {
    EXPECT_EQ(Maximum(-1.5, 2.0), 2.0);
    EXPECT_EQ(Maximum(2.0, -1.5), 2.0);
    EXPECT_EQ(Minimum(-1.5, 2.0), -1.5);
    EXPECT_EQ(Minimum(2.0, -1.5), -1.5);
}

TEST(Text, GetMaxAndGetSecMax) {
    const struct {
        const char* name;
        double v1, v2, v3;
        int max;
        int second;
    } cases[] = {
        {"distinct", 1.0, 3.0, 2.0, 2, 3},
        {"largest last", 1.0, 2.0, 3.0, 3, 2},
        {"tie for largest: last wins", 3.0, 1.0, 3.0, 3, 1},
        {"three equal", 2.0, 2.0, 2.0, 3, 2},
        {"tie for second: last wins", 1.0, 5.0, 1.0, 2, 3},
        {"all negative", -1.0, -2.0, -3.0, 0, 0},
        {"one non-negative", -1.0, 0.5, -3.0, 2, 0},
        {"zero counts", -1.0, 0.0, -3.0, 2, 0},
        {"all zero", 0.0, 0.0, 0.0, 3, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Array1<double, 3> v;
        v[1] = c.v1;
        v[2] = c.v2;
        v[3] = c.v3;
        EXPECT_EQ(GetMax(v), c.max);
        EXPECT_EQ(GetSecMax(v), c.second);
    }
}

} // namespace
} // namespace kevo
