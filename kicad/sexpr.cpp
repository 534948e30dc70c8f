#include "kicad/sexpr.hpp"

#include <cstdio>

namespace {

const std::string no_head;

bool is_blank(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; }

bool ends_word(char ch) { return is_blank(ch) || ch == '(' || ch == ')' || ch == '"'; }

std::string shown(unsigned char ch) {
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02x", static_cast<unsigned>(ch));
    return text;
}

class Reader {
public:
    Reader(std::string_view text, const KeepList& keep, const SexprLimits& limits)
        : text_(text), keep_(keep), limits_(limits) {}

    SexprNode read() {
        if (text_.size() > limits_.max_bytes) {
            throw SexprError(1, "the file is larger than " + std::to_string(limits_.max_bytes >> 20) +
                                    " MiB; no circuit board is that large");
        }
        skip_blanks();
        if (at_end() || text_[pos_] != '(') {
            throw SexprError(line_, "the file does not start with \"(\"; it is not a KiCad board");
        }
        SexprNode root;
        root.is_list = true;
        root.line = line_;
        ++pos_;
        read_list_items(root);
        skip_blanks();
        if (!at_end()) {
            throw SexprError(line_, "text after the end of the board's list");
        }
        return root;
    }

private:
    bool at_end() const { return pos_ >= text_.size(); }

    void skip_blanks() {
        while (!at_end() && is_blank(text_[pos_])) {
            if (text_[pos_] == '\n') ++line_;
            ++pos_;
        }
    }

    void check_token(std::size_t length, int line) const {
        if (length > limits_.max_token) {
            throw SexprError(line, "a word longer than " + std::to_string(limits_.max_token) + " bytes");
        }
    }

    void count_item(int line) {
        if (++items_ > limits_.max_items) {
            throw SexprError(line, "more than " + std::to_string(limits_.max_items) + " items to keep");
        }
    }

    std::string read_quoted() {
        const int start = line_;
        ++pos_;
        std::string value;
        while (true) {
            if (at_end()) throw SexprError(start, "a quoted text is not closed");
            const char ch = text_[pos_++];
            if (ch == '"') return value;
            if (ch == '\n') ++line_;
            if (ch == '\\') {
                if (at_end()) throw SexprError(start, "a quoted text is not closed");
                const char escaped = text_[pos_++];
                value += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
                if (escaped == '\n') ++line_;
            } else {
                value += ch;
            }
            check_token(value.size(), start);
        }
    }

    std::string read_word() {
        const std::size_t start = pos_;
        while (!at_end() && !ends_word(text_[pos_])) {
            const unsigned char ch = static_cast<unsigned char>(text_[pos_]);
            if (ch < 0x20 || ch == 0x7f) {
                throw SexprError(line_, "unexpected control character " + shown(ch));
            }
            ++pos_;
            check_token(pos_ - start, line_);
        }
        return std::string(text_.substr(start, pos_ - start));
    }

    // Reads the items of the list whose "(" was just read, up to its ")".
    // The lists open at once are bounded by the depth limit, so the path to
    // the innermost is a short stack; a dropped list is still read through.
    void read_list_items(SexprNode& root) {
        std::vector<SexprNode*> open{&root};
        int dropped_depth = 0;  // lists open inside one that is not kept
        while (true) {
            skip_blanks();
            if (at_end()) {
                throw SexprError(open.back()->line, "a list opened here is not closed");
            }
            const char ch = text_[pos_];
            SexprNode* list = open.back();
            if (ch == ')') {
                ++pos_;
                if (dropped_depth > 0) {
                    --dropped_depth;
                    continue;
                }
                open.pop_back();
                if (open.empty()) return;
                // The top-level list's items are decided by their head.
                if (open.size() == 1 && keep_ && !keep_(list->head())) open.back()->items.pop_back();
                continue;
            }
            if (ch == '(') {
                const int line = line_;
                ++pos_;
                const int depth = static_cast<int>(open.size()) + dropped_depth + 1;
                if (depth > limits_.max_depth) {
                    throw SexprError(line, "lists nested deeper than " + std::to_string(limits_.max_depth));
                }
                if (dropped_depth > 0 || (open.size() == 2 && keep_ && !keep_(list->head()))) {
                    ++dropped_depth;
                    continue;
                }
                count_item(line);
                SexprNode child;
                child.is_list = true;
                child.line = line;
                list->items.push_back(std::move(child));
                open.push_back(&list->items.back());
                continue;
            }
            SexprNode atom;
            atom.line = line_;
            atom.atom = ch == '"' ? read_quoted() : read_word();
            if (dropped_depth == 0 && !(open.size() == 2 && keep_ && !list->items.empty() && !keep_(list->head()))) {
                count_item(atom.line);
                list->items.push_back(std::move(atom));
            }
        }
    }

    std::string_view text_;
    const KeepList& keep_;
    const SexprLimits& limits_;
    std::size_t pos_ = 0;
    int line_ = 1;
    std::size_t items_ = 0;
};

}  // namespace

const std::string& SexprNode::head() const {
    return is_list && !items.empty() && !items.front().is_list ? items.front().atom : no_head;
}

const SexprNode* SexprNode::child(std::string_view name) const {
    for (const SexprNode& item : items) {
        if (item.is_list && item.head() == name) return &item;
    }
    return nullptr;
}

SexprNode parse_sexpr(std::string_view text, const KeepList& keep, const SexprLimits& limits) {
    return Reader(text, keep, limits).read();
}
