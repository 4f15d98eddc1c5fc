#pragma once
// A statement or run-list text of the catalogue: literal pieces, the store code slot and pieces
// that a function writes at run time (dates, the vendor's own values). A text is data; it is
// written out against the run context when its instruction runs.
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace patch {

struct RunContext;

// Stands for the process's StoreCode inside a composed text.
struct StoreCodeSlot {};
inline constexpr StoreCodeSlot kStoreCode{};

// Writes a piece of a text at run time.
using TextWriter = std::function<std::string(RunContext&)>;

class Text {
  public:
    Text() = default;
    Text(const char* literal) { Append(std::string(literal)); }
    Text(std::string literal) { Append(std::move(literal)); }

    void Append(std::string literal);
    void Append(StoreCodeSlot);
    void Append(TextWriter writer);

    // The text with the store code and the written pieces put in.
    std::string Render(RunContext& context) const;
    // The literal pieces only, the others left out; for listings and checks of the catalogue.
    std::string Literal() const;
    bool Empty() const { return pieces_.empty(); }

  private:
    struct Piece {
        std::string literal;
        bool storeCode = false;
        TextWriter writer;
    };
    std::vector<Piece> pieces_;
};

// Joins literals, kStoreCode and writers into one text, in their order:
// Compose("… VALUES('frm삭제상품조회', '", kStoreCode, "')").
template <class... Parts>
Text Compose(Parts&&... parts) {
    Text text;
    (text.Append(std::forward<Parts>(parts)), ...);
    return text;
}

// One statement made of lines, each followed by CR LF.
Text Lines(std::initializer_list<const char*> lines);

}  // namespace patch
