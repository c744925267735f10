// The blocks of a page as plain text lines of a given width.
#include <algorithm>
#include <string>
#include <vector>

#include "news/Page.h"
#include "platform/text.h"

namespace news {
namespace {

// Columns of indentation per level of list nesting.
constexpr int kIndentPerLevel = 2;

// A line of spans as one text, each link after its text.
std::string Flatten(const std::vector<Span>& line) {
    std::string text;
    for (const Span& span : line) {
        if (span.link.empty() || span.text == span.link) {
            text += span.text;
        } else if (span.text.empty()) {
            text += "<" + span.link + ">";
        } else {
            text += span.text + " <" + span.link + ">";
        }
    }
    return text;
}

// s without the spaces at its end (a GBK trail byte is never one).
std::string TrimRight(const std::string& s) {
    std::size_t end = 0;
    std::size_t i = 0;
    while (i < s.size()) {
        std::size_t len =
            platform::IsGbkLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
        i += len;
        if (len == 2 || s[i - 1] != ' ') {
            end = i;
        }
    }
    return s.substr(0, end);
}

// Columns of GBK text: an ASCII byte one, a character of two bytes two.
int Columns(const std::string& s) {
    return static_cast<int>(s.size());
}

// Appends text to out in lines of at most width columns: the first starts
// with first, the others with hang (both narrower than width by at least
// two columns, so a GBK character always fits). Lines break at the last
// space that fits, or between characters when a word is longer than a line.
void Wrap(const std::string& text, const std::string& first, const std::string& hang, int width,
          std::vector<std::string>* out) {
    const std::string* prefix = &first;
    std::string line;
    std::size_t lastSpace = std::string::npos;  // in line
    bool wrapped = false;                       // line continues a broken one
    auto emit = [&](const std::string& part) {
        out->push_back(TrimRight(*prefix + part));
        prefix = &hang;
        wrapped = true;
    };
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t len =
            platform::IsGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2
                                                                                                : 1;
        bool space = len == 1 && text[i] == ' ';
        if (space && wrapped && line.empty()) {
            ++i;
            continue;
        }
        int avail = width - Columns(*prefix);
        if (Columns(line) + static_cast<int>(len) > avail) {
            if (space) {
                emit(line);
                line.clear();
                lastSpace = std::string::npos;
                ++i;
                continue;
            }
            if (lastSpace != std::string::npos && lastSpace > 0) {
                emit(line.substr(0, lastSpace));
                line.erase(0, lastSpace + 1);
                line.erase(0, line.find_first_not_of(' ') == std::string::npos
                                  ? line.size()
                                  : line.find_first_not_of(' '));
            } else {
                emit(line);
                line.clear();
            }
            lastSpace = std::string::npos;
            avail = width - Columns(*prefix);
            if (Columns(line) + static_cast<int>(len) > avail) {
                emit(line);
                line.clear();
            }
        }
        if (space) {
            lastSpace = line.size();
        }
        line.append(text, i, len);
        i += len;
    }
    if (!line.empty() || !wrapped) {
        emit(line);
    }
}

}  // namespace

std::vector<std::string> PageText(const std::vector<Block>& blocks, int width) {
    width = std::max(width, 2);
    const int prefixMax = width - 2;
    std::vector<std::string> out;
    const Block* previous = nullptr;
    for (const Block& block : blocks) {
        if (block.lines.empty()) {
            continue;
        }
        // A blank line between blocks, but the items of a list stay
        // together.
        const bool sameList = previous != nullptr && previous->kind == BlockKind::kListItem &&
                              block.kind == BlockKind::kListItem;
        if (!out.empty() && !sameList) {
            out.emplace_back();
        }
        previous = &block;
        std::string first;
        if (block.kind == BlockKind::kListItem) {
            std::string marker = block.ordered ? std::to_string(block.number) + ". " : "- ";
            if (static_cast<int>(marker.size()) > prefixMax) {
                marker.resize(static_cast<std::size_t>(prefixMax));
            }
            int indent = std::min(kIndentPerLevel * (std::max(block.level, 1) - 1),
                                  prefixMax - static_cast<int>(marker.size()));
            first = std::string(static_cast<std::size_t>(indent), ' ') + marker;
        }
        const std::string hang(first.size(), ' ');
        for (std::size_t i = 0; i < block.lines.size(); ++i) {
            Wrap(Flatten(block.lines[i]), i == 0 ? first : hang, hang, width, &out);
        }
    }
    return out;
}

}  // namespace news
