#include "patch/text.h"

#include "config/runtime.h"
#include "patch/run_context.h"

namespace patch {

void Text::Append(std::string literal) {
    pieces_.push_back({std::move(literal), false, {}});
}

void Text::Append(StoreCodeSlot) {
    pieces_.push_back({{}, true, {}});
}

void Text::Append(TextWriter writer) {
    pieces_.push_back({{}, false, std::move(writer)});
}

std::string Text::Render(RunContext& context) const {
    std::string out;
    for (const Piece& piece : pieces_) {
        if (piece.storeCode) {
            out += context.runtime.StoreCode;
        } else if (piece.writer) {
            out += piece.writer(context);
        } else {
            out += piece.literal;
        }
    }
    return out;
}

std::string Text::Literal() const {
    std::string out;
    for (const Piece& piece : pieces_) out += piece.literal;
    return out;
}

Text Lines(std::initializer_list<const char*> lines) {
    std::string joined;
    for (const char* line : lines) {
        joined += line;
        joined += "\r\n";
    }
    return Text(std::move(joined));
}

}  // namespace patch
