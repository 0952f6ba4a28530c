#include "db/script_splitter.h"

#include <cstddef>
#include <optional>

namespace rubso {
namespace {

// The lexical pieces the splitter cares about. Blanks and comments produce
// no token; quoted texts and quoted names are one opaque token each.
enum class TokenKind { Word, Semicolon, OpenParen, CloseParen, Other };

struct Token {
    TokenKind kind;
    std::size_t begin;
    std::size_t end;
    std::string upperWord;  // only for words
};

bool IsWordChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$';
}

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Position just past a text quoted with `quote`, where a doubled quote
// stands for itself. An unterminated text runs to the end.
std::size_t SkipQuoted(std::string_view s, std::size_t pos, char quote) {
    ++pos;
    while (pos < s.size()) {
        if (s[pos] == quote) {
            if (pos + 1 < s.size() && s[pos + 1] == quote) {
                pos += 2;
                continue;
            }
            return pos + 1;
        }
        ++pos;
    }
    return s.size();
}

// Position just past a q'<x>...<x>' text; `pos` is at the opening quote.
// Bracket delimiters close with their partner, any other with itself.
std::size_t SkipAlternativeQuoted(std::string_view s, std::size_t pos) {
    if (pos + 1 >= s.size()) return s.size();
    char close = s[pos + 1];
    switch (close) {
        case '(':
            close = ')';
            break;
        case '[':
            close = ']';
            break;
        case '{':
            close = '}';
            break;
        case '<':
            close = '>';
            break;
        default:
            break;
    }
    for (std::size_t i = pos + 2; i + 1 < s.size(); ++i) {
        if (s[i] == close && s[i + 1] == '\'') return i + 2;
    }
    return s.size();
}

std::vector<Token> Tokenize(std::string_view s) {
    std::vector<Token> tokens;
    std::size_t pos = 0;
    while (pos < s.size()) {
        const char c = s[pos];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
            ++pos;
        } else if (c == '-' && pos + 1 < s.size() && s[pos + 1] == '-') {
            const std::size_t eol = s.find('\n', pos);
            pos = eol == std::string_view::npos ? s.size() : eol + 1;
        } else if (c == '/' && pos + 1 < s.size() && s[pos + 1] == '*') {
            const std::size_t close = s.find("*/", pos + 2);
            pos = close == std::string_view::npos ? s.size() : close + 2;
        } else if (c == '\'' || c == '"') {
            const std::size_t end = SkipQuoted(s, pos, c);
            tokens.push_back({TokenKind::Other, pos, end, {}});
            pos = end;
        } else if (IsWordChar(c)) {
            std::size_t end = pos;
            std::string upper;
            while (end < s.size() && IsWordChar(s[end])) upper += AsciiUpper(s[end++]);
            if (upper == "Q" && end < s.size() && s[end] == '\'') {
                end = SkipAlternativeQuoted(s, end);
                tokens.push_back({TokenKind::Other, pos, end, {}});
            } else {
                tokens.push_back({TokenKind::Word, pos, end, std::move(upper)});
            }
            pos = end;
        } else {
            TokenKind kind = TokenKind::Other;
            if (c == ';') kind = TokenKind::Semicolon;
            if (c == '(') kind = TokenKind::OpenParen;
            if (c == ')') kind = TokenKind::CloseParen;
            tokens.push_back({kind, pos, pos + 1, {}});
            ++pos;
        }
    }
    return tokens;
}

// The upper-cased word at `index`, empty when that token is not a word.
std::string_view WordAt(const std::vector<Token>& tokens, std::size_t index) {
    if (index >= tokens.size() || tokens[index].kind != TokenKind::Word) return {};
    return tokens[index].upperWord;
}

bool IsRoutineKeyword(std::string_view word) {
    return word == "PROCEDURE" || word == "TRIGGER" || word == "FUNCTION" || word == "PACKAGE";
}

// Whether the statement starting at `first` defines a routine with a PSQL
// body, whose inner ";" must not split it.
bool StartsRoutineDefinition(const std::vector<Token>& tokens, std::size_t first) {
    const std::string_view w0 = WordAt(tokens, first);
    const std::string_view w1 = WordAt(tokens, first + 1);
    if (w0 == "EXECUTE") return w1 == "BLOCK";
    if (w0 == "CREATE" && w1 == "OR" && WordAt(tokens, first + 2) == "ALTER") {
        return IsRoutineKeyword(WordAt(tokens, first + 3));
    }
    if (w0 == "CREATE" || w0 == "ALTER" || w0 == "RECREATE") return IsRoutineKeyword(w1);
    return false;
}

// Walks a routine definition from `first`. Returns the index of the token
// that ends it: the END closing the outermost BEGIN of the body, or a ";"
// met before the body's AS (a definition without a body). Returns nullopt
// when the chunk ends first.
std::optional<std::size_t> FindRoutineEnd(const std::vector<Token>& tokens, std::size_t first) {
    enum class Block { Begin, Case };
    std::vector<Block> blocks;
    int parenDepth = 0;
    bool bodyStarted = false;         // AS of the routine itself seen
    bool inSubroutineHeader = false;  // DECLARE PROCEDURE|FUNCTION ... before its AS
    int pendingSubroutineBodies = 0;  // BEGIN ... END blocks of local routines to come

    for (std::size_t i = first; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.kind == TokenKind::OpenParen) {
            ++parenDepth;
            continue;
        }
        if (t.kind == TokenKind::CloseParen) {
            if (parenDepth > 0) --parenDepth;
            continue;
        }
        if (t.kind == TokenKind::Semicolon) {
            if (!bodyStarted && blocks.empty()) return i;
            // A local routine declared ahead of its body.
            if (inSubroutineHeader && parenDepth == 0) inSubroutineHeader = false;
            continue;
        }
        if (t.kind != TokenKind::Word) continue;
        const std::string& w = t.upperWord;
        if (w == "AS" && parenDepth == 0 && blocks.empty()) {
            if (!bodyStarted) {
                bodyStarted = true;
            } else if (inSubroutineHeader) {
                inSubroutineHeader = false;
                ++pendingSubroutineBodies;
            }
        } else if (w == "DECLARE" && blocks.empty() && bodyStarted) {
            const std::string_view next = WordAt(tokens, i + 1);
            if (next == "PROCEDURE" || next == "FUNCTION") inSubroutineHeader = true;
        } else if (w == "BEGIN") {
            blocks.push_back(Block::Begin);
        } else if (w == "CASE") {
            blocks.push_back(Block::Case);
        } else if (w == "END" && !blocks.empty()) {
            const Block closed = blocks.back();
            blocks.pop_back();
            if (closed == Block::Begin && blocks.empty()) {
                if (pendingSubroutineBodies > 0) {
                    --pendingSubroutineBodies;
                } else {
                    return i;
                }
            }
        }
    }
    return std::nullopt;
}

std::size_t TrimRight(std::string_view s, std::size_t begin, std::size_t end) {
    while (end > begin) {
        const char c = s[end - 1];
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\f' && c != '\v') break;
        --end;
    }
    return end;
}

}  // namespace

std::vector<ScriptStatement> SplitScript(std::string_view chunk) {
    const std::vector<Token> tokens = Tokenize(chunk);
    std::vector<ScriptStatement> statements;
    auto add = [&](std::size_t begin, std::size_t end) {
        end = TrimRight(chunk, begin, end);
        std::string text(chunk.substr(begin, end - begin));
        const StatementKind kind = ClassifyStatement(text);
        statements.push_back({std::move(text), kind});
    };

    std::size_t i = 0;
    while (i < tokens.size()) {
        if (tokens[i].kind == TokenKind::Semicolon) {  // empty statement
            ++i;
            continue;
        }
        const std::size_t begin = tokens[i].begin;
        if (StartsRoutineDefinition(tokens, i)) {
            const std::optional<std::size_t> last = FindRoutineEnd(tokens, i);
            if (!last) {
                add(begin, chunk.size());
                break;
            }
            if (tokens[*last].kind == TokenKind::Semicolon) {
                add(begin, tokens[*last].begin);
            } else {
                add(begin, tokens[*last].end);
            }
            i = *last + 1;
            continue;
        }
        std::size_t j = i;
        while (j < tokens.size() && tokens[j].kind != TokenKind::Semicolon) ++j;
        add(begin, j < tokens.size() ? tokens[j].begin : chunk.size());
        i = j + 1;
    }
    return statements;
}

StatementKind ClassifyStatement(std::string_view statement) {
    const std::vector<Token> tokens = Tokenize(statement);
    const std::string_view first = WordAt(tokens, 0);
    if (first == "CREATE" || first == "ALTER" || first == "DROP" || first == "DECLARE" ||
        first == "GRANT" || first == "REVOKE") {
        return StatementKind::Definition;
    }
    if (first == "SET" && WordAt(tokens, 1) == "GENERATOR") return StatementKind::Definition;
    return StatementKind::DataChange;
}

}  // namespace rubso
