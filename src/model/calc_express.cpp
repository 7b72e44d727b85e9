#include "model/calc_express.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>
#include <utility>

#include "model/numbers.h"

namespace kevo {

namespace {

// ASCII only: bytes >= 0x80 are neither digits nor letters, whatever the locale.
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsNameChar(char c) {
    return IsLetter(c) || IsDigit(c) || c == '_';
}

std::string LowerCase(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

struct FunctionName {
    std::string_view name;
    int code;
};

constexpr std::array<FunctionName, 20> FunctionNames{{
    {"cos", TCalcExpress::TokCos},
    {"sin", TCalcExpress::TokSin},
    {"tg", TCalcExpress::TokTg},
    {"ctg", TCalcExpress::TokCtg},
    {"abs", TCalcExpress::TokAbs},
    {"sgn", TCalcExpress::TokSgn},
    {"sign", TCalcExpress::TokSgn},
    {"sqrt", TCalcExpress::TokSqrt},
    {"ln", TCalcExpress::TokLn},
    {"exp", TCalcExpress::TokExp},
    {"arcsin", TCalcExpress::TokArcsin},
    {"arccos", TCalcExpress::TokArccos},
    {"arctg", TCalcExpress::TokArctg},
    {"arcctg", TCalcExpress::TokArcctg},
    {"sh", TCalcExpress::TokSh},
    {"ch", TCalcExpress::TokCh},
    {"th", TCalcExpress::TokTh},
    {"cth", TCalcExpress::TokCth},
    {"heaviside", TCalcExpress::TokHeaviside},
    {"h", TCalcExpress::TokHeaviside},
}};

// Tokens of one character, other than "-", and their codes.
constexpr std::string_view SingleCharTokens = "()+*/^";
constexpr std::array<int, 6> SingleCharCodes{TCalcExpress::TokOpen,   TCalcExpress::TokClose,
                                             TCalcExpress::TokPlus,   TCalcExpress::TokTimes,
                                             TCalcExpress::TokDivide, TCalcExpress::TokPower};

bool IsFunction(int code) {
    return code >= TCalcExpress::TokCos && code <= TCalcExpress::TokHeaviside;
}

} // namespace

TCalcExpress::TTree::~TTree() {
    // A long sum or product is a left-deep chain as long as the formula:
    // unlink the nodes onto a stack so that each one is freed childless.
    std::vector<PTree> pending;
    if (l) pending.push_back(std::move(l));
    if (r) pending.push_back(std::move(r));
    while (!pending.empty()) {
        PTree node = std::move(pending.back());
        pending.pop_back();
        if (node->l) pending.push_back(std::move(node->l));
        if (node->r) pending.push_back(std::move(node->r));
    }
}

TCalcExpress::TCalcExpress() {
    init("0");
}

void TCalcExpress::init(std::string_view s) {
    std::string lowered = LowerCase(s); // s may be a view of FFormula itself
    Tree.reset();
    Err = false;
    FFormula = std::move(lowered);
    PrevLex = 0;
    Curlex = 0;
    Pos = 1;
    Bc = 0;
    Depth = 0;
    Nodes = 0;
    CurCon.clear();
    try {
        Tree = gettree();
    } catch (const FormulaError&) {
        // Error has set Err; unwinding has freed the part of the tree built so far.
    }
    if (Bc != 0 || Err) Tree.reset();
}

void TCalcExpress::SetVariables(const std::vector<std::string>& list) {
    FVariables = list;
    init(FFormula);
}

void TCalcExpress::Error(const char* message) {
    Err = true;
    throw FormulaError(message);
}

void TCalcExpress::getlex() {
    const std::string& f = FFormula;
    // The character at 1-based position p, or '\0' past the end.
    auto at = [&f](std::size_t p) { return p >= 1 && p <= f.size() ? f[p - 1] : '\0'; };
    auto readNumber = [&]() {
        std::size_t start = Pos;
        while (IsDigit(at(Pos)))
            ++Pos;
        if (at(Pos) == '.') {
            ++Pos;
            if (!IsDigit(at(Pos))) Error("Wrong number.");
            while (IsDigit(at(Pos)))
                ++Pos;
        }
        if (at(Pos) == 'e' || at(Pos) == 'E') {
            ++Pos;
            if (at(Pos) == '+' || at(Pos) == '-') ++Pos;
            if (!IsDigit(at(Pos))) Error("Wrong number.");
            while (IsDigit(at(Pos)))
                ++Pos;
        }
        return f.substr(start - 1, Pos - start);
    };

    while (at(Pos) == ' ')
        ++Pos;
    int code = Curlex; // an unknown character leaves the code as it was
    if (Pos > f.size()) {
        code = TokEnd;
    } else {
        char c = at(Pos);
        if (std::size_t k = SingleCharTokens.find(c); k != std::string_view::npos) {
            code = SingleCharCodes[k];
            ++Pos;
        } else if (c == '-') {
            ++Pos;
            if ((Curlex == TokEnd || Curlex == TokOpen) && IsDigit(at(Pos))) {
                CurCon = "-" + readNumber();
                code = TokNumber;
            } else {
                code = TokMinus;
            }
        } else if (IsDigit(c)) {
            CurCon = readNumber();
            code = TokNumber;
        } else if (IsLetter(c) || c == '_') {
            std::size_t start = Pos;
            while (IsNameChar(at(Pos)))
                ++Pos;
            CurCon = f.substr(start - 1, Pos - start);
            code = TokVariable;
            for (const auto& fn : FunctionNames)
                if (fn.name == CurCon) code = fn.code;
            if (code == TokVariable) {
                long long index = -1;
                for (std::size_t k = 0; k < FVariables.size(); ++k)
                    if (LowerCase(FVariables[k]) == CurCon) {
                        index = static_cast<long long>(k);
                        break;
                    }
                CurCon = IntToStr(index);
            }
        } else {
            ++Pos;
        }
    }
    PrevLex = Curlex;
    Curlex = code;
}

TCalcExpress::PTree TCalcExpress::leaf() {
    ++Nodes;
    auto node = std::make_unique<TTree>(Curlex, CurCon);
    if (Curlex == TokNumber) node->value = xStrToFloat(node->con);
    if (Curlex == TokVariable) node->index = TryStrToInt(node->con).value_or(-1);
    return node;
}

TCalcExpress::PTree TCalcExpress::Node(int code, std::string text, PTree left, PTree right) {
    ++Nodes;
    auto node = std::make_unique<TTree>(code, std::move(text));
    node->l = std::move(left);
    node->r = std::move(right);
    return node;
}

// expression = term { ("+" | "-") term }, ending at the end of the text or at
// ")", which closes the parenthesis this expression was opened by.
TCalcExpress::PTree TCalcExpress::gettree() {
    PTree tree = getop();
    while (Curlex == TokPlus || Curlex == TokMinus) {
        int op = Curlex;
        PTree right = getop();
        tree = Node(op, op == TokPlus ? "+" : "-", std::move(tree), std::move(right));
    }
    if (Curlex == TokClose)
        --Bc;
    else if (Curlex != TokEnd)
        Error("Unexpected token.");
    return tree;
}

// term = [sign] factor { ("*" | "/") factor }; the sign is read only at the
// start of the formula or right after "(" and applies to the whole term.
TCalcExpress::PTree TCalcExpress::getop() {
    getlex();
    bool negate = false;
    if (PrevLex == TokEnd || PrevLex == TokOpen) {
        if (Curlex == TokMinus) {
            negate = true;
            getlex();
        } else if (Curlex == TokPlus) {
            getlex();
        }
    }
    PTree tree = getsingleop();
    while (Curlex == TokTimes || Curlex == TokDivide) {
        int op = Curlex;
        getlex();
        PTree right = getsingleop();
        tree = Node(op, op == TokTimes ? "*" : "/", std::move(tree), std::move(right));
    }
    if (negate) tree = Node(TokNegate, "-", std::move(tree));
    return tree;
}

// factor, starting at the current token, followed by any powers; leaves the
// token after it current.
TCalcExpress::PTree TCalcExpress::getsingleop() {
    PTree node;
    if (Curlex == TokOpen) {
        if (++Depth > MaxNesting) Error("Formula nested too deeply.");
        ++Bc;
        node = gettree();
        --Depth;
    } else if (Curlex == TokNumber || Curlex == TokVariable) {
        node = leaf();
    } else if (IsFunction(Curlex)) {
        node = leaf();
        getlex();
        if (Curlex != TokOpen) Error("\"(\" expected after a function name.");
        if (++Depth > MaxNesting) Error("Formula nested too deeply.");
        ++Bc;
        node->l = gettree();
        --Depth;
    } else {
        Error("Unexpected token.");
    }
    getlex();
    while (Curlex == TokPower) {
        getlex();
        PTree exponent;
        if (Curlex == TokNumber) {
            exponent = leaf();
        } else if (Curlex == TokOpen) {
            getlex();
            if (Curlex != TokNumber) Error("The exponent must be a number.");
            exponent = leaf();
            getlex();
            if (Curlex != TokClose) Error("\")\" expected after the exponent.");
        } else {
            Error("The exponent must be a number.");
        }
        node = Node(TokPower, "^", std::move(node), std::move(exponent));
        getlex();
    }
    return node;
}

// The number lexed from the formula: always convertible, except a value out
// of the range of double ("1e999"), which gives 0 like any text that does not
// convert.
double TCalcExpress::xStrToFloat(std::string_view s) {
    return TryStrToFloat(s).value_or(0.0);
}

double TCalcExpress::apply(const TTree& node, double left, double right,
                           std::span<const double> values) {
    switch (node.num) {
    case TokPlus:
        return left + right;
    case TokMinus:
        return left - right;
    case TokTimes:
        return left * right;
    case TokDivide:
        return left / right;
    case TokNumber:
        return node.value;
    case TokVariable: {
        if (node.index < 0) throw FormulaError("Unknown variable in the formula.");
        if (static_cast<std::size_t>(node.index) >= values.size())
            throw FormulaError("No value for a variable of the formula.");
        return values[static_cast<std::size_t>(node.index)];
    }
    case TokNegate:
        return -left;
    case TokCos:
        return std::cos(left);
    case TokSin:
        return std::sin(left);
    case TokTg:
        return std::tan(left);
    case TokCtg:
        return 1 / std::tan(left);
    case TokAbs:
        return std::fabs(left);
    case TokSgn:
        return left < 0 ? -1.0 : (left > 0 ? 1.0 : 0.0);
    case TokSqrt:
        return std::sqrt(left);
    case TokLn:
        return std::log(left);
    case TokExp:
        return std::exp(left);
    case TokArcsin:
        return std::asin(left);
    case TokArccos:
        return std::acos(left);
    case TokArctg:
        return std::atan(left);
    case TokArcctg:
        return std::numbers::pi / 2 - std::atan(left);
    // The library functions rather than sums of exponentials: th(1000) is 1,
    // not inf/inf.
    case TokSh:
        return std::sinh(left);
    case TokCh:
        return std::cosh(left);
    case TokTh:
        return std::tanh(left);
    case TokCth:
        return 1 / std::tanh(left);
    case TokHeaviside:
        return left >= 0 ? 1.0 : 0.0;
    case TokPower:
        return std::exp(right * std::log(left));
    default:
        return 0;
    }
}

namespace {

// A stack kept in place up to N entries (an operator's components have a
// handful of nodes), on the heap beyond.
template <class T, std::size_t N> class SmallStack {
  public:
    explicit SmallStack(std::size_t capacity) {
        if (capacity > N) heap_.resize(capacity);
    }
    bool empty() const { return size_ == 0; }
    T& back() { return data()[size_ - 1]; }
    void push_back(const T& v) { data()[size_++] = v; }
    void pop_back() { --size_; }

  private:
    T* data() { return heap_.empty() ? local_.data() : heap_.data(); }
    std::array<T, N> local_{};
    std::vector<T> heap_;
    std::size_t size_ = 0;
};

} // namespace

double TCalcExpress::calc(std::span<const double> values) const {
    if (!Tree) throw FormulaError("The formula is invalid.");
    // Post-order walk with explicit stacks: the tree of a long sum is as deep
    // as the formula is long. Neither stack holds more entries than the tree
    // has nodes.
    struct Step {
        const TTree* node;
        bool childrenDone;
    };
    const auto capacity = static_cast<std::size_t>(std::max(Nodes, 1));
    SmallStack<Step, 32> todo(capacity);
    SmallStack<double, 32> results(capacity);
    todo.push_back({Tree.get(), false});
    while (!todo.empty()) {
        Step& step = todo.back();
        const TTree* node = step.node;
        if (!step.childrenDone) {
            step.childrenDone = true;
            if (node->r) todo.push_back({node->r.get(), false});
            if (node->l) todo.push_back({node->l.get(), false}); // evaluated first
            continue;
        }
        todo.pop_back();
        double right = 0;
        double left = 0;
        if (node->r) {
            right = results.back();
            results.pop_back();
        }
        if (node->l) {
            left = results.back();
            results.pop_back();
        }
        results.push_back(apply(*node, left, right, values));
    }
    return results.back();
}

double TCalcExpress::calc(const std::vector<double>& values, int n) const {
    std::size_t count = n < 0 ? 0 : std::min(values.size(), static_cast<std::size_t>(n) + 1);
    return calc(std::span<const double>(values.data(), count));
}

} // namespace kevo
