#include "services/regex_engine.h"

#include <algorithm>
#include <array>
#include <bit>
#include <bitset>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

namespace suantiji::regex {

namespace {

enum class Op : std::uint8_t {
    Char,
    Class,
    Any,
    LineStart,
    LineEnd,
    WordBoundary,
    NotWordBoundary,
    GroupStart,
    GroupEnd,
    Alt,
    Repeat,
    BackRef,
    LookAhead,
    NegLookAhead,
    Empty,
};

struct Node {
    Op op = Op::Empty;
    int next = -1;
    char32_t ch = 0;
    int index = 0;  // class index, group number, or first node of a repeated or looked-at part
    int min = 0;
    int max = 0;
    bool greedy = true;
    std::vector<int> alternatives;
    // For single-character nodes: which ASCII characters match, case folding included.
    std::array<std::uint64_t, 2> ascii{};
};

Node makeNode(Op op) {
    Node node;
    node.op = op;
    return node;
}

struct CharClass {
    std::bitset<128> ascii;
    std::vector<std::pair<char32_t, char32_t>> ranges;  // beyond ASCII
    bool negated = false;

    void addRange(char32_t lo, char32_t hi) {
        for (char32_t c = lo; c <= hi && c < 128; ++c) ascii.set(c);
        if (hi >= 128) ranges.emplace_back(lo < 128 ? 128 : lo, hi);
    }
};

constexpr char32_t kMaxCodePoint = 0x10FFFF;
constexpr std::size_t kMaxSteps = 10'000'000;
constexpr int kMaxDepth = 4000;

bool isLineTerminator(char32_t c) { return c == '\n' || c == '\r' || c == 0x2028 || c == 0x2029; }
bool isWordChar(char32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
char32_t lowerAscii(char32_t c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }
char32_t upperAscii(char32_t c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

// Decodes one code point; malformed bytes stand for themselves, one byte each.
char32_t decode(std::string_view text, std::size_t pos, std::size_t& length) {
    const auto b0 = static_cast<unsigned char>(text[pos]);
    if (b0 < 0x80) {
        length = 1;
        return b0;
    }
    auto continuation = [&](std::size_t i) {
        return pos + i < text.size() && (static_cast<unsigned char>(text[pos + i]) & 0xC0) == 0x80;
    };
    auto bits = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]) & 0x3Fu; };
    if (b0 >= 0xC2 && b0 < 0xE0 && continuation(1)) {
        length = 2;
        return ((b0 & 0x1Fu) << 6) | bits(1);
    }
    if (b0 >= 0xE0 && b0 < 0xF0 && continuation(1) && continuation(2)) {
        length = 3;
        return ((b0 & 0x0Fu) << 12) | (bits(1) << 6) | bits(2);
    }
    if (b0 >= 0xF0 && b0 < 0xF5 && continuation(1) && continuation(2) && continuation(3)) {
        length = 4;
        return ((b0 & 0x07u) << 18) | (bits(1) << 12) | (bits(2) << 6) | bits(3);
    }
    length = 1;
    return b0;
}

std::size_t previousStart(std::string_view text, std::size_t pos) {
    std::size_t p = pos - 1;
    const std::size_t floor = pos >= 4 ? pos - 4 : 0;
    while (p > floor && (static_cast<unsigned char>(text[p]) & 0xC0) == 0x80) --p;
    std::size_t length = 0;
    decode(text, p, length);
    return p + length == pos ? p : pos - 1;
}

unsigned char leadByte(char32_t c) {
    if (c < 0x80) return static_cast<unsigned char>(c);
    if (c < 0x800) return static_cast<unsigned char>(0xC0 | (c >> 6));
    if (c < 0x10000) return static_cast<unsigned char>(0xE0 | (c >> 12));
    return static_cast<unsigned char>(0xF0 | (c >> 18));
}

void addSpaces(CharClass& cls) {
    cls.addRange('\t', '\r');
    cls.addRange(' ', ' ');
    for (auto [lo, hi] : std::initializer_list<std::pair<char32_t, char32_t>>{{0xA0, 0xA0},
                                                                              {0x1680, 0x1680},
                                                                              {0x2000, 0x200A},
                                                                              {0x2028, 0x2029},
                                                                              {0x202F, 0x202F},
                                                                              {0x205F, 0x205F},
                                                                              {0x3000, 0x3000},
                                                                              {0xFEFF, 0xFEFF}}) {
        cls.addRange(lo, hi);
    }
}

// Adds the complement of `inner` (as a non-negated class) to `cls`.
void addComplement(CharClass& cls, const CharClass& inner) {
    cls.ascii |= ~inner.ascii;
    char32_t from = 128;
    std::vector<std::pair<char32_t, char32_t>> sorted = inner.ranges;
    std::sort(sorted.begin(), sorted.end());
    for (auto [lo, hi] : sorted) {
        if (lo > from) cls.ranges.emplace_back(from, lo - 1);
        if (hi + 1 > from) from = hi + 1;
    }
    if (from <= kMaxCodePoint) cls.ranges.emplace_back(from, kMaxCodePoint);
}

}  // namespace

// One step of a pattern that needs no backtracking: consume min..max characters of an ASCII
// set (greedily), or record the position in capture slot `slot`.
struct LinearStep {
    std::array<bool, 256> set{};  // by byte: one load per character looked at
    int min = 0;
    int max = 0;
    int slot = -1;  // >= 0: a capture mark, not a consuming step
};

// A linear pattern over a short subject can be run with one bit per byte: a mask per class
// of characters, and every step applied to all places at once. Below 17 bytes a plain scan
// costs less than making the masks; above 63 the ends, 0 to the size, outgrow 64 bits.
constexpr std::size_t kMaskedShortest = 17;
constexpr std::size_t kMaskedLongest = 63;

struct MaskStep {
    int mask = -1;  // the class; -1 for a capture mark
    int min = 0;
    int max = 0;
    int slot = -1;
};

class Program {
public:
    std::vector<Node> nodes;
    std::vector<CharClass> classes;
    int start = -1;
    int groups = 0;
    Flags flags;
    std::bitset<256> firstBytes;
    // Start node of a pattern that begins with an unbounded run of one character kind and has
    // no back references, or -1. After a failed attempt, starting again inside the same run
    // can only try a subset of the same end positions, so the search skips the run.
    int leadingRun = -1;
    // When the leading run is followed by a single character that the run cannot contain
    // (both ASCII only), every match starts at the run that ends right before such a
    // character: the search only looks at those places. -1 otherwise.
    int runFollow = -1;
    // The pattern as a straight line of steps when no backtracking can change its outcome
    // (see compileLinear); empty otherwise.
    std::vector<LinearStep> linear;
    // The step after the first in `linear` when it must take one character at least, or -1.
    int linearFollow = -1;
    // `linear` by class masks, when it begins with an unbounded run, every step takes one
    // character, optional or repeated, and there are at most eight classes; empty otherwise.
    // maskClasses[b] has bit c set when byte b is in class c.
    std::vector<MaskStep> maskSteps;
    std::array<unsigned char, 256> maskClasses{};
    std::size_t maskClassCount = 0;
    static_assert(Searcher::kMaxMasks <= 8, "a class is one bit of a byte in maskClasses");
};

namespace {

struct Fragment {
    int first = -1;
    int last = -1;
};

class Parser {
public:
    Parser(std::string_view pattern, Program& program) : m_text(pattern), m_program(program) {}

    bool parse() {
        const Fragment whole = alternation();
        if (!m_ok || m_pos != m_text.size()) return false;
        m_program.start = whole.first;
        m_program.groups = m_groups;
        return true;
    }

private:
    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_pos]; }

    int add(Node node) {
        m_program.nodes.push_back(std::move(node));
        return static_cast<int>(m_program.nodes.size()) - 1;
    }
    Fragment single(Node node) {
        const int n = add(std::move(node));
        return {n, n};
    }
    Fragment fail() {
        m_ok = false;
        m_pos = m_text.size();
        return single(Node{});
    }

    Fragment alternation() {
        std::vector<Fragment> alternatives{sequence()};
        while (m_ok && peek() == '|') {
            ++m_pos;
            alternatives.push_back(sequence());
        }
        if (alternatives.size() == 1) return alternatives[0];
        Node alt;
        alt.op = Op::Alt;
        for (const Fragment& f : alternatives) alt.alternatives.push_back(f.first);
        return single(std::move(alt));
    }

    Fragment sequence() {
        Fragment seq;
        while (m_ok && !atEnd() && peek() != '|' && peek() != ')') {
            const Fragment t = term();
            if (seq.first < 0) {
                seq = t;
            } else {
                m_program.nodes[static_cast<std::size_t>(seq.last)].next = t.first;
                seq.last = t.last;
            }
        }
        if (seq.first < 0) return single(Node{});
        return seq;
    }

    Fragment term() {
        const char c = peek();
        bool assertion = false;
        Fragment atom;
        if (c == '^' || c == '$') {
            ++m_pos;
            atom = single(makeNode(c == '^' ? Op::LineStart : Op::LineEnd));
            assertion = true;
        } else if (c == '\\' && m_pos + 1 < m_text.size() &&
                   (m_text[m_pos + 1] == 'b' || m_text[m_pos + 1] == 'B')) {
            atom =
                single(makeNode(m_text[m_pos + 1] == 'b' ? Op::WordBoundary : Op::NotWordBoundary));
            m_pos += 2;
            assertion = true;
        } else if (c == '(') {
            atom = group(assertion);
        } else if (c == '*' || c == '+' || c == '?' || (c == '{' && quantifierAhead())) {
            return fail();  // nothing to repeat
        } else {
            atom = character();
        }
        if (!m_ok) return atom;
        int min = 0;
        int max = 0;
        if (!quantifier(min, max)) return atom;
        if (assertion) return fail();
        Node repeat;
        repeat.op = Op::Repeat;
        repeat.index = atom.first;
        repeat.min = min;
        repeat.max = max;
        if (peek() == '?') {
            ++m_pos;
            repeat.greedy = false;
        }
        return single(std::move(repeat));
    }

    Fragment group(bool& assertion) {
        ++m_pos;
        Op kind = Op::GroupStart;
        if (m_text.substr(m_pos, 2) == "?:") {
            kind = Op::Empty;
            m_pos += 2;
        } else if (m_text.substr(m_pos, 2) == "?=" || m_text.substr(m_pos, 2) == "?!") {
            kind = m_text[m_pos + 1] == '=' ? Op::LookAhead : Op::NegLookAhead;
            m_pos += 2;
        } else if (peek() == '?') {
            return fail();
        }
        const int number = kind == Op::GroupStart ? ++m_groups : 0;
        const Fragment inner = alternation();
        if (!m_ok || peek() != ')') return fail();
        ++m_pos;
        if (kind == Op::Empty) return inner;
        if (kind != Op::GroupStart) {
            assertion = true;
            Node look;
            look.op = kind;
            look.index = inner.first;
            return single(std::move(look));
        }
        Node open;
        open.op = Op::GroupStart;
        open.index = number;
        open.next = inner.first;
        Node close;
        close.op = Op::GroupEnd;
        close.index = number;
        const int first = add(std::move(open));
        const int last = add(std::move(close));
        m_program.nodes[static_cast<std::size_t>(inner.last)].next = last;
        return {first, last};
    }

    bool readNumber(int& value) {
        const std::size_t begin = m_pos;
        long long n = 0;
        while (!atEnd() && peek() >= '0' && peek() <= '9') {
            n = std::min<long long>(n * 10 + (peek() - '0'), INT_MAX);
            ++m_pos;
        }
        value = static_cast<int>(n);
        return m_pos > begin;
    }

    bool quantifierAhead() {
        const std::size_t saved = m_pos;
        int min = 0;
        int max = 0;
        const bool found = braces(min, max);
        m_pos = saved;
        return found;
    }

    // {n}, {n,} or {n,m}; leaves the position alone when the text is not one.
    bool braces(int& min, int& max) {
        const std::size_t saved = m_pos;
        if (peek() != '{') return false;
        ++m_pos;
        if (!readNumber(min)) {
            m_pos = saved;
            return false;
        }
        max = min;
        if (peek() == ',') {
            ++m_pos;
            if (!readNumber(max)) max = INT_MAX;
        }
        if (peek() != '}') {
            m_pos = saved;
            return false;
        }
        ++m_pos;
        return true;
    }

    bool quantifier(int& min, int& max) {
        switch (peek()) {
            case '*':
                min = 0;
                max = INT_MAX;
                ++m_pos;
                return true;
            case '+':
                min = 1;
                max = INT_MAX;
                ++m_pos;
                return true;
            case '?':
                min = 0;
                max = 1;
                ++m_pos;
                return true;
            case '{':
                if (!braces(min, max)) return false;
                if (min > max) fail();
                return m_ok;
            default:
                return false;
        }
    }

    Fragment character() {
        const char c = peek();
        if (c == '.') {
            ++m_pos;
            return single(makeNode(Op::Any));
        }
        if (c == '[') return charClass();
        if (c == '\\') {
            ++m_pos;
            if (atEnd()) return fail();
            const char e = peek();
            if (e >= '1' && e <= '9') {
                Node ref;
                ref.op = Op::BackRef;
                readNumber(ref.index);
                return single(std::move(ref));
            }
            CharClass cls;
            if (classEscape(e, cls)) {
                ++m_pos;
                return classNode(std::move(cls));
            }
            return literal(escape());
        }
        std::size_t length = 0;
        const char32_t cp = decode(m_text, m_pos, length);
        m_pos += length;
        return literal(cp);
    }

    Fragment literal(char32_t cp) {
        Node node;
        node.op = Op::Char;
        node.ch = m_program.flags.ignoreCase ? lowerAscii(cp) : cp;
        return single(std::move(node));
    }

    Fragment classNode(CharClass cls) {
        m_program.classes.push_back(std::move(cls));
        Node node;
        node.op = Op::Class;
        node.index = static_cast<int>(m_program.classes.size()) - 1;
        return single(std::move(node));
    }

    // \d \D \w \W \s \S, added to `cls`.
    static bool classEscape(char e, CharClass& cls) {
        CharClass base;
        switch (e) {
            case 'd':
            case 'D':
                base.addRange('0', '9');
                break;
            case 'w':
            case 'W':
                base.addRange('a', 'z');
                base.addRange('A', 'Z');
                base.addRange('0', '9');
                base.addRange('_', '_');
                break;
            case 's':
            case 'S':
                addSpaces(base);
                break;
            default:
                return false;
        }
        if (e >= 'a') {
            cls.ascii |= base.ascii;
            cls.ranges.insert(cls.ranges.end(), base.ranges.begin(), base.ranges.end());
        } else {
            addComplement(cls, base);
        }
        return true;
    }

    bool hex(int digits, char32_t& value) {
        if (m_pos + static_cast<std::size_t>(digits) > m_text.size()) return false;
        char32_t v = 0;
        for (int i = 0; i < digits; ++i) {
            const char h = m_text[m_pos + static_cast<std::size_t>(i)];
            int d = 0;
            if (h >= '0' && h <= '9') {
                d = h - '0';
            } else if (h >= 'a' && h <= 'f') {
                d = h - 'a' + 10;
            } else if (h >= 'A' && h <= 'F') {
                d = h - 'A' + 10;
            } else {
                return false;
            }
            v = v * 16 + static_cast<char32_t>(d);
        }
        m_pos += static_cast<std::size_t>(digits);
        value = v;
        return true;
    }

    // The character an escape stands for; the position is just after the backslash.
    char32_t escape() {
        const char e = peek();
        ++m_pos;
        switch (e) {
            case 't':
                return '\t';
            case 'n':
                return '\n';
            case 'r':
                return '\r';
            case 'f':
                return '\f';
            case 'v':
                return '\v';
            case '0':
                return 0;
            case 'c':
                if (!atEnd() &&
                    ((peek() >= 'a' && peek() <= 'z') || (peek() >= 'A' && peek() <= 'Z'))) {
                    return static_cast<char32_t>(m_text[m_pos++] % 32);
                }
                --m_pos;
                return '\\';
            case 'x': {
                char32_t v = 0;
                return hex(2, v) ? v : U'x';
            }
            case 'u': {
                char32_t v = 0;
                if (!hex(4, v)) return U'u';
                if (v >= 0xD800 && v < 0xDC00 && m_text.substr(m_pos, 2) == "\\u") {
                    const std::size_t saved = m_pos;
                    m_pos += 2;
                    char32_t low = 0;
                    if (hex(4, low) && low >= 0xDC00 && low < 0xE000) {
                        return 0x10000 + ((v - 0xD800) << 10) + (low - 0xDC00);
                    }
                    m_pos = saved;
                }
                return v;
            }
            default: {
                --m_pos;
                std::size_t length = 0;
                const char32_t cp = decode(m_text, m_pos, length);
                m_pos += length;
                return cp;
            }
        }
    }

    // One class member: a character, or a class escape (then `isClass`).
    bool classAtom(char32_t& cp, CharClass& escapes, bool& isClass) {
        isClass = false;
        if (atEnd()) return false;
        if (peek() == '\\') {
            ++m_pos;
            if (atEnd()) return false;
            if (classEscape(peek(), escapes)) {
                ++m_pos;
                isClass = true;
                return true;
            }
            if (peek() == 'b') {
                ++m_pos;
                cp = '\b';
                return true;
            }
            cp = escape();
            return true;
        }
        std::size_t length = 0;
        cp = decode(m_text, m_pos, length);
        m_pos += length;
        return true;
    }

    Fragment charClass() {
        ++m_pos;
        CharClass cls;
        if (peek() == '^') {
            cls.negated = true;
            ++m_pos;
        }
        while (true) {
            if (atEnd()) return fail();
            if (peek() == ']') {
                ++m_pos;
                break;
            }
            char32_t lo = 0;
            bool loIsClass = false;
            if (!classAtom(lo, cls, loIsClass)) return fail();
            if (peek() == '-' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] != ']') {
                ++m_pos;
                char32_t hi = 0;
                bool hiIsClass = false;
                if (!classAtom(hi, cls, hiIsClass)) return fail();
                if (loIsClass || hiIsClass) {
                    // A range with a class at one end is the class, the "-" and the other end.
                    if (!loIsClass) cls.addRange(lo, lo);
                    if (!hiIsClass) cls.addRange(hi, hi);
                    cls.addRange('-', '-');
                    continue;
                }
                if (lo > hi) return fail();
                cls.addRange(lo, hi);
                continue;
            }
            if (!loIsClass) cls.addRange(lo, lo);
        }
        return classNode(std::move(cls));
    }

    std::string_view m_text;
    Program& m_program;
    std::size_t m_pos = 0;
    int m_groups = 0;
    bool m_ok = true;
};

std::bitset<256> allBytes() { return std::bitset<256>().set(); }

std::bitset<256> firstBytes(const Program& p, int n, int depth = 0) {
    if (n < 0 || depth > 64) return allBytes();
    const Node& node = p.nodes[static_cast<std::size_t>(n)];
    std::bitset<256> set;
    auto addChar = [&](char32_t c) {
        set.set(leadByte(c));
        if (p.flags.ignoreCase) {
            set.set(leadByte(lowerAscii(c)));
            set.set(leadByte(upperAscii(c)));
        }
    };
    switch (node.op) {
        case Op::Char:
            addChar(node.ch);
            return set;
        case Op::Class: {
            const CharClass& cls = p.classes[static_cast<std::size_t>(node.index)];
            if (cls.negated || !cls.ranges.empty()) return allBytes();
            for (char32_t c = 0; c < 128; ++c) {
                if (cls.ascii.test(c)) addChar(c);
            }
            return set;
        }
        case Op::Repeat:
            return node.min >= 1 ? firstBytes(p, node.index, depth + 1) : allBytes();
        case Op::GroupStart:
            return firstBytes(p, node.next, depth + 1);
        case Op::Alt:
            for (int a : node.alternatives) set |= firstBytes(p, a, depth + 1);
            return set;
        default:
            return allBytes();
    }
}

enum class ContKind : std::uint8_t { Next, Repeat, Accept, LookAccept };

struct Cont {
    int node;
    const Cont* up;
    ContKind kind;
    int count;
    std::size_t lastStart;
};

class Matcher {
public:
    Matcher(const Program& program, std::string_view subject, std::vector<int>& captures)
        : m_p(program), m_nodes(program.nodes.data()), m_text(subject), m_caps(captures) {}

    bool matchAt(std::size_t pos) {
        const Cont accept{-1, nullptr, ContKind::Accept, 0, 0};
        if (!run(m_p.start, pos, &accept)) return false;
        m_caps[0] = static_cast<int>(pos);
        m_caps[1] = static_cast<int>(m_matchEnd);
        return true;
    }

    bool aborted() const { return m_aborted; }

    // The end of the run of characters that `node` matches from `pos`.
    std::size_t runEnd(const Node& node, std::size_t pos) const {
        std::size_t next = 0;
        while (single(node, pos, next)) pos = next;
        return pos;
    }

private:
    struct DepthGuard {
        explicit DepthGuard(int& depth) : m_depth(depth) { ++m_depth; }
        ~DepthGuard() { --m_depth; }
        int& m_depth;
    };

    // One character at `pos` against a single-character node.
    bool single(const Node& node, std::size_t pos, std::size_t& next) const {
        if (pos >= m_text.size()) return false;
        const auto b = static_cast<unsigned char>(m_text[pos]);
        if (b < 0x80) {
            next = pos + 1;
            return ((node.ascii[b >> 6] >> (b & 63)) & 1) != 0;
        }
        std::size_t length = 1;
        const char32_t c = decode(m_text, pos, length);
        next = pos + length;
        return matches(node, c);
    }

public:
    bool matches(const Node& node, char32_t c) const {
        switch (node.op) {
            case Op::Char:
                return node.ch == c || (m_p.flags.ignoreCase && node.ch == lowerAscii(c));
            case Op::Any:
                return m_p.flags.dotAll || !isLineTerminator(c);
            default: {
                const CharClass& cls = m_p.classes[static_cast<std::size_t>(node.index)];
                return inClass(cls, c) != cls.negated;
            }
        }
    }

private:
    bool inClass(const CharClass& cls, char32_t c) const {
        if (c < 128) {
            if (cls.ascii.test(c)) return true;
            if (!m_p.flags.ignoreCase) return false;
            const char32_t other = (c >= 'a' && c <= 'z') ? upperAscii(c) : lowerAscii(c);
            return other != c && cls.ascii.test(other);
        }
        for (auto [lo, hi] : cls.ranges) {
            if (c >= lo && c <= hi) return true;
        }
        return false;
    }

    static bool isSingle(const Node& node) {
        return (node.op == Op::Char || node.op == Op::Class || node.op == Op::Any) && node.next < 0;
    }

    char32_t at(std::size_t pos) const {
        std::size_t length = 0;
        return decode(m_text, pos, length);
    }

    bool run(int n, std::size_t pos, const Cont* k) {
        DepthGuard guard(m_depth);
        if (m_depth > kMaxDepth) {
            m_aborted = true;
            return false;
        }
        while (true) {
            if (m_aborted || ++m_steps > kMaxSteps) {
                m_aborted = true;
                return false;
            }
            if (n < 0) {
                switch (k->kind) {
                    case ContKind::Accept:
                        m_matchEnd = pos;
                        return true;
                    case ContKind::LookAccept:
                        return true;
                    case ContKind::Repeat:
                        return repeat(k->node, pos, k->count, k->lastStart, k->up);
                    case ContKind::Next:
                        n = k->node;
                        k = k->up;
                        continue;
                }
            }
            const Node& node = m_nodes[n];
            switch (node.op) {
                case Op::Char:
                case Op::Class:
                case Op::Any: {
                    std::size_t next = 0;
                    if (!single(node, pos, next)) return false;
                    pos = next;
                    n = node.next;
                    continue;
                }
                case Op::Empty:
                    n = node.next;
                    continue;
                case Op::LineStart:
                    if (pos != 0 && !(m_p.flags.multiline &&
                                      isLineTerminator(at(previousStart(m_text, pos))))) {
                        return false;
                    }
                    n = node.next;
                    continue;
                case Op::LineEnd:
                    if (pos != m_text.size() &&
                        !(m_p.flags.multiline && isLineTerminator(at(pos)))) {
                        return false;
                    }
                    n = node.next;
                    continue;
                case Op::WordBoundary:
                case Op::NotWordBoundary: {
                    const bool before = pos > 0 && isWordChar(at(previousStart(m_text, pos)));
                    const bool after = pos < m_text.size() && isWordChar(at(pos));
                    if ((before != after) != (node.op == Op::WordBoundary)) return false;
                    n = node.next;
                    continue;
                }
                case Op::GroupStart:
                case Op::GroupEnd: {
                    const std::size_t slot = static_cast<std::size_t>(node.index) * 2 +
                                             (node.op == Op::GroupEnd ? 1 : 0);
                    const int saved = m_caps[slot];
                    m_caps[slot] = static_cast<int>(pos);
                    if (run(node.next, pos, k)) return true;
                    m_caps[slot] = saved;
                    return false;
                }
                case Op::Alt: {
                    const Cont after{node.next, k, ContKind::Next, 0, 0};
                    const Cont* tail = node.next < 0 ? k : &after;
                    for (int a : node.alternatives) {
                        if (run(a, pos, tail)) return true;
                        if (m_aborted) return false;
                    }
                    return false;
                }
                case Op::Repeat: {
                    const Node& child = m_nodes[node.index];
                    if (isSingle(child)) return repeatSingle(node, child, pos, k);
                    return repeat(n, pos, 0, std::string_view::npos, k);
                }
                case Op::BackRef: {
                    const std::size_t slot = static_cast<std::size_t>(node.index) * 2;
                    if (slot + 1 < m_caps.size() && m_caps[slot] >= 0 && m_caps[slot + 1] >= 0) {
                        const auto begin = static_cast<std::size_t>(m_caps[slot]);
                        const auto length = static_cast<std::size_t>(m_caps[slot + 1]) - begin;
                        if (pos + length > m_text.size()) return false;
                        for (std::size_t i = 0; i < length; ++i) {
                            char32_t a = static_cast<unsigned char>(m_text[begin + i]);
                            char32_t b = static_cast<unsigned char>(m_text[pos + i]);
                            if (m_p.flags.ignoreCase) {
                                a = lowerAscii(a);
                                b = lowerAscii(b);
                            }
                            if (a != b) return false;
                        }
                        pos += length;
                    }
                    n = node.next;
                    continue;
                }
                case Op::LookAhead:
                case Op::NegLookAhead: {
                    const std::vector<int> saved = m_caps;
                    const Cont look{-1, nullptr, ContKind::LookAccept, 0, 0};
                    const bool found = run(node.index, pos, &look);
                    if (m_aborted) return false;
                    if (node.op == Op::NegLookAhead) {
                        m_caps = saved;
                        if (found) return false;
                    } else if (!found) {
                        return false;
                    }
                    if (run(node.next, pos, k)) return true;
                    m_caps = saved;
                    return false;
                }
            }
        }
    }

    // A cheap look at the character after a repetition saves a backtracking step per
    // position when it cannot match anyway.
    bool canFollow(const Node* follow, std::size_t pos) const {
        std::size_t next = 0;
        return follow == nullptr || single(*follow, pos, next);
    }

    bool repeatSingle(const Node& repeatNode, const Node& child, std::size_t pos, const Cont* k) {
        const Node* follow = nullptr;
        if (repeatNode.next >= 0) {
            const Node& after = m_nodes[repeatNode.next];
            if (after.op == Op::Char || after.op == Op::Class || after.op == Op::Any)
                follow = &after;
        }
        int count = 0;
        std::size_t p = pos;
        std::size_t next = 0;
        if (repeatNode.greedy) {
            while (count < repeatNode.max && single(child, p, next)) {
                p = next;
                ++count;
            }
            if (count < repeatNode.min) return false;
            while (true) {
                if (canFollow(follow, p) && run(repeatNode.next, p, k)) return true;
                if (m_aborted || count == repeatNode.min) return false;
                p = previousStart(m_text, p);
                --count;
            }
        }
        while (count < repeatNode.min) {
            if (!single(child, p, next)) return false;
            p = next;
            ++count;
        }
        while (true) {
            if (canFollow(follow, p) && run(repeatNode.next, p, k)) return true;
            if (m_aborted || count == repeatNode.max || !single(child, p, next)) return false;
            p = next;
            ++count;
        }
    }

    // After `count` whole iterations of a general repeat, the last of which began at lastStart.
    bool repeat(int n, std::size_t pos, int count, std::size_t lastStart, const Cont* k) {
        const Node& node = m_nodes[n];
        // An empty iteration beyond the minimum can only loop; it does not count as a match.
        if (count > node.min && pos == lastStart) return false;
        const Cont again{n, k, ContKind::Repeat, count + 1, pos};
        const bool more = count < node.max;
        if (node.greedy) {
            if (more && run(node.index, pos, &again)) return true;
            return !m_aborted && count >= node.min && run(node.next, pos, k);
        }
        if (count >= node.min && run(node.next, pos, k)) return true;
        return !m_aborted && more && run(node.index, pos, &again);
    }

    const Program& m_p;
    const Node* m_nodes;
    std::string_view m_text;
    std::vector<int>& m_caps;
    std::size_t m_matchEnd = 0;
    std::size_t m_steps = 0;
    int m_depth = 0;
    bool m_aborted = false;
};

bool inSet(const std::array<bool, 256>& set, unsigned char b) { return set[b]; }

// The byte table of an ASCII-only node: bytes from 0x80 up never match one.
std::array<bool, 256> byteTable(const Node& node) {
    std::array<bool, 256> table{};
    for (unsigned b = 0; b < 0x80; ++b) table[b] = ((node.ascii[b >> 6] >> (b & 63)) & 1) != 0;
    return table;
}

bool disjoint(const std::array<bool, 256>& a, const std::array<bool, 256>& b) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] && b[i]) return false;
    }
    return true;
}

bool asciiOnly(const Program& p, const Node& node) {
    if (node.op == Op::Char) return node.ch < 0x80;
    if (node.op != Op::Class) return false;
    const CharClass& cls = p.classes[static_cast<std::size_t>(node.index)];
    return !cls.negated && cls.ranges.empty();
}

// A pattern that is one straight sequence of ASCII characters or classes, each possibly
// repeated greedily, and capture groups around them. Greedy runs that take everything they
// can give the first path the backtracking engine would try; when every character a run could
// give back is refused by whatever must come next, no other path can succeed either, so that
// first path is the whole answer.
std::vector<LinearStep> compileLinear(const Program& p) {
    std::vector<LinearStep> steps;
    for (int n = p.start; n >= 0;) {
        const Node& node = p.nodes[static_cast<std::size_t>(n)];
        LinearStep step;
        switch (node.op) {
            case Op::Char:
            case Op::Class:
                if (!asciiOnly(p, node)) return {};
                step.set = byteTable(node);
                step.min = step.max = 1;
                break;
            case Op::GroupStart:
            case Op::GroupEnd:
                step.slot = node.index * 2 + (node.op == Op::GroupEnd ? 1 : 0);
                break;
            case Op::Empty:
                n = node.next;
                continue;
            case Op::Repeat: {
                const Node& child = p.nodes[static_cast<std::size_t>(node.index)];
                if ((child.op != Op::Char && child.op != Op::Class) || child.next >= 0 ||
                    !asciiOnly(p, child) || (!node.greedy && node.min != node.max)) {
                    return {};
                }
                step.set = byteTable(child);
                step.min = node.min;
                step.max = node.max;
                break;
            }
            default:
                return {};
        }
        steps.push_back(step);
        n = node.next;
    }
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (steps[i].slot >= 0 || steps[i].min == steps[i].max) continue;
        // Everything up to the next step that must consume has to refuse this run's characters.
        for (std::size_t j = i + 1; j < steps.size(); ++j) {
            if (steps[j].slot >= 0) continue;
            if (!disjoint(steps[i].set, steps[j].set)) return {};
            if (steps[j].min >= 1) break;
        }
    }
    if (steps.empty()) steps.push_back(LinearStep{});  // the empty pattern: nothing to consume
    return steps;
}

// One attempt at `pos`; `firstEnd` receives where the first consuming step stopped.
bool linearMatchAt(const Program& p, std::string_view text, std::size_t pos, std::vector<int>& caps,
                   std::size_t& firstEnd) {
    std::size_t at = pos;
    bool first = true;
    for (const LinearStep& step : p.linear) {
        if (step.slot >= 0) {
            caps[static_cast<std::size_t>(step.slot)] = static_cast<int>(at);
            continue;
        }
        int count = 0;
        while (count < step.max && at < text.size() &&
               inSet(step.set, static_cast<unsigned char>(text[at]))) {
            ++at;
            ++count;
        }
        if (first) firstEnd = at;
        first = false;
        if (count < step.min) return false;
    }
    caps[0] = static_cast<int>(pos);
    caps[1] = static_cast<int>(at);
    return true;
}

bool linearSearch(const Program& p, std::string_view subject, std::size_t start,
                  std::vector<int>& captures) {
    const LinearStep& lead = p.linear.front();
    // A failed attempt that began a run of the first step's characters fails from anywhere
    // inside that run too: the run ends at the same place and the rest is the same.
    const bool skipRun = lead.slot < 0 && lead.min >= 1 && lead.max == INT_MAX;
    // A successful attempt writes every slot (no group here can be skipped), so the slots a
    // failed one wrote need clearing only when the whole search fails.
    auto attempt = [&](std::size_t pos, std::size_t& firstEnd) {
        return linearMatchAt(p, subject, pos, captures, firstEnd);
    };
    if (skipRun && p.linearFollow >= 0) {
        // Every match is a run of the first step's characters ended by one the next step takes:
        // only the places where such a character follows the run are tried.
        const auto& follow = p.linear[static_cast<std::size_t>(p.linearFollow)].set;
        const auto* bytes = reinterpret_cast<const unsigned char*>(subject.data());
        for (std::size_t at = start + 1; at < subject.size(); ++at) {
            if (!inSet(follow, bytes[at]) || !inSet(lead.set, bytes[at - 1])) continue;
            std::size_t begin = at - 1;
            while (begin > start && inSet(lead.set, bytes[begin - 1])) --begin;
            std::size_t firstEnd = begin;
            if (attempt(begin, firstEnd)) return true;
        }
        return false;
    }
    for (std::size_t pos = start; pos <= subject.size(); ++pos) {
        if (pos < subject.size()) {
            const auto byte = static_cast<unsigned char>(subject[pos]);
            if ((byte & 0xC0) == 0x80 && pos > start) continue;  // inside a character
            if (!p.firstBytes.test(byte)) continue;
        } else if (!p.firstBytes.all()) {
            break;
        }
        std::size_t firstEnd = pos;
        if (attempt(pos, firstEnd)) return true;
        if (skipRun && firstEnd > pos + 1) pos = firstEnd - 1;
    }
    return false;
}

void compileMasks(Program& p) {
    if (p.linear.empty()) return;
    const LinearStep& lead = p.linear.front();
    if (lead.slot >= 0 || lead.min != 1 || lead.max != INT_MAX) return;
    std::vector<const std::array<bool, 256>*> classes;
    std::vector<MaskStep> steps;
    for (const LinearStep& step : p.linear) {
        MaskStep masked;
        masked.slot = step.slot;
        if (step.slot < 0) {
            if (step.min > 1 || (step.max != 1 && step.max != INT_MAX)) return;
            masked.min = step.min;
            masked.max = step.max;
            std::size_t k = 0;
            while (k < classes.size() && *classes[k] != step.set) ++k;
            if (k == classes.size()) {
                if (k == Searcher::kMaxMasks) return;
                classes.push_back(&step.set);
            }
            masked.mask = static_cast<int>(k);
        }
        steps.push_back(masked);
    }
    p.maskSteps = std::move(steps);
    p.maskClassCount = classes.size();
    for (std::size_t c = 0; c < classes.size(); ++c) {
        for (unsigned b = 0; b < 256; ++b) {
            if ((*classes[c])[b]) p.maskClasses[b] |= static_cast<unsigned char>(1u << c);
        }
    }
}

// Bit i of masks[c] tells whether byte i of the subject is in class c. Each byte's classes
// come from one table load and are gathered eight bytes to a word in a register; a
// multiplication then packs bit c of the word's eight bytes into eight bits.
void classMasks(const Program& p, std::string_view subject, std::uint64_t* masks) {
    const std::size_t size = subject.size();
    const auto* bytes = reinterpret_cast<const unsigned char*>(subject.data());
    for (std::size_t c = 0; c < p.maskClassCount; ++c) masks[c] = 0;
    for (std::size_t begin = 0; begin < size; begin += 8) {
        const std::size_t end = std::min(begin + 8, size);
        std::uint64_t word = 0;
        for (std::size_t i = begin; i < end; ++i) {
            word |= std::uint64_t{p.maskClasses[bytes[i]]} << ((i - begin) * 8);
        }
        for (std::size_t c = 0; c < p.maskClassCount; ++c) {
            // Bit c of byte k lands on bit 56 + k and nothing else reaches bits 56 to 63.
            const std::uint64_t low = (word >> c) & 0x0101010101010101ULL;
            masks[c] |= ((low * 0x0102040810204080ULL) >> 56) << begin;
        }
    }
}

// The places of `m` from which its run goes on without a break up to a place in `last`.
std::uint64_t fillBack(std::uint64_t last, std::uint64_t m) {
    // Each round doubles the distance covered; runs are short, so it mostly stops early.
    std::uint64_t filled = last;
    for (int shift = 1; shift < 64 && m != 0; shift *= 2) {
        filled |= m & (filled >> shift);
        m &= m >> shift;
    }
    return filled;
}

// Every place an attempt succeeds from. Greedy steps whose characters the next step refuses
// have one way through each, so walking back from every possible end, step by step over all
// places at once, finds exactly the places that get through.
std::uint64_t successfulStarts(const Program& p, const std::uint64_t* masks, std::size_t size) {
    std::uint64_t good = (std::uint64_t{2} << size) - 1;  // ends 0 ... size
    for (auto step = p.maskSteps.rbegin(); step != p.maskSteps.rend(); ++step) {
        if (step->slot >= 0) continue;
        const std::uint64_t m = masks[step->mask];
        const std::uint64_t taken =
            step->max == 1 ? (good >> 1) & m : fillBack(((good & ~m) >> 1) & m, m);
        good = step->min == 0 ? taken | (good & ~m) : taken;
    }
    return good;
}

}  // namespace

std::shared_ptr<const Program> Compile(std::string_view pattern, Flags flags) {
    auto program = std::make_shared<Program>();
    program->flags = flags;
    Parser parser(pattern, *program);
    if (!parser.parse()) return nullptr;
    program->firstBytes = firstBytes(*program, program->start);
    {
        std::vector<int> unused;
        const Matcher probe(*program, "", unused);
        for (Node& node : program->nodes) {
            if (node.op != Op::Char && node.op != Op::Class && node.op != Op::Any) continue;
            for (char32_t c = 0; c < 128; ++c) {
                if (probe.matches(node, c)) node.ascii[c >> 6] |= std::uint64_t{1} << (c & 63);
            }
        }
    }
    bool backReferences = false;
    for (const Node& node : program->nodes)
        backReferences = backReferences || node.op == Op::BackRef;
    const Node& first = program->nodes[static_cast<std::size_t>(program->start)];
    if (!backReferences && first.op == Op::Repeat && first.min >= 1 && first.max == INT_MAX) {
        const Node& child = program->nodes[static_cast<std::size_t>(first.index)];
        if ((child.op == Op::Char || child.op == Op::Class || child.op == Op::Any) &&
            child.next < 0) {
            program->leadingRun = first.index;
            if (first.next >= 0) {
                const Node& follow = program->nodes[static_cast<std::size_t>(first.next)];
                if (asciiOnly(*program, child) && asciiOnly(*program, follow) &&
                    (child.ascii[0] & follow.ascii[0]) == 0 &&
                    (child.ascii[1] & follow.ascii[1]) == 0) {
                    program->runFollow = first.next;
                }
            }
        }
    }
    program->linear = compileLinear(*program);
    for (std::size_t i = 1; i < program->linear.size(); ++i) {
        const LinearStep& step = program->linear[i];
        if (step.slot >= 0) continue;
        if (step.min >= 1) program->linearFollow = static_cast<int>(i);
        break;
    }
    compileMasks(*program);
    return program;
}

int GroupCount(const Program& program) { return program.groups; }

Searcher::Searcher(const Program& program, std::string_view subject)
    : m_program(program), m_subject(subject) {
    if (!program.maskSteps.empty() && subject.size() >= kMaskedShortest &&
        subject.size() <= kMaskedLongest) {
        classMasks(program, subject, m_masks.data());
        m_good = successfulStarts(program, m_masks.data(), subject.size());
        m_masked = true;
    }
}

bool Searcher::Next(std::size_t start, std::vector<int>& captures, bool* aborted) {
    const Program& program = m_program;
    if (program.linear.empty())
        return SearchByBacktracking(program, m_subject, start, captures, aborted);
    if (aborted != nullptr) *aborted = false;
    captures.resize(static_cast<std::size_t>(program.groups + 1) * 2);
    if (m_masked ? start <= m_subject.size() && nextMasked(start, captures)
                 : linearSearch(program, m_subject, start, captures)) {
        return true;
    }
    std::fill(captures.begin(), captures.end(), -1);
    return false;
}

bool Searcher::nextMasked(std::size_t start, std::vector<int>& captures) const {
    // Attempts begin where a run of the first step's characters begins, or at start inside
    // one: from anywhere in a run the first step ends where the run ends.
    const std::uint64_t lead = m_masks[static_cast<std::size_t>(m_program.maskSteps[0].mask)];
    const std::uint64_t at = std::uint64_t{1} << start;
    const std::uint64_t begins = ((lead & ~(lead << 1) & ~(at - 1)) | at) & lead;
    const std::uint64_t good = m_good & begins;
    if (good == 0) return false;
    // The leftmost, walked once more for its captures: the place as a single bit, moved by
    // the same bitwise steps.
    const auto begin = static_cast<std::size_t>(std::countr_zero(good));
    std::uint64_t place = std::uint64_t{1} << begin;
    for (const MaskStep& step : m_program.maskSteps) {
        if (step.slot >= 0) {
            captures[static_cast<std::size_t>(step.slot)] = std::countr_zero(place);
            continue;
        }
        const std::uint64_t m = m_masks[static_cast<std::size_t>(step.mask)];
        const std::uint64_t taken = step.max == 1 ? (place & m) << 1 : (m + (place & m)) & ~m;
        place = step.min == 0 ? taken | (place & ~m) : taken;
    }
    captures[0] = static_cast<int>(begin);
    captures[1] = std::countr_zero(place);
    return true;
}

bool Search(const Program& program, std::string_view subject, std::size_t start,
            std::vector<int>& captures, bool* aborted) {
    return Searcher(program, subject).Next(start, captures, aborted);
}

bool SearchByBacktracking(const Program& program, std::string_view subject, std::size_t start,
                          std::vector<int>& captures, bool* aborted) {
    if (aborted != nullptr) *aborted = false;
    captures.assign(static_cast<std::size_t>(program.groups + 1) * 2, -1);
    Matcher matcher(program, subject, captures);
    if (program.runFollow >= 0) {
        const Node& run = program.nodes[static_cast<std::size_t>(program.leadingRun)];
        const Node& follow = program.nodes[static_cast<std::size_t>(program.runFollow)];
        auto in = [](const Node& node, char c) {
            const auto b = static_cast<unsigned char>(c);
            return b < 0x80 && ((node.ascii[b >> 6] >> (b & 63)) & 1) != 0;
        };
        for (std::size_t p = start + 1; p < subject.size(); ++p) {
            if (!in(follow, subject[p]) || !in(run, subject[p - 1])) continue;
            std::size_t begin = p - 1;
            while (begin > start && in(run, subject[begin - 1])) --begin;
            if (matcher.matchAt(begin)) return true;
            if (matcher.aborted()) {
                if (aborted != nullptr) *aborted = true;
                return false;
            }
        }
        return false;
    }
    for (std::size_t pos = start; pos <= subject.size(); ++pos) {
        if (pos < subject.size()) {
            const auto byte = static_cast<unsigned char>(subject[pos]);
            if ((byte & 0xC0) == 0x80 && pos > start) continue;  // inside a character
            if (!program.firstBytes.test(byte)) continue;
        } else if (!program.firstBytes.all()) {
            break;  // a pattern that needs a first character cannot match at the end
        }
        if (matcher.matchAt(pos)) return true;
        if (matcher.aborted()) {
            if (aborted != nullptr) *aborted = true;
            return false;
        }
        if (program.leadingRun >= 0) {
            const std::size_t end =
                matcher.runEnd(program.nodes[static_cast<std::size_t>(program.leadingRun)], pos);
            if (end > pos + 1) pos = end - 1;
        }
    }
    return false;
}

}  // namespace suantiji::regex
