#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "model/calc_express.h"

namespace kevo {
namespace {

const std::vector<std::string> kXyz = {"x", "y", "z"};

// The formula with x, y, z bound to the values given, parsed in the order the
// program uses: init, SetVariables, calc(values, 2).
double Eval(const std::string& formula, double x = 0, double y = 0, double z = 0) {
    TCalcExpress ce;
    ce.init(formula);
    ce.SetVariables(kXyz);
    if (!ce.Valid()) {
        ADD_FAILURE() << "invalid formula";
        return std::numeric_limits<double>::quiet_NaN();
    }
    return ce.calc(std::vector<double>{x, y, z}, 2);
}

void ExpectClose(double actual, double expected) {
    EXPECT_NEAR(actual, expected, 1e-12 * std::max(1.0, std::fabs(expected)));
}

TEST(CalcExpress, EvaluatesFormulas) {
    struct Case {
        const char* formula;
        double x, y;
        double value;
        const char* why;
    } cases[] = {
        {"-x+1/2", 0.25, 0, 0.25, "negated variable plus a fraction"},
        {"x-y", 0.1, 0.3, -0.2, "difference of variables"},
        {"-1/2", 0, 0, -0.5, "a leading minus belongs to the number"},
        {"2^3", 0, 0, 8, "power"},
        {"X+1/2", 0.25, 0, 0.75, "upper case is read as lower case"},
        {"-x*y+1", 2, 3, -5, "the sign negates the term, not the sum"},
        {"-x^2", 3, 0, -9, "the power binds before the sign"},
        {"2+3*4", 0, 0, 14, "product before sum"},
        {"2*3^2", 0, 0, 18, "power before product"},
        {"(2+3)*4", 0, 0, 20, "parentheses group"},
        {"8-4-2", 0, 0, 2, "differences chain to the left"},
        {"8/4/2", 0, 0, 1, "quotients chain to the left"},
        {"2^3^2", 0, 0, 64, "powers chain to the left"},
        {"x^(2.5)", 4, 0, 32, "exponent in parentheses"},
        {"x^(-1)", 4, 0, 0.25, "negative exponent in parentheses"},
        {"(-x)", 0.25, 0, -0.25, "sign right after a parenthesis"},
        {"2*(-x+1)", 0.25, 0, 1.5, "sign after a parenthesis inside a term"},
        {"(-1/2)", 0, 0, -0.5, "negative number right after a parenthesis"},
        {"+x", 0.25, 0, 0.25, "leading plus"},
        {"(+x)*2", 0.25, 0, 0.5, "plus right after a parenthesis"},
        {"1.5e2", 0, 0, 150, "exponent form"},
        {"2.5E-1", 0, 0, 0.25, "exponent form, upper case, negative"},
        {"1e+2", 0, 0, 100, "exponent form with plus"},
        {"  x  +  1 / 4  ", 0.25, 0, 0.5, "blanks anywhere between tokens"},
        {"abs(x-y)", 0.1, 0.3, 0.2, "function of an expression"},
        {"sin(x)^2+cos(x)^2", 0.7, 0, 1, "powers of function values"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.formula) + " (" + c.why + ")");
        ExpectClose(Eval(c.formula, c.x, c.y), c.value);
    }
}

TEST(CalcExpress, FractionGivesTheSameValueOnEitherSide) {
    for (double x : {0.0, 0.1, 0.25, 0.3, 0.875}) {
        EXPECT_EQ(Eval("1/2+x", x), Eval("x+1/2", x));
        EXPECT_EQ(Eval("1/3-x", x), Eval("-x+1/3", x));
    }
}

TEST(CalcExpress, EveryFunction) {
    struct Case {
        const char* formula;
        double value;
    } cases[] = {
        {"cos(0)", 1},
        {"sin(0.5)", 0.479425538604203},
        {"tg(1)", 1.5574077246549023},
        {"ctg(1)", 0.6420926159343306},
        {"abs(-2.5)", 2.5},
        {"sgn(2)", 1},
        {"sgn(0)", 0},
        {"sign(-3)", -1},
        {"sqrt(2.25)", 1.5},
        {"ln(10)", 2.302585092994046},
        {"exp(1)", 2.718281828459045},
        {"arcsin(1)", 1.5707963267948966},
        {"arccos(-1)", 3.141592653589793},
        {"arctg(1)", 0.7853981633974483},
        {"arcctg(-1)", 2.356194490192345},
        {"sh(1)", 1.1752011936438014},
        {"ch(1)", 1.5430806348152437},
        {"th(1)", 0.7615941559557649},
        {"th(1000)", 1},
        {"cth(1)", 1.3130352854993315},
        {"heaviside(-0.1)", 0},
        {"heaviside(2)", 1},
        {"h(0)", 1},
        {"COS(SIN(0))", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.formula);
        ExpectClose(Eval(c.formula), c.value);
    }
}

TEST(CalcExpress, SymmetryOperatorComponents) {
    const double x = 0.12, y = 0.34, z = 0.56;
    struct Case {
        const char* formula;
        double value;
    } cases[] = {
        {"x", 0.12},
        {"-x", -0.12},
        {"x-y", -0.22},
        {"-x+y", 0.22},
        {"1/2+z", 1.06},
        {"-y+3/4", 0.41},
        {"x+1/4", 0.37},
        {"z-1/3", 0.2266666666666667},
        {"1/2-x", 0.38},
        {"-z+1/2", -0.06},
        {"-x+y+2/3", 0.8866666666666667},
        {"x-y+1/3", 0.11333333333333334},
        {"z+1/6", 0.7266666666666667},
        {"+y", 0.34},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.formula);
        ExpectClose(Eval(c.formula, x, y, z), c.value);
    }
}

TEST(CalcExpress, ArithmeticFaultsFollowIeee) {
    EXPECT_EQ(Eval("1/0"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(Eval("-1/0"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(Eval("ln(0)"), -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(Eval("ln(-1)")));
    EXPECT_TRUE(std::isnan(Eval("sqrt(-1)")));
    // A power is exp(exponent * ln(base)): defined for positive bases only.
    EXPECT_TRUE(std::isnan(Eval("(-2)^2")));
    EXPECT_EQ(Eval("0^2"), 0);
}

TEST(CalcExpress, InvalidFormulasHaveNoTreeAndAreNotEvaluated) {
    struct Case {
        const char* formula;
        const char* why;
    } cases[] = {
        {"(x", "unclosed parenthesis"},
        {"x)", "unopened parenthesis"},
        {"1+(2*3", "unclosed parenthesis after an operator"},
        {")(", "parentheses the wrong way round"},
        {"()", "empty parentheses"},
        {"x^y", "exponent that is not a number"},
        {"x^(y)", "exponent in parentheses that is not a number"},
        {"x^(2", "exponent without its closing parenthesis"},
        {"x^", "missing exponent"},
        {"1.", "point without decimals"},
        {"1.e5", "point without decimals before an exponent"},
        {"1e", "exponent without digits"},
        {"1e+", "signed exponent without digits"},
        {"2.5e-", "negative exponent without digits"},
        {".5", "number starting with a point"},
        {"x y", "two operands in a row"},
        {"2x", "number followed by a name"},
        {"sin x", "function without parenthesis"},
        {"sin", "function name alone"},
        {"cos[x]", "function with brackets"},
        {"abs()", "function without argument"},
        {"", "empty formula"},
        {"+", "sign alone"},
        {"-", "minus alone at the end of the text"},
        {"(-", "minus at the end of the text after a parenthesis"},
        {"x+", "missing right operand"},
        {"*x", "missing left operand"},
        {"x*-1", "sign inside a term"},
        {"--x", "doubled sign"},
        {"x+-1", "sign after an operator"},
        {"x$", "unknown character after an operand"},
        {"x;y", "unknown separator"},
        {"x\xC3\xA9", "non-ASCII bytes after a name"},
        {"\xFF", "a non-ASCII byte alone"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.formula) + " (" + c.why + ")");
        TCalcExpress ce;
        ce.init(c.formula);
        EXPECT_FALSE(ce.Valid());
        ce.SetVariables(kXyz);
        EXPECT_FALSE(ce.Valid());
        EXPECT_THROW(ce.calc(std::vector<double>{0.1, 0.2, 0.3}, 2), FormulaError);
    }
}

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

TEST(CalcExpress, NestingIsCapped) {
    const int cap = TCalcExpress::MaxNesting;
    struct Case {
        const char* open;
        int depth;
        bool valid;
    } cases[] = {
        {"(", cap, true},    {"(", cap + 1, false},    {"(", 100000, false},
        {"abs(", cap, true}, {"abs(", cap + 1, false}, {"abs(", 100000, false},
        {"(-", cap, true},   {"(-", 100000, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.open) + " x " + std::to_string(c.depth));
        TCalcExpress ce;
        ce.init(Repeat(c.open, c.depth) + "x" + std::string(c.depth, ')'));
        ce.SetVariables(kXyz);
        EXPECT_EQ(ce.Valid(), c.valid);
        if (c.valid) {
            EXPECT_EQ(std::fabs(ce.calc(std::vector<double>{0.25, 0, 0}, 2)), 0.25);
        }
    }
    TCalcExpress unclosed;
    unclosed.init(std::string(100000, '('));
    EXPECT_FALSE(unclosed.Valid());
}

TEST(CalcExpress, LongChainsAreEvaluatedAndFreed) {
    const int n = 100000; // a tree as deep as the sum is long: no recursion may walk it
    TCalcExpress sum;
    sum.init("1" + Repeat("+1", n - 1));
    EXPECT_EQ(sum.calc(std::vector<double>{}), n);
}

TEST(CalcExpress, StartsWithFormulaZero) {
    TCalcExpress ce;
    EXPECT_EQ(ce.Formula(), "0");
    ASSERT_TRUE(ce.Valid());
    EXPECT_EQ(ce.calc(std::vector<double>{}), 0);
}

TEST(CalcExpress, KeepsTheFormulaLowerCased) {
    TCalcExpress ce;
    ce.init("-X+1/2");
    EXPECT_EQ(ce.Formula(), "-x+1/2");
    ce.init("(x");
    EXPECT_EQ(ce.Formula(), "(x");
    EXPECT_FALSE(ce.Valid());
    ce.init("Y");
    EXPECT_TRUE(ce.Valid());
}

TEST(CalcExpress, NamesAreResolvedAgainstTheCurrentList) {
    TCalcExpress ce;
    ce.init("y-1");
    EXPECT_THROW(ce.calc(std::vector<double>{5, 7}), FormulaError); // no list yet
    ce.SetVariables({"x", "y"});
    EXPECT_EQ(ce.calc(std::vector<double>{5, 7}), 6);
    ce.SetVariables({"y", "x"});
    EXPECT_EQ(ce.calc(std::vector<double>{5, 7}), 4);
    ce.SetVariables({"X", "Y"});
    EXPECT_EQ(ce.calc(std::vector<double>{5, 7}), 6) << "list names match in any case";
}

TEST(CalcExpress, UnknownNameIsValidButNotEvaluated) {
    TCalcExpress ce;
    ce.init("x+w");
    ce.SetVariables(kXyz);
    EXPECT_TRUE(ce.Valid());
    EXPECT_THROW(ce.calc(std::vector<double>{0.1, 0.2, 0.3}, 2), FormulaError);
}

TEST(CalcExpress, NeverReadsBeyondTheValuesGiven) {
    TCalcExpress ce;
    ce.init("z+1/2");
    ce.SetVariables(kXyz);
    const std::vector<double> xyz = {0.1, 0.2, 0.3};
    ExpectClose(ce.calc(xyz, 2), 0.8);
    EXPECT_THROW(ce.calc(xyz, 1), FormulaError);
    EXPECT_THROW(ce.calc(xyz, -1), FormulaError);
    EXPECT_THROW(ce.calc(std::vector<double>{0.1, 0.2}), FormulaError);
    EXPECT_THROW(ce.calc(std::vector<double>{0.1, 0.2}, 2), FormulaError);
}

} // namespace
} // namespace kevo
