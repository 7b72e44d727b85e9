// TCalcExpress: a small arithmetic-expression evaluator. A formula text is
// parsed once into an expression tree, with named variables resolved to
// positions in a variable list; the tree is then evaluated as often as needed
// for given variable values. The symmetry expansion evaluates each component
// of a symmetry operator ("-x+1/2", "x-y", "1/2+z") with it.
//
// Grammar (the formula is lower-cased first, blanks are skipped):
//   expression = term { ("+" | "-") term }
//   term       = [ "-" | "+" ] factor { ("*" | "/") factor }
//                (the sign only at the start of the formula or right after "(";
//                 "-" negates the whole term: -a*b is -(a*b))
//   factor     = ( "(" expression ")" | number | name | function "(" expression ")" )
//                { "^" ( number | "(" number ")" ) }
//   number     = digits [ "." digits ] [ ("e" | "E") [ "+" | "-" ] digits ]
// A "-" at the start of the formula or right after "(" that is directly
// followed by a digit belongs to the number: "-1/2" is (-1)/2. Powers chain
// to the left and take only a number as exponent: x^2, x^(2.5), x^(-1).
// Functions: cos sin tg ctg abs sgn (= sign) sqrt ln exp arcsin arccos arctg
// arcctg sh ch th cth heaviside (= h). Any other name is a variable.
//
// Invalid formulas. A syntax error (unexpected token, missing "(" after a
// function name, an exponent that is not a number, a malformed number such as
// "1." or "1e", unbalanced parentheses, or more than MaxNesting nested
// parentheses and function calls) is caught by the parse itself: the formula
// is kept but has no tree, and Valid() is false. Characters the lexer does not
// know (including every byte >= 0x80) are passed over; the token before them
// counts again, which in practice makes the formula invalid.
//
// Evaluation never reads outside the given values: calc raises FormulaError
//  - for a formula without a tree (an invalid formula),
//  - for a variable whose name is not in the variable list (index -1),
//  - for a variable whose index is beyond the values passed.
// Callers test Valid() first and treat FormulaError as "cannot evaluate".
// Arithmetic faults (division by zero, ln of a non-positive number) follow
// IEEE rules and give infinities or NaN. A power is exp(exponent * ln(base)),
// so it is defined for positive bases only (a negative base gives NaN).
//
// Variable names are matched against the list without regard to ASCII case
// (the formula itself is lower-cased, so "X" in a list still names x).
//
// Long formulas ("1+1+...+1") build deep trees; evaluating and freeing a tree
// use explicit stacks, so their length is limited only by memory.
#pragma once

#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kevo {

// Raised by the parse (and caught there) for a syntax error, and by calc for
// a formula that cannot be evaluated.
class FormulaError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class TCalcExpress {
  public:
    // Token codes, stored in TTree::num.
    static constexpr int TokEnd = 0;
    static constexpr int TokOpen = 1;  // "("
    static constexpr int TokClose = 2; // ")"
    static constexpr int TokPlus = 3;
    static constexpr int TokMinus = 4;
    static constexpr int TokTimes = 5;
    static constexpr int TokDivide = 6;
    static constexpr int TokNumber = 7;
    static constexpr int TokVariable = 8;
    static constexpr int TokNegate = 9; // tree nodes only, never read as a token
    static constexpr int TokCos = 10;
    static constexpr int TokSin = 11;
    static constexpr int TokTg = 12;
    static constexpr int TokCtg = 13;
    static constexpr int TokAbs = 14;
    static constexpr int TokSgn = 15;
    static constexpr int TokSqrt = 16;
    static constexpr int TokLn = 17;
    static constexpr int TokExp = 18;
    static constexpr int TokArcsin = 19;
    static constexpr int TokArccos = 20;
    static constexpr int TokArctg = 21;
    static constexpr int TokArcctg = 22;
    static constexpr int TokSh = 23;
    static constexpr int TokCh = 24;
    static constexpr int TokTh = 25;
    static constexpr int TokCth = 26;
    static constexpr int TokHeaviside = 27;
    static constexpr int TokPower = 31; // "^"

    // Deepest nesting of parentheses and function calls a valid formula may have.
    static constexpr int MaxNesting = 200;

    // Formula "0", no variables.
    TCalcExpress();

    // Sets and parses the formula (kept lower-cased).
    void init(std::string_view s);
    // Replaces the variable list and parses the formula again, so that its
    // names are resolved against the new list.
    void SetVariables(const std::vector<std::string>& list);

    const std::string& Formula() const { return FFormula; }
    // True when the formula parsed: it has a tree and may be evaluated.
    bool Valid() const { return Tree != nullptr; }

    // The value of the formula; the variable at list position k takes
    // values[k]. Raises FormulaError as described at the top of this file.
    double calc(std::span<const double> values) const;
    // As above with the values values[0..n] only (n + 1 values, fewer when the
    // vector is shorter).
    double calc(const std::vector<double>& values, int n) const;

  private:
    struct TTree {
        TTree() = default;
        TTree(int code, std::string text) : num(code), con(std::move(text)) {}
        TTree(const TTree&) = delete;
        TTree& operator=(const TTree&) = delete;
        ~TTree(); // frees the subtrees without recursion

        int num = 0;              // token code
        std::string con;          // number text, variable index as decimal text, or name
        double value = 0;         // a number's value, read once from con
        int index = -1;           // a variable's index, read once from con (-1: unknown)
        std::unique_ptr<TTree> l; // operand, or left operand, or base of a power
        std::unique_ptr<TTree> r; // right operand, or exponent of a power
    };
    using PTree = std::unique_ptr<TTree>;

    [[noreturn]] void Error(const char* message);
    void getlex();
    PTree gettree();
    PTree getop();
    PTree getsingleop();
    PTree leaf();
    PTree Node(int code, std::string text, PTree left, PTree right = nullptr);
    static double xStrToFloat(std::string_view s);
    static double apply(const TTree& node, double left, double right,
                        std::span<const double> values);

    bool Err = false;
    int Bc = 0;
    int PrevLex = 0;
    int Curlex = 0;
    std::size_t Pos = 1; // 1-based position of the next character to read
    std::string FFormula;
    PTree Tree;
    std::vector<std::string> FVariables;
    [[maybe_unused]] bool FDefaultNames = false; // kept for the record; nothing reads it

    std::string CurCon; // text of the current number, variable or function token
    int Depth = 0;      // nesting of parentheses and function calls during the parse
    int Nodes = 0;      // nodes of the tree: the most an evaluation keeps pending
};

} // namespace kevo
